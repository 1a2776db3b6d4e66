#include <locale.h>

#include <cstdlib>

#include "platform/platform_services.h"
#include "platform/platform_system.h"

namespace kalvor {

std::string SharedLibraryFile(std::string_view stem) {
  return JoinTexts({"lib", stem, ".so"});
}

double ParseNumberInCLocale(const char* text) {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(text, nullptr, locale);
}

}  // namespace kalvor
