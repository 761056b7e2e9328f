#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "base/catch_store.h"
#include "base/settings.h"
#include "platform/profile.h"

namespace kelvory {
namespace {

std::string FileWith(int count) {
  CatchCounts counts{};
  counts[0] = static_cast<std::int16_t>(count % 4096);
  return "; mine\r\n[Data]\r\nTyouka=" + EncodeCatchCounts(counts) + "\r\nComplete=1\r\n";
}

constexpr files::Keep kBothKinds[] = {files::Keep::ThroughPowerCut, files::Keep::ThroughKill};

// A writer killed at any moment leaves the old file or the new one, whole,
// whether it waits for the disk or not.
TEST(Durability, AKilledWriterLeavesAWholeFile) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("kelvory-durability-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "KVY.ini").string();
  ASSERT_TRUE(files::replace(path, FileWith(0)));
  std::mt19937 random(5);
  for (int round = 0; round < 600; ++round) {
    const files::Keep keep = kBothKinds[round % 2];
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 1;; ++n) files::replace(path, FileWith(n), keep);
    }
    ::usleep(std::uniform_int_distribution<unsigned>(0, 3000)(random));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string text = files::read(path).value_or("");
    const std::string tyouka = profile::getValue(text, "Data", "Tyouka");
    ASSERT_EQ(text, "; mine\r\n[Data]\r\nTyouka=" + tyouka + "\r\nComplete=1\r\n") << round;
    ASSERT_EQ(text, FileWith(DecodeCatchCounts(tyouka)[0])) << round;
  }
  std::filesystem::remove_all(dir);
}

TEST(Durability, ReplacingKeepsTheFilesMode) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("kelvory-mode-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto path = dir / "KVY.ini";
  for (const files::Keep keep : kBothKinds) {
    ASSERT_TRUE(files::replace(path.string(), "a", keep));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    ASSERT_TRUE(files::replace(path.string(), "b", keep));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
    EXPECT_EQ(files::read(path.string()), "b");
    std::filesystem::remove(path);
  }
  std::filesystem::remove_all(dir);
}

namespace fs = std::filesystem;

// A scratch folder anybody may use, so a test can drop to "nobody".
fs::path OpenFolder(const std::string& name) {
  const auto dir = fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::permissions(dir, fs::perms::all);
  return dir;
}

// Runs check as the user "nobody" when the tests run as root (CI does), so
// that permissions count; true when it held.
bool AsNobody(const std::function<bool()>& check) {
  if (::geteuid() != 0) return check();
  const pid_t child = ::fork();
  if (child == 0) {
    const bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
    ::_exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A file of nobody's (or of root's, when nobodys is false).
void Put(const fs::path& path, const std::string& text, fs::perms mode, bool nobodys = true) {
  std::ofstream(path, std::ios::binary) << text;
  if (::geteuid() == 0) {
    const uid_t owner = nobodys ? 65534 : 0;
    ASSERT_EQ(::chown(path.c_str(), owner, owner), 0);
  }
  fs::permissions(path, mode);
}

std::string Text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FileSafety, AFileTheUserCannotReadOrWriteIsLeftAlone) {
  const auto dir = OpenFolder("kelvory-perm");
  const auto path = dir / "KVY.ini";
  const std::string old = "; mine\n[Data]\nTyouka=00500A\nComplete=1\n";
  // Write-only (0200), another user's private file, read-only (0444).
  Put(path, old, fs::perms(0200));
  EXPECT_TRUE(AsNobody([&] {
    return files::load(path.string()).found == files::Found::Unreadable &&
           !files::readValue("Data", "Tyouka", path.string()) &&
           !files::writeValue("Data", "Tyouka", "000", path.string());
  }));
  EXPECT_EQ(Text(path), old);
  Put(path, old, fs::perms(0600), false);
  if (::geteuid() == 0) {
    EXPECT_TRUE(
        AsNobody([&] { return !files::writeValue("Data", "Tyouka", "000", path.string()); }));
    EXPECT_EQ(Text(path), old);
  }
  Put(path, old, fs::perms(0444));
  EXPECT_TRUE(AsNobody([&] {
    return files::readValue("Data", "Tyouka", path.string()) == "00500A" &&
           !files::writeValue("Data", "Tyouka", "000", path.string());
  }));
  EXPECT_EQ(Text(path), old);
  fs::remove_all(dir);
}

TEST(FileSafety, OwnerGroupAndModeAreKeptAndANewFileFollowsTheUmask) {
  const auto dir = OpenFolder("kelvory-owner");
  const auto path = dir / "KVY.ini";
  // The user's file, saved by a copy run as root ("sudo"), stays the user's.
  Put(path, "[Data]\n", fs::perms(0640));
  ASSERT_TRUE(files::writeValue("Data", "Tyouka", "001", path.string()));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  if (::geteuid() == 0) {
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
  }
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  fs::remove(path);
  const mode_t old = ::umask(077);
  const bool made = files::writeValue("Data", "Tyouka", "001", path.string());
  ::umask(old);
  ASSERT_TRUE(made);
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  fs::remove_all(dir);
}

TEST(FileSafety, ALinkedFileIsWrittenThroughOrRefused) {
  const auto dir = OpenFolder("kelvory-links");
  fs::create_directories(dir / "real");
  const auto target = dir / "real" / "counts.ini";
  const auto link = dir / "KVY.ini";
  Put(target, "[Data]\nTyouka=001\n", fs::perms(0644), false);
  fs::create_symlink(target, link);
  ASSERT_TRUE(files::writeValue("Data", "Tyouka", "002", link.string()));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Text(target), "[Data]\nTyouka=002\n");
  fs::remove(link);
  fs::create_symlink(dir / "real" / "gone.ini", link);  // leads nowhere
  EXPECT_FALSE(files::writeValue("Data", "Tyouka", "003", link.string()));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_FALSE(fs::exists(dir / "real" / "gone.ini"));

  // Hard links: a new file under one name would part it from the other, so
  // the save is refused and both names keep the same data.
  fs::remove(link);
  fs::create_hard_link(target, link);
  EXPECT_FALSE(files::writeValue("Data", "Tyouka", "004", link.string()));
  EXPECT_EQ(Text(link), "[Data]\nTyouka=002\n");
  EXPECT_EQ(fs::hard_link_count(target), 2u);
  fs::remove_all(dir);
}

TEST(FileSafety, OneCopyPerSettingsFile) {
  const auto dir = OpenFolder("kelvory-lock");
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  const std::string a = (dir / "a" / "KVY.ini").string();
  files::CopyLock first(a);
  EXPECT_FALSE(first.taken());
  // A second copy on the same file, in another process as it would be.
  const pid_t child = ::fork();
  if (child == 0) {
    const files::CopyLock same(a);
    const files::CopyLock other((dir / "b" / "KVY.ini").string());
    ::_exit(same.taken() && !other.taken() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // A link to the file is the same file.
  fs::create_symlink(a, dir / "b" / "KVY.ini");
  std::ofstream(a) << "[Data]\n";
  EXPECT_TRUE(files::CopyLock((dir / "b" / "KVY.ini").string()).taken());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kelvory
