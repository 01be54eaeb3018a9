#pragma once

#include "base/texts.h"

namespace quelbo {

// The language the user reads: Chinese where the user's settings name it, English otherwise.
// POSIX: the first of LC_ALL, LC_MESSAGES and LANG that is set; Windows: the UI language.
Language UserLanguage();

// Lets the system's own error texts (strerror) follow the user's language where the system has
// them; only the messages' category changes, numbers and sorting stay as they are.
void UseUserLanguageForSystemMessages();

}  // namespace quelbo
