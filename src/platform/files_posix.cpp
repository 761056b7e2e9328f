#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
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

std::optional<std::string> read(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool replace(const std::string& path, std::string_view content, Keep keep) {
  const bool toDisk = keep == Keep::ThroughPowerCut;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
  const bool existed = ::stat(path.c_str(), &st) == 0;
  std::string temp = path + ".XXXXXX";
  Fd fd(::mkstemp(temp.data()));
  if (fd.get() < 0) return false;
  // mkstemp makes the file private; the settings keep the mode they had.
  ::fchmod(fd.get(), existed ? (st.st_mode & 07777) : 0644);
  const bool written =
      WriteAll(fd.get(), content) && (!toDisk || ::fsync(fd.get()) == 0) && fd.close();
  if (!written || !MoveOver(temp, path, existed && !toDisk)) {
    ::unlink(temp.c_str());
    return false;
  }
  if (!toDisk) return true;
  // The rename itself is on disk only once the folder is.
  Fd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY));
  if (folder.get() >= 0) ::fsync(folder.get());
  return true;
}

bool writableFolder(const std::string& folder) {
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace kelvory::files
