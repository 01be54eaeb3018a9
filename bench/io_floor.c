// io_floor: the least work a safe in-place rewriter of a site must do, as a yardstick.
//
// For every page whose name ends in SUFFIX (ASCII case ignored) in DIR and in the immediate
// subdirectories of DIR: read the whole file, write its bytes to a new file beside it (same
// permission bits), and rename that file over the page. No decoding, no search, no sync: a
// program that rewrites pages atomically cannot do less, so its time is the floor the site
// benchmarks divide by.
//
// With --safe, the safe floor: what a rewriter must do at least whose replacements survive a
// power cut and can be taken back. The same reads and temporary files, gathered in batches of
// up to 1,024 pages; per batch one sync of the file system for the data, then per page a hard
// link of the old page into JOURNAL (which must be on the same file system) and the rename,
// then one sync for the names. No digests, no identity checks, no search.
//
// With --checked, the safe floor and the checks that make its journal and its renames
// trustworthy, still without any search: each page opened by its one name beneath its
// directory without following links, its extended attributes listed to be carried over,
// digests of its old and new bytes written to the journal's list, its kept name looked at to
// be the page that was read, and its name looked at once more before the rename, which is
// refused for a page changed meanwhile. What a checked rewriter pays over the safe floor
// before it has done any work on a page.
//
// Usage: io_floor DIR SUFFIX                     (for example: io_floor site .htm)
//        io_floor --safe DIR SUFFIX JOURNAL      (JOURNAL is created when missing)
//        io_floor --checked DIR SUFFIX JOURNAL

#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <xxhash.h>

enum { kMaxSubdirectories = 4096, kBatchPages = 1024 };

static const char* g_suffix;
static size_t g_suffix_length;
static char* g_buffer;
static size_t g_buffer_size;
static char g_temp_name[64];
static long g_pages;

// The safe floor's batch: the pages written to temporary files and not yet renamed, and the
// directories listed since the last batch, which stay open until it is committed.
static int g_safe;
static int g_checked;
static int g_journal_fd = -1;
static int g_digests_fd = -1;
static struct Waiting {
  int dir_fd;
  char* name;
  char temp_name[96];
  struct stat read;  // the page as it was read, for the checks (--checked)
  XXH128_hash_t old_digest, new_digest;
} g_batch[kBatchPages];
static int g_batch_size;
static DIR* g_done_dirs[kMaxSubdirectories + 1];
static int g_done_dir_count;

static void Die(const char* operation, const char* directory, const char* name) {
  fprintf(stderr, "io_floor: %s %s/%s: %s\n", operation, directory, name, strerror(errno));
  exit(1);
}

static int HasSuffix(const char* name) {
  const size_t length = strlen(name);
  return length >= g_suffix_length && strcasecmp(name + length - g_suffix_length, g_suffix) == 0;
}

static void EnsureBuffer(size_t size) {
  if (size <= g_buffer_size) return;
  free(g_buffer);
  g_buffer_size = size + size / 2;
  g_buffer = malloc(g_buffer_size);
  if (g_buffer == NULL) {
    fprintf(stderr, "io_floor: out of memory\n");
    exit(1);
  }
}

// The page by its name: checked, beneath its directory and not through a link.
static int OpenPage(int dir_fd, const char* name) {
  if (!g_checked) return openat(dir_fd, name, O_RDONLY | O_CLOEXEC);
  struct open_how how = {.flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK,
                         .resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS};
  return (int)syscall(SYS_openat2, dir_fd, name, &how, sizeof how);
}

static int SameFile(const struct stat* a, const struct stat* b) {
  return a->st_dev == b->st_dev && a->st_ino == b->st_ino && a->st_size == b->st_size &&
         a->st_mtim.tv_sec == b->st_mtim.tv_sec && a->st_mtim.tv_nsec == b->st_mtim.tv_nsec;
}

