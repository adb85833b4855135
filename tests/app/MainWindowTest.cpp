// The main window against its design, and the handlers of the window itself.

#include "TestSupport.h"
#include "app/principale.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree.MakeDir("home/.config");
        ::setenv("XDG_CONFIG_HOME", (tree / "home/.config").c_str(), 1);
    }
    TempTree tree;
    DriveScope drives{tree.Path()};
    MessageBoxRecorder boxes;
};

TEST_F(MainWindowTest, DesignGeometryFontsAndTexts)
{
    // The design as created, before the first show fills the labels and lists.
    TForm1 form;
    form.ensurePolished();
    EXPECT_EQ(form.windowTitle(), "Lecteur MP3 - Quelmo");
    EXPECT_EQ(form.size(), QSize(691, 574));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the window is not resizable";

    struct Row
    {
        QWidget* Widget;
        QRect Geometry;
        const char* Family;
        int PixelSize;
        bool Bold, Italic;
    } rows[] = {
        {form.LabSource, {8, 2, 45, 16}, "Arial", 13, true, false},
        {form.LSource, {8, 18, 258, 24}, "Arial", 16, false, false},
        {form.RSource, {8, 44, 258, 485}, "MS Sans Serif", 11, false, false},
        {form.FLB, {272, 20, 413, 468}, "MS Sans Serif", 11, false, false},
        {form.BtnL, {272, 491, 115, 40}, "Arial", 13, false, true},
        {form.BitBtn3, {386, 491, 93, 40}, "Arial", 13, false, true},
        {form.BtnS, {478, 491, 81, 40}, "Arial", 13, false, true},
        {form.BitBtn1, {558, 491, 75, 40}, "MS Sans Serif", 11, false, false},
        {form.BitBtn2, {632, 491, 58, 20}, "MS Sans Serif", 11, false, false},
        {form.BitBtn4, {632, 510, 58, 21}, "MS Sans Serif", 11, false, false},
        {form.LabInfo1, {8, 531, 77, 16}, "Arial", 13, true, true},
        {form.LabInfo2, {8, 547, 96, 19}, "Arial", 16, true, false},
    };
    for (const auto& row : rows) {
        const QString name = row.Widget->objectName();
        row.Widget->ensurePolished();
        EXPECT_EQ(row.Widget->geometry(), row.Geometry) << name.toStdString();
        const QFont font = row.Widget->font();
        EXPECT_EQ(font.family(), row.Family) << name.toStdString();
        EXPECT_EQ(font.pixelSize(), row.PixelSize) << name.toStdString();
        EXPECT_EQ(font.bold(), row.Bold) << name.toStdString();
        EXPECT_EQ(font.italic(), row.Italic) << name.toStdString();
    }
    EXPECT_EQ(form.LabSource->text(), "Source");
    EXPECT_EQ(form.BtnL->text(), "Lecture");
    EXPECT_EQ(form.BitBtn3->text(), "Pause");
    EXPECT_EQ(form.BtnS->text(), "Stop");
    EXPECT_EQ(form.BitBtn1->text(), "&Fermer");
    EXPECT_EQ(form.BitBtn2->text(), "");
    EXPECT_EQ(form.BitBtn4->toolTip(), "Réduire en Icone");
    EXPECT_EQ(form.LabInfo1->text(), "Informations");
    EXPECT_EQ(form.LabInfo2->text(), "Informations");
    EXPECT_FALSE(form.Media1->isVisible());
    EXPECT_EQ(form.Timer1->Interval(), 1000);
    EXPECT_TRUE(form.Timer1->Enabled());

    const std::pair<QPushButton*, QSize> glyphs[] = {
        {form.BtnL, {42, 26}},    {form.BitBtn3, {25, 25}}, {form.BtnS, {25, 25}},
        {form.BitBtn1, {24, 24}}, {form.BitBtn2, {16, 16}}, {form.BitBtn4, {36, 11}},
    };
    for (const auto& [button, size] : glyphs) {
        EXPECT_EQ(button->iconSize(), size) << button->objectName().toStdString();
        // The icon gives its image at its own size when asked for a larger one.
        EXPECT_EQ(button->icon().pixmap(QSize(64, 64)).size(), size) << button->objectName().toStdString();
    }
}

