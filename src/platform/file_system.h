#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace quelbo {

enum class FileType { kRegular, kDirectory, kSymlink, kOther };

struct FileInfo {
  FileType type = FileType::kOther;
  std::uint64_t size = 0;
  std::uint32_t mode = 0;  // permission bits
  // Together these tell whether a file is still the one seen before (0 where unknown).
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modified_ns = 0;
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  std::uint64_t links = 1;  // names the file has (hard links), 1 where unknown

  bool SameFileAs(const FileInfo& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified_ns == other.modified_ns && inode != 0;
  }
};

struct DirectoryEntry {
  std::string name;  // bytes as the file system holds them
  FileType type;     // of the entry itself: a link is kSymlink
};

// A file's bytes with what the file system said of the very file they were read from.
struct FileRead {
  FileInfo info;
  std::string bytes;
};

// Names of temporary files that a replacement leaves behind only when the process is killed
// between writing and renaming; they start with "." so that no listing ever shows them.
inline constexpr std::string_view kTempFilePrefix = ".quelbo-tmp-";

// The seam through which the core touches the disk. Paths are byte strings (UTF-8 for the
// names the program makes). Every operation opens, works and closes before it returns.
// Every method is pure virtual, so that a wrapper forwarding them all (ForwardingFileSystem)
// fails to compile when one is added and not forwarded.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole content of a regular file (links followed). kNotFound when missing,
  // kNotRegularFile for a directory, FIFO, socket or device; never blocks on a FIFO.
  [[nodiscard]] virtual Result<std::string> ReadFile(const std::string& path) = 0;

  // ReadFile in one opening, for a regular file beneath the anchor (see AnchorAt) reached
  // without any link, of at most `largest` bytes. Nothing when it cannot be done that way (no
  // anchor, a link on the way, another kind of file, a larger one, any failure): the caller
  // then goes the longer way, which also gives the reason.
  [[nodiscard]] virtual std::optional<FileRead> ReadUnlinkedFile(const std::string& path,
                                                                 std::uint64_t largest) = 0;

  // Creates an empty file when nothing exists at `path`; an existing file stays untouched.
  [[nodiscard]] virtual Status CreateFileIfMissing(const std::string& path) = 0;

  // Replaces the file at `path` by `bytes` in one step: a temporary file in the same directory
  // is written, flushed to the disk and renamed over it, and the directory is flushed, so a
  // reader (or a power cut) sees either the old or the new content. The permission bits,
  // extended attributes and, where allowed, the owner of the file replaced are kept. A link at
  // `path` is written through to its target. A file without write permission (kReadOnly) or
  // that changes while being replaced (kChanged) is left alone.
  // On failure the temporary file is removed and `path` is untouched.
  [[nodiscard]] virtual Status ReplaceFile(const std::string& path, std::string_view bytes) = 0;

  // ReplaceFile for a regular file whose information the caller has just read (its mode and
  // owner are given to the new file); when the file is no longer the one described (identity,
  // size, modification time) just before the rename, it is left alone: kChanged.
  [[nodiscard]] virtual Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                                                const FileInfo& replaced) = 0;

  // Replacement in batches, so that making many files durable costs a flush of the disk per
  // batch instead of two per file. StageReplacement does what ReplaceKnownFile does short of
  // the sync and the rename; CommitStaged then flushes every staged file at once, renames each
  // over its file (unless it changed meanwhile), flushes the directories, and gives each
  // staged file's outcome in the order staged. Until then each staged file is still its old
  // self; a process killed meanwhile leaves only temporary files. A failed stage is not
  // counted in the batch.
  [[nodiscard]] virtual Status StageReplacement(const std::string& path, std::string_view bytes,
                                                const FileInfo& replaced) = 0;
  [[nodiscard]] virtual std::vector<Status> CommitStaged() = 0;
  // Drops every staged file unrenamed: each file stays its old self.
  virtual void DiscardStaged() = 0;

  // Names the directory most of the paths to come lie under (the site), as an absolute path.
  // From then on, for a path under it, reads, listings, temporary files and renames never
  // leave it, whatever links are met or swapped in on the way: such a lookup fails with
  // kOutsideRoot. An implementation may also look such paths up from that directory rather
  // than from the top, which saves walking the same leading components on every call. Paths
  // elsewhere work as before; a directory that cannot be opened anchors nothing.
  virtual void AnchorAt(const std::string& directory) = 0;

  // Information about the file a path names, links followed (Stat) or not (LinkStat).
  [[nodiscard]] virtual Result<FileInfo> Stat(const std::string& path) = 0;
  [[nodiscard]] virtual Result<FileInfo> LinkStat(const std::string& path) = 0;

  // The absolute path with every link, "." and ".." resolved; the file must exist.
  [[nodiscard]] virtual Result<std::string> RealPath(const std::string& path) = 0;

  // Every entry of a directory but "." and "..", in the order the file system returns them.
  [[nodiscard]] virtual Result<std::vector<DirectoryEntry>> ListDirectory(
      const std::string& path) = 0;

  // Creates a directory and every missing parent; an existing directory is fine.
  [[nodiscard]] virtual Status MakeDirectories(const std::string& path) = 0;

  // Creates the directory `path`, whose parent must exist; kExists when something already has
  // the name, so that two processes never both take it for theirs.
  [[nodiscard]] virtual Status MakeNewDirectory(const std::string& path) = 0;

  // The content of the regular file `relative` ("a/b", no "..") beneath `directory`, reached
  // without following any link, on the way or at the end: kOutsideRoot when a link is met.
  // For files the program keeps for itself, which nobody may redirect elsewhere.
  [[nodiscard]] virtual Result<std::string> ReadFileBeneath(const std::string& directory,
                                                            const std::string& relative) = 0;

  // Makes durable everything written so far on the file system that holds `path`: the bytes of
  // files written without a flush of their own (see KeepCopy, AppendToFile) and new names.
  [[nodiscard]] virtual Status SyncFileSystemOf(const std::string& path) = 0;

  [[nodiscard]] virtual Status RemoveFile(const std::string& path) = 0;

  // Makes a new file `to` hold what `from` holds now, cheaply where it can: a second name for
  // the same file (a hard link) when both lie on one file system and `from` has no other name
  // (a page with two names may be written in place through the other one), else a copy. A
  // link is enough for a file that is later replaced by a rename, never for one written in
  // place. A copy may wait in memory until SyncFileSystemOf(to).
  [[nodiscard]] virtual Status KeepCopy(const std::string& from, const std::string& to) = 0;

  // Adds `bytes` at the end of a file, which is created when missing. On failure the file is
  // cut back to the size it had, so that no partial addition stays. The bytes may wait in
  // memory until SyncFileSystemOf(path).
  [[nodiscard]] virtual Status AppendToFile(const std::string& path, std::string_view bytes) = 0;

  // Removes an empty directory.
  [[nodiscard]] virtual Status RemoveDirectory(const std::string& path) = 0;

  // Whether the file holds exactly `bytes`, without holding the whole file in memory at once
  // where the file system allows it.
  [[nodiscard]] virtual Result<bool> ContentEquals(const std::string& path,
                                                   std::string_view bytes) = 0;

  // Ok when the regular file at `path` is one ReplaceFile would replace as it stands: not
  // read-only and the running user's to write. Asked before leaving alone a file that already
  // holds what it would get, so that such a file is refused as before; anything else (no such
  // file, a link, no way to tell) is an error, after which the caller replaces it.
  [[nodiscard]] virtual Status CheckReplaceable(const std::string& path) = 0;
};

// The file system of the machine the program runs on. Each call gives a new one; the first
// reads what the process needs to know of itself (such as its umask), so call it at start.
std::unique_ptr<FileSystem> NewMachineFileSystem();

}  // namespace quelbo
