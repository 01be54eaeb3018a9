#include "support/session_fixture.h"

namespace quelbo::testing {

SessionTest::SessionTest() : site_(dir_ / "site") {
  fs_.MakeDirectories(site_).value();
  session_ = std::move(
      Session::Create(fs_, clock_, SessionPaths{site_, dir_ / "config/AAAHTML批量替换配置log/"})
          .value());
  loop_ = std::make_unique<HeadlessLoop>(session_->scheduler(), clock_);
  session_->LoadSettings();
  ControlPanel& panel = session_->panel();
  panel.AddObserver([this, &panel](Control c) {
    if (c == kStatusLine) statuses_.emplace_back(panel.Text(kStatusLine));
    if (c == kCurrentPage && !panel.Text(kCurrentPage).empty()) {
      taken_pages_.emplace_back(panel.Text(kCurrentPage));
    }
  });
}

void SessionTest::Dir(const std::string& relative) {
  ASSERT_TRUE(fs_.MakeDirectories(Site(relative)).has_value());
}

void SessionTest::PageFile(const std::string& relative, std::string_view bytes) {
  WriteBytes(Site(relative), bytes);
}

void SessionTest::PlainSettings(int suffix, bool subdirs) {
  ControlPanel& panel = session_->panel();
  for (Control c : {field::pair1Find, field::pair1Replace, field::pair2Find, field::pair2Replace,
                    field::pair3Find, field::pair3Replace, field::deleteText, field::pair4Find,
                    field::pair4Replace, field::excludedDirs}) {
    panel.SetText(c, u"");
  }
  panel.SetTicked(kSuffixOptions[static_cast<size_t>(suffix - 1)], true);
  panel.SetTicked(field::includeSubdirs, subdirs);
  panel.SetTicked(field::autoDetectCharset, false);
  panel.SetTicked(field::readUtf8, true);
  panel.SetTicked(field::writeUtf8, true);
}

void SessionTest::Start() {
  ASSERT_TRUE(session_->controller().StartRun());
  RunUntilIdle();
}

void SessionTest::RunUntilIdle() { ASSERT_EQ(loop_->Run(), HeadlessLoop::Outcome::kIdle); }

std::vector<std::u16string> SessionTest::SkippedEntries() const {
  std::vector<std::u16string> entries;
  for (const auto& page : session_->report().skipped()) entries.push_back(page.entry);
  return entries;
}

std::vector<std::u16string> SessionTest::TakeStatuses() {
  std::vector<std::u16string> taken;
  taken.swap(statuses_);
  return taken;
}

}  // namespace quelbo::testing
