#include "window/presenter/start_up.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quelbo {
namespace {

TEST(StartUp, TheCommandLineDecidesBeforeThereIsAWindow) {
  testing::TempDir dir;
  const std::string site = dir / "site";
  ASSERT_TRUE(testing::MakeDirectory(site));
  const std::string missing = dir / "gone";
  const std::unique_ptr<FileSystem> fs = NewMachineFileSystem();
  struct Case {
    std::vector<const char*> args;
    StartUp::Kind kind;
    int exit_status;
    bool message;  // a message box for a program with no console
  };
  const Case cases[] = {
      {{"quelbo", "--help"}, StartUp::Kind::kAnswer, 0, false},
      {{"quelbo", "--version"}, StartUp::Kind::kAnswer, 0, false},
      {{"quelbo", "--bogus"}, StartUp::Kind::kRefuse, 2, false},
      {{"quelbo", missing.c_str()}, StartUp::Kind::kRefuse, 2, true},
      {{"quelbo", site.c_str()}, StartUp::Kind::kOpen, 0, false},
  };
  for (const Case& c : cases) {
    const StartUp plan =
        PlanStartUp(*fs, static_cast<int>(c.args.size()), c.args.data(), "quelbo", "usage\n");
    EXPECT_EQ(plan.kind, c.kind) << c.args[1];
    EXPECT_EQ(plan.exit_status, c.exit_status) << c.args[1];
    EXPECT_EQ(plan.message.empty(), !c.message) << c.args[1];
  }
}

}  // namespace
}  // namespace quelbo
