// The reference for the start-up benchmark: a bare Qt window of the player's size, whose first
// frame is reported and followed by the end the same way as the player's.

#include "platform/components/FirstFrame.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare");
    window.setFixedSize(691, 574);
    ReportFirstFrameAndQuit(window);
    window.show();
    return app.exec();
}