// Tab goes through the window as it reads: the lists, then the buttons left to right, top to bottom.
TEST_F(MainWindowTest, TabOrderFollowsTheScreen)
{
    TForm1 form;
    form.show();
    QWidget* expected[] = {form.LSource, form.RSource, form.FLB,     form.BtnL,    form.BitBtn3,
                           form.BtnS,    form.BitBtn1, form.BitBtn2, form.BitBtn4, form.LSource};
    QApplication::setActiveWindow(&form);
    form.LSource->setFocus();
    for (size_t i = 0; i + 1 < std::size(expected); ++i) {
        ASSERT_EQ(QApplication::focusWidget(), expected[i]) << i;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST(MainWindowPlacement, CentredWhenTheFrameFitsElseAtTheAreaTopLeft)
{
    struct Row
    {
        QRect Area;
        QSize Frame;
        QPoint Expected;
    } rows[] = {
        {{0, 0, 1280, 1024}, {691, 600}, {294, 212}},  // fits: centred
        {{0, 24, 1280, 1000}, {691, 600}, {294, 224}}, // below a panel
        {{0, 0, 640, 512}, {691, 600}, {0, 0}},        // scale factor 2 on 1280 x 1024
        {{10, 30, 1000, 560}, {691, 600}, {10, 30}},   // only the height is too large
        {{0, 0, 691, 600}, {691, 600}, {0, 0}},        // exactly the area
    };
    for (const Row& row : rows)
        EXPECT_EQ(TForm1::PlaceOnScreen(row.Area, row.Frame), row.Expected)
            << row.Area.width() << "x" << row.Area.height();
}

TEST_F(MainWindowTest, BindingsReachTheHandlers)
{
    TForm1 form;
    form.show();
    // Each binding of the design connects one signal to the handler of the same row; taking it
    // apart succeeds only when it exists.
    struct Binding
    {
        QObject* Sender;
        const char* Signal;
        const char* Slot;
    } bindings[] = {
        {form.BtnL, SIGNAL(clicked()), SLOT(BtnLClick())},
        {form.BitBtn3, SIGNAL(clicked()), SLOT(BitBtn3Click())},
        {form.BtnS, SIGNAL(clicked()), SLOT(BtnSClick())},
        {form.BitBtn1, SIGNAL(clicked()), SLOT(BitBtn1Click())},
        {form.BitBtn2, SIGNAL(clicked()), SLOT(Button1Click())},
        {form.BitBtn4, SIGNAL(clicked()), SLOT(BitBtn4Click())},
        {form.LSource, SIGNAL(OnChange()), SLOT(LSourceChange())},
        {form.RSource, SIGNAL(OnClick()), SLOT(RSourceClick())},
        {form.FLB, SIGNAL(OnClick()), SLOT(FLBClick())},
        {form.Media1, SIGNAL(OnNotify()), SLOT(Media1Notify())},
        {form.Timer1, SIGNAL(OnTimer()), SLOT(Timer1Timer())},
        {form.TrayIcon, SIGNAL(OnClick()), SLOT(TrayIconClick())},
        {form.Agran1, SIGNAL(triggered()), SLOT(Agran1Click())},
        {form.Quitter1, SIGNAL(triggered()), SLOT(Quitter1Click())},
        {form.applicationEvents, SIGNAL(OnMinimize()), SLOT(applicationEventsMinimize())},
        {form.applicationEvents, SIGNAL(OnRestore()), SLOT(applicationEventsRestore())},
    };
    for (const auto& binding : bindings)
        EXPECT_TRUE(QObject::disconnect(binding.Sender, binding.Signal, &form, binding.Slot))
            << binding.Sender->objectName().toStdString() << " " << binding.Signal;
    EXPECT_EQ(form.PPMenuTray->actions().size(), 2);
    EXPECT_EQ(form.PPMenuTray->actions().value(0), form.Agran1);
    EXPECT_EQ(form.Agran1->text(), "Restaurer");
    EXPECT_EQ(form.Quitter1->text(), "Quitter");
}

TEST_F(MainWindowTest, CreateFixesTheSettingsPath)
{
    TForm1 form;
    EXPECT_TRUE(form.Initialising);
    EXPECT_FALSE(PlayActive);
    EXPECT_EQ(PlayIndex, 0);
    EXPECT_EQ(form.IniFileName, "c:\\home\\.config\\Quelmo.ini");
}

TEST_F(MainWindowTest, AboutBox)
{
    TForm1 form;
    form.BitBtn2->click();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Caption, "Information");
    EXPECT_EQ(boxes.Boxes[0].Icon, MessageIcon::Information);
    EXPECT_EQ(boxes.Boxes[0].Text, "Quelmo v1.3 - Dovrenne - 01/2009 - http://www.quelmo.example");
    EXPECT_TRUE(boxes.Boxes[0].CenterOnScreen);
}

TEST_F(MainWindowTest, FermerClosesTheWindow)
{
    TForm1 form;
    form.show();
    ASSERT_TRUE(form.isVisible());
    form.BitBtn1->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(boxes.Boxes.empty());
}

} // namespace
