// Texts and numbers: the conversions the whole program relies on, with their edge cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/platform_services.h"
#include "tests/platform/core/core_test_support.h"

namespace kalvor {
namespace {

TEST(CoreTexts, JoinCompareAndLength) {
  EXPECT_EQ(JoinTexts({"a", "", "音效", "b"}), "a音效b");
  EXPECT_EQ(JoinTexts({}), "");
  EXPECT_LT(CompareTexts("a", "b"), 0);
  EXPECT_GT(CompareTexts("b", "a"), 0);
  EXPECT_EQ(CompareTexts("abc", "abc"), 0);
  EXPECT_LT(CompareTexts("ab", "abc"), 0);
  EXPECT_GT(CompareTexts("a", ""), 0);
  EXPECT_NE(CompareTexts("A", "a"), 0);     // case counts
  EXPECT_GT(CompareTexts("\xE4", "a"), 0);  // bytes compare unsigned
  EXPECT_EQ(TextLength("F3"), 2);
  EXPECT_EQ(TextLength("空"), 3);  // UTF-8 bytes in memory
  EXPECT_EQ(TextLength(""), 0);
}

TEST(CoreTexts, LeftTextCountsBytes) {
  EXPECT_EQ(LeftText("abc", 0), "");
  EXPECT_EQ(LeftText("abc", -4), "");
  EXPECT_EQ(LeftText("abc", 2), "ab");
  EXPECT_EQ(LeftText("abc", 3), "abc");
  EXPECT_EQ(LeftText("abc", 1000), "abc");
  // A count that ends inside a character keeps the bytes before the cut.
  EXPECT_EQ(LeftText("标题", 4), "标\xE9");
}

TEST(CoreTexts, TextToNumber) {
  const struct {
    const char* text;
    double number;
  } cases[] = {
      {"１２", 12},
      {"12abc", 12},
      {" -3.5", -3.5},
      {"abc", 0},
      {"", 0},
      {"1e3", 1000},
      {"0x10", 0},
      {"\t+7", 7},
      {"1e", 1},
      {"2.5E-1x", 0.25},
      {".5", 0.5},
      {"5.", 5},
      {"-", 0},
      {".", 0},
      {"inf", 0},
      {"nan", 0},
      {"－１．５", -1.5},
      {"\u3000４２", 42},
      {"１ｅ２", 100},
      {"1 2", 1},
      {"e5", 0},
      {"--1", 0},
      {"００７", 7},
      {"1e400", HUGE_VAL},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToNumber(c.text), c.number) << c.text;
}

// Every full-width character of the GBK set with an ASCII twin folds to that twin: the row from
// GBK A3A1 to A3FE, and A1A1, A1AB, A1EE, A1EF. The pairs are decoded with iconv, not taken from
// the code.
TEST(CoreTexts, FullWidthFoldFollowsTheGbkTable) {
  const auto decode = [](unsigned char a, unsigned char b) {
    return test::Utf8FromGbk(std::string{static_cast<char>(a), static_cast<char>(b)});
  };
  for (int trail = 0xA1; trail <= 0xFE; ++trail) {
    const char ascii = static_cast<char>(trail - 0x80);
    if (ascii < '0' || ascii > '9') continue;
    // The digits fold so the text reads as that digit.
    EXPECT_EQ(TextToNumber(decode(0xA3, static_cast<unsigned char>(trail))), ascii - '0');
  }
  // The sign, point, exponent and blank twins fold too.
  EXPECT_EQ(TextToNumber(decode(0xA3, 0xAD) + "4"), -4);  // －
  EXPECT_EQ(TextToNumber(decode(0xA3, 0xAB) + "4"), 4);   // ＋
  EXPECT_EQ(TextToNumber(decode(0xA1, 0xA1) + "4"), 4);   // ideographic space
  EXPECT_EQ(TextToNumber("3" + decode(0xA3, 0xAE) + "5"), 3.5);
  EXPECT_EQ(TextToNumber("3" + decode(0xA3, 0xC5) + "2"), 300);  // Ｅ
}

TEST(CoreTexts, NumberToText) {
  EXPECT_EQ(NumberToText(std::int32_t{100}), "100");
  EXPECT_EQ(NumberToText(std::int32_t{-5}), "-5");
  EXPECT_EQ(NumberToText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {2.0, "2"},
      {0.25, "0.25"},
      {-5.0, "-5"},
      {1e20, "1e+20"},
      {1.0 / 3, "0.3333333333333"},
      {0.0, "0"},
      {1e-5, "1e-05"},
      {123456789012.0, "123456789012"},
      {1234567890123456.0, "1.234567890123e+15"},
      {0.1 + 0.2, "0.3"},
      {-0.0, "-0"},
  };
  for (const auto& c : cases) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.13g", c.value);
    EXPECT_EQ(NumberToText(c.value), expected) << c.value;
    EXPECT_EQ(NumberToText(c.value), c.text);
  }
}

TEST(CoreTexts, TruncateToInt) {
  EXPECT_EQ(TruncateToInt(2.9), 2);
  EXPECT_EQ(TruncateToInt(-2.9), -2);
  EXPECT_EQ(TruncateToInt(0.0), 0);
  EXPECT_EQ(TruncateToInt(2147483647.9), 2147483647);
  // The low 32 bits of the 64-bit whole number.
  EXPECT_EQ(TruncateToInt(2147483648.0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(TruncateToInt(4294967297.5), 1);
  EXPECT_EQ(TruncateToInt(-4294967297.0), -1);
  // Beyond 64 bits and NaN: no undefined conversion, the processor's 0.
  EXPECT_EQ(TruncateToInt(1e300), 0);
  EXPECT_EQ(TruncateToInt(-HUGE_VAL), 0);
  EXPECT_EQ(TruncateToInt(std::nan("")), 0);
}

TEST(CoreTexts, FloorToIntSnapsNearWholeNumbers) {
  EXPECT_EQ(FloorToInt(2.9999999999995), 3);
  EXPECT_EQ(FloorToInt(-2.9999999999995), -3);
  EXPECT_EQ(FloorToInt(-0.5), -1);
  EXPECT_EQ(FloorToInt(2.5), 2);
  EXPECT_EQ(FloorToInt(3.0000000000005), 3);
  EXPECT_EQ(FloorToInt(2.99999999999), 2);  // 1e-11 away: not snapped
  EXPECT_EQ(FloorToInt(-3.0), -3);
  EXPECT_EQ(FloorToInt(std::nan("")), 0);
}

TEST(CoreTexts, RemainderHasTheSignOfA) {
  EXPECT_EQ(Remainder(7, 3), 1);
  EXPECT_EQ(Remainder(-7, 3), -1);
  EXPECT_EQ(Remainder(7, -3), 1);
  EXPECT_EQ(Remainder(5.5, 2), 1.5);
  EXPECT_EQ(Remainder(-5.5, 2), -1.5);
  EXPECT_EQ(Remainder(6, 3), 0);
}

TEST(CoreTextsDeathTest, RemainderByZeroIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        test::TestPlatform platform;
        SetPlatform(&platform);
        Remainder(1, 0);
      },
      testing::ExitedWithCode(test::kFatalExitStatus),
      "错误\\|16\\] 运行时出错!\n\n错误信息：不能求余数于零\n");
}

TEST(CoreTexts, ColourAndShift) {
  EXPECT_EQ(MakeColor(0x12, 0x34, 0x56), 0x563412);
  EXPECT_EQ(MakeColor(0x112, -1, 0x1FF), 0xFFFF12);
  EXPECT_EQ(ShiftLeft(1, 4), 16);
  EXPECT_EQ(ShiftLeft(1, 33), 2);  // count AND 31
  EXPECT_EQ(ShiftLeft(1, -1), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ShiftLeft(-1, 4), -16);  // negative values shift like unsigned bits
  EXPECT_EQ(ShiftLeft(0x40000000, 2), 0);
}

}  // namespace
}  // namespace kalvor
