// The INI reader and writer on arbitrary file bytes, sections, keys and values.
//
// Input: one flag byte, then section, key and value separated by zero bytes (texts never hold
// one), then the file's bytes. Flag bit 0 repeats the value past the 10239-byte read limit.
//
// Properties: reading never fails on any file; a write always succeeds on a writable file and
// leaves no temporary file behind; when the names can stand in a file (no line break, no "=" in
// the key, the key not starting with "["), reading the entry back gives the written value after
// the documented normalisations (blanks trimmed, line breaks as blanks, one pair of quotes
// removed, cut to 10239 bytes of the file at a character boundary); every other entry of the file
// reads as it did before.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/gbk_text.h"
#include "platform/core/ini_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using kalvor::GbkText;
using kalvor::IniFile;
using kalvor::fuzz::Printable;

// Never produced by a read of a file value (reads give valid UTF-8), so it tells "missing".
constexpr std::string_view kMissing = "\xFF<missing>";

bool IsBlank(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 1 && b <= 32;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string FoldAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

// A UTF-8 text that comes back unchanged from the file's encoding.
bool RoundTrips(std::string_view utf8) {
  return GbkText::ToUtf8(GbkText::FromUtf8(utf8)) == utf8;
}

struct Entry {
  std::string section;  // UTF-8
  std::string key;
  std::string before;
};

// The (section, key) pairs of the file whose names survive the trip through UTF-8, as a plain
// line scan finds them: "[name]" up to the last "]" opens a section, any other non-blank line
// in a section is a key up to its first "=".
std::vector<Entry> ListEntries(std::string_view data) {
  std::vector<Entry> entries;
  std::string section;
  bool inSection = false;
  while (!data.empty() && entries.size() < 48) {
    const std::size_t nl = data.find('\n');
    std::string_view line = data.substr(0, nl);
    data = nl == std::string_view::npos ? std::string_view() : data.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty()) continue;
    const std::size_t close = line.rfind(']');
    if (line.front() == '[' && close != std::string_view::npos) {
      const std::string_view raw = Trim(line.substr(1, close - 1));
      section = GbkText::ToUtf8(raw);
      inSection = GbkText::FromUtf8(section) == raw && !raw.empty();
      continue;
    }
    if (!inSection) continue;
    const std::string_view raw = Trim(line.substr(0, line.find('=')));
    const std::string key = GbkText::ToUtf8(raw);
    if (raw.empty() || GbkText::FromUtf8(key) != raw) continue;
    entries.push_back(Entry{section, key, {}});
  }
  return entries;
}

// What a read gives back for a written value.
std::string Normalised(std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  std::string text(value);
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string gbk = GbkText::FromUtf8(text);
  std::string_view stored = Trim(gbk);
  if (stored.size() >= 2 && (stored.front() == '"' || stored.front() == '\'') &&
      stored.back() == stored.front()) {
    stored = stored.substr(1, stored.size() - 2);
  }
  stored = stored.substr(0, GbkText::WholeCharsPrefix(stored, IniFile::kMaxValueBytes));
  return GbkText::ToUtf8(stored);
}

bool CanStandInAFile(std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty() || !RoundTrips(section) || !RoundTrips(key)) return false;
  for (const std::string_view name : {section, key}) {
    if (name.find_first_of("\r\n") != std::string_view::npos) return false;
  }
  return key.find('=') == std::string_view::npos && key.front() != '[';
}

std::size_t FilesIn(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const auto flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string_view parts[3];
  for (auto& part : parts) {
    const std::size_t zero = rest.find('\0');
    if (zero == std::string_view::npos) return 0;
    part = rest.substr(0, zero);
    rest.remove_prefix(zero + 1);
  }
  const std::string_view section = parts[0];
  const std::string_view key = parts[1];
  std::string value(parts[2]);
  if ((flags & 1) != 0 && !value.empty()) {
    while (value.size() <= IniFile::kMaxValueBytes + 64) value += parts[2];
  }
  const std::string_view file = rest;

  const std::filesystem::path folder = kalvor::fuzz::Scratch() / "ini";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "data.ini").string();
  kalvor::fuzz::WriteBytes(path, file);

  // Any names on any file.
  IniFile::Read(path, section, key, "d");

  std::vector<Entry> entries = ListEntries(file);
  for (Entry& entry : entries)
    entry.before = IniFile::Read(path, entry.section, entry.key, kMissing);

  FUZZ_CHECK(IniFile::Write(path, section, key, value), "a write to a writable file failed");
  FUZZ_CHECK(FilesIn(folder) == 1, "the write left a temporary file behind");
  if (!CanStandInAFile(section, key)) return 0;

  const std::string expected = Normalised(value);
  const std::string got = IniFile::Read(path, section, key, kMissing);
  FUZZ_CHECK(got == expected || !RoundTrips(value),
             "[" + Printable(section) + "] " + Printable(key) + ": wrote " + Printable(value) +
                 ", read " + Printable(got) + ", expected " + Printable(expected));

  const std::string writtenSection = FoldAscii(Trim(section));
  const std::string writtenKey = FoldAscii(Trim(key));
  for (const Entry& entry : entries) {
    if (FoldAscii(entry.section) == writtenSection && FoldAscii(entry.key) == writtenKey) continue;
    const std::string after = IniFile::Read(path, entry.section, entry.key, kMissing);
    FUZZ_CHECK(after == entry.before, "[" + Printable(entry.section) + "] " + Printable(entry.key) +
                                          " changed from " + Printable(entry.before) + " to " +
                                          Printable(after));
  }
  return 0;
}
