#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "platform/core/gbk_text.h"

namespace kalvor {
namespace {

// One pair of conversion descriptors per thread: opening one costs far more than a conversion,
// and the settings file is read on every mouse move.
class Converters {
 public:
  ~Converters() {
    if (toGbk_ != kNone) iconv_close(toGbk_);
    if (toUtf8_ != kNone) iconv_close(toUtf8_);
  }
  iconv_t ToGbk() { return Get(toGbk_, "GB18030", "UTF-8"); }
  iconv_t ToUtf8() { return Get(toUtf8_, "UTF-8", "GB18030"); }

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  static iconv_t Get(iconv_t& cd, const char* to, const char* from) {
    if (cd == kNone) cd = iconv_open(to, from);
    return cd;
  }
  iconv_t toGbk_ = kNone;
  iconv_t toUtf8_ = kNone;
};

thread_local Converters converters;

// Runs iconv over the whole input; an invalid byte is skipped and `replacement` written instead.
std::string Convert(iconv_t cd, std::string_view in, std::string_view replacement) {
  std::string out;
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);  // no converter: keep bytes
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.resize(in.size() * 2 + 8);
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  std::size_t done = 0;
  while (srcLeft > 0) {
    char* dst = out.data() + done;
    std::size_t dstLeft = out.size() - done;
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    done = out.size() - dstLeft;
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ: an invalid sequence; EINVAL: an incomplete one at the end.
    if (out.size() - done < replacement.size()) out.resize(out.size() * 2);
    std::memcpy(out.data() + done, replacement.data(), replacement.size());
    done += replacement.size();
    if (errno == EINVAL) break;
    ++src;
    --srcLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(done);
  return out;
}

}  // namespace

std::string GbkText::Encode(std::string_view utf8) {
  return Convert(converters.ToGbk(), utf8, "?");
}

std::string GbkText::Decode(std::string_view gbk) {
  return Convert(converters.ToUtf8(), gbk, "\xEF\xBF\xBD");
}

}  // namespace kalvor
