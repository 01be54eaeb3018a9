#include "platform/site_places.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quelbo {
namespace {

TEST(SitePlaces, SystemFoldersAndPlacesForPages) {
#ifdef _WIN32
  // Windows' own folders come from %SystemRoot% and %ProgramFiles%, in any case.
  const std::pair<const char*, bool> cases[] = {
      {"C:/Windows", true},
      {"c:\\windows\\system32", true},
      {"C:/Program Files/Quelbo", true},
      {"D:/tools/bin/", true},
      {"D:/", false},
      {"C:/Windowsite", false},
      {"D:/cabin", false},
      {"C:/Users/u/site", false},
  };
  const char* const system_folder = "C:/Windows";
#else
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
  const char* const system_folder = "/usr/bin";
#endif
  for (const auto& [directory, system] : cases) {
    EXPECT_EQ(IsSystemFolder(directory), system) << directory;
  }
  testing::TempDir dir;
  EXPECT_TRUE(IsPlaceForPages(dir.path()));
  EXPECT_FALSE(IsPlaceForPages(system_folder));
  EXPECT_FALSE(IsPlaceForPages(dir / "missing"));
}

}  // namespace
}  // namespace quelbo
