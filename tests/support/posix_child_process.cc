#include "support/child_process.h"

// The POSIX sibling: fork and exec, pipes read with poll, signals.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace quelbo::testing {

namespace {

// QUELBO_TEST_WRAPPER, split at spaces: a command put in front of every quelbo-batch the tests
// start (for example "valgrind -q --error-exitcode=99"), so that the end-to-end tests can run
// the program under a checker.
std::vector<std::string> WrapperWords() {
  std::vector<std::string> words;
  const char* wrapper = std::getenv("QUELBO_TEST_WRAPPER");
  if (wrapper == nullptr) return words;
  std::string word;
  for (const char* c = wrapper;; ++c) {
    if (*c == ' ' || *c == '\0') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
      if (*c == '\0') break;
    } else {
      word.push_back(*c);
    }
  }
  return words;
}

bool IsBatchProgram(const std::string& path) {
  const size_t slash = path.rfind('/');
  return path.substr(slash == std::string::npos ? 0 : slash + 1) == "quelbo-batch";
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& program_argv,
                           const std::vector<std::string>& env) {
  std::vector<std::string> argv = program_argv;
  if (!argv.empty() && IsBatchProgram(argv[0])) {
    const std::vector<std::string> wrapper = WrapperWords();
    argv.insert(argv.begin(), wrapper.begin(), wrapper.end());
  }
  int out_pipe[2];
  int err_pipe[2];
  if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) std::abort();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out_pipe[1], STDOUT_FILENO);
    ::dup2(err_pipe[1], STDERR_FILENO);
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    for (const std::string& entry : env) ::putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  process_ = pid;
  out_pipe_ = out_pipe[0];
  err_pipe_ = err_pipe[0];
}

ChildProcess::~ChildProcess() {
  if (status_ < 0 && process_ > 0) {
    ::kill(static_cast<pid_t>(process_), SIGKILL);
    Wait();
  }
}

bool ChildProcess::Pump(int timeout_ms) {
  if (out_pipe_ == kClosed && err_pipe_ == kClosed) return false;
  pollfd fds[2] = {{static_cast<int>(out_pipe_), POLLIN, 0},
                   {static_cast<int>(err_pipe_), POLLIN, 0}};
  ::poll(fds, 2, timeout_ms);
  char buffer[65536];
  std::intptr_t* descriptors[2] = {&out_pipe_, &err_pipe_};
  std::string* sinks[2] = {&out_, &err_};
  for (int i = 0; i < 2; ++i) {
    if (*descriptors[i] < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
    const ssize_t n = ::read(static_cast<int>(*descriptors[i]), buffer, sizeof buffer);
    if (n > 0) {
      sinks[i]->append(buffer, static_cast<size_t>(n));
    } else {
      ::close(static_cast<int>(*descriptors[i]));
      *descriptors[i] = kClosed;
    }
  }
  return out_pipe_ != kClosed || err_pipe_ != kClosed;
}

void ChildProcess::Signal(int signal_number) {
  ::kill(static_cast<pid_t>(process_), signal_number);
}

int ChildProcess::Wait() {
  while (Pump(1000)) {
  }
  if (status_ < 0) {
    int raw = 0;
    ::waitpid(static_cast<pid_t>(process_), &raw, 0);
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }
  return status_;
}

}  // namespace quelbo::testing
