#include "platform/flush_pool_win32.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace quelbo::win32 {
namespace {

// Enough flushes in flight for a disk's queue to overlap them; more threads would only wait.
constexpr size_t kFlushThreads = 8;

}  // namespace

std::vector<DWORD> FlushFiles(std::span<const HANDLE> files) {
  std::vector<DWORD> errors(files.size(), 0);
  std::atomic<size_t> next{0};
  // Each thread takes the next file not yet taken; each error slot is written by one thread.
  auto flush_some = [&] {
    for (size_t i = next++; i < files.size(); i = next++) {
      if (!::FlushFileBuffers(files[i])) errors[i] = ::GetLastError();
    }
  };
  const size_t helpers = std::min(kFlushThreads, files.size()) - (files.empty() ? 0 : 1);
  {
    std::vector<std::jthread> threads;
    threads.reserve(helpers);
    for (size_t i = 0; i < helpers; ++i) threads.emplace_back(flush_some);
    flush_some();  // the calling thread is one of the flushers
  }                // joined here
  return errors;
}

}  // namespace quelbo::win32
