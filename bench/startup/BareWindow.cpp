// The reference for the start-up benchmark: a bare Qt window of the player's size, started and
// ended the same way as the player (QUELMO_QUIT_AFTER_SHOW).

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare");
    window.setFixedSize(691, 574);
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
