#include "app/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/profile.h"

namespace kelvory {
namespace {

TEST(CatchCountCodec, WritesThreeUpperCaseDigitsPerSpecies) {
  CatchCounts counts{};
  counts[0] = 0;
  counts[1] = 10;
  counts[2] = 4095;
  counts[3] = 4096;
  counts[4] = 255;
  counts[13] = 77;  // belongs to no species and is never stored
  EXPECT_EQ(EncodeCatchCounts(counts), "00000AFFF0000FF" + std::string(24, '0'));
}

TEST(CatchCountCodec, ReadsGroupByGroupAndStopsAtTheFirstNonHexDigit) {
  const CatchCounts counts = DecodeCatchCounts("00a1G2011FFF" + std::string(27, '0') + "123");
  EXPECT_EQ(counts[0], 10);  // lower case reads as upper case
  EXPECT_EQ(counts[1], 1);   // "1G2" stops at the G
  EXPECT_EQ(counts[2], 17);
  EXPECT_EQ(counts[3], 4095);
  EXPECT_EQ(counts[13], 0);  // characters beyond the 39th are ignored

  const CatchCounts shortValue = DecodeCatchCounts("0030000");
  EXPECT_EQ(shortValue[0], 3);
  EXPECT_EQ(shortValue[1], 0);
  EXPECT_EQ(shortValue[2], 0);  // "0" alone
  EXPECT_EQ(shortValue[12], 0);
  EXPECT_EQ(DecodeCatchCounts("zzz")[0], 0);
}

TEST(SettingsPath, AddsOneSeparatorOnly) {
  EXPECT_EQ(SettingsPath("C:\\"), "C:\\KVY.ini");
  EXPECT_EQ(SettingsPath("C:\\Games\\Kelvory"), "C:\\Games\\Kelvory\\KVY.ini");
  EXPECT_EQ(SettingsPath("/opt/kelvory"), "/opt/kelvory/KVY.ini");
  EXPECT_EQ(SettingsPath("/"), "/KVY.ini");
}

TEST(ProfileText, FindsKeysWithoutRegardToCaseOrBlanks) {
  const std::string text = "[Other]\nTyouka=bad\n[ data ]\r\n  tyouka =  00A \r\nComplete=1\n";
  EXPECT_EQ(profile::getValue(text, "Data", "Tyouka"), "00A");
  EXPECT_EQ(profile::getValue(text, "Data", "Complete"), "1");
  EXPECT_EQ(profile::getValue(text, "Data", "Missing"), "");
  EXPECT_EQ(profile::getValue(text, "Nowhere", "Tyouka"), "");
  EXPECT_EQ(profile::getValue(text, " Data ", " Tyouka "), "00A");  // the platform trims spaces
  EXPECT_EQ(profile::getValue("[Data\nTyouka=1\n", "Data", "Tyouka"), "");  // no header
  EXPECT_EQ(profile::getValue("[Data]\nK=" + std::string(600, 'x'), "Data", "K").size(), 510u);
}

TEST(ProfileText, ReplacesOneValueAndKeepsEverythingElse) {
  // A new file gets the line ends the profile calls of Windows write.
  EXPECT_EQ(profile::setValue("", "Data", "Tyouka", "000"), "[Data]\r\nTyouka=000\r\n");
  const std::string text = "; mine\n[Data]\nTyouka=001\nComplete=1\n[Other]\nx=y\n";
  EXPECT_EQ(profile::setValue(text, "Data", "Tyouka", "002"),
            "; mine\n[Data]\nTyouka=002\nComplete=1\n[Other]\nx=y\n");
  EXPECT_EQ(profile::setValue("[Data]\r\nTyouka=001", "Data", "Complete", "1"),
            "[Data]\r\nTyouka=001\r\nComplete=1\r\n");
}

TEST(ProfileFiles, ReplaceIsWholeAndReadsBack) {
  const auto dir = std::filesystem::temp_directory_path() / "kelvory-settings-test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "KVY.ini").string();
  EXPECT_FALSE(files::read(path).has_value());
  ASSERT_TRUE(files::replace(path, "[Data]\nTyouka=001\n"));
  ASSERT_TRUE(files::replace(path, "[Data]\nTyouka=002\n"));
  EXPECT_EQ(files::read(path).value_or(""), "[Data]\nTyouka=002\n");
  // Nothing of the replacement is left beside the file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
  EXPECT_FALSE(files::replace((dir / "missing" / "KVY.ini").string(), "x"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kelvory

namespace kelvory {
namespace {

TEST(SettingsFolder, UserFolderUnlessAFileLiesBesideTheProgram) {
  const auto root = std::filesystem::temp_directory_path() / "kelvory-folder-test-user";
  std::filesystem::remove_all(root);
  const auto program = root / "program";
  const auto user = root / "config" / "kelvory";
  std::filesystem::create_directories(program);
  const auto folder = [&](files::Home home, const std::filesystem::path& userFolder) {
    return files::settingsFolder(program.string(), userFolder.string(), home);
  };

  // A build tree or an install: the user's folder, made on the way.
  EXPECT_EQ(folder(files::Home::UserFolder, user), user.string());
  EXPECT_TRUE(std::filesystem::is_directory(user));
  EXPECT_EQ(folder(files::Home::UserFolder, {}), program.string());
  // A portable copy brings its own file.
  files::replace((program / "KVY.ini").string(), "[Data]\n");
  EXPECT_EQ(folder(files::Home::UserFolder, user), program.string());
  std::filesystem::remove_all(root);
}

TEST(SettingsFolder, BesideTheProgramWhileThatCanBeWritten) {
  const auto root = std::filesystem::temp_directory_path() / "kelvory-folder-test-program";
  std::filesystem::remove_all(root);
  const auto program = root / "program";
  const auto user = root / "config" / "kelvory";
  std::filesystem::create_directories(program);
  const auto folder = [&] {
    return files::settingsFolder(program.string(), user.string(),
                                 files::Home::ProgramFolderIfWritable);
  };
  EXPECT_EQ(folder(), program.string());
  EXPECT_FALSE(std::filesystem::exists(user));

  std::filesystem::permissions(program, std::filesystem::perms(0555));
  // Root writes anywhere, so the read-only case shows only for a user.
  if (!files::writableFolder(program.string())) {
    EXPECT_EQ(folder(), user.string());
    EXPECT_TRUE(std::filesystem::is_directory(user));
    std::filesystem::permissions(program, std::filesystem::perms(0755));
    files::replace((program / "KVY.ini").string(), "[Data]\n");
    std::filesystem::permissions(program, std::filesystem::perms(0555));
    // A file beside the program always wins.
    EXPECT_EQ(folder(), program.string());
  }
  EXPECT_FALSE(files::writableFolder((root / "missing").string()));
  std::filesystem::permissions(program, std::filesystem::perms(0755));
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace kelvory