// Reads the page at `name` in `dir_fd` and replaces it by a renamed copy of its bytes.
static void RewritePage(int dir_fd, const char* directory, const char* name) {
  const int in = OpenPage(dir_fd, name);
  if (in < 0) Die("open", directory, name);
  struct stat st;
  if (fstat(in, &st) != 0) Die("stat", directory, name);
  if (g_checked && !S_ISREG(st.st_mode)) Die("read", directory, name);
  EnsureBuffer((size_t)st.st_size + 1);
  size_t done = 0;
  for (;;) {
    const ssize_t n = read(in, g_buffer + done, g_buffer_size - done);
    if (n < 0) Die("read", directory, name);
    if (n == 0) break;
    done += (size_t)n;
    if (done == g_buffer_size) EnsureBuffer(g_buffer_size * 2);
  }
  if (g_checked && flistxattr(in, NULL, 0) < 0 && errno != ENOTSUP)
    Die("attributes", directory, name);
  close(in);

  const char* temp_name = g_temp_name;
  if (g_safe) {
    struct Waiting* waiting = &g_batch[g_batch_size];
    snprintf(waiting->temp_name, sizeof waiting->temp_name, "%s-%d", g_temp_name, g_batch_size);
    temp_name = waiting->temp_name;
  }
  const int out = openat(dir_fd, temp_name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) Die("create", directory, temp_name);
  size_t written = 0;
  while (written < done) {
    const ssize_t n = write(out, g_buffer + written, done - written);
    if (n < 0) Die("write", directory, temp_name);
    written += (size_t)n;
  }
  if (fchmod(out, st.st_mode & 07777) != 0) Die("chmod", directory, temp_name);
  if (close(out) != 0) Die("close", directory, temp_name);
  ++g_pages;
  if (g_safe) {
    struct Waiting* waiting = &g_batch[g_batch_size++];
    waiting->read = st;
    if (g_checked) {
      // The journal's undo checks a page against its new bytes, and what it restores against
      // the old ones; this floor writes what it read, but pays for both.
      waiting->old_digest = XXH3_128bits(g_buffer, done);
      waiting->new_digest = XXH3_128bits(g_buffer, written);
    }
    waiting->dir_fd = dir_fd;
    waiting->name = strdup(name);
    if (waiting->name == NULL) Die("keep", directory, name);
    return;
  }
  if (renameat(dir_fd, temp_name, dir_fd, name) != 0) Die("rename", directory, name);
}

// The safe floor's commit of a batch: the data made durable, then each old page kept by a
// second name in the journal and replaced, then the names made durable.
static void CommitBatch(void) {
  if (g_batch_size == 0) return;
  if (syncfs(g_batch[0].dir_fd) != 0) Die("sync", ".", "");
  static long kept;
  static char list[kBatchPages * (96 + 256)];
  size_t listed = 0;
  for (int i = 0; i < g_batch_size; ++i) {
    struct Waiting* waiting = &g_batch[i];
    char link_name[32];
    snprintf(link_name, sizeof link_name, "%ld", ++kept);
    if (linkat(waiting->dir_fd, waiting->name, g_journal_fd, link_name, 0) != 0) {
      Die("link", "journal", link_name);
    }
    if (g_checked) {
      struct stat now;
      if (fstatat(g_journal_fd, link_name, &now, AT_SYMLINK_NOFOLLOW) != 0 ||
          !SameFile(&now, &waiting->read)) {
        Die("check kept", "journal", link_name);
      }
      listed += (size_t)snprintf(list + listed, sizeof list - listed,
                                 "%s\t%016llx%016llx\t%016llx%016llx\t%s\n", link_name,
                                 (unsigned long long)waiting->old_digest.high64,
                                 (unsigned long long)waiting->old_digest.low64,
                                 (unsigned long long)waiting->new_digest.high64,
                                 (unsigned long long)waiting->new_digest.low64, waiting->name);
      if (fstatat(waiting->dir_fd, waiting->name, &now, AT_SYMLINK_NOFOLLOW) != 0 ||
          !SameFile(&now, &waiting->read)) {
        Die("check", ".", waiting->name);
      }
    }
    if (renameat(waiting->dir_fd, waiting->temp_name, waiting->dir_fd, waiting->name) != 0) {
      Die("rename", ".", waiting->name);
    }
  }
  if (listed > 0 && write(g_digests_fd, list, listed) != (ssize_t)listed) {
    Die("write", "journal", "digests");
  }
  if (syncfs(g_journal_fd) != 0) Die("sync", "journal", "");
  for (int i = 0; i < g_batch_size; ++i) free(g_batch[i].name);
  g_batch_size = 0;
  for (int i = 0; i < g_done_dir_count; ++i) closedir(g_done_dirs[i]);
  g_done_dir_count = 0;
}

