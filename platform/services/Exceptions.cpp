#include "platform/services/Exceptions.h"

#include "texts/French.h"

#include <string>

std::string InOutErrorMessage(int errorCode)
{
    switch (errorCode) {
    case 2:
        return Texts::FileNotFound;
    case 3:
        return Texts::InvalidFileName;
    case 4:
        return Texts::TooManyOpenFiles;
    case 5:
        return Texts::AccessDenied;
    case 100:
        return Texts::ReadPastEnd;
    case 101:
        return Texts::DiskFull;
    case 106:
        return Texts::InvalidNumber;
    default:
        return Texts::Fill(Texts::InOutError, std::to_string(errorCode));
    }
}

EInOutError::EInOutError(int errorCode) : Exception(InOutErrorMessage(errorCode)), m_ErrorCode(errorCode)
{
}
