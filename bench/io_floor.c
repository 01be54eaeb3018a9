// io_floor: the least work any safe in-place rewriter of a site must do, as a yardstick.
//
// For every page whose name ends in SUFFIX (ASCII case ignored) in DIR and in the immediate
// subdirectories of DIR: read the whole file, write its bytes to a new file beside it (same
// permission bits), and rename that file over the page. No decoding, no search, no sync: a
// program that rewrites pages safely cannot do less, so its time is the floor the site
// benchmarks divide by.
//
// Usage: io_floor DIR SUFFIX      (for example: io_floor site .htm)

#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kMaxSubdirectories = 4096 };

static const char* g_suffix;
static size_t g_suffix_length;
static char* g_buffer;
static size_t g_buffer_size;
static char g_temp_name[64];
static long g_pages;

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

// Reads the page at `name` in `dir_fd` and replaces it by a renamed copy of its bytes.
static void RewritePage(int dir_fd, const char* directory, const char* name) {
  const int in = openat(dir_fd, name, O_RDONLY | O_CLOEXEC);
  if (in < 0) Die("open", directory, name);
  struct stat st;
  if (fstat(in, &st) != 0) Die("stat", directory, name);
  EnsureBuffer((size_t)st.st_size + 1);
  size_t done = 0;
  for (;;) {
    const ssize_t n = read(in, g_buffer + done, g_buffer_size - done);
    if (n < 0) Die("read", directory, name);
    if (n == 0) break;
    done += (size_t)n;
    if (done == g_buffer_size) EnsureBuffer(g_buffer_size * 2);
  }
  close(in);

  const int out = openat(dir_fd, g_temp_name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) Die("create", directory, g_temp_name);
  size_t written = 0;
  while (written < done) {
    const ssize_t n = write(out, g_buffer + written, done - written);
    if (n < 0) Die("write", directory, g_temp_name);
    written += (size_t)n;
  }
  if (fchmod(out, st.st_mode & 07777) != 0) Die("chmod", directory, g_temp_name);
  if (close(out) != 0) Die("close", directory, g_temp_name);
  if (renameat(dir_fd, g_temp_name, dir_fd, name) != 0) Die("rename", directory, name);
  ++g_pages;
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
  }
  free(pages);
  closedir(dir);
  return found_dirs;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "Usage: io_floor DIR SUFFIX\n");
    return 2;
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
  free(g_buffer);
  printf("io_floor: %ld pages rewritten\n", g_pages);
  return 0;
}
