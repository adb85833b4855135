#include "platform/services/Shell.h"

#include "platform/paths/CurrentDir.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"
#include "platform/services/WinError.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <unistd.h>

namespace {

constexpr intptr_t NoAssociation = 31;   // SE_ERR_NOASSOC
constexpr int NoAssociationError = 1155; // ERROR_NO_ASSOCIATION
constexpr intptr_t Started = 42;         // any value above 32

intptr_t Fail(int error)
{
    SetLastError(error);
    return error <= 32 ? error : NoAssociation;
}

} // namespace

intptr_t ShellExecuteA(HWND /*owner*/, const std::string& verb, const std::string& file,
                       const std::string& parameters, const std::string& folder, int /*showCommand*/)
{
    if (!verb.empty() && verb != "open")
        return Fail(NoAssociationError);
    std::string program;
    if (const int error = Paths::ToPosix(file, program); error != 0)
        return Fail(error);
    if (!FileSystem::FileExists(file))
        return Fail(FileSystem::DirectoryExists(file) ? WinError::AccessDenied : GetLastError());
    // Only programs are started; a document would need an association, which we do not keep.
    if (::access(program.c_str(), X_OK) != 0)
        return Fail(WinError::AccessDenied);
    std::string workDir;
    if (Paths::ToPosix(folder.empty() ? CurrentDir::Get() : folder, workDir) != 0)
        workDir.clear();
    const QStringList arguments = QProcess::splitCommand(QString::fromUtf8(parameters));
    if (!QProcess::startDetached(QString::fromUtf8(program), arguments, QString::fromUtf8(workDir)))
        return Fail(WinError::BadExeFormat);
    return Started;
}
