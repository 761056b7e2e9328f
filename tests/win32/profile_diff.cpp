// Runs our profile reader and writer and the system's private profile calls
// on the same files and the same calls, and reports every difference. Ours
// follows Windows; Wine, where this usually runs, differs from Windows in a
// few known ways, which are listed as such instead of failing. The values
// the program itself reads and writes must come out the same either way;
// only a difference there makes the exit status 1.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile.h"

namespace {

namespace fs = std::filesystem;

// The buffer the program reads with.
constexpr DWORD kBuffer = 511;

enum class Known {
  None,
  // Wine ends a section name at the last ']' of the line, Windows at the first.
  LastBracket,
  // Wine strips tabs as well as spaces from the section and key it is given.
  TabsInArguments,
  // Wine writes the whole file again from what it parsed: blanks, blank
  // lines, line ends and lines it did not understand come out its own way.
  Rewrite,
};

const char* KnownText(Known k) {
  switch (k) {
    case Known::LastBracket:
      return "Wine ends a section name at the last ']', Windows at the first";
    case Known::TabsInArguments:
      return "Wine strips tabs as well as spaces from the arguments";
    case Known::Rewrite:
      return "Wine rewrites the whole file from its parsed model";
    case Known::None:
      break;
  }
  return "";
}

struct Probe {
  std::string section, key;
};

struct ReadCase {
  std::string name;
  std::optional<std::string> text;  // none: the file is missing
  Probe probe;
  Known known = Known::None;
  bool program = false;  // a value the program itself reads
};

struct WriteCase {
  std::string name;
  std::optional<std::string> text;
  Probe probe;
  std::string value;
  std::vector<Probe> others;  // read back from both results as well
  bool program = false;
};

std::string Show(std::string_view s) {
  std::string out = "\"";
  std::size_t shown = 0;
  for (const char c : s) {
    if (++shown > 90) {
      out += "...(" + std::to_string(s.size()) + " chars)";
      break;
    }
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '"':
        out += "\\\"";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void Put(const fs::path& path, const std::optional<std::string>& text) {
  fs::remove(path);
  if (!text) return;
  std::ofstream out(path, std::ios::binary);
  out << *text;
}

std::string Get(const fs::path& path) {
  return kelvory::files::read(path.string()).value_or("<no file>");
}

std::string Ours(const fs::path& path, const Probe& p) {
  const std::optional<std::string> text = kelvory::files::read(path.string());
  return text ? kelvory::profile::getValue(*text, p.section, p.key, kBuffer) : std::string();
}

std::string Theirs(const fs::path& path, const Probe& p) {
  std::string buffer(kBuffer, '\0');
  const DWORD n = GetPrivateProfileStringA(p.section.c_str(), p.key.c_str(), "", buffer.data(),
                                           kBuffer, path.string().c_str());
  buffer.resize(n);
  return buffer;
}

class Report {
 public:
  void same(const std::string& what) {
    ++same_;
    std::printf("same       %s\n", what.c_str());
  }
  void differ(const std::string& what, Known known, bool program, std::string_view ours,
              std::string_view theirs) {
    if (program) {
      ++programFailures_;
      std::printf("FAIL       %s: a value the program uses\n", what.c_str());
    } else if (known != Known::None) {
      ++known_;
      std::printf("known Wine difference  %s (%s)\n", what.c_str(), KnownText(known));
    } else {
      ++unexplained_;
      std::printf("DIFFERENCE %s\n", what.c_str());
    }
    std::printf("             ours:   %s\n             system: %s\n", Show(ours).c_str(),
                Show(theirs).c_str());
  }
  int finish() const {
    std::printf(
        "profile_diff: %d same, %d known Wine differences, %d unexplained differences, "
        "%d failures on the program's own values\n",
        same_, known_, unexplained_, programFailures_);
    // A known Wine difference is listed, not counted against us; any other
    // difference means our reader or writer strays from the platform's.
    return programFailures_ == 0 && unexplained_ == 0 ? 0 : 1;
  }

 private:
  int same_ = 0, known_ = 0, unexplained_ = 0, programFailures_ = 0;
};

std::string Tyouka(unsigned seed) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (int i = 0; i < 39; ++i) out += kHex[(seed * 7 + static_cast<unsigned>(i) * 13) % 16];
  return out;
}

// Text as Notepad saves it as "Unicode": UTF-16 little-endian with its mark.
std::string Utf16(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  for (const char ch : ascii) out += std::string{ch, '\0'};
  return out;
}

// A file the way the program leaves one: made by our writer from nothing.
std::string ProgramFile(const std::string& tyouka, bool complete) {
  std::string text = kelvory::profile::setValue("", "Data", "Tyouka", tyouka);
  if (complete) text = kelvory::profile::setValue(text, "Data", "Complete", "1");
  return text;
}

std::vector<ReadCase> ReadCases() {
  const std::string longValue(600, 'x');
  std::vector<ReadCase> c = {
      {"blanks around '='", "[Data]\r\nTyouka  =  00A  \r\n", {"Data", "Tyouka"}},
      {"tabs around '='", "[Data]\r\nTyouka\t=\t00A\t\r\n", {"Data", "Tyouka"}},
      {"blanks before the key", "[Data]\r\n   Tyouka=1\r\n", {"Data", "Tyouka"}},
      {"blanks inside the header", "[ Data ]\r\nTyouka=1\r\n", {"Data", "Tyouka"}},
      {"blanks before the header", "  [Data]\r\nTyouka=1\r\n", {"Data", "Tyouka"}},
      {"blanks inside a value", "[Data]\r\nTyouka=a b\tc\r\n", {"Data", "Tyouka"}},
      {"case of section and key", "[dATA]\r\ntYOUKA=AbC\r\n", {"Data", "Tyouka"}},
      {"case of the arguments", "[Data]\r\nTyouka=1\r\n", {"DATA", "tyouka"}},
      {"double quotes", "[Data]\r\nTyouka=\"a b\"\r\n", {"Data", "Tyouka"}},
      {"single quotes", "[Data]\r\nTyouka='a b'\r\n", {"Data", "Tyouka"}},
      {"quotes with blanks inside", "[Data]\r\nTyouka=\" a \"\r\n", {"Data", "Tyouka"}},
      {"empty quotes", "[Data]\r\nTyouka=\"\"\r\n", {"Data", "Tyouka"}},
      {"opening quote only", "[Data]\r\nTyouka=\"abc\r\n", {"Data", "Tyouka"}},
      {"closing quote only", "[Data]\r\nTyouka=abc\"\r\n", {"Data", "Tyouka"}},
      {"mixed quotes", "[Data]\r\nTyouka=\"abc'\r\n", {"Data", "Tyouka"}},
      {"a lone quote", "[Data]\r\nTyouka=\"\r\n", {"Data", "Tyouka"}},
      {"quotes inside", "[Data]\r\nTyouka=a\"b\"c\r\n", {"Data", "Tyouka"}},
      {"duplicate keys", "[Data]\r\nTyouka=1\r\nTyouka=2\r\n", {"Data", "Tyouka"}},
      {"duplicate sections, first",
       "[Data]\r\nTyouka=1\r\n[Other]\r\nx=1\r\n[Data]\r\nTyouka=2\r\nComplete=1\r\n",
       {"Data", "Tyouka"}},
      {"duplicate sections, key only in the second",
       "[Data]\r\nTyouka=1\r\n[Other]\r\nx=1\r\n[Data]\r\nTyouka=2\r\nComplete=1\r\n",
       {"Data", "Complete"}},
      {"commented-out key", "[Data]\r\n;Tyouka=1\r\nTyouka=2\r\n", {"Data", "Tyouka"}},
      {"commented-out key alone", "[Data]\r\n;Tyouka=1\r\n", {"Data", "Tyouka"}},
      {"comment line", "[Data]\r\n; a note\r\nTyouka=2\r\n", {"Data", "Tyouka"}},
      {"';' after a value", "[Data]\r\nTyouka=1 ; note\r\n", {"Data", "Tyouka"}},
      {"commented-out header", ";[Data]\r\nTyouka=1\r\n[Data]\r\nTyouka=2\r\n", {"Data", "Tyouka"}},
      {"line without '='", "[Data]\r\nTyouka\r\nComplete=1\r\n", {"Data", "Complete"}},
      {"key without '='", "[Data]\r\nTyouka\r\n", {"Data", "Tyouka"}},
      {"empty key", "[Data]\r\n=1\r\nTyouka=2\r\n", {"Data", "Tyouka"}},
      {"empty value", "[Data]\r\nTyouka=\r\n", {"Data", "Tyouka"}},
      {"'=' in a value", "[Data]\r\nTyouka=a=b\r\n", {"Data", "Tyouka"}},
      {"key before every section", "Tyouka=1\r\n[Data]\r\nTyouka=2\r\n", {"Data", "Tyouka"}},
      {"header without ']'", "[Data\r\nTyouka=5\r\n", {"Data", "Tyouka"}},
      {"text after ']'", "[Data] note\r\nTyouka=5\r\n", {"Data", "Tyouka"}},
      {"two ']', first name", "[Data]x]\r\nTyouka=7\r\n", {"Data", "Tyouka"}, Known::LastBracket},
      {"two ']', longer name",
       "[Data]x]\r\nTyouka=7\r\n",
       {"Data]x", "Tyouka"},
       Known::LastBracket},
      {"CRLF line ends", "[Data]\r\nTyouka=1\r\nComplete=1\r\n", {"Data", "Complete"}},
      {"LF line ends", "[Data]\nTyouka=1\nComplete=1\n", {"Data", "Complete"}},
      {"CR line ends", "[Data]\rTyouka=1\rComplete=1\r", {"Data", "Complete"}},
      {"CR line ends, first key", "[Data]\rTyouka=1\rComplete=1\r", {"Data", "Tyouka"}},
      {"no line end at the end", "[Data]\r\nTyouka=1", {"Data", "Tyouka"}},
      {"missing file", std::nullopt, {"Data", "Tyouka"}, Known::None, true},
      {"empty file", "", {"Data", "Tyouka"}},
      {"missing section", "[Other]\r\nTyouka=1\r\n", {"Data", "Tyouka"}},
      {"missing key", "[Data]\r\nComplete=1\r\n", {"Data", "Tyouka"}},
      {"value longer than the buffer",
       "[Data]\r\nTyouka=" + longValue + "\r\n",
       {"Data", "Tyouka"}},
      {"value of exactly the buffer",
       "[Data]\r\nTyouka=" + std::string(kBuffer, 'y') + "\r\n",
       {"Data", "Tyouka"}},
      {"spaces around the section argument", "[Data]\r\nTyouka=1\r\n", {" Data ", "Tyouka"}},
      {"spaces around the key argument", "[Data]\r\nTyouka=1\r\n", {"Data", " Tyouka "}},
      {"tabs around the section argument",
       "[Data]\r\nTyouka=1\r\n",
       {"\tData\t", "Tyouka"},
       Known::TabsInArguments},
      {"tabs around the key argument",
       "[Data]\r\nTyouka=1\r\n",
       {"Data", "\tTyouka\t"},
       Known::TabsInArguments},
  };
  // Byte-order marks, as Notepad writes them: the counts must show.
  const std::string counts = "[Data]\r\nTyouka=00A" + std::string(36, '0') + "\r\nComplete=1\r\n";
  for (const auto& [name, file] : {std::pair{"UTF-8 mark", "\xEF\xBB\xBF" + counts},
                                   std::pair{"UTF-16 mark", Utf16(counts)}}) {
    c.push_back({std::string(name) + ", Tyouka", file, {"Data", "Tyouka"}, Known::None, true});
    c.push_back({std::string(name) + ", Complete", file, {"Data", "Complete"}, Known::None, true});
  }
  c.push_back({"a NUL inside a value",
               std::string("[Data]\r\nTyouka=003\0"
                           "00A\r\n",
                           24),
               {"Data", "Tyouka"}});
  for (unsigned seed = 0; seed < 4; ++seed) {
    const bool complete = seed % 2 == 1;
    const std::string text = ProgramFile(Tyouka(seed), complete);
    c.push_back({"program file " + std::to_string(seed) + ", Tyouka",
                 text,
                 {"Data", "Tyouka"},
                 Known::None,
                 true});
    c.push_back({"program file " + std::to_string(seed) + ", Complete",
                 text,
                 {"Data", "Complete"},
                 Known::None,
                 true});
  }
  c.push_back({"program file with zeros",
               ProgramFile(std::string(39, '0'), false),
               {"Data", "Tyouka"},
               Known::None,
               true});
  return c;
}

std::vector<WriteCase> WriteCases() {
  const std::vector<Probe> both = {{"Data", "Tyouka"}, {"Data", "Complete"}};
  const std::string around =
      "; kept\r\n[Other]\r\nx=1\r\n\r\n[Data]\r\n; note\r\nTyouka=1\r\n"
      "stray line\r\n[Last]\r\ny=2\r\n";
  const std::vector<Probe> aroundProbes = {
      {"Data", "Tyouka"}, {"Data", "Complete"}, {"Other", "x"}, {"Last", "y"}};
  std::vector<WriteCase> c = {
      {"into a missing file", std::nullopt, {"Data", "Tyouka"}, Tyouka(1), both, true},
      {"Complete into a missing file", std::nullopt, {"Data", "Complete"}, "1", both, true},
      {"into an empty file", "", {"Data", "Tyouka"}, Tyouka(2), both, true},
      {"over a key", "[Data]\r\nTyouka=1\r\n", {"Data", "Tyouka"}, "2", both},
      {"over a key with blanks around '='",
       "[Data]\r\nTyouka \t= 1 \r\n",
       {"Data", "Tyouka"},
       "2",
       both},
      {"a new key of a section", "[Data]\r\nTyouka=1\r\n", {"Data", "Complete"}, "1", both},
      {"over a key of other case", "[DATA]\r\ntyouka=1\r\n", {"Data", "Tyouka"}, "2", both},
      {"over the first of duplicate keys",
       "[Data]\r\nTyouka=1\r\nTyouka=2\r\n",
       {"Data", "Tyouka"},
       "3",
       both},
      {"into duplicate sections",
       "[Data]\r\nTyouka=1\r\n[Data]\r\nComplete=1\r\n",
       {"Data", "Complete"},
       "2",
       both},
      {"other sections and comments kept", around, {"Data", "Tyouka"}, "3", aroundProbes},
      {"a new key amid other sections", around, {"Data", "Complete"}, "1", aroundProbes},
      {"a new section after others",
       "; kept\r\n[Other]\r\nx=1\r\n",
       {"Data", "Tyouka"},
       "5",
       aroundProbes},
      {"LF line ends", "[Data]\nTyouka=1\n", {"Data", "Complete"}, "1", both},
      {"CR line ends", "[Data]\rTyouka=1\r", {"Data", "Complete"}, "1", both},
      {"no line end at the end", "[Data]\r\nTyouka=1", {"Data", "Complete"}, "1", both},
      {"a new section, no line end at the end",
       "[Other]\r\nx=1",
       {"Data", "Tyouka"},
       "1",
       aroundProbes},
      {"a value longer than the buffer",
       "[Data]\r\nTyouka=1\r\n",
       {"Data", "Tyouka"},
       std::string(600, 'z'),
       both},
      {"a value with blanks around it",
       "[Data]\r\nTyouka=1\r\n",
       {"Data", "Tyouka"},
       "  a b  ",
       both},
  };
  const std::string counts = "[Data]\r\nTyouka=00A" + std::string(36, '0') + "\r\n";
  c.push_back(
      {"behind a UTF-8 mark", "\xEF\xBB\xBF" + counts, {"Data", "Tyouka"}, Tyouka(6), both, true});
  c.push_back({"Complete behind a UTF-8 mark",
               "\xEF\xBB\xBF" + counts,
               {"Data", "Complete"},
               "1",
               both,
               true});
  c.push_back({"into a UTF-16 file", Utf16(counts), {"Data", "Tyouka"}, Tyouka(7), both, true});
  c.push_back(
      {"Complete into a UTF-16 file", Utf16(counts), {"Data", "Complete"}, "1", both, true});
  for (unsigned seed = 0; seed < 4; ++seed) {
    const std::string text = ProgramFile(Tyouka(seed), seed % 2 == 1);
    c.push_back({"program file " + std::to_string(seed) + ", Tyouka",
                 text,
                 {"Data", "Tyouka"},
                 Tyouka(seed + 10),
                 both,
                 true});
    c.push_back({"program file " + std::to_string(seed) + ", Complete",
                 text,
                 {"Data", "Complete"},
                 "1",
                 both,
                 true});
  }
  c.push_back({"program file, counts back to zero",
               ProgramFile(Tyouka(5), true),
               {"Data", "Tyouka"},
               std::string(39, '0'),
               both,
               true});
  return c;
}

}  // namespace

int main() {
  const fs::path dir =
      fs::temp_directory_path() / ("kelvory-profile-diff-" + std::to_string(GetCurrentProcessId()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  Report report;
  int n = 0;

  for (const ReadCase& c : ReadCases()) {
    // A name of its own for every file: nothing cached from another case.
    const fs::path path = dir / ("read" + std::to_string(++n) + ".ini");
    Put(path, c.text);
    const std::string ours = Ours(path, c.probe);
    const std::string theirs = Theirs(path, c.probe);
    const std::string what = "read  " + c.name;
    if (ours == theirs) {
      report.same(what);
    } else {
      report.differ(what, c.known, c.program, ours, theirs);
    }
  }

  for (const WriteCase& c : WriteCases()) {
    const std::string stem = "write" + std::to_string(++n);
    const fs::path oursPath = dir / (stem + "-ours.ini");
    const fs::path theirsPath = dir / (stem + "-system.ini");
    Put(oursPath, c.text);
    Put(theirsPath, c.text);
    const std::string before = kelvory::files::read(oursPath.string()).value_or("");
    const bool oursOk = kelvory::files::replace(
        oursPath.string(),
        kelvory::profile::setValue(before, c.probe.section, c.probe.key, c.value));
    const bool theirsOk =
        WritePrivateProfileStringA(c.probe.section.c_str(), c.probe.key.c_str(), c.value.c_str(),
                                   theirsPath.string().c_str()) != FALSE;
    const std::string what = "write " + c.name;
    if (!oursOk || !theirsOk) {
      report.differ(what + ", the write itself", Known::None, c.program, oursOk ? "ok" : "failed",
                    theirsOk ? "ok" : "failed");
      continue;
    }
    // What every probe reads from either file, by either reader: the files
    // may differ in form, never in what they hold.
    bool valuesAgree = true;
    for (const Probe& p : c.others) {
      const std::string values[] = {Ours(oursPath, p), Theirs(oursPath, p), Ours(theirsPath, p),
                                    Theirs(theirsPath, p)};
      for (const std::string& v : values) {
        if (v == values[0]) continue;
        valuesAgree = false;
        report.differ(what + ", reading " + p.section + "/" + p.key + " back", Known::None,
                      c.program, values[0], v);
        break;
      }
    }
    const std::string oursText = Get(oursPath);
    const std::string theirsText = Get(theirsPath);
    if (oursText == theirsText) {
      if (valuesAgree) report.same(what);
    } else {
      // Only the form differs once the values agree: that is Wine's rewrite.
      report.differ(what + ", the file", valuesAgree ? Known::Rewrite : Known::None, false,
                    oursText, theirsText);
    }
  }

  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return report.finish();
}
