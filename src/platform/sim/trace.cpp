#include "platform/sim/trace.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace kelvory::sim {

namespace {

// The length of the well-formed UTF-8 sequence at the start of s, or 0 when
// it is none (a stray continuation byte, an overlong form, a surrogate, a
// code point beyond U+10FFFF, a sequence cut short).
std::size_t Utf8Sequence(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

void AppendEscaped(std::string& out, unsigned char byte) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(byte));
  out += buf;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string jsonEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20) {
          AppendEscaped(out, b);
        } else if (b < 0x80) {
          out += c;
        } else if (const std::size_t n = Utf8Sequence(s.substr(i)); n > 0) {
          out.append(s.substr(i, n));  // UTF-8 goes through as it is
          i += n - 1;
        } else {
          // A byte that is not UTF-8 would make the line unreadable as JSON:
          // it is written as the code point of the same number.
          AppendEscaped(out, b);
        }
    }
  }
  return out;
}

std::string jsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<std::int64_t>(value));
  }
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

void TraceLine::begin(std::int64_t t) {
  text_ = "{\"t\":" + std::to_string(t) + ",\"ev\":\"" + jsonEscape(ev_) + "\"";
}

void TraceLine::key(std::string_view k) {
  text_ += ",\"";
  text_ += jsonEscape(k);
  text_ += "\":";
}

void TraceLine::addStr(std::string_view k, std::string_view value) {
  if (k == "win") win_ = value;
  key(k);
  text_ += '"';
  text_ += jsonEscape(value);
  text_ += '"';
}

void TraceLine::addNum(std::string_view k, double value) {
  key(k);
  text_ += jsonNumber(value);
}

void TraceLine::addInteger(std::string_view k, std::int64_t value) {
  key(k);
  text_ += std::to_string(value);
}

void TraceLine::addRaw(std::string_view k, std::string_view value) {
  key(k);
  text_ += value;
}

void TraceLine::addStrings(std::string_view k, const std::vector<std::string>& values) {
  key(k);
  text_ += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text_ += ',';
    text_ += '"';
    text_ += jsonEscape(values[i]);
    text_ += '"';
  }
  text_ += ']';
}

std::string fieldOf(std::string_view line, std::string_view key) {
  // The first '"key":', found without building it: reactions look up
  // fields of every line they watch.
  std::size_t pos = std::string_view::npos;
  for (std::size_t at = line.find(key); at != std::string_view::npos; at = line.find(key, at + 1)) {
    if (at > 0 && line[at - 1] == '"' && line.substr(at + key.size()).starts_with("\":")) {
      pos = at + key.size() + 2;
      break;
    }
  }
  if (pos == std::string_view::npos) return {};
  if (pos < line.size() && line[pos] != '"') {
    const std::size_t start = pos;
    int depth = 0;
    for (; pos < line.size(); ++pos) {
      const char c = line[pos];
      if (c == '[') ++depth;
      if (c == ']') --depth;
      if (depth <= 0 && (c == ',' || c == '}')) break;
    }
    return std::string(line.substr(start, pos - start));
  }
  std::string value;
  for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
    if (line[pos] != '\\' || pos + 1 >= line.size()) {
      // Up to the next quote or escape in one piece.
      const std::size_t stop = std::min(line.find_first_of("\"\\", pos + 1), line.size());
      value.append(line.substr(pos, stop - pos));
      pos = stop - 1;
      continue;
    }
    const char e = line[++pos];
    if (e == 'u' && pos + 4 < line.size()) {
      // Only the escapes jsonEscape writes: one byte each.
      int code = 0;
      for (std::size_t i = 1; i <= 4 && code >= 0; ++i) {
        const int d = HexDigit(line[pos + i]);
        code = d < 0 ? -1 : code * 16 + d;
      }
      if (code >= 0 && code < 0x100) {
        value += static_cast<char>(code);
        pos += 4;
        continue;
      }
    }
    value += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
  }
  return value;
}

}  // namespace kelvory::sim
