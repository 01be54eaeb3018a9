#pragma once

#include <string_view>

#include "base/text_codec.h"

namespace quelbo {

// Code page 936 through ICU's "windows-936-2000" converter, used directly on whole texts: the
// results the table-driven codec must give, for the tests and the fuzzers alike. Problems are
// noted through ICU's own substitution; any other ICU failure aborts.
DecodedText IcuDecodeGbk(std::string_view bytes);
EncodedBytes IcuEncodeGbk(std::u16string_view text);

}  // namespace quelbo
