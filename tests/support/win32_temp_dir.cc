#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/text_win32.h"
#include "support/temp_dir.h"

// The Windows sibling of temp_dir.cc: paths are UTF-8 with "/" separators, as the program's.

namespace quelbo::testing {
namespace {

std::filesystem::path NativePath(std::string_view path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

TempDir::TempDir() {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) std::abort();
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = base / ("quelbo-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = Utf8Path(std::filesystem::canonical(candidate));
      return;
    }
  }
  std::abort();
}

TempDir::~TempDir() {
  // Verbatim ("\\?\"), so that names ending in "." or " " are reached too.
  std::wstring root = win32::WidePath(path_);
  if (!root.starts_with(L"\\\\?\\")) root.insert(0, L"\\\\?\\");
  std::error_code error;
  // Clear read-only attributes a test set, so that removal can reach everything.
  for (auto it = std::filesystem::recursive_directory_iterator(root, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(root, error);
}

std::string TempDir::operator/(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << "cannot write " << path;
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::symlink_status(NativePath(path), ignored).type() !=
         std::filesystem::file_type::not_found;
}

bool MakeLink(const std::string& target, const std::string& link) {
  std::error_code error;
  if (std::filesystem::is_directory(NativePath(target))) {
    std::filesystem::create_directory_symlink(NativePath(target), NativePath(link), error);
  } else {
    std::filesystem::create_symlink(NativePath(target), NativePath(link), error);
  }
  // Wine answers that the link was made and makes none.
  return !error && Exists(link);
}

HeldFile::HeldFile(const std::string& path)
    : handle_(::CreateFileW(NativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr)) {}

HeldFile::~HeldFile() {
  if (held()) ::CloseHandle(handle_);
}

bool HeldFile::held() const { return handle_ != INVALID_HANDLE_VALUE; }

bool MakeReadOnly(const std::string& path) {
  return ::SetFileAttributesW(NativePath(path).c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace quelbo::testing
