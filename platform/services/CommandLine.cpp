#include "platform/services/CommandLine.h"

#include "platform/services/Module.h"

#include <fstream>
#include <iterator>
#include <optional>

namespace CommandLine {

namespace {

std::optional<std::vector<std::string>>& Override()
{
    static std::optional<std::vector<std::string>> arguments;
    return arguments;
}

// Every word of the process's command line, argument 0 as it was given.
std::vector<std::string> ProcessWords()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> words;
    size_t start = 0;
    while (start < all.size()) {
        const size_t end = all.find('\0', start);
        words.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return words;
}

std::string Quoted(const std::string& word)
{
    if (!word.empty() && word.find_first_of(" \t") == std::string::npos)
        return word;
    return "\"" + word + "\"";
}

} // namespace

std::vector<std::string> Arguments()
{
    std::vector<std::string> arguments{Module::ProgramFilePath()};
    if (Override()) {
        arguments.insert(arguments.end(), Override()->begin(), Override()->end());
        return arguments;
    }
    const std::vector<std::string> words = ProcessWords();
    if (words.size() > 1)
        arguments.insert(arguments.end(), words.begin() + 1, words.end());
    return arguments;
}

std::string RawCommandLine()
{
    std::vector<std::string> words = ProcessWords();
    if (Override()) {
        words.resize(words.empty() ? 0 : 1);
        words.insert(words.end(), Override()->begin(), Override()->end());
    }
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + Quoted(word);
    return line;
}

void SetArguments(std::vector<std::string> arguments)
{
    Override() = std::move(arguments);
}

void ResetArguments()
{
    Override().reset();
}

} // namespace CommandLine
