#include "platform/locations.h"

#include <gtest/gtest.h>

namespace quelbo {
namespace {

#ifndef _WIN32  // XDG_CONFIG_HOME and HOME
TEST(Locations, ConfigDirectoryChoice) {
  struct Case {
    const char* xdg;
    const char* home;
    std::string expected;
  };
  const Case cases[] = {
      {"/xdg", "/home/u", "/xdg/AAAHTML批量替换配置log/"},
      {"/xdg/", "/home/u", "/xdg/AAAHTML批量替换配置log/"},
      {"relative", "/home/u", "/home/u/.config/AAAHTML批量替换配置log/"},
      {"", "/home/u/", "/home/u/.config/AAAHTML批量替换配置log/"},
      {nullptr, "/home/u", "/home/u/.config/AAAHTML批量替换配置log/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConfigDirectoryFor(c.xdg, c.home), c.expected) << (c.xdg ? c.xdg : "(unset)");
  }
}
#endif

TEST(Locations, ExecutableDirectoryHoldsThisTest) {
  const auto directory = ExecutableDirectory();
  ASSERT_TRUE(directory.has_value());
#ifdef _WIN32
  EXPECT_EQ(directory->substr(1, 2), ":/");  // on a drive
#else
  EXPECT_EQ(directory->front(), '/');
#endif
  EXPECT_NE(directory->back(), '/');
}

}  // namespace
}  // namespace quelbo
