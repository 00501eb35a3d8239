// Feeds arbitrary setup-script values through the start-up rules: folder tokens, screen and
// memory requirements, platform spellings and language texts with the name placeholder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "script/fake_profile.h"
#include "script/folder_rules.h"
#include "script/language.h"
#include "script/machine_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string value(reinterpret_cast<const char*>(data), size);
    using namespace stepwise;

    FolderTokens tokens{"C:\\windows", "C:", "C:\\windows\\system32", "C:\\Program Files",
                        "C:\\Program Files\\Common Files"};
    std::string folder = DefaultInstallFolderFrom(value, tokens);
    if (folder.find("<Program Files>") != std::string::npos &&
        value.find("<Program Files>") == std::string::npos)
        __builtin_trap();  // a token appeared out of nowhere

    if (auto screen = ParseScreenRequirement(value))
        ScreenTooSmall(*screen, 1024, 768);
    MemoryBelowRequirement(size * 1024ull * 1024ull, value);
    CheckResult platform = CheckPlatform(value, "2000");
    if (platform.passed != platform.message.empty())
        __builtin_trap();

    FakeProfile language;
    language.Set("LANGUAGE", "4", value);
    std::string text = LanguageText(4, true, language, "Acme");
    if (text.find("********") != std::string::npos)
        __builtin_trap();  // every placeholder is replaced
    return 0;
}
