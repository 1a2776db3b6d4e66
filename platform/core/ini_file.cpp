#include "platform/core/ini_file.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "platform/core/gbk_text.h"
#include "platform/core/ini_file_storage.h"

namespace kalvor {
namespace {

std::atomic<IniFile::ReplaceHook> replaceHook{nullptr};

bool IsBlank(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 1 && b <= 32;
}

std::string_view SkipLeading(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return text.substr(i);
}

std::string_view Trim(std::string_view text) {
  text = SkipLeading(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Case-insensitive for ASCII letters; a double-byte character (lead byte 0x81..0xFE) is compared
// as it is, so its trail byte, which may lie in the ASCII letter range, is never folded.
bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto c = static_cast<unsigned char>(a[i]);
    if (c >= 0x81 && c <= 0xFE) {
      if (a[i] != b[i]) return false;
      if (++i < a.size() && a[i] != b[i]) return false;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// Where the wanted section and key lie in the file's bytes.
struct Location {
  bool sectionFound = false;
  // Offset just past the section's last non-blank line (a new key goes there), and whether that
  // line ends with a line break.
  std::size_t sectionInsert = 0;
  bool sectionInsertHasEol = true;
  bool keyFound = false;
  bool keyHasEquals = false;
  std::size_t valueBegin = 0;  // after "=" and the blanks that follow it
  std::size_t contentEnd = 0;  // end of the key line without its line break
  std::string_view value;      // trimmed, quotes still on
};

Location Locate(std::string_view data, std::string_view section, std::string_view key) {
  Location loc;
  const char* const base = data.data();
  const std::size_t size = data.size();
  bool inSection = false;
  std::size_t pos = 0;
  while (pos < size) {
    const char* nl = static_cast<const char*>(std::memchr(base + pos, '\n', size - pos));
    const std::size_t lineEnd = nl != nullptr ? static_cast<std::size_t>(nl - base) + 1 : size;
    std::size_t contentEnd = nl != nullptr ? lineEnd - 1 : size;
    if (contentEnd > pos && base[contentEnd - 1] == '\r') --contentEnd;
    std::size_t s = pos;
    while (s < contentEnd && IsBlank(base[s])) ++s;
    pos = lineEnd;
    if (s == contentEnd) continue;  // blank line

    if (base[s] == '[') {
      const std::size_t close = data.substr(s, contentEnd - s).rfind(']');
      if (close != std::string_view::npos) {
        if (inSection) return loc;  // the wanted section has ended
        const std::size_t nameEnd = s + close;
        if (NamesEqual(Trim(data.substr(s + 1, nameEnd - s - 1)), section)) {
          inSection = true;
          loc.sectionFound = true;
          loc.sectionInsert = lineEnd;
          loc.sectionInsertHasEol = nl != nullptr;
        }
        continue;
      }
    }
    if (!inSection) continue;
    loc.sectionInsert = lineEnd;
    loc.sectionInsertHasEol = nl != nullptr;
    const char* eq = static_cast<const char*>(std::memchr(base + s, '=', contentEnd - s));
    const std::size_t keyEnd = eq != nullptr ? static_cast<std::size_t>(eq - base) : contentEnd;
    if (!NamesEqual(Trim(data.substr(s, keyEnd - s)), key)) continue;
    loc.keyFound = true;
    loc.keyHasEquals = eq != nullptr;
    loc.contentEnd = contentEnd;
    if (eq != nullptr) {
      std::size_t v = keyEnd + 1;
      while (v < contentEnd && IsBlank(base[v])) ++v;
      loc.valueBegin = v;
      loc.value = Trim(data.substr(v, contentEnd - v));
    }
    return loc;
  }
  return loc;
}

// The GB18030 form of a name or value: ASCII texts are used as they are, without a copy.
class GbkForm {
 public:
  explicit GbkForm(std::string_view utf8) {
    if (GbkText::IsAscii(utf8)) {
      view_ = utf8;
    } else {
      converted_ = GbkText::FromUtf8(utf8);
      view_ = converted_;
    }
  }
  std::string_view view() const { return view_; }

 private:
  std::string converted_;
  std::string_view view_;
};

std::string WithoutLineBreaks(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

}  // namespace

namespace ini_storage {

unsigned long TemporaryOwner(std::string_view name) {
  constexpr std::string_view kMark = ".tmp";
  const std::size_t dash = name.rfind('-');
  if (dash == std::string_view::npos) return 0;
  const std::size_t mark = name.rfind(kMark, dash);
  if (mark == std::string_view::npos || mark == 0) return 0;
  const std::string_view owner = name.substr(mark + kMark.size(), dash - mark - kMark.size());
  const std::string_view serial = name.substr(dash + 1);
  auto digits = [](std::string_view text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (!digits(owner) || !digits(serial)) return 0;
  return std::stoul(std::string(owner));
}

}  // namespace ini_storage

void IniFile::RemoveAbandonedTemporaries(std::string_view folder) {
  ini_storage::RemoveTemporariesOfEndedWriters(std::string(folder.empty() ? "." : folder));
}

void IniFile::SetReplaceHookForTesting(ReplaceHook hook) {
  replaceHook = hook;
}

std::string IniFile::Read(std::string_view path, std::string_view section, std::string_view key,
                          std::string_view defaultValue) {
  path = SkipLeading(path);
  section = Trim(section);
  key = Trim(key);
  if (path.empty() || section.empty() || key.empty()) return {};

  thread_local std::string pathBuffer;
  thread_local std::vector<char> buffer;
  pathBuffer.assign(path);
  std::size_t size = 0;
  if (!ini_storage::ReadAll(pathBuffer, buffer, size)) return std::string(defaultValue);

  const GbkForm sectionGbk(section);
  const GbkForm keyGbk(key);
  const Location loc =
      Locate(std::string_view(buffer.data(), size), sectionGbk.view(), keyGbk.view());
  if (!loc.keyFound || !loc.keyHasEquals) return std::string(defaultValue);

  std::string_view value = loc.value;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  value = value.substr(0, GbkText::WholeCharsPrefix(value, kMaxValueBytes));
  return GbkText::ToUtf8(value);
}

bool IniFile::Write(std::string_view path, std::string_view section, std::string_view key,
                    std::string_view value) {
  path = SkipLeading(path);
  if (path.empty()) return false;
  const std::string sectionGbk = WithoutLineBreaks(GbkForm(Trim(section)).view());
  const std::string keyGbk = WithoutLineBreaks(GbkForm(Trim(key)).view());
  const std::string valueGbk = WithoutLineBreaks(GbkForm(SkipLeading(value)).view());

  return ini_storage::Rewrite(
      std::string(path),
      [&](std::string_view data) -> std::optional<std::string> {
        // New lines take the file's own line end; a new file gets the Windows one.
        const std::size_t firstBreak = data.find('\n');
        const bool lineFeedOnly = firstBreak != std::string_view::npos &&
                                  (firstBreak == 0 || data[firstBreak - 1] != '\r');
        const std::string_view eol = lineFeedOnly ? "\n" : "\r\n";
        const Location loc = Locate(data, sectionGbk, keyGbk);

        std::string content;
        content.reserve(data.size() + sectionGbk.size() + keyGbk.size() + valueGbk.size() + 16);
        if (loc.keyFound) {
          if (loc.keyHasEquals && loc.value == valueGbk) return std::nullopt;  // nothing changes
          if (loc.keyHasEquals) {
            content.append(data.substr(0, loc.valueBegin));
          } else {
            content.append(data.substr(0, loc.contentEnd)).append("=");
          }
          content.append(valueGbk).append(data.substr(loc.contentEnd));
        } else if (loc.sectionFound) {
          content.append(data.substr(0, loc.sectionInsert));
          if (!loc.sectionInsertHasEol) content.append(eol);
          content.append(keyGbk).append("=").append(valueGbk).append(eol);
          content.append(data.substr(loc.sectionInsert));
        } else {
          content.append(data);
          if (!data.empty() && data.back() != '\n') content.append(eol);
          content.append("[").append(sectionGbk).append("]").append(eol);
          content.append(keyGbk).append("=").append(valueGbk).append(eol);
        }
        return content;
      },
      replaceHook.load());
}

}  // namespace kalvor
