// The program: the application object, the main window, the message loop.

#include "app/principale.h"
#include "platform/Application.h"
#include "platform/HelpKey.h"

#include <QFont>

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    // The design's fonts are Windows fonts; Liberation Sans has Arial's metrics.
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Arial", "Liberation Sans");
    InstallHelpKey(app); // F1 in a form asks for help
    int result = 0;
    {
        TForm1 form;
        form.show();
        result = app.exec();
    }
    return result;
}
