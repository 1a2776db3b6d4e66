// Writing a whole buffer to a file descriptor, for the Linux files of the core.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace kalvor {

// Writes every byte, going on after interruptions and short writes; false on an error.
inline bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, at, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    at += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace kalvor
