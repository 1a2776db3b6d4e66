#include "tests/fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

namespace kalvor::fuzz {
namespace {

std::filesystem::path MakeScratch() {
  std::filesystem::path base = "/dev/shm";
  std::error_code error;
  if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
  std::string pattern = (base / "kalvor-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("kalvor fuzz: cannot make a scratch folder");
    std::abort();
  }
  return pattern;
}

const std::filesystem::path* scratch = nullptr;

void RemoveScratch() {
  std::error_code error;
  if (scratch != nullptr) std::filesystem::remove_all(*scratch, error);
}

}  // namespace

const std::filesystem::path& Scratch() {
  if (scratch == nullptr) {
    scratch = new std::filesystem::path(MakeScratch());
    std::atexit(RemoveScratch);
  }
  return *scratch;
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  while (ok && !bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    ok = n > 0;
    if (ok) bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  if (fd >= 0) close(fd);
  if (!ok) {
    std::perror(path.c_str());
    std::abort();
  }
}

std::string Printable(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && b != '\\') {
      out.push_back(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    }
  }
  return out;
}

void Fail(const char* file, int line, const char* condition, const std::string& what) {
  std::fprintf(stderr, "\n%s:%d: property broken: %s\n  %s\n", file, line, condition, what.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace kalvor::fuzz
