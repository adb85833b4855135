#pragma once
// Helpers shared by the test programs: temporary trees, a drive table pointed at them, and a
// recorder that answers message boxes instead of showing them.

#include "platform/components/MessageBox.h"
#include "platform/paths/Drives.h"

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The whole contents of a file, bytes as they are; empty when the file cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// A fresh temporary folder, removed with everything in it (permissions restored first).
class TempTree
{
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Path() const { return m_Path; }
    // POSIX path of a relative name inside the tree.
    std::string operator/(const std::string& relative) const { return m_Path + "/" + relative; }
    void MakeDir(const std::string& relative) const;
    void WriteFile(const std::string& relative, const std::string& contents = {}) const;
    std::string ReadFile(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    std::string m_Path;
};

// Replaces the drive table (letter = POSIX root, with optional kind) and resets the current
// directory; the system table comes back at the end of the scope.
class DriveScope
{
public:
    explicit DriveScope(std::vector<DriveInfo> drives);
    // The common case: drive c is the given folder.
    explicit DriveScope(const std::string& cRoot);
    ~DriveScope();
};

// Records every message box and answers OK.
class MessageBoxRecorder
{
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    std::vector<MessageBoxRequest> Boxes;
};

// Waits, handling events, until the condition holds or the time is up; returns the condition.
template <typename Condition> bool WaitFor(Condition condition, int timeoutMs = 5000);

// Sets environment variables for a scope (a null value unsets one) and puts back what they were.
class EnvironmentScope
{
public:
    EnvironmentScope(std::initializer_list<std::pair<const char*, const char*>> values);
    ~EnvironmentScope();
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_Saved;
};

bool WaitForImpl(const std::function<bool()>& condition, int timeoutMs);

template <typename Condition> bool WaitFor(Condition condition, int timeoutMs)
{
    return WaitForImpl(std::function<bool()>(condition), timeoutMs);
}
