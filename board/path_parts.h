// The file-name and extension parts of a path, scanned byte by byte: "/" and "." are single
// bytes in UTF-8 and never occur inside a multi-byte character.
#pragma once

#include <string_view>

namespace kalvor {

class PathParts {
 public:
  // The text after the last "/" that is followed by more text; the whole path when there is none.
  static std::string_view FileName(std::string_view path);
  // From the last "." of the name to its end, dot included; "" when the name has no dot.
  static std::string_view Extension(std::string_view name);
};

}  // namespace kalvor
