// Shared by the fuzz targets: a private scratch folder for the files a target writes, and a check
// that reports a broken property and aborts, so libFuzzer (or the corpus replay) stops on it with
// the input saved.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace kalvor::fuzz {

// A folder of this process's own, in memory when /dev/shm exists (the settings writer syncs every
// file it replaces, which costs nothing there), removed when the process exits normally.
const std::filesystem::path& Scratch();

// Writes the bytes to a file, replacing it; aborts when that fails, which is no finding.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

[[noreturn]] void Fail(const char* file, int line, const char* condition, const std::string& what);

std::string Printable(std::string_view bytes);  // escapes everything outside printable ASCII

}  // namespace kalvor::fuzz

#define FUZZ_CHECK(condition, what)                                                 \
  do {                                                                              \
    if (!(condition)) ::kalvor::fuzz::Fail(__FILE__, __LINE__, #condition, (what)); \
  } while (false)
