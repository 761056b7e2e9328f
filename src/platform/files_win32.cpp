#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/profile.h"

namespace kelvory::files {
namespace {

std::wstring Wide(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  void close() {
    CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

}  // namespace

std::optional<std::string> read(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  std::ifstream in(std::filesystem::path(Wide(path)), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool replace(const std::string& path, std::string_view content, Keep keep) {
  const bool toDisk = keep == Keep::ThroughPowerCut;
  const std::wstring target = Wide(path);
  const std::wstring temp = target + L".new";
  Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()),
                            &written, nullptr) &&
                  written == content.size() && (!toDisk || FlushFileBuffers(file.get()));
  file.close();
  const DWORD move = MOVEFILE_REPLACE_EXISTING | (toDisk ? MOVEFILE_WRITE_THROUGH : 0);
  if (!ok || !MoveFileExW(temp.c_str(), target.c_str(), move)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

bool writableFolder(const std::string& folder) {
  // Access rights on Windows live in ACLs and virtualised folders, so the
  // one sure test is to make a file there.
  std::wstring probe = Wide(folder);
  if (!probe.empty() && probe.back() != L'\\') probe += L'\\';
  probe += L"KVY.probe";
  const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace kelvory::files
