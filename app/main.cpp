// The program: the application object, the main window, the message loop.

#include "app/principale.h"
#include "platform/Application.h"

#include <QFont>
#include <QTimer>
#include <cstdlib>

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    // The design's fonts are Windows fonts; Liberation Sans has Arial's metrics.
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Arial", "Liberation Sans");
    int result = 0;
    {
        TForm1 form;
        form.show();
        // The start-up benchmark ends the program once the window has been shown.
        if (std::getenv("QUELMO_QUIT_AFTER_SHOW") != nullptr)
            QTimer::singleShot(0, &app, &QApplication::quit);
        result = app.exec();
    }
    return result;
}
