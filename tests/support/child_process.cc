#include "support/child_process.h"

namespace quelbo::testing {

bool ChildProcess::WaitForLine(const std::string& line) {
  for (;;) {
    size_t end;
    while ((end = out_.find('\n', lines_seen_)) != std::string::npos) {
      const bool found = out_.compare(lines_seen_, end - lines_seen_, line) == 0 ||
                         out_.compare(lines_seen_, end - lines_seen_, line + "\r") == 0;
      lines_seen_ = end + 1;
      if (found) return true;
    }
    if (out_pipe_ == kClosed) return false;
    Pump(1000);
  }
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& env) {
  ChildProcess child(argv, env);
  const int status = child.Wait();
  return ProcessResult{status, child.out(), child.err()};
}

}  // namespace quelbo::testing
