#include "script/language.h"

#include <gtest/gtest.h>

#include "script/fake_profile.h"

namespace stepwise {
namespace {

// Without a language file every control keeps its built-in text, with the name filled in.
TEST(Language, BuiltInTextsWithoutLanguageFile) {
    FakeProfile language;
    language.Set("LANGUAGE", "1", "Avancar >");
    EXPECT_EQ(LanguageText(1, false, language, "Acme"), "Next >");
    EXPECT_EQ(LanguageText(4, false, language, "Acme"),
              "The Stepwise will install Acme on your computer. To continue, click Next.");
    EXPECT_EQ(LanguageText(5, false, language, "Acme"), "Welcome to Stepwise for Acme.");
    EXPECT_EQ(LanguageText(22, false, language, "Acme"), "Install Acme to:");
    EXPECT_EQ(LanguageText(50, false, language, "Acme"),
              "Setup is preparing the Stepwise\xAE which will guide you through the application "
              "setup process. Please wait.");
    EXPECT_EQ(LanguageText(57, false, language, "Acme"), "Finish");
    EXPECT_EQ(LanguageText(18, false, language, "Acme"), "");
    EXPECT_EQ(language.reads(), 0);
}

// With a language file its texts win, a missing key blanks the control, and "********"
// becomes the name in keys 4, 5, 9 and 22 only.
TEST(Language, LanguageFileTextsAndNameReplacement) {
    FakeProfile language;
    const std::string marked = "Instalar ******** agora ********";
    for (int key : {3, 4, 5, 9, 10, 22, 50})
        language.Set("LANGUAGE", std::to_string(key), marked);
    for (int key : {4, 5, 9, 22})
        EXPECT_EQ(LanguageText(key, true, language, "Acme"), "Instalar Acme agora Acme") << key;
    for (int key : {3, 10, 50})
        EXPECT_EQ(LanguageText(key, true, language, "Acme"), marked) << key;
    EXPECT_EQ(LanguageText(1, true, language, "Acme"), "");
    // Seven asterisks are not the placeholder.
    language.Set("LANGUAGE", "5", "*******!");
    EXPECT_EQ(LanguageText(5, true, language, "Acme"), "*******!");
}

// Language texts are read at every use and cut to the language buffer.
TEST(Language, ReadAtPointOfUseAndCut) {
    FakeProfile language;
    language.Set("LANGUAGE", "41", std::string(400, 'x'));
    EXPECT_EQ(LanguageText(41, true, language, "").size(), kLanguageBuffer - 1);
    language.Set("LANGUAGE", "41", "changed");
    EXPECT_EQ(LanguageText(41, true, language, ""), "changed");
    EXPECT_EQ(language.reads(), 2);
}

}  // namespace
}  // namespace stepwise
