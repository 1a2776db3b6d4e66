#include "chat_settings.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace kalvor::audiolib {

namespace {

std::string_view trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The first value of key in the first section named section.
std::optional<std::string_view> find(std::string_view text, std::string_view section,
                                     std::string_view key) {
  bool in_section = false;
  bool seen_section = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.front() == '[') {
      if (seen_section) return std::nullopt;
      const std::size_t close = line.find(']');
      in_section =
          close != std::string_view::npos && same_name(trim(line.substr(1, close - 1)), section);
      seen_section = in_section;
      continue;
    }
    if (!in_section) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || !same_name(trim(line.substr(0, equals)), key)) continue;
    std::string_view value = trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::nullopt;
}

}  // namespace

ChatSettings ChatSettings::parse(std::string_view ini_text) {
  ChatSettings settings;
  settings.mic = find(ini_text, "chat", "mic") != "2";
  settings.monitor = find(ini_text, "chat", "monitor") != "2";
  return settings;
}

ChatSettings ChatSettings::read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return parse(text);
}

std::string ChatSettings::default_path() {
  // The same folder the program picks: an absolute XDG_DATA_HOME, else ~/.local/share.
  std::string base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    base = data;
  } else {
    std::string home;
    if (const char* value = std::getenv("HOME"); value != nullptr && value[0] == '/') home = value;
#ifndef _WIN32
    if (home.empty()) {
      if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        home = entry->pw_dir;
      }
    }
#endif
    if (home.empty()) return {};
    base = home + "/.local/share";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/kalvor/data.ini";
}

}  // namespace kalvor::audiolib
