#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "app/settings.h"
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

}  // namespace
}  // namespace kelvory
