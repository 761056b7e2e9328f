#include "base/settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/catch_store.h"
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

TEST(SettingsPath, AddsOneSeparatorOfTheSystemsOwn) {
#ifdef _WIN32
  EXPECT_EQ(SettingsPath("C:\\"), "C:\\KVY.ini");
  EXPECT_EQ(SettingsPath("C:\\Games\\Kelvory"), "C:\\Games\\Kelvory\\KVY.ini");
  EXPECT_EQ(SettingsPath("C:/Games/"), "C:/Games/KVY.ini");
#else
  EXPECT_EQ(SettingsPath("/opt/kelvory"), "/opt/kelvory/KVY.ini");
  EXPECT_EQ(SettingsPath("/"), "/KVY.ini");
  // On Linux a backslash is a character of the folder's name.
  EXPECT_EQ(SettingsPath("/home/a/my\\games"), "/home/a/my\\games/KVY.ini");
  EXPECT_EQ(SettingsPath("/home/a/games\\"), "/home/a/games\\/KVY.ini");
  EXPECT_EQ(SettingsPath("C:"), "C:/KVY.ini");
#endif
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

TEST(ProfileText, SkipsAByteOrderMarkAndKeepsItOnWriting) {
  const std::string counts = "[Data]\r\nTyouka=00A" + std::string(36, '0') + "\r\nComplete=1\r\n";
  const std::string utf8 = "\xEF\xBB\xBF" + counts;
  EXPECT_EQ(profile::getValue(utf8, "Data", "Tyouka").substr(0, 3), "00A");
  EXPECT_EQ(profile::getValue(utf8, "Data", "Complete"), "1");
  const std::string written = profile::setValue(utf8, "Data", "Tyouka", "FFF");
  EXPECT_EQ(written, "\xEF\xBB\xBF[Data]\r\nTyouka=FFF\r\nComplete=1\r\n");

  // UTF-16 as Notepad saves "Unicode": read as text, written back as UTF-16,
  // other characters (here a Japanese comment and a lone surrogate) intact.
  const auto utf16 = [](std::string_view ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    const std::string extra =
        bigEndian ? std::string("\x30\x42\xD8\x00", 4) : std::string("\x42\x30\x00\xD8", 4);
    out += extra;  // "あ" and a high surrogate without its partner
    for (char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
  };
  for (bool bigEndian : {false, true}) {
    const std::string file = utf16("\r\n[Data]\r\nTyouka=00A\r\n", bigEndian);
    EXPECT_EQ(profile::getValue(file, "Data", "Tyouka"), "00A");
    EXPECT_EQ(profile::setValue(file, "Data", "Tyouka", "FFF"),
              utf16("\r\n[Data]\r\nTyouka=FFF\r\n", bigEndian));
    // An odd last byte stays where it was.
    EXPECT_EQ(profile::setValue(file + "x", "Data", "Tyouka", "FFF"),
              utf16("\r\n[Data]\r\nTyouka=FFF\r\n", bigEndian) + "x");
  }
}

TEST(ProfileText, AValueEndsAtANul) {
  const std::string text(
      "[Data]\nTyouka=003\0"
      "00A\n",
      22);
  EXPECT_EQ(profile::getValue(text, "Data", "Tyouka"), "003");
  EXPECT_EQ(profile::getValue(std::string("[Data]\nK=\"a\0b\"\n", 15), "Data", "K"), "\"a");
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

TEST(ProfileFiles, AFileThatCannotBeReadIsNeverReplaced) {
  const auto dir = std::filesystem::temp_directory_path() / "kelvory-unreadable-test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "KVY.ini").string();
  EXPECT_EQ(files::load(path).found, files::Found::Missing);
  EXPECT_EQ(files::readValue("Data", "Tyouka", path), "");
  EXPECT_EQ(files::load((dir / "no" / "KVY.ini").string()).found, files::Found::Missing);

  // A folder in the file's place, and a file too large to read: both exist,
  // neither reads, neither is replaced.
  std::filesystem::create_directories(path);
  EXPECT_EQ(files::load(path).found, files::Found::Unreadable);
  EXPECT_EQ(files::readValue("Data", "Tyouka", path), std::nullopt);
  EXPECT_FALSE(files::writeValue("Data", "Tyouka", "000", path));
  EXPECT_TRUE(std::filesystem::is_directory(path));
  std::filesystem::remove(path);

  ASSERT_TRUE(files::replace(path, "[Data]\r\nTyouka=001\r\n"));
  std::filesystem::resize_file(path, files::kMaxFileSize + 1);  // sparse: cheap
  EXPECT_EQ(files::load(path).found, files::Found::Unreadable);
  EXPECT_FALSE(files::writeValue("Data", "Tyouka", "000", path));
  EXPECT_EQ(std::filesystem::file_size(path), files::kMaxFileSize + 1);
  std::filesystem::remove_all(dir);
}

TEST(ProfileFiles, LeftoversOfKilledSavesGoOnlyOursAndOnlyOld) {
  namespace fs = std::filesystem;
  const auto dir = fs::temp_directory_path() / "kelvory-leftover-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const auto make = [&](const std::string& name, bool old) {
    std::ofstream(dir / name) << "x";
    if (old)
      fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::hours(1));
  };
  make("KVY.ini", true);
  make("KVY.ini.tmp-a1B2c3", true);   // ours, left by a killed save
  make("KVY.ini.tmp-d4E5f6", false);  // ours, perhaps a save under way
  make("KVY.ini.tmp-abc", true);      // not a name we make
  make("KVY.ini.tmp-a1B2c3.bak", true);
  make("notes.txt.tmp-a1B2c3", true);
  files::removeLeftovers((dir / "KVY.ini").string());
  EXPECT_FALSE(fs::exists(dir / "KVY.ini.tmp-a1B2c3"));
  for (const char* kept : {"KVY.ini", "KVY.ini.tmp-d4E5f6", "KVY.ini.tmp-abc",
                           "KVY.ini.tmp-a1B2c3.bak", "notes.txt.tmp-a1B2c3"}) {
    EXPECT_TRUE(fs::exists(dir / kept)) << kept;
  }
  fs::remove_all(dir);
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

#ifdef _WIN32
#include <windows.h>

namespace kelvory {
namespace {

// What only Windows does to a file: sharing modes and attributes.
TEST(WindowsFiles, HeldOpenReadOnlyAndHiddenFiles) {
  const auto dir = std::filesystem::temp_directory_path() / "kelvory-windows-files";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "KVY.ini").string();
  const std::wstring wide = (dir / "KVY.ini").wstring();
  const std::string old = "[Data]\r\nTyouka=005\r\nComplete=1\r\n";
  ASSERT_TRUE(files::replace(path, old));

  // Held open without sharing (a backup or sync tool): unread, unreplaced.
  const HANDLE held = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files::load(path).found, files::Found::Unreadable);
  EXPECT_EQ(files::readValue("Data", "Tyouka", path), std::nullopt);
  EXPECT_FALSE(files::writeValue("Data", "Tyouka", "000", path));
  CloseHandle(held);
  EXPECT_EQ(files::read(path).value_or(""), old);

  // The read-only attribute refuses the save.
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(files::readValue("Data", "Tyouka", path), "005");
  EXPECT_FALSE(files::writeValue("Data", "Tyouka", "000", path));
  EXPECT_EQ(files::read(path).value_or(""), old);

  // A hidden file stays hidden.
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(files::writeValue("Data", "Tyouka", "006", path));
  EXPECT_TRUE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(files::readValue("Data", "Tyouka", path), "006");
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kelvory
#endif
