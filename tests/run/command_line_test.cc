#include "run/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace quelbo {
namespace {

TEST(CommandLine, FolderOptionsAndFaults) {
  struct Case {
    std::vector<std::string_view> args;
    bool takes_trace;
    std::string expected;  // "help", "version", "trace:<folder>", "<folder>", "-" none, or "!"
  };
  const Case cases[] = {
      {{}, false, "-"},
      {{"site"}, false, "site"},
      {{"--trace", "site"}, true, "trace:site"},
      {{"--", "-site"}, false, "-site"},
      {{"--trace"}, false, "!"},
      {{"a", "b"}, false, "!"},
      {{"-platform", "offscreen", "--version"}, false, "version"},
      {{"-h"}, false, "help"},
  };
  for (const Case& c : cases) {
    const auto line = ParseCommandLine(c.args, CommandLineOptions{.trace = c.takes_trace});
    std::string got = "!";
    if (line) {
      got = line->help ? "help" : line->version ? "version" : line->site_folder.value_or("-");
      if (line->trace) got = "trace:" + got;
    }
    EXPECT_EQ(got, c.expected) << (c.args.empty() ? "" : c.args.front());
  }
}

}  // namespace
}  // namespace quelbo
