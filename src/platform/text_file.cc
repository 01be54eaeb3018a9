#include "platform/text_file.h"

#include "base/paths.h"
#include "base/text_codec.h"

namespace quelbo {

Result<std::u16string> ReadTextFile(FileSystem& fs, const std::string& path) {
  if (auto created = fs.CreateFileIfMissing(path); !created) {
    return std::unexpected(created.error());
  }
  auto bytes = fs.ReadFile(path);
  if (!bytes) return std::unexpected(bytes.error());
  return DecodeGbk(*bytes).text;
}

Status WriteTextFile(FileSystem& fs, std::u16string_view text, const std::string& path) {
  std::string bytes = EncodeGbk(text).bytes;
  bytes.append("\r\n");
  return ReplaceFileUnlessSame(fs, path, bytes, fs.ReadFile(path));
}

Status ReplaceFileUnlessSame(FileSystem& fs, const std::string& path, std::string_view bytes,
                             const Result<std::string>& old_bytes) {
  if (old_bytes && *old_bytes == bytes && fs.CheckReplaceable(path)) return Ok();
  return fs.ReplaceFile(path, bytes);
}

Status MakeDirectoryPath(FileSystem& fs, const std::string& path) {
  return fs.MakeDirectories(WithoutTrailingSeparators(path));
}

}  // namespace quelbo
