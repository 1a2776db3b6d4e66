#include "tools/mkarchive/gbk_text.h"

#include <iconv.h>

#include <stdexcept>
#include <vector>

namespace kalvor {

std::string Utf8ToGbk(std::string_view utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no GBK converter");
  std::string in(utf8);
  std::vector<char> out(in.size() * 2 + 4);
  char* src = in.data();
  std::size_t src_left = in.size();
  char* dst = out.data();
  std::size_t dst_left = out.size();
  const std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1) || src_left != 0) {
    throw std::runtime_error("no GBK form for: " + std::string(utf8));
  }
  return std::string(out.data(), out.size() - dst_left);
}

}  // namespace kalvor
