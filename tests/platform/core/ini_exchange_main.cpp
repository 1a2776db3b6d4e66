// ini_exchange: one side of the test that the Linux and the Windows edition read and write the
// same data.ini. Each edition has this program; tests/wine/ini-exchange.sh lets one edition write
// a file and the other read it back, both ways.
//
//   ini_exchange write FILE    writes the first set of entries (making the file where missing)
//   ini_exchange update FILE   writes the second set: changed values and new entries
//   ini_exchange check1 FILE   reads the first set back; exit status 1 and a list on a mismatch
//   ini_exchange check2 FILE   reads the file as the update leaves it
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/ini_file.h"

namespace {

struct Entry {
  std::string_view section, key, value;
};

// A settings file as the board writes it: device, volume and hotkey switch, hotkey labels and
// bindings, user slots with Chinese titles and Windows paths.
const Entry kFirst[] = {
    {"data", "id", "2"},        {"data", "vi", "57"},
    {"data", "kjj", "1"},       {"ed", "18", "F3"},
    {"dat", "F3", "欢呼掌声"},  {"dat", "F4", "空"},
    {"标题", "97", "我的声音"}, {"zdy", "97", "C:\\声音\\一.mp3"},
    {"标题", "98", "麦吻女骚"}, {"zdy", "98", "/home/用户/音效/二.mp3"},
};

const Entry kUpdate[] = {
    {"data", "vi", "100"},      {"dat", "F3", "警车声音"},   {"标题", "97", "新的标题"},
    {"dat", "F10", "鬼叫声女"}, {"标题", "112", "最后一个"},
};

// What the file holds after both sets: the update's values where it has them.
std::vector<Entry> Updated() {
  std::vector<Entry> all(std::begin(kFirst), std::end(kFirst));
  for (const Entry& change : kUpdate) {
    bool replaced = false;
    for (Entry& entry : all) {
      if (entry.section == change.section && entry.key == change.key) {
        entry.value = change.value;
        replaced = true;
      }
    }
    if (!replaced) all.push_back(change);
  }
  return all;
}

template <typename Entries>
bool Write(const std::string& file, const Entries& entries) {
  bool ok = true;
  for (const Entry& e : entries) ok = kalvor::IniFile::Write(file, e.section, e.key, e.value) && ok;
  return ok;
}

template <typename Entries>
bool Check(const std::string& file, const Entries& entries) {
  bool ok = true;
  for (const Entry& e : entries) {
    const std::string read = kalvor::IniFile::Read(file, e.section, e.key, "<missing>");
    if (read != e.value) {
      std::printf("[%.*s] %.*s: read \"%s\", expected \"%.*s\"\n",
                  static_cast<int>(e.section.size()), e.section.data(),
                  static_cast<int>(e.key.size()), e.key.data(), read.c_str(),
                  static_cast<int>(e.value.size()), e.value.data());
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s write|update|check1|check2 FILE\n", argv[0]);
    return 2;
  }
  const std::string command = argv[1];
  const std::string file = argv[2];
  if (command == "write") return Write(file, kFirst) ? 0 : 1;
  if (command == "update") return Write(file, kUpdate) ? 0 : 1;
  if (command == "check1") return Check(file, kFirst) ? 0 : 1;
  if (command == "check2") return Check(file, Updated()) ? 0 : 1;
  std::fprintf(stderr, "unknown command %s\n", argv[1]);
  return 2;
}
