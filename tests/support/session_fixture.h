#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "panel/settings_fields.h"
#include "run/headless_loop.h"
#include "run/session.h"
#include "support/manual_clock.h"
#include "support/temp_dir.h"
#include "support/test_file_system.h"

namespace quelbo::testing {

// A whole program on a temporary site and configuration directory, started (settings loaded
// from the empty directory), with a manual clock and name-ordered listings. Every status-line
// text after start-up is recorded.
class SessionTest : public ::testing::Test {
 protected:
  SessionTest();
  void SetUp() override { statuses_.clear(); }

  // Makes a directory (and its parents) under the site.
  void Dir(const std::string& relative);
  // Writes a page under the site.
  void PageFile(const std::string& relative, std::string_view bytes);
  std::string Site(const std::string& relative) const { return site_ + "/" + relative; }

  // Empties every rule field and sets the run options most tests share.
  void PlainSettings(int suffix, bool subdirs);
  // Presses Start and drives the run to its end.
  void Start();
  void RunUntilIdle();

  std::vector<std::u16string> SkippedEntries() const;
  // The status texts recorded since the last call.
  std::vector<std::u16string> TakeStatuses();

  TempDir dir_;
  std::string site_;
  TestFileSystem fs_;
  ManualClock clock_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<HeadlessLoop> loop_;
  std::vector<std::u16string> statuses_;
  std::vector<std::u16string> taken_pages_;  // every entry put into the current-page field
};

}  // namespace quelbo::testing
