#include <iconv.h>

#include "tests/support/gbk.h"

namespace kalvor::test {
namespace {

// The text converted between two iconv character sets; "<not convertible>" when it is not.
std::string Iconv(const char* to, const char* from, std::string_view text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<not convertible>";
  std::string out(text.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* dst = out.data();
  std::size_t outLeft = out.size();
  const std::size_t result = iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) return "<not convertible>";
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::string Gbk(std::string_view utf8) {
  return Iconv("GBK", "UTF-8", utf8);
}

std::string Utf8FromGbk(std::string_view gbk) {
  return Iconv("UTF-8", "GBK", gbk);
}

}  // namespace kalvor::test
