#include "platform/services/WinError.h"

#include <cerrno>

int WinErrorFromErrno(int errnoValue)
{
    switch (errnoValue) {
    case 0:
        return WinError::Success;
    case ENOENT:
        return WinError::FileNotFound;
    case ENOTDIR:
        return WinError::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return WinError::AccessDenied;
    case EMFILE:
    case ENFILE:
        return WinError::TooManyOpenFiles;
    case ENOMEM:
        return WinError::NotEnoughMemory;
    case EROFS:
        return WinError::WriteProtect;
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV:
    case EHOSTDOWN:
    case ETIMEDOUT:
        return WinError::NotReady;
    case EBUSY:
    case ETXTBSY:
        return WinError::SharingViolation;
    case ENOSPC:
    case EDQUOT:
        return WinError::DiskFull;
    case EEXIST:
        return WinError::AlreadyExists;
    case EINVAL:
        return WinError::InvalidParameter;
    case ENAMETOOLONG:
        return WinError::FilenameTooLong;
    case ENOTEMPTY:
        return WinError::DirNotEmpty;
    case ELOOP:
        return WinError::CantResolveFilename;
    default: // EIO and every error without a closer match
        return WinError::IoDevice;
    }
}

namespace {
thread_local int t_LastError = 0;
}

void SetLastError(int code)
{
    t_LastError = code;
}

int GetLastError()
{
    return t_LastError;
}
