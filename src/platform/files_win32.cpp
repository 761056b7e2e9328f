#include <windows.h>

#include <array>
#include <cstdint>
#include <random>
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
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  void close() {
    if (valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a replaced file keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The name the system finally opens for h: links and junctions resolved.
std::wstring FinalPath(HANDLE h) {
  std::wstring out(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < out.size()) {
      out.resize(n);
      return out;
    }
    out.resize(n + 1);
  }
  return {};
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
}

}  // namespace

Contents load(const std::string& path) {
  // Shared as freely as the profile calls share it: only a file another
  // program holds open without sharing stays unread.
  Handle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return {Missing(GetLastError()) ? Found::Missing : Found::Unreadable, {}};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || GetFileType(file.get()) != FILE_TYPE_DISK ||
      static_cast<std::uint64_t>(size.QuadPart) > kMaxFileSize) {
    return {Found::Unreadable, {}};
  }
  Contents contents{Found::Text, {}};
  contents.text.reserve(static_cast<std::size_t>(size.QuadPart));
  std::array<char, 65536> buffer;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
      return {Found::Unreadable, {}};
    }
    if (n == 0) break;
    if (contents.text.size() + n > kMaxFileSize) return {Found::Unreadable, {}};
    contents.text.append(buffer.data(), n);
  }
  return contents;
}

bool replace(const std::string& path, std::string_view content, Keep keep) {
  const bool toDisk = keep == Keep::ThroughPowerCut;
  std::wstring target = Wide(path);
  DWORD attributes = GetFileAttributesW(target.c_str());
  const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
  if (!existed && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  if (existed) {
    // The file itself must take a write, as the profile calls would make it:
    // not read-only, not held by another program, not one of several names
    // of the same data (a new file would leave the others behind).
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
    Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info) ||
        info.nNumberOfLinks > 1) {
      return false;
    }
    // Through a symbolic link to the file it names: the link stays a link.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      target = FinalPath(file.get());
      attributes = GetFileAttributesW(target.c_str());
      if (target.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
          (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
      }
    }
  }
  const DWORD kept = existed ? attributes & kKeptAttributes : 0;
  static std::mt19937 random{std::random_device{}()};
  static constexpr wchar_t kChars[] =
      L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kChars) - 2);
  std::wstring temp;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    temp = target + std::wstring(kTempMarker.begin(), kTempMarker.end());
    for (std::size_t i = 0; i < kTempSuffixLength; ++i) temp += kChars[pick(random)];
    created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  Handle file(created);
  if (!file.valid()) return false;
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
  if (kept != 0) SetFileAttributesW(target.c_str(), kept);
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

// A mutex named after the folder that holds the settings file, as the system
// finally resolves it: the same file always gives the same name, in every
// session of the machine, and the system drops it with the process.
CopyLock::CopyLock(const std::string& settingsPath) {
  const std::wstring path = Wide(settingsPath);
  std::wstring folder;
  {
    Handle file(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.valid()) folder = FolderOf(FinalPath(file.get()));
  }
  if (folder.empty() || folder == L".") {
    Handle dir(CreateFileW(FolderOf(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    folder = dir.valid() ? FinalPath(dir.get()) : FolderOf(path);
  }
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
  std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
  for (const wchar_t c : folder) {
    hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ULL;
  }
  std::wstring id;
  for (int shift = 60; shift >= 0; shift -= 4) id += L"0123456789abcdef"[(hash >> shift) & 0xF];
  for (const wchar_t* scope : {L"Global\\Kelvory.", L"Local\\Kelvory."}) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, (scope + id).c_str());
    if (mutex == nullptr) continue;
    taken_ = GetLastError() == ERROR_ALREADY_EXISTS;
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    return;
  }
}

CopyLock::~CopyLock() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace kelvory::files
