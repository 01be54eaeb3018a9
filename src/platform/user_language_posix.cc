#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <string_view>

#include "platform/user_language.h"

namespace quelbo {
namespace {

// "zh_CN.UTF-8", "zh_TW" and "zh" are Chinese; "C", "POSIX" and the rest are not.
Language LanguageOfLocale(std::string_view name) {
  return name.starts_with("zh") ? Language::kChinese : Language::kEnglish;
}

}  // namespace

Language UserLanguage() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return LanguageOfLocale(value);
  }
  return Language::kEnglish;
}

void UseUserLanguageForSystemMessages() {
  std::setlocale(LC_MESSAGES, "");
  // In UTF-8 whatever the character type locale says, which stays "C" for the bytes of pages.
  bind_textdomain_codeset("libc", "UTF-8");
}

}  // namespace quelbo
