#include "settings/stored_values.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace quelbo {
namespace {

TEST(StoredValues, ValueNumberIsLenient) {
  const std::pair<std::u16string, double> cases[] = {
      {u"1", 1},    {u" 1", 1},   {u"\t1", 1},  {u"1.0", 1},  {u"1abc", 1}, {u"01", 1},
      {u"1e0", 1},  {u"1e", 1},   {u"2", 2},    {u"", 0},     {u"x", 0},   {u"-1", -1},
      {u".5", 0.5}, {u"+3", 3},   {u"1 0", 1},  {u".", 0},    {u"6", 6},   {u"1.5", 1.5},
  };
  for (const auto& [value, number] : cases) {
    EXPECT_EQ(ValueNumber(value), number) << std::string(value.begin(), value.end());
  }
}

// Switches numbers to a decimal-comma locale: an installed one, else one compiled from the
// system's locale sources into `dir`.
bool UseDecimalCommaLocale(const testing::TempDir& dir) {
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) return true;
#ifdef __linux__
  const std::string made = "localedef -i de_DE -f UTF-8 '" + dir.path() + "/de_DE.UTF-8' 2>/dev/null";
  if (std::system(made.c_str()) != 0) return false;
  ::setenv("LOCPATH", dir.path().c_str(), 1);
  const bool used = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  ::unsetenv("LOCPATH");
  return used;
#else
  (void)dir;
  return false;
#endif
}

TEST(StoredValues, ValueNumberIgnoresADecimalCommaLocale) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  const testing::TempDir dir;
  if (!UseDecimalCommaLocale(dir)) GTEST_SKIP() << "no decimal-comma locale can be had";
  const double point = ValueNumber(u"1.5"), comma = ValueNumber(u"1,5");
  std::setlocale(LC_NUMERIC, before.c_str());
  EXPECT_EQ(point, 1.5);
  EXPECT_EQ(comma, 1);
}

TEST(StoredValues, OnlyExactlyOneIsOn) {
  EXPECT_TRUE(IsStoredOn(u" 1"));
  EXPECT_TRUE(IsStoredOn(u"1.0"));
  EXPECT_FALSE(IsStoredOn(u"2"));
  EXPECT_FALSE(IsStoredOn(u""));
  EXPECT_FALSE(IsStoredOn(u"x"));
  EXPECT_FALSE(IsStoredOn(u"1.01"));
}

TEST(StoredValues, StripTrailingBreak) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"abc\r\n", u"abc"},
      {u"abc\r\n\r\n", u"abc"},          // one CR LF, then the LF, then the CR
      {u"abc\r\n\r\n\r\n", u"abc\r\n"},  // at most two breaks go
      {u"abc\n", u"abc"},
      {u"abc\n\r", u"abc\n"},  // LF CR loses only the CR
      {u"abc\r", u"abc"},
      {u"\r\nabc", u"\r\nabc"},
      {u"a\r\nb  ", u"a\r\nb  "},
      {u"\r\n", u""},
      {u"", u""},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(StripTrailingBreak(text), expected);
  }
}

}  // namespace
}  // namespace quelbo
