#include "board/path_parts.h"

namespace kalvor {

std::string_view PathParts::FileName(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < path.size(); ++i) {
    if (path[i] == '/') start = i + 1;
  }
  return path.substr(start);
}

std::string_view PathParts::Extension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) return {};
  return name.substr(dot);
}

}  // namespace kalvor