static int IsDirectory(int dir_fd, const struct dirent* entry) {
  if (entry->d_type == DT_DIR) return 1;
  if (entry->d_type != DT_UNKNOWN) return 0;
  struct stat st;
  return fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Rewrites the pages of one directory; with `subdirectories`, collects the names of its
// subdirectories there (at most kMaxSubdirectories, each to be freed by the caller).
static size_t RewriteDirectory(const char* path, char** subdirectories) {
  DIR* dir = opendir(path);
  if (dir == NULL) Die("list", path, "");
  const int dir_fd = dirfd(dir);
  // Names are listed first and rewritten afterwards, so that the renames cannot disturb the
  // listing.
  size_t capacity = 256, count = 0, found_dirs = 0;
  char** pages = malloc(capacity * sizeof *pages);
  if (pages == NULL) Die("list", path, "");
  for (;;) {
    errno = 0;
    const struct dirent* entry = readdir(dir);
    if (entry == NULL) {
      if (errno != 0) Die("list", path, "");
      break;
    }
    if (entry->d_name[0] == '.') continue;
    if (subdirectories != NULL && IsDirectory(dir_fd, entry)) {
      if (found_dirs < kMaxSubdirectories) subdirectories[found_dirs++] = strdup(entry->d_name);
      continue;
    }
    if (!HasSuffix(entry->d_name)) continue;
    if (count == capacity) {
      capacity *= 2;
      pages = realloc(pages, capacity * sizeof *pages);
      if (pages == NULL) Die("list", path, "");
    }
    pages[count++] = strdup(entry->d_name);
  }
  for (size_t i = 0; i < count; ++i) {
    RewritePage(dir_fd, path, pages[i]);
    free(pages[i]);
    if (g_batch_size == kBatchPages) CommitBatch();
  }
  free(pages);
  if (g_safe) {
    g_done_dirs[g_done_dir_count++] = dir;  // closed once its pages are renamed
  } else {
    closedir(dir);
  }
  return found_dirs;
}

int main(int argc, char** argv) {
  if (argc >= 2 && (strcmp(argv[1], "--safe") == 0 || strcmp(argv[1], "--checked") == 0)) {
    g_safe = 1;
    g_checked = strcmp(argv[1], "--checked") == 0;
    ++argv;
    --argc;
  }
  if (argc != 3 + g_safe) {
    fprintf(stderr,
            "Usage: io_floor DIR SUFFIX\n       io_floor --safe DIR SUFFIX JOURNAL\n"
            "       io_floor --checked DIR SUFFIX JOURNAL\n");
    return 2;
  }
  if (g_safe) {
    if (mkdir(argv[3], 0700) != 0 && errno != EEXIST) Die("create", argv[3], "");
    g_journal_fd = open(argv[3], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_journal_fd < 0) Die("open", argv[3], "");
  }
  if (g_checked) {
    g_digests_fd = openat(g_journal_fd, "digests", O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (g_digests_fd < 0) Die("open", argv[3], "digests");
  }
  g_suffix = argv[2];
  g_suffix_length = strlen(g_suffix);
  snprintf(g_temp_name, sizeof g_temp_name, ".io-floor-%ld.tmp", (long)getpid());

  static char* subdirectories[kMaxSubdirectories];
  const size_t found = RewriteDirectory(argv[1], subdirectories);
  for (size_t i = 0; i < found; ++i) {
    const size_t length = strlen(argv[1]) + 1 + strlen(subdirectories[i]) + 1;
    char* path = malloc(length);
    if (path == NULL) Die("list", argv[1], subdirectories[i]);
    snprintf(path, length, "%s/%s", argv[1], subdirectories[i]);
    RewriteDirectory(path, NULL);
    free(path);
    free(subdirectories[i]);
  }
  CommitBatch();
  free(g_buffer);
  printf("io_floor: %ld pages rewritten%s\n", g_pages, g_safe ? ", old pages kept" : "");
  return 0;
}
