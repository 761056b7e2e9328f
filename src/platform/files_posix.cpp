#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include "platform/profile.h"

namespace kelvory::files {
namespace {

// A file descriptor closed with its owner.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names, links followed; the path itself when it names
// nothing yet; nothing for a link that leads nowhere.
std::optional<std::string> Target(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return std::nullopt;
  std::string target(real);
  std::free(real);
  return target;
}

// A new file of ours beside path, made with the permissions the system gives
// a new file (umask, default ACL); -1 when none could be made.
int CreateTemp(const std::string& path, std::string& name) {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path + std::string(kTempMarker);
    for (std::size_t i = 0; i < kTempSuffixLength; ++i) name += kChars[pick(random)];
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the new file the old one's owner, group and mode; false when the
// owner or the group cannot be kept (the save is refused then).
bool KeepOwnerAndMode(int fd, const struct stat& old) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return false;
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
      ::fchown(fd, old.st_uid, old.st_gid) != 0) {
    return false;
  }
  // After the owner: changing it clears set-id bits.
  return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Puts temp in path's place. An unflushed file may instead swap names with
// the old one, which is then removed: as safe against a kill as renaming over
// it, and it spares the data flush some file systems (ext4) start whenever a
// rename replaces a file, which is all the time a fast simulated run spends.
bool MoveOver(const std::string& temp, const std::string& path, bool swap) {
#ifdef RENAME_EXCHANGE
  if (swap && ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
    ::unlink(temp.c_str());
    return true;
  }
#else
  static_cast<void>(swap);
#endif
  return ::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

Contents load(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) {
    return {errno == ENOENT || errno == ENOTDIR ? Found::Missing : Found::Unreadable, {}};
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uintmax_t>(st.st_size) > kMaxFileSize) {
    return {Found::Unreadable, {}};
  }
  Contents contents{Found::Text, {}};
  contents.text.reserve(static_cast<std::size_t>(st.st_size));
  std::array<char, 65536> buffer;
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return {Found::Unreadable, {}};
    }
    // A file still growing while it is read is held to the same bound.
    if (contents.text.size() + static_cast<std::size_t>(n) > kMaxFileSize) {
      return {Found::Unreadable, {}};
    }
    contents.text.append(buffer.data(), static_cast<std::size_t>(n));
  }
  return contents;
}

bool replace(const std::string& path, std::string_view content, Keep keep) {
  const bool toDisk = keep == Keep::ThroughPowerCut;
  // Through a symbolic link to the file it names: the link stays a link.
  const std::optional<std::string> target = Target(path);
  if (!target) return false;
  struct stat st {};
  const bool existed = ::stat(target->c_str(), &st) == 0;
  if (!existed && errno != ENOENT) return false;
  if (existed) {
    // A new file under this name would leave the other names with the old
    // data; a file the user may not write stays as it is.
    if (!S_ISREG(st.st_mode) || st.st_nlink > 1) return false;
    if (Fd(::open(target->c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY)).get() < 0) return false;
  }
  std::string temp;
  Fd fd(CreateTemp(*target, temp));
  if (fd.get() < 0) return false;
  const bool written = (!existed || KeepOwnerAndMode(fd.get(), st)) &&
                       WriteAll(fd.get(), content) && (!toDisk || ::fsync(fd.get()) == 0) &&
                       fd.close();
  if (!written || !MoveOver(temp, *target, existed && !toDisk)) {
    ::unlink(temp.c_str());
    return false;
  }
  if (!toDisk) return true;
  // The rename itself is on disk only once the folder is.
  Fd folder(::open(FolderOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return true;
}

bool writableFolder(const std::string& folder) {
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// The lock is the folder that holds the settings file (the link's target's
// folder, when the file is a link): a folder is never replaced, as the file
// is at every save, and needs no file of its own beside the settings.
CopyLock::CopyLock(const std::string& settingsPath) {
  const std::string file = Target(settingsPath).value_or(settingsPath);
  Fd folder(::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) return;
  if (::flock(folder.get(), LOCK_EX | LOCK_NB) != 0) {
    taken_ = errno == EWOULDBLOCK;
    return;
  }
  handle_ = folder.release();
}

CopyLock::~CopyLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

}  // namespace kelvory::files
