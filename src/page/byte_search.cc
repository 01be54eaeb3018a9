#include "page/byte_search.h"

#include <cstring>

#include "page/pair_filter.h"
#include "page/pattern_search.h"

namespace quelbo {
namespace {

size_t FindByte(std::string_view bytes, char byte, size_t from) {
  if (from >= bytes.size()) return std::string_view::npos;
  const void* at = std::memchr(bytes.data() + from, byte, bytes.size() - from);
  return at == nullptr ? std::string_view::npos
                       : static_cast<size_t>(static_cast<const char*>(at) - bytes.data());
}

}  // namespace

ByteSearcher::ByteSearcher(std::string_view pattern) : pattern_(pattern) {}

size_t ByteSearcher::FindIn(std::string_view bytes, size_t from) const {
  return pattern_search::Find(bytes, pattern_, from, failure_, pair_filter::Widest<char>(),
                              FindByte);
}

}  // namespace quelbo
