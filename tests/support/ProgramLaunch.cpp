#include "ProgramLaunch.h"

QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void UseTreeAsSystem(QProcessEnvironment& env, const TempTree& tree)
{
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
