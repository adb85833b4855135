#pragma once
// Basic idea: every error that a component raises is one of these exceptions. They carry the
// message that the application's standard error box shows; the player's own code neither raises
// nor catches them, so they end the running handler and reach the application (Application.h).

#include <exception>
#include <string>

class Exception : public std::exception
{
public:
    explicit Exception(std::string message) : m_Message(std::move(message)) {}
    const std::string& Message() const { return m_Message; }
    const char* what() const noexcept override { return m_Message.c_str(); }

private:
    std::string m_Message;
};

// An operating-system I/O failure with its Windows error code (WinError.h: FileNotFound,
// PathNotFound, AccessDenied, NotReady...). The message depends on the code; see InOutErrorMessage.
class EInOutError : public Exception
{
public:
    explicit EInOutError(int errorCode);
    // The same failure told in words of the caller's (a drive that does not answer is named).
    EInOutError(int errorCode, std::string message) : Exception(std::move(message)), m_ErrorCode(errorCode) {}
    int ErrorCode() const { return m_ErrorCode; }

private:
    int m_ErrorCode;
};

// The French text of an I/O error code, as EInOutError shows it; "Erreur E/S <code>" for a code
// without a text of its own. Throws nothing.
std::string InOutErrorMessage(int errorCode);

class EMCIDeviceError : public Exception
{
public:
    using Exception::Exception;
};

class EIniFileException : public Exception
{
public:
    using Exception::Exception;
};

class EOutOfResources : public Exception
{
public:
    using Exception::Exception;
};

class EInvalidOperation : public Exception
{
public:
    using Exception::Exception;
};

class ERangeError : public Exception
{
public:
    ERangeError() : Exception("Erreur de vérification d'étendue") {}
};
