#include "program/ProgramInfo.h"

#include <cstdio>

namespace ProgramInfo {

std::string VersionText()
{
    return std::string("Quelmo ") + QUELMO_VERSION + "\n";
}

std::string UsageText()
{
    return "Utilisation : quelmo [-debug] [FICHIER.mp3]\n"
           "Lecteur MP3 Quelmo : choisissez un dossier, puis « Lecture ».\n"
           "\n"
           "  FICHIER.mp3     joue ce fichier (chemin ou URL file://) depuis son dossier ;\n"
           "                  un lecteur déjà ouvert le reçoit et passe au premier plan\n"
           "  -debug, /debug  écrit le journal de l'aide (HHDebug.txt) à côté du programme\n"
           "  --help          affiche cette aide et quitte\n"
           "  --version       affiche la version et quitte\n"
           "\n"
           "Les autres arguments sont ignorés. Voir aussi : man quelmo\n";
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
