#pragma once

#include <string>
#include <string_view>

namespace kelvory::win32 {

// The game speaks UTF-8; the W calls want UTF-16.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace kelvory::win32
