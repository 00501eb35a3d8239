#include "install/copy_rules.h"

#include <cctype>

#include "install/install_log.h"

namespace stepwise {

long LeadingVersionNumber(const std::string& version) {
    long number = 0;
    std::size_t i = 0;
    while (i < version.size() && version[i] == ' ')
        ++i;
    for (; i < version.size() && std::isdigit(static_cast<unsigned char>(version[i])); ++i) {
        if (number > 100000000)
            break;  // far beyond any version; keeps the value from overflowing
        number = number * 10 + (version[i] - '0');
    }
    return number;
}

bool SourceIsNewer(const std::optional<std::string>& source,
                   const std::optional<std::string>& destination) {
    if (!destination)
        return false;
    long s = source ? LeadingVersionNumber(*source) : 0;
    return s > LeadingVersionNumber(*destination);
}

CopyDecision DecideCopy(DestinationKind kind,
                        const std::string& destination,
                        bool destinationExists,
                        const std::string& overwriteKey,
                        const std::string& registerKey) {
    CopyDecision decision;
    if (kind == DestinationKind::None)
        return decision;
    const bool alwaysOverwrite = overwriteKey == "Always Overwrite";
    decision.registerFile = registerKey == "Yes";
    if (kind != DestinationKind::SharedDlls) {
        decision.copy = true;
        decision.replace = alwaysOverwrite;
        return decision;
    }
    if (LowerCase(destination).find("ocx") != std::string::npos) {
        decision.copy = true;
        decision.replace = true;
        decision.registerAfterCopy = true;
        return decision;
    }
    if (!destinationExists) {
        decision.copy = true;
        return decision;
    }
    if (alwaysOverwrite) {
        decision.copy = true;
        decision.replace = true;
        decision.needsVersions = true;
    }
    return decision;
}

}  // namespace stepwise
