#pragma once

#include <string>
#include <string_view>

#include "base/texts.h"

namespace quelbo {

// Whether a directory (absolute, links resolved) belongs to the system itself (its programs,
// libraries, settings and devices) or is any folder of installed programs ("bin"). No site's
// pages live there, so a program installed in one of them must be told which folder to use.
bool IsSystemFolder(std::string_view directory);
// Folders of programs on this system, named in the help text, per language.
extern const char* const kProgramFolderExamples[kLanguageCount];

// Whether pages may be kept and rewritten in a directory: not a system folder, and one this
// user may create files in.
bool IsPlaceForPages(const std::string& directory);

}  // namespace quelbo
