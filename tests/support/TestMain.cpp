// A GoogleTest main with the program's application object, for tests of widgets and handlers.

#include "platform/Application.h"

#include <QFont>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Arial", "Liberation Sans");
    return RUN_ALL_TESTS();
}
