#include "ProgramLaunch.h"

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

namespace {

// An X server of this test process's own, started with the first program it launches on the
// suite's display and ended with the process: windows of programs that other tests run at the
// same time never stand where this test looks. Empty when Xvfb does not start.
class OwnXServer
{
public:
    OwnXServer()
    {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return;
        m_Pid = ::fork();
        if (m_Pid == 0) {
            ::dup2(pipe[1], 3); // dup2 clears close-on-exec on the copy
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 2);
            // -noreset: the server would otherwise reset when its last client leaves and pick
            // its display anew, under the clients that come next.
            ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                     "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipe[1]);
        // Xvfb writes its display number and a line end once it accepts clients.
        std::string number;
        char digit = 0;
        while (m_Pid > 0 && ::read(pipe[0], &digit, 1) == 1 && digit != '\n')
            number += digit;
        ::close(pipe[0]);
        if (digit == '\n' && !number.empty())
            m_Display = ":" + QString::fromStdString(number);
    }
    ~OwnXServer()
    {
        if (m_Pid > 0) {
            ::kill(m_Pid, SIGTERM);
            ::waitpid(m_Pid, nullptr, 0);
        }
    }
    const QString& Display() const { return m_Display; }

private:
    pid_t m_Pid = -1;
    QString m_Display;
};

} // namespace

void UseTreeAsSystem(QProcessEnvironment& env, const TempTree& tree)
{
    // A program meant for the suite's display goes to this test's own; one given a display of its
    // own (a test desktop) stays there. The test's X tools follow it.
    if (const QByteArray suite = qgetenv("DISPLAY"); !suite.isEmpty() && env.value("DISPLAY") == suite) {
        static const OwnXServer own;
        if (!own.Display().isEmpty()) {
            qputenv("DISPLAY", own.Display().toLatin1());
            env.insert("DISPLAY", own.Display());
        }
    }
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("QUELMO_DRIVES", QString::fromStdString("c=" + tree.Path() + ";y=/"));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(tree / "home/.config"));
    env.insert("XDG_CONFIG_DIRS", QString::fromStdString(tree / "etc"));
}

QString WaitForProgramWindow(const QProcess& program)
{
    const QString pid = QString::number(program.processId());
    QString window;
    WaitFor(
        [&] {
            window = RunTool("xdotool", {"search", "--all", "--pid", pid, "--name", "^Lecteur MP3 - Quelmo$"})
                         .section('\n', 0, 0);
            return !window.isEmpty();
        },
        15000);
    return window;
}
