#include "platform/paths.h"

#include <algorithm>

namespace quelbo {

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path;
  path.reserve(directory.size() + 1 + name.size());
  path.append(directory).push_back(kPathSeparator);
  return path.append(name);
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

EncodedBytes EntryPath(std::u16string_view entry) {
  std::u16string relative(entry);
  std::replace(relative.begin(), relative.end(), u'\\', kEntrySeparator);
  return EncodeUtf8(relative);
}

}  // namespace quelbo
