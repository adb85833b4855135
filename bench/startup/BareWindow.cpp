// The reference for the start-up benchmark: a bare Qt window of the player's size, whose first
// frame is reported and followed by the end the same way as the player's.

#include "platform/FirstFrame.h"

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare");
    window.setFixedSize(691, 574);
    AfterFirstFrame(window, [] {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::fprintf(
            stderr, "first frame %lld\n",
            static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
        QApplication::quit();
    });
    window.show();
    return app.exec();
}
