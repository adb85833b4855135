#pragma once
// Starting the built program as the tests that drive it do: its environment over a temporary
// tree, and the X tools that find its window and read it.

#include "TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a tool prints on its standard output, run to its end (at most ten seconds), trimmed.
QString RunTool(const QString& program, const QStringList& arguments);

// Points the program at a temporary tree: drive c is the tree, y: holds the rest of the system (the
// user's home and the program's folder), and the user's and the machine-wide application-data
// folders are "home/.config" and "etc" in the tree. A program bound for the suite's X server gets
// an X server of the test's own instead (and DISPLAY names it from then on, for the X tools).
void UseTreeAsSystem(QProcessEnvironment& env, const TempTree& tree);

// The main window of the running program, looked for by its process on the X server of DISPLAY;
// empty when none came within 15 seconds.
QString WaitForProgramWindow(const QProcess& program);
