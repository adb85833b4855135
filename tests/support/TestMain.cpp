// A GoogleTest main with the program's application object, for tests of widgets and handlers.

#include "platform/components/Application.h"
#include "platform/paths/DriveLetters.h"

#include <QFont>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Building the system's drive table records the volumes' letters; a test program keeps them
    // in a folder of its own, never in the user's.
    const QTemporaryDir letters;
    DriveLetters::SetStorePath(letters.filePath("Quelmo-lecteurs.txt").toStdString());
    TApplication app(argc, argv);
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Arial", "Liberation Sans");
    return RUN_ALL_TESTS();
}
