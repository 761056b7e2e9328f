#include <gtest/gtest.h>

#include "session.h"

namespace kelvory::testing {
namespace {

// Opens the popup menu with a right press at t and picks item when it shows.
void ChooseAt(Session& s, Desktop::Ms t, std::string item) {
  s.desk.onEvent("menu", [&s, item] { s.desk.chooseMenuItem(item); });
  s.pressAt(t, MouseButton::Right);
  s.releaseAt(t + 1);
}

TEST(Menu, ListsTheCertificateOnlyOnceEarned) {
  Session plain;
  plain.start();
  ChooseAt(plain, 100, "none");
  plain.runUntil(1000);
  ASSERT_EQ(plain.events("menu").size(), 1u);
  EXPECT_EQ(plain.events("menu")[0]["items"], R"(["mFishList","sep002","mver","sep001","mend"])");

  Session earned;
  earned.writeIni("[Data]\r\nComplete=1\r\n");
  earned.start();
  ChooseAt(earned, 100, "none");
  earned.runUntil(1000);
  EXPECT_EQ(earned.events("menu")[0]["items"],
            R"(["mFishList","sep002","mver","sep001","mComplete","sepx","mend"])");
}

TEST(Menu, EndSavesTheCountsAndEnds) {
  Session s;
  s.writeIni("; kept\r\n[Data]\r\nTyouka=002\r\nComplete=1\r\n[Other]\r\nx=1\r\n");
  s.start();
  s.scene.catches.CatchCount[0] = 3;
  ChooseAt(s, 100, "mend");
  EXPECT_FALSE(s.runUntil(1000));
  EXPECT_EQ(s.tyouka(), "003" + std::string(36, '0'));
  EXPECT_EQ(s.ini(), "; kept\r\n[Data]\r\nTyouka=003" + std::string(36, '0') +
                         "\r\nComplete=1\r\n[Other]\r\nx=1\r\n");
  EXPECT_EQ(s.events("end").size(), 1u);
}

TEST(Menu, EndTellsWhenTheCountsCouldNotBeSaved) {
  Session s;
  s.start();
  // A folder where the file should be: no write can succeed.
  std::filesystem::create_directories(s.dir / "KVY.ini");
  s.desk.onEvent("msgbox", [&s] { s.desk.answer(MsgAnswer::Ok); });
  ChooseAt(s, 100, "mend");
  EXPECT_FALSE(s.runUntil(1000));
  ASSERT_EQ(s.events("msgbox").size(), 1u);
  EXPECT_EQ(s.events("msgbox")[0]["text"], "釣果を保存できませんでした。");
}

TEST(Shaping, AFailureIsToldAndTheCatchesAreKept) {
  for (const auto& [result, text] :
       {std::pair{ShapeResult::RegionFailed, "リージョンデータの読み込みに失敗しました。"},
        std::pair{ShapeResult::WindowRefused, "ウィンドウの整形に失敗しました。"}}) {
    Session s;
    s.start();
    s.desk.at(10, [&s, result] {
      s.scene.catches.CatchCount[0] = 5;
      s.desk.failShapesWith(result);
    });
    s.pressAt(20);  // the meter
    s.releaseAt(20);
    s.pressAt(30);  // the cast: the angler swings the rod
    s.releaseAt(30);
    s.desk.onEvent("msgbox", [&s] { s.desk.answer(MsgAnswer::Ok); });
    EXPECT_FALSE(s.runUntil(5000));
    ASSERT_EQ(s.events("msgbox").size(), 1u);
    EXPECT_EQ(s.events("msgbox")[0]["text"], text);
    EXPECT_EQ(s.tyouka().substr(0, 3), "005");
  }
}

TEST(History, ShowsCaughtSpeciesWithTheirCountsUnderTheMouse) {
  Session s;
  s.writeIni("[Data]\r\nTyouka=00300000A\r\n");
  s.start();
  ChooseAt(s, 100, "mFishList");
  s.runUntil(200);
  const auto& list = s.window("frmList");
  EXPECT_TRUE(list.modal);
  for (int i = 0; i < 13; ++i) {
    const auto* cell = list.control("Picture1(" + std::to_string(i) + ")");
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->geometry, (Twips{45.0 + 630 * (i % 5), 345.0 + 630 * (i / 5), 540, 540})) << i;
    EXPECT_EQ(cell->visible, i == 0 || i == 2) << i;
  }
  EXPECT_EQ(list.control("Picture1(2)")->toolTip, "かさご");
  s.desk.at(300, [&] { s.desk.hover("frmList", "Picture1(2)"); });
  s.runUntil(400);
  EXPECT_EQ(s.window("frmList").control("Label2")->text, "10 匹");
  s.desk.at(500, [&] { s.desk.hover("frmList", "Line2"); });
  s.runUntil(600);
  EXPECT_EQ(s.window("frmList").control("Label2")->text, "");
  // Input elsewhere is refused while the history is open.
  s.pressAt(700);
  s.runUntil(800);
  EXPECT_FALSE(s.scene.st.MeterOn);
  s.desk.at(900, [&] { s.desk.click("frmList", "Command1"); });
  s.runUntil(1000);
  EXPECT_FALSE(s.loaded("frmList"));
}

TEST(History, ClearingAsksFirstAndKeepsTheCertificate) {
  Session s;
  const std::string before = "[Data]\r\nTyouka=001\r\nComplete=1\r\n";
  s.writeIni(before);
  s.start();
  ChooseAt(s, 100, "mFishList");
  s.desk.onEvent("msgbox", [&s] { s.desk.answer(MsgAnswer::No); });
  s.desk.at(300, [&] { s.desk.click("frmList", "Command2"); });
  s.runUntil(500);
  ASSERT_EQ(s.events("msgbox").size(), 1u);
  EXPECT_EQ(s.events("msgbox")[0]["text"], "釣果をクリアしていいですか？");
  EXPECT_EQ(s.ini(), before);
  EXPECT_TRUE(s.window("frmList").control("Picture1(0)")->visible);

  s.desk.onEvent("msgbox", [&s] { s.desk.answer(MsgAnswer::Yes); });
  s.desk.at(600, [&] { s.desk.click("frmList", "Command2"); });
  s.runUntil(800);
  EXPECT_EQ(s.tyouka(), std::string(39, '0'));
  EXPECT_NE(s.ini().find("Complete=1"), std::string::npos);
  EXPECT_FALSE(s.window("frmList").control("Picture1(0)")->visible);
  s.desk.at(900, [&] { s.desk.close("frmList"); });
  ChooseAt(s, 1000, "mFishList");
  s.runUntil(1200);
  for (int i = 0; i < 13; ++i)
    EXPECT_FALSE(s.window("frmList").control("Picture1(" + std::to_string(i) + ")")->visible);
}

TEST(Version, OpensCentredAndClosesBothWays) {
  Session s;
  s.start();
  ChooseAt(s, 100, "mver");
  s.runUntil(200);
  const auto& version = s.window("frm_Version");
  EXPECT_TRUE(version.modal);
  EXPECT_EQ(version.geometry.left, (1920 * 15 - version.geometry.width) / 2);
  EXPECT_EQ(version.geometry.top, (1080 * 15 - version.geometry.height) / 2);
  s.desk.at(300, [&] { s.desk.click("frm_Version", "Command1"); });
  s.runUntil(400);
  EXPECT_FALSE(s.loaded("frm_Version"));
  ChooseAt(s, 500, "mver");
  s.desk.at(600, [&] { s.desk.close("frm_Version"); });
  s.runUntil(700);
  EXPECT_FALSE(s.loaded("frm_Version"));
  EXPECT_EQ(s.events("show", "frm_Version").size(), 2u);
}

TEST(Certificate, ChosenTwiceShowsOneWindow) {
  Session s;
  s.writeIni("[Data]\r\nComplete=1\r\n");
  s.start();
  ChooseAt(s, 100, "mComplete");
  s.runUntil(200);
  ChooseAt(s, 300, "mComplete");
  s.runUntil(400);
  EXPECT_EQ(s.events("load", "FrmComplete").size(), 1u);
  EXPECT_TRUE(s.window("FrmComplete").visible);
  EXPECT_FALSE(s.window("FrmComplete").modal);
}

TEST(Menu, HistoryOpenedMidFightLetsTheFightGoOn) {
  Session s;
  s.start();
  s.castAt(0, 300);
  s.playFights();
  s.desk.onEvent("bite", [&s] {
    s.desk.onEvent("menu", [&s] { s.desk.chooseMenuItem("mFishList"); });
    s.desk.at(s.desk.now() + 1000,
              [&s] { s.desk.press("frmCon", "Picture1", MouseButton::Right); });
    s.desk.at(s.desk.now() + 1500, [&s] { s.desk.click("frmList", "Command1"); });
  });
  s.runUntil(600'000);
  EXPECT_FALSE(s.loaded("frmList"));
  EXPECT_FALSE(s.scene.st.SequenceBusy && !s.loaded("frmUki"));
}

}  // namespace
TEST(Dialogs, ArePlacedByTheirOuterFrame) {
  // A desktop whose dialogs get an 8 x 30 px frame around their client area.
  Session s(ScreenMetrics{.dialogFrameWidthPx = 8, .dialogFrameHeightPx = 30});
  s.start();
  ChooseAt(s, 100, "mFishList");
  s.runUntil(200);
  const Twips list = s.window("frmList").geometry;
  EXPECT_EQ(list.width, 3180 + 8 * 15);
  EXPECT_EQ(list.height, 2715 + 30 * 15);
  EXPECT_EQ(list.left, 0);
  EXPECT_EQ(list.top + list.height, s.window("frmMan").geometry.top - 100);
  s.desk.at(300, [&] { s.desk.close("frmList"); });
  ChooseAt(s, 400, "mver");
  s.runUntil(500);
  const Twips version = s.window("frm_Version").geometry;
  EXPECT_EQ(version.width, 3945 + 8 * 15);
  EXPECT_EQ(version.left, (1920 * 15 - version.width) / 2);
  EXPECT_EQ(version.top, (1080 * 15 - version.height) / 2);
}

}  // namespace kelvory::testing
