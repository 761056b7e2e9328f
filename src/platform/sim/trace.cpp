#include "platform/sim/trace.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kelvory::sim {

std::string jsonEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (const char c : s) {
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
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
          out += buf;
        } else {
          out += c;  // UTF-8 bytes go through as they are
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
  std::string needle = "\"";
  needle += key;
  needle += "\":";
  std::size_t pos = line.find(needle);
  if (pos == std::string_view::npos) return {};
  pos += needle.size();
  std::string value;
  if (pos < line.size() && line[pos] != '"') {
    int depth = 0;
    for (; pos < line.size(); ++pos) {
      const char c = line[pos];
      if (c == '[') ++depth;
      if (c == ']') --depth;
      if (depth <= 0 && (c == ',' || c == '}')) break;
      value += c;
    }
    return value;
  }
  for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size()) {
      ++pos;
      value += line[pos] == 'n' ? '\n' : line[pos];
      continue;
    }
    value += line[pos];
  }
  return value;
}

}  // namespace kelvory::sim
