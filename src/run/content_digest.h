#pragma once

#include <string>
#include <string_view>

namespace quelbo {

// The digest a run journal keeps of the bytes it wrote to a page, by which an undo tells
// whether the page still holds them: 32 hexadecimal digits of a 128-bit hash made for speed
// (every page written is hashed whole) against accidental change, not against an adversary.
// The value of a given input never changes: journals on users' disks hold it.
std::string ContentDigest(std::string_view bytes);

// Whether `bytes` are those a journal's digest was made of. Journals written before the fast
// digest hold SHA-256 digests (64 digits), which are recognised by their length.
bool MatchesContentDigest(std::string_view digest, std::string_view bytes);

}  // namespace quelbo
