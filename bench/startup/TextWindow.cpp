// A second reference for the start-up benchmark: a plain Qt window of the player's size with the
// same kinds of widgets and text (a label, a combo box, two lists with a few lines, four buttons),
// built from Qt's own widgets, whose first frame is reported the same way as the player's. It
// shows what drawing a window with text costs over a bare one, which no start-up can avoid.

#include "platform/components/FirstFrame.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Text");
    window.setFixedSize(691, 574);
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    window.setFont(font);
    (new QLabel("c:\\home\\ana\\Musique", &window))->setGeometry(8, 2, 200, 16);
    auto* drives = new QComboBox(&window);
    drives->setGeometry(8, 18, 258, 24);
    drives->addItem("c: []");
    auto* folders = new QListWidget(&window);
    folders->setGeometry(8, 44, 258, 485);
    folders->addItems({"c:\\", "home", "ana", "Musique", "Albums", "Concerts", "Divers"});
    auto* files = new QListWidget(&window);
    files->setGeometry(272, 20, 413, 468);
    for (int i = 1; i <= 12; ++i)
        files->addItem(QString("Piste %1 - titre.mp3").arg(i));
    int left = 272;
    for (const char* caption : {"Lecture", "Pause", "Stop", "&Fermer"}) {
        (new QPushButton(caption, &window))->setGeometry(left, 491, 90, 40);
        left += 90;
    }
    (new QLabel("Informations", &window))->setGeometry(8, 531, 100, 16);
    (new QLabel("Informations", &window))->setGeometry(8, 547, 120, 19);
    ReportFirstFrameAndQuit(window);
    window.show();
    return app.exec();
}
