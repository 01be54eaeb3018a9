#include "platform/site_places.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quelbo {
namespace {

TEST(SitePlaces, SystemFoldersAndPlacesForPages) {
  const std::pair<const char*, bool> cases[] = {
      {"/", true},
      {"/usr/bin", true},
      {"/usr/bin/", true},
      {"/opt/quelbo", true},
      {"/run/user/1000", true},
      {"/home/u/.local/bin", true},
      {"/home/u/cabin", false},
      {"/usrlocal", false},
      {"/home/u/site", false},
      {"/var/www/html", false},
      {"/run/media/u/disk", false},
      {"/dev/shm/site", false},
  };
  for (const auto& [directory, system] : cases) {
    EXPECT_EQ(IsSystemFolder(directory), system) << directory;
  }
  testing::TempDir dir;
  EXPECT_TRUE(IsPlaceForPages(dir.path()));
  EXPECT_FALSE(IsPlaceForPages("/usr/bin"));
  EXPECT_FALSE(IsPlaceForPages(dir / "missing"));
}

}  // namespace
}  // namespace quelbo
