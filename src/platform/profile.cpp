#include "platform/profile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

namespace kelvory::profile {
namespace {

// A file may begin with a byte-order mark, as Notepad writes one. The
// platform's profile calls skip it, read UTF-16 text as text, and write the
// file back in the form they found.
enum class Encoding { Bytes, Utf16Le, Utf16Be };

struct Body {
  Encoding encoding = Encoding::Bytes;
  std::string_view bom;   // written back unchanged
  std::string_view text;  // the profile text, in 8-bit characters
  std::string_view tail;  // the odd last byte of a UTF-16 file, kept as it is
};

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 to UTF-8. A surrogate without its partner becomes a three-byte
// sequence of its own, so that converting back gives the very same bytes.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
  const auto unit = [&](std::size_t i) -> std::uint32_t {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (b0 << 8U) | b1 : (b1 << 8U) | b0;
  };
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const std::uint32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
      const std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10U) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, u);
  }
  return out;
}

std::string ToUtf16(std::string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto put = [&](std::uint32_t u) {
    const char hi = static_cast<char>(u >> 8U), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  };
  const auto cont = [&](std::size_t i) {
    return i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
  };
  const auto bits = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i]) & 0x3F);
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::uint32_t c = b;
    std::size_t length = 1;
    if ((b & 0xE0) == 0xC0 && cont(i + 1)) {
      c = ((b & 0x1FU) << 6U) | bits(i + 1);
      length = 2;
    } else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
      c = ((b & 0x0FU) << 12U) | (bits(i + 1) << 6U) | bits(i + 2);
      length = 3;
    } else if ((b & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      c = ((b & 0x07U) << 18U) | (bits(i + 1) << 12U) | (bits(i + 2) << 6U) | bits(i + 3);
      length = c <= 0x10FFFF ? 4 : 1;
      if (length == 1) c = b;
    }
    // Anything else (only our own callers' bytes) goes over one by one.
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10U));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
    i += length;
  }
  return out;
}

// The file's profile text; storage holds it when it had to be converted.
Body Decode(std::string_view file, std::string& storage) {
  static constexpr std::string_view kUtf8 = "\xEF\xBB\xBF", kLe = "\xFF\xFE", kBe = "\xFE\xFF";
  Body body;
  if (file.starts_with(kUtf8)) {
    body.bom = file.substr(0, kUtf8.size());
    body.text = file.substr(kUtf8.size());
    return body;
  }
  const bool le = file.starts_with(kLe);
  if (!le && !file.starts_with(kBe)) {
    body.text = file;
    return body;
  }
  body.encoding = le ? Encoding::Utf16Le : Encoding::Utf16Be;
  body.bom = file.substr(0, 2);
  std::string_view units = file.substr(2);
  if (units.size() % 2 != 0) {
    body.tail = units.substr(units.size() - 1);
    units.remove_suffix(1);
  }
  storage = FromUtf16(units, !le);
  body.text = storage;
  return body;
}

std::string Encode(const Body& body, std::string_view text) {
  std::string out(body.bom);
  if (body.encoding == Encoding::Bytes) {
    out.append(text);
  } else {
    out.append(ToUtf16(text, body.encoding == Encoding::Utf16Be));
  }
  out.append(body.tail);
  return out;
}

struct Line {
  std::size_t begin, end;  // the line's text, without its line end
  std::size_t next;        // where the following line starts
};

// The non-blank lines of a text one at a time (a blank line means nothing to
// the profile rules): a file of millions of lines costs no more memory than
// one of a few.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  std::optional<Line> next() {
    while (pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n')) ++pos_;
    if (pos_ >= text_.size()) return std::nullopt;
    const std::size_t begin = pos_;
    const std::size_t end = std::min(after(cr_, '\r'), after(lf_, '\n'));
    if (end == std::string_view::npos) {
      pos_ = text_.size();
      return Line{begin, text_.size(), text_.size()};
    }
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return Line{begin, end, pos_};
  }

 private:
  // The next c at or after pos_. Each kind of line end is searched for
  // only once it has been passed, so a file of blank lines of one kind
  // never rescans the distance to the other kind.
  std::size_t after(std::size_t& cached, char c) {
    if (cached != std::string_view::npos && cached < pos_) cached = text_.find(c, pos_);
    return cached;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t cr_ = text_.find('\r'), lf_ = text_.find('\n');
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The section a "[name]" line opens, if it is one; the name ends at the
// first ']' (or the line's end).
bool SectionName(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return false;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;  // "[Data" opens nothing
  name = Trim(line.substr(1, close - 1));
  return true;
}

// The callers' section and key names lose their outer spaces (not tabs).
std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The key and value of a "key=value" line, if it is one.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return !key.empty() && key.front() != ';';
}

struct Found {
  bool section = false;
  std::size_t sectionEnd = 0;   // where a new key of the section goes
  std::optional<Line> keyLine;  // the key's own line
  std::string_view value;
};

Found Find(std::string_view text, std::string_view section, std::string_view key) {
  section = TrimSpaces(section);
  key = TrimSpaces(key);
  Found found;
  bool inside = false;
  Lines lines(text);
  while (const std::optional<Line> next = lines.next()) {
    const Line& l = *next;
    std::string_view s = text.substr(l.begin, l.end - l.begin);
    std::string_view name;
    if (SectionName(s, name)) {
      if (found.section) break;  // the first section of that name wins
      inside = SameName(name, section);
      if (inside) {
        found.section = true;
        found.sectionEnd = l.next;
      }
      continue;
    }
    if (!inside) continue;
    std::string_view k, v;
    if (KeyValue(s, k, v)) {
      found.sectionEnd = l.next;
      if (!found.keyLine && SameName(k, key)) {
        found.keyLine = l;
        found.value = v;
      }
    }
  }
  return found;
}

std::string_view LineEnd(std::string_view text) {
  const std::size_t pos = text.find_first_of("\r\n");
  if (pos == std::string_view::npos || text[pos] == '\r') return "\r\n";
  return "\n";
}

}  // namespace

std::string getValue(std::string_view file, std::string_view section, std::string_view key,
                     std::size_t bufferSize) {
  std::string storage;
  const std::string_view text = Decode(file, storage).text;
  const Found found = Find(text, section, key);
  if (!found.keyLine) return {};
  std::string_view value = found.value;
  // The platform's call hands back a C string: a NUL ends the value.
  value = value.substr(0, value.find('\0'));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  const std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  return std::string(value.substr(0, std::min(limit, value.size())));
}

std::string setValue(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view value) {
  std::string storage;
  const Body body = Decode(file, storage);
  const std::string_view text = body.text;
  const Found found = Find(text, section, key);
  const std::string_view eol = LineEnd(text);
  const std::string entry = std::string(TrimSpaces(key)) + "=" + std::string(value);
  std::string out;
  if (found.keyLine) {
    out.append(text.substr(0, found.keyLine->begin));
    out.append(entry);
    out.append(text.substr(found.keyLine->end));
  } else if (found.section) {
    out.append(text.substr(0, found.sectionEnd));
    // The section's last line may lack a line end at the end of the file.
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append(eol);
    out.append(entry).append(eol);
    out.append(text.substr(found.sectionEnd));
  } else {
    out.append(text);
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append(eol);
    out.append("[").append(TrimSpaces(section)).append("]").append(eol);
    out.append(entry).append(eol);
  }
  return body.bom.empty() ? out : Encode(body, out);
}

}  // namespace kelvory::profile
