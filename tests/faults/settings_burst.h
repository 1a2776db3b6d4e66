// The entries a burst of settings writes goes through, shared by the writer process and the test
// that kills it: round r writes every entry in order, each with a value that names its round and
// has a length of its own, so that a file cut short or mixed from two writes would show.
#pragma once

#include <cstdint>
#include <string>

namespace kalvor::test {

struct BurstEntry {
  std::string section;
  std::string key;
};

inline constexpr int kBurstEntries = 24;

inline BurstEntry BurstEntryAt(int i) {
  static const char* const kSections[] = {"data", "ed", "标题", "dat"};
  return {kSections[i % 4], std::to_string(i)};
}

inline std::string BurstValue(std::int64_t round, int i) {
  std::string value = "r" + std::to_string(round) + "-";
  value.append(static_cast<std::size_t>((round * 7 + i) % 41), static_cast<char>('a' + i % 26));
  value += i % 3 == 0 ? "声音" : "end";
  return value;
}

// The round a value was written in, -1 when it is not a value of the burst.
inline std::int64_t BurstRound(const std::string& value, int i) {
  if (value.size() < 3 || value[0] != 'r') return -1;
  const std::size_t dash = value.find('-');
  if (dash == std::string::npos || dash == 1) return -1;
  std::int64_t round = 0;
  for (std::size_t p = 1; p < dash; ++p) {
    if (value[p] < '0' || value[p] > '9') return -1;
    round = round * 10 + (value[p] - '0');
  }
  return value == BurstValue(round, i) ? round : -1;
}

}  // namespace kalvor::test
