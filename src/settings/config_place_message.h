#pragma once

#include <string>

#include "base/paths.h"
#include "base/text_codec.h"
#include "base/texts.h"

namespace quelbo {

// The status-line text at start-up when drive D: cannot hold the configuration directory and
// the settings are kept in `directory` instead: said, so that nobody looks for them on D:.
inline std::u16string UsualConfigPlaceUnusableMessage(const std::string& directory,
                                                      const Texts& texts) {
  return FromUtf8(Filled(texts.config_elsewhere, {ShownPath(directory)}));
}

}  // namespace quelbo
