// The wizard's texts: the language file's LANGUAGE section when language.tag exists, the
// built-in English texts otherwise.
#pragma once

#include <string>

#include "script/profile_source.h"

namespace stepwise {

// Replaced by the application name in language keys 4, 5, 9 and 22.
inline constexpr const char kAppNamePlaceholder[] = "********";

// The built-in text of a language key with the application name filled in where the text
// names the application; "" for keys without a built-in text.
std::string BuiltInText(int key, const std::string& appName);

// What a control governed by `key` shows. Without a language file: the built-in text. With
// one: its value (an absent key gives ""), with "********" replaced by the application name
// in keys 4, 5, 9 and 22.
std::string LanguageText(int key,
                         bool languagePresent,
                         const ProfileSource& language,
                         const std::string& appName);

// Keys whose language text has "********" replaced by the application name.
bool ReplacesAppName(int key);

}  // namespace stepwise
