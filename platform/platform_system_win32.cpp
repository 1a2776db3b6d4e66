#include <locale.h>

#include <cstdlib>

#include "platform/platform_services.h"
#include "platform/platform_system.h"

namespace kalvor {

std::string SharedLibraryFile(std::string_view stem) {
  return JoinTexts({stem, ".dll"});
}

double ParseNumberInCLocale(const char* text) {
  static const _locale_t locale = _create_locale(LC_ALL, "C");
  return _strtod_l(text, nullptr, locale);
}

}  // namespace kalvor
