#include <gtest/gtest.h>

#include "base/catch_store.h"
#include "platform/profile.h"
#include "records/popup_menu.h"
#include "session.h"

namespace kelvory::testing {
namespace {

void ExpectDocked(const ScreenMetrics& screen) {
  Session s(screen);
  s.start();
  const double taskbarTop = screen.workAreaBottomPx * 15.0;
  EXPECT_EQ(s.window("frmCon").geometry, (Twips{0, taskbarTop - 230, 1250, 230}));
  EXPECT_EQ(s.window("frmMan").geometry, (Twips{1250, taskbarTop - 720, 750, 720}));
  EXPECT_EQ(s.window("frmSea").geometry, (Twips{1250, taskbarTop - 50, screen.widthPx * 15.0, 50}));
  EXPECT_EQ(s.window("frmSea").back, kBlue);
  ASSERT_TRUE(s.window("frmMan").shape.has_value());
  EXPECT_EQ(s.window("frmMan").shape->index, 0);
  EXPECT_EQ(s.window("frmMan").picture, "Picture1(0)");
  // Panel first, then the sea, the angler last and on top of it.
  const auto shows = s.events("show");
  ASSERT_EQ(shows.size(), 3u);
  EXPECT_EQ(shows[0]["win"], "frmCon");
  EXPECT_EQ(shows[1]["win"], "frmSea");
  EXPECT_EQ(shows[2]["win"], "frmMan");
  EXPECT_FALSE(s.window("frmMenu").visible);
}

TEST(StartUp, DocksPanelAnglerAndSeaOnTheTaskbar) {
  ExpectDocked({1920, 1080, 1040, 15});
  ExpectDocked({1280, 1024, 994, 15});
}

TEST(StartUp, ClockShowsMonthDayHoursMinutesEverySecond) {
  Session s;
  s.start();
  EXPECT_EQ(s.window("frmCon").control("Label1")->text, "01/01 00:00");
  s.runUntil(60'000);
  EXPECT_EQ(s.window("frmCon").control("Label1")->text, "01/01 00:01");
  const auto texts = s.events("text", "frmCon");
  ASSERT_GE(texts.size(), 60u);
  EXPECT_EQ(texts[texts.size() - 1].t - texts[texts.size() - 2].t, 1000);
}

TEST(StartUp, ReadsCountsAndCertificateFromTheSettingsFile) {
  Session s;
  s.writeIni("[Data]\r\nTyouka=00a1G2\r\nComplete=1\r\n");
  s.start();
  EXPECT_EQ(s.scene.catches.CatchCount[0], 10);
  EXPECT_EQ(s.scene.catches.CatchCount[1], 1);
  for (std::size_t i = 2; i < 14; ++i) EXPECT_EQ(s.scene.catches.CatchCount[i], 0);
  EXPECT_TRUE(s.scene.frmMenu().completeVisible());

  Session fresh;
  fresh.start();
  EXPECT_FALSE(fresh.scene.frmMenu().completeVisible());
  for (int16_t c : fresh.scene.catches.CatchCount) EXPECT_EQ(c, 0);

  Session other;
  other.writeIni("[Data]\nComplete=01\n");
  other.start();
  EXPECT_FALSE(other.scene.frmMenu().completeVisible());
}

TEST(StartUp, SurvivesSettingsFilesOfAnyShapeAndKeepsThemWhole) {
  const std::string binary(
      "\0\xff[Data\x01\n=\n[Data]\nTyouka=\xff\xfe"
      "00F",
      22);
  std::vector<std::string> files{std::string(), binary, std::string(50'000'000, 'x'),
                                 "[Other]\nx=1\n", "; only a comment"};
  for (std::size_t length : {0, 38, 39, 500}) {
    files.push_back("[Data]\r\nTyouka=" + std::string(length, '1') + "\r\n[Other]\r\ny=2\r\n");
  }
  for (const std::string& text : files) {
    Session s;
    s.writeIni(text);
    s.start();
    ASSERT_TRUE(s.loaded("frmMan"));
    for (int16_t c : s.scene.catches.CatchCount) EXPECT_TRUE(c >= 0 && c <= 0xFFF);
    // Saving writes the counts and loses nothing else of the file.
    s.scene.catches.CatchCount[1] = 2;
    ASSERT_TRUE(s.scene.catches.SaveCatchCounts());
    const std::string after = s.ini();
    EXPECT_EQ(profile::getValue(after, "Data", "Tyouka"),
              EncodeCatchCounts(s.scene.catches.CatchCount));
    const std::string oldValue = profile::getValue(text, "Data", "Tyouka");
    EXPECT_GE(after.size() + oldValue.size(), text.size()) << text.substr(0, 40);
    if (text.find("[Other]") != std::string::npos) {
      EXPECT_NE(after.find("[Other]"), std::string::npos);
    }
  }
}

TEST(StartUp, AFileThatCannotBeReadIsToldAndNeverWritten) {
  Session s;
  // A folder in the file's place exists and cannot be read as a file, even
  // by root; the permission cases are in the file tests.
  std::filesystem::create_directories(s.dir / "KVY.ini");
  s.desk.onEvent("msgbox", [&s] { s.desk.answer(MsgAnswer::Ok); });
  s.start();
  s.runUntil(50);
  const auto boxes = s.events("msgbox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"], UnreadableSettingsMessage((s.dir / "KVY.ini").string()));
  EXPECT_EQ(boxes[0]["icon"], "warning");
  // The game plays on; every save fails and writes nothing.
  s.castAt(100, 400);
  s.runUntil(5000);
  EXPECT_TRUE(s.scene.st.LineOut);
  EXPECT_FALSE(s.scene.catches.SaveCatchCounts());
  EXPECT_TRUE(s.events("write").empty());
  EXPECT_TRUE(std::filesystem::is_directory(s.dir / "KVY.ini"));
}

TEST(StartUp, AShapingFailureAtStartUpSavesOnlyTheCountsItRead) {
  Session s;
  const std::string file = "[Data]\r\nTyouka=005" + std::string(33, '0') + "FFF\r\nComplete=1\r\n";
  s.writeIni(file);
  s.desk.failShapesWith(ShapeResult::RegionFailed);
  s.desk.onEvent("msgbox", [&s] { s.desk.answer(MsgAnswer::Ok); });
  // Started inside the run: the failure's box waits for its answer there.
  s.desk.at(0, [&s] { s.scene.start(); });
  EXPECT_FALSE(s.runUntil(1000));
  EXPECT_EQ(s.events("msgbox").size(), 1u);
  EXPECT_EQ(s.ini(), file);
}

TEST(StartUp, AByteOrderMarkHidesNothing) {
  Session s;
  s.writeIni("\xEF\xBB\xBF[Data]\r\nTyouka=007\r\nComplete=1\r\n");
  s.start();
  EXPECT_EQ(s.scene.catches.CatchCount[0], 7);
  EXPECT_TRUE(s.scene.frmMenu().completeVisible());
  s.scene.catches.CatchCount[0] = 8;
  ASSERT_TRUE(s.scene.catches.SaveCatchCounts());
  EXPECT_EQ(s.ini(),
            "\xEF\xBB\xBF[Data]\r\nTyouka=008" + std::string(36, '0') + "\r\nComplete=1\r\n");
}

}  // namespace
}  // namespace kelvory::testing
