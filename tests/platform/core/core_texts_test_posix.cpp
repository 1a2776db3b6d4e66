// Texts and numbers under a Linux locale of the user's.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "platform/platform_services.h"
#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

TEST(CoreTexts, TextToNumberIgnoresTheLocale) {
  // The toolkit sets the user's locale; a decimal comma must not change the result. The German
  // locale is made here, from the locale sources (Debian's "locales"), so the machine needs none.
  test::TempDir dir;
  const std::string made = "localedef -i de_DE -f UTF-8 '" + dir.path() + "/de_DE.UTF-8'";
  ASSERT_EQ(std::system((made + " >/dev/null 2>&1").c_str()), 0) << made << " failed";
  ::setenv("LOCPATH", dir.path().c_str(), 1);
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  ::unsetenv("LOCPATH");
  ASSERT_NE(german, nullptr);
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(TextToNumber("2.5"), 2.5);
  EXPECT_EQ(NumberToText(0.25), "0.25");
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace kalvor
