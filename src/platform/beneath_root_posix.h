#pragma once

#include <sys/types.h>

namespace quelbo {

// Opens `relative` (a path without a leading "/") from the directory `root_fd` so that no step
// of the lookup leaves that directory, whatever links are met or swapped in while it runs.
// Linux's openat2 with RESOLVE_BENEATH is used, which follows links that stay inside; where
// the kernel lacks it, every component is opened in turn without following any link, so any
// link on the way is refused. "." alone names the directory itself.
// Returns the descriptor, or -1 with errno set: EXDEV (openat2) or ELOOP (the walk) for a
// lookup that would have left the directory.
int OpenBeneath(int root_fd, const char* relative, int flags, mode_t mode = 0);

// OpenBeneath refusing every link on the way, even one that stays inside (ELOOP).
int OpenBeneathWithoutLinks(int root_fd, const char* relative, int flags);

// The fallback of OpenBeneath where openat2 is missing (any link on the way is refused).
int OpenBeneathByWalk(int root_fd, const char* relative, int flags, mode_t mode = 0);

// Whether the last failure of OpenBeneath, by its errno, means "would have left the root".
bool LeftTheRoot(int errno_value);

}  // namespace quelbo
