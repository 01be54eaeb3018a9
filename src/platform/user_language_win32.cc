#include <windows.h>

#include "platform/user_language.h"

namespace quelbo {

Language UserLanguage() {
  return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_CHINESE ? Language::kChinese
                                                                     : Language::kEnglish;
}

// FormatMessageW already answers in the user's UI language.
void UseUserLanguageForSystemMessages() {}

}  // namespace quelbo
