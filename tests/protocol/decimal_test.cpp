// Decimal conversions: leading-part numbers, the reply 801 scan's number
// reading, and one-decimal formatting, checked against the C library in the
// "C" locale wherever the C library's behaviour is defined.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "link/decimal.h"

namespace brisko {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(LeadingInt, Table) {
  struct Case {
    std::string text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"", 0},
      {"42", 42},
      {"0800", 800},
      {"  -17x", -17},
      {"+5", 5},
      {"-0", 0},
      {"- 5", 0},                  // no digits right after the sign
      {"x12", 0},
      {" \t\n\v\f\r7", 7},         // every white-space character is skipped
      {"1 2", 1},
      {"1.8", 1},
      {"0x1F", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},        // saturates instead of wrapping
      {"4294967296", kMax},        // would wrap to 0 in 32 bits
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"99999999999999999999999999999999", kMax},
      {"-99999999999999999999999999999999", kMin},
  };
  for (const Case& c : cases) EXPECT_EQ(LeadingInt(c.text), c.value) << "\"" << c.text << "\"";
}

TEST(LeadingReal, Table) {
  const std::string zeros(350, '0');
  struct Case {
    std::string text;
    double value;
  };
  const Case cases[] = {
      {"", 0.0},
      {"2.8", 2.8},
      {" 2.8", 2.8},
      {"+2.8", 2.8},
      {"-2.8", -2.8},
      {"2.8.1", 2.8},
      {".5", 0.5},
      {"5.", 5.0},
      {".", 0.0},
      {"-", 0.0},
      {"2,8", 2.0},               // a comma is never a decimal point
      {"28e-1", 2.8},
      {"2.8E1", 28.0},
      {"2.8e", 2.8},              // dangling exponent marker
      {"2.8e+", 2.8},
      {"2.8ex", 2.8},
      {"inf", 0.0},               // decimal notation only
      {"nan", 0.0},
      {"0x10", 0.0},
      {"1e400", kInf},
      {"-1e400", -kInf},
      {"1" + zeros, kInf},
      {"1e-400", 0.0},
      {"0e999999999999999999", 0.0},
      {"0." + zeros + "1e400", 1e49},   // large exponent, small mantissa
      {"1" + zeros + "e-340", 1e10},    // long mantissa, small exponent
      {"1e99999999999999999999", kInf},
      {"1e-99999999999999999999", 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeadingReal(c.text), c.value) << "\"" << c.text.substr(0, 40) << "\"";
  }
}

// One number read by the C library (format with %n) and by our scan from the
// same text: both read a number or neither; when they do, same value and the
// same number of characters consumed. A failed scan leaves the value alone.
template <typename Number, typename CScan, typename OurScan>
void ExpectSameReading(const char* input, const char* conversion, CScan cScan, OurScan ourScan) {
  Number expected = -1;
  int consumed = -1;
  const bool cRead = cScan(input, &expected, &consumed) == 1;
  Number value = -1;
  const std::size_t used = ourScan(input, value);
  if (cRead) {
    EXPECT_EQ(used, static_cast<std::size_t>(consumed)) << conversion << " of \"" << input << "\"";
    EXPECT_EQ(value, expected) << conversion << " of \"" << input << "\"";
  } else {
    EXPECT_EQ(used, 0u) << conversion << " of \"" << input << "\"";
    EXPECT_EQ(value, -1) << conversion << " of \"" << input << "\"";
  }
}

// The scan's number reading must consume what the C library's "%lf" and "%d"
// consume and yield the same value, for every input where that is defined
// (in range, decimal notation).
TEST(ScanNumbers, AgreeWithTheCLibrary) {
  ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
  const char* const inputs[] = {
      "12.6,",  " 12.6,", "\t-0.5x", "+7",   "-.5,", "5.,",    ".,",   "-",   "+",    "",
      ",1",     "1e5,",   "1E-2,",   "1e,",  "1e+,", "1.5e-3x", "007,", "00.1", "1 ,", " ",
      "215,473", "-2147483648,", "2147483647,", "12.6e3.4,",
  };
  for (const char* input : inputs) {
    ExpectSameReading<double>(input, "%lf", [](const char* text, double* value, int* used) {
      return std::sscanf(text, "%lf%n", value, used);
    }, ScanReal);
    ExpectSameReading<std::int32_t>(input, "%d", [](const char* text, std::int32_t* value, int* used) {
      return std::sscanf(text, "%d%n", value, used);
    }, ScanInt);
  }
}

TEST(OneDecimal, AgreesWithPrintf) {
  ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
  const double values[] = {0.0, -0.0, 12.6, 12.65, 0.05, 0.25, 0.35, -0.04, -0.5, 1.8,
                           21.499999999, 1e15 + 0.5, 1e308, -1.7976931348623157e308, 5e-324};
  for (const double value : values) {
    char expected[400];
    std::snprintf(expected, sizeof expected, "%.1f", value);
    EXPECT_EQ(OneDecimal(value), expected) << value;
  }
  EXPECT_EQ(OneDecimal(kInf), "inf");
  EXPECT_EQ(OneDecimal(-kInf), "-inf");
  EXPECT_EQ(OneDecimal(std::nan("")), "nan");
}

TEST(Tenths, Table) {
  struct Case {
    std::int32_t tenths;
    const char* text;
  };
  const Case cases[] = {
      {0, "0.0"},     {18, "1.8"},   {-5, "-0.5"},  {215, "21.5"}, {473, "47.3"},
      {-1, "-0.1"},   {99, "9.9"},   {kMax, "214748364.7"},        {kMin, "-214748364.8"},
  };
  for (const Case& c : cases) EXPECT_EQ(Tenths(c.tenths), c.text) << c.tenths;
}

// The desktop tool runs under the user's locale; a comma locale must not turn
// "2.8" into 2 or 1.8 into "1,8". When no such locale is installed, one is
// compiled into a private directory (LOCPATH); skipped when that fails too.
// Windows has its Italian locale built in.
bool SelectCommaLocale() {
#if defined(_WIN32)
  return std::setlocale(LC_ALL, "Italian_Italy.1252") != nullptr;
#else
  if (std::setlocale(LC_ALL, "it_IT.UTF-8") != nullptr) return true;
  const std::string directory = ::testing::TempDir() + "brisko-locales";
  const std::string command = "mkdir -p '" + directory + "' && localedef -i it_IT -f UTF-8 '" + directory +
                              "/it_IT.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  ::setenv("LOCPATH", directory.c_str(), 1);
  return std::setlocale(LC_ALL, "it_IT.UTF-8") != nullptr;
#endif
}

TEST(DecimalLocale, IndependentOfTheProcessLocale) {
  if (!SelectCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma available";
  char printed[16];
  std::snprintf(printed, sizeof printed, "%.1f", 1.5);
  const double real = LeadingReal("2.8");
  double scanned = 0.0;
  const std::size_t used = ScanReal("12.6,", scanned);
  const std::string text = OneDecimal(1.8);
  std::setlocale(LC_ALL, "C");
  ASSERT_STREQ(printed, "1,5") << "the locale does not use a decimal comma";
  EXPECT_EQ(real, 2.8);
  EXPECT_EQ(used, 4u);
  EXPECT_EQ(scanned, 12.6);
  EXPECT_EQ(text, "1.8");
}

}  // namespace
}  // namespace brisko
