// Writing a whole buffer to a file handle, for the Windows files of the core.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>

namespace kalvor {

// Writes every byte, in pieces WriteFile takes; false on an error.
inline bool WriteAll(HANDLE file, const void* data, std::size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    DWORD n = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!WriteFile(file, at, piece, &n, nullptr)) return false;
    at += n;
    size -= n;
  }
  return true;
}

}  // namespace kalvor
