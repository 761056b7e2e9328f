#include "platform/profile.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace kelvory::profile {
namespace {

struct Line {
  std::size_t begin, end;  // the line's text, without its line end
  std::size_t next;        // where the following line starts
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back({pos, text.size(), text.size()});
      break;
    }
    std::size_t next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

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

Found Find(std::string_view text, const std::vector<Line>& lines, std::string_view section,
           std::string_view key) {
  section = TrimSpaces(section);
  key = TrimSpaces(key);
  Found found;
  bool inside = false;
  for (const Line& l : lines) {
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

std::string getValue(std::string_view text, std::string_view section, std::string_view key,
                     std::size_t bufferSize) {
  const std::vector<Line> lines = SplitLines(text);
  const Found found = Find(text, lines, section, key);
  if (!found.keyLine) return {};
  std::string_view value = found.value;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  const std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  return std::string(value.substr(0, std::min(limit, value.size())));
}

std::string setValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
  const std::vector<Line> lines = SplitLines(text);
  const Found found = Find(text, lines, section, key);
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
  return out;
}

}  // namespace kelvory::profile
