#pragma once

#include <string>

#include "base/paths.h"
#include "base/text_codec.h"

namespace quelbo {

// The status-line text at start-up when drive D: cannot hold the configuration directory and
// the settings are kept in `directory` instead: said, so that nobody looks for them on D:.
inline std::u16string UsualConfigPlaceUnusableMessage(const std::string& directory) {
  return u"D: 盘无法保存设置，设置保存在 " + FromUtf8(ShownPath(directory));
}

}  // namespace quelbo
