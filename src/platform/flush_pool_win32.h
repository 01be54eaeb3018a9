#pragma once

#include <windows.h>

#include <span>
#include <vector>

namespace quelbo::win32 {

// Makes the written bytes of every file durable (FlushFileBuffers) and gives each file's error
// code, 0 when it was flushed. Windows has no flush of many files at once and each flush waits
// for the disk, which serves several at the same time about as fast as one: a few threads
// issue them together, and the call returns when all are done.
std::vector<DWORD> FlushFiles(std::span<const HANDLE> files);

}  // namespace quelbo::win32
