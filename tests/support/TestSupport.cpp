#include "TestSupport.h"

#include "platform/paths/CurrentDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace fs = std::filesystem;

TempTree::TempTree()
{
    std::string pattern = (fs::temp_directory_path() / "quelmo-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_Path = pattern;
}

TempTree::~TempTree()
{
    std::error_code error;
    for (auto it =
             fs::recursive_directory_iterator(m_Path, fs::directory_options::skip_permission_denied, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_symlink())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::permissions(m_Path, fs::perms::owner_all, fs::perm_options::add, error);
    // Unreadable folders are only listable once their permissions are back: walk twice.
    for (auto it = fs::recursive_directory_iterator(m_Path, error); it != fs::recursive_directory_iterator();
         it.increment(error))
        if (!it->is_symlink())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_Path, error);
}

void TempTree::MakeDir(const std::string& relative) const
{
    fs::create_directories(*this / relative);
}

void TempTree::WriteFile(const std::string& relative, const std::string& contents) const
{
    const fs::path path = *this / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << contents;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string TempTree::ReadFile(const std::string& relative) const
{
    return ::ReadFile(*this / relative);
}

bool TempTree::Exists(const std::string& relative) const
{
    return fs::exists(*this / relative);
}

DriveScope::DriveScope(std::vector<DriveInfo> drives)
{
    DriveTable::SetCurrent(DriveTable(std::move(drives)));
    CurrentDir::Reset();
}

DriveScope::DriveScope(const std::string& cRoot)
    : DriveScope(std::vector<DriveInfo>{DriveInfo{'c', cRoot, DriveKind::Fixed, "", "", "", "", false}})
{
}

DriveScope::~DriveScope()
{
    DriveTable::SetCurrent(DriveTable::FromSystem());
    CurrentDir::Reset();
}

MessageBoxRecorder::MessageBoxRecorder()
{
    SetMessageBoxHook([this](const MessageBoxRequest& request) {
        Boxes.push_back(request);
        return IDOK;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxHook({});
}

EnvironmentScope::EnvironmentScope(std::initializer_list<std::pair<const char*, const char*>> values)
{
    for (const auto& [name, value] : values) {
        const char* old = std::getenv(name);
        m_Saved.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
}

EnvironmentScope::~EnvironmentScope()
{
    for (auto saved = m_Saved.rbegin(); saved != m_Saved.rend(); ++saved) {
        if (saved->second)
            ::setenv(saved->first.c_str(), saved->second->c_str(), 1);
        else
            ::unsetenv(saved->first.c_str());
    }
}

bool WaitForImpl(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}
