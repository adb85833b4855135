#include "program/ProgramInfo.h"

#include "texts/French.h"

#include <cstdio>

namespace ProgramInfo {

std::string VersionText()
{
    return std::string("Quelmo ") + QUELMO_VERSION + "\n";
}

std::string UsageText()
{
    return Texts::Usage;
}

std::optional<std::string> InfoRequested(const std::vector<std::string>& arguments)
{
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--version")
            return VersionText();
        if (arguments[i] == "--help")
            return UsageText();
    }
    return std::nullopt;
}

std::optional<int> AnswerInfoArguments(int argc, char** argv)
{
    const std::optional<std::string> text = InfoRequested(std::vector<std::string>(argv, argv + argc));
    if (!text)
        return std::nullopt;
    std::fputs(text->c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace ProgramInfo
