// The notification-area icon, minimise and restore: the window's three states and their
// transitions, with a stand-in notification area.

#include "TestSupport.h"
#include "app/principale.h"
#include "platform/components/Application.h"
#include "platform/components/TrayIcon.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Stands for the desktop's notification area and counts the icons it holds.
struct FakeTrayArea
{
    FakeTrayArea()
    {
        SetTrayAreaHook({[this](TTrayIcon&) { return Change(RefuseAdd, +1); },
                         [this](TTrayIcon&) { return Change(RefuseRemove, -1); }, [] { return true; }});
    }
    ~FakeTrayArea() { SetTrayAreaHook({}); }
    bool Change(bool refuse, int by)
    {
        if (refuse)
            return false;
        Icons += by;
        return true;
    }
    bool RefuseAdd = false;
    bool RefuseRemove = false;
    int Icons = 0;
};

class TrayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree.MakeDir("home/.config");
        ::setenv("XDG_CONFIG_HOME", (tree / "home/.config").c_str(), 1);
    }
    void TearDown() override
    {
        TApplication::Instance()->SetTitle("Quelmo");
        // Leave the application as the next test expects it: nothing minimised.
        TApplication::Instance()->FormRestored();
    }
    TempTree tree;
    DriveScope drives{tree.Path()};
    MessageBoxRecorder boxes;
};

class TrayStateTest : public TrayTest
{
protected:
    FakeTrayArea area;
};

TEST_F(TrayStateTest, IconDesign)
{
    TApplication::Instance()->SetTitle("Quelmo");
    TForm1 form;
    // The tooltip is the title of the moment the window was created, not a later one.
    TApplication::Instance()->SetTitle("chanson.mp3");
    EXPECT_FALSE(form.TrayIcon->InTray());
    EXPECT_EQ(form.TrayIcon->Hint(), "Quelmo");
    EXPECT_EQ(form.TrayIcon->BalloonTitle(), "Lecteur Quelmo");
    EXPECT_EQ(form.TrayIcon->BalloonHint(), "Lecteur Quelmo");
    EXPECT_EQ(form.TrayIcon->BalloonFlags(), TTrayIcon::bfInfo);
    EXPECT_EQ(form.TrayIcon->PopupMenu(), form.PPMenuTray);
    EXPECT_EQ(form.TrayIcon->Icon().pixmap(QSize(64, 64)).size(), QSize(48, 48));
    EXPECT_TRUE(form.TrayIcon->Icon().pixmap(QSize(48, 48)).hasAlphaChannel());
    EXPECT_EQ(form.Agran1->icon().pixmap(QSize(64, 64)).size(), QSize(26, 18));
    EXPECT_EQ(form.Quitter1->icon().pixmap(QSize(64, 64)).size(), QSize(16, 16));
    EXPECT_FALSE(form.TrayIcon->isVisible()) << "the component draws nothing in the window";
}

TEST_F(TrayStateTest, TooltipKeepsAtMost127Characters)
{
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    const struct
    {
        QString Title;
        QString Hint;
    } rows[] = {
        {"Quelmo", "Quelmo"},
        {QString(127, 'a'), QString(127, 'a')},
        {QString(200, 'b'), QString(127, 'b')},
        {QString(126, 'c') + smile, QString(126, 'c')},
        {QString(125, 'd') + smile + "e", QString(125, 'd') + smile},
    };
    for (const auto& row : rows) {
        TApplication::Instance()->SetTitle(row.Title.toStdString());
        TTrayIcon icon;
        EXPECT_EQ(icon.Hint(), row.Hint) << row.Title.size();
    }
}

// The three states: Normal (shown, no icon), Minimised (minimised, icon), In the notification
// area (hidden, icon). Each step acts as the user would and tells the state it leads to and
// whether the window's show handler ran again.
TEST_F(TrayStateTest, StatesAndTransitions)
{
    TForm1 form;
    form.show();
    enum State
    {
        Normal,
        Minimised,
        InTray
    };
    const struct
    {
        const char* Step;
        std::function<void()> Act;
        State Expected;
        bool ShowRuns;
    } steps[] = {
        {"minimise button", [&] { form.setWindowState(Qt::WindowMinimized); }, Minimised, false},
        {"taskbar restore", [&] { form.setWindowState(Qt::WindowNoState); }, Normal, false},
        {"minimise again", [&] { form.setWindowState(Qt::WindowMinimized); }, Minimised, false},
        {"icon click from minimised", [&] { form.TrayIcon->HandleClick(); }, Normal, false},
        {"BitBtn4", [&] { form.BitBtn4->click(); }, InTray, false},
        {"icon click from the tray", [&] { form.TrayIcon->HandleClick(); }, Normal, true},
        {"BitBtn4 again", [&] { form.BitBtn4->click(); }, InTray, false},
        // A window manager drops the minimised state of a window it no longer shows.
        {"state report while hidden", [&] { form.setWindowState(Qt::WindowNoState); }, InTray, false},
        {"Restaurer", [&] { form.Agran1->trigger(); }, Normal, true},
        {"minimise then Restaurer",
         [&] {
             form.setWindowState(Qt::WindowMinimized);
             form.Agran1->trigger();
         },
         Normal, false},
    };
    for (const auto& step : steps) {
        PlayActive = true; // the show handler clears it
        step.Act();
        TApplication::Instance()->ProcessMessages();
        EXPECT_EQ(form.isVisible(), step.Expected != InTray) << step.Step;
        if (step.Expected != InTray) {
            EXPECT_EQ(form.isMinimized(), step.Expected == Minimised) << step.Step;
        }
        EXPECT_EQ(TApplication::Instance()->IsMinimized(), step.Expected != Normal) << step.Step;
        EXPECT_EQ(form.TrayIcon->InTray(), step.Expected != Normal) << step.Step;
        EXPECT_EQ(area.Icons, step.Expected != Normal ? 1 : 0) << step.Step;
        EXPECT_EQ(PlayActive, !step.ShowRuns) << step.Step;
    }
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(TrayStateTest, EventsOnlyOnARealChange)
{
    TForm1 form;
    form.show();
    QSignalSpy minimised(form.applicationEvents, &TApplicationEvents::OnMinimize);
    QSignalSpy restored(form.applicationEvents, &TApplicationEvents::OnRestore);
    TApplication* app = TApplication::Instance();
    app->Restore();
    EXPECT_EQ(restored.count(), 0) << "restoring a normal application";
    app->Minimize();
    app->Minimize();
    form.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(minimised.count(), 1) << "minimising a minimised application";
    app->Restore();
    app->Restore();
    EXPECT_EQ(restored.count(), 1);
    EXPECT_EQ(area.Icons, 0);
}

TEST_F(TrayStateTest, RightClickOpensTheMenuAtTheMouseAfterPendingEvents)
{
    TForm1 form;
    form.show();
    form.BitBtn4->click();
    form.TrayIcon->HandleClick();
    EXPECT_FALSE(form.PPMenuTray->isVisible()) << "a left click opens no menu";

    form.BitBtn4->click();
    bool pendingRan = false;
    bool menuOpenBefore = true;
    QTimer::singleShot(0, [&] {
        pendingRan = true;
        menuOpenBefore = form.PPMenuTray->isVisible();
    });
    const QPoint mouse(120, 90);
    form.TrayIcon->HandleContextClick(mouse);
    EXPECT_TRUE(pendingRan);
    EXPECT_FALSE(menuOpenBefore);
    ASSERT_TRUE(form.PPMenuTray->isVisible());
    EXPECT_EQ(form.PPMenuTray->pos(), mouse);
    EXPECT_EQ(form.PPMenuTray->actions().size(), 2);
    EXPECT_FALSE(form.isVisible()) << "the menu does not bring the window back";
    form.PPMenuTray->close();
}

TEST_F(TrayStateTest, QuitterWhileHiddenEndsTheProgram)
{
    auto form = std::make_unique<TForm1>();
    form->show();
    form->BitBtn4->click();
    ASSERT_FALSE(form->isVisible());
    ASSERT_EQ(area.Icons, 1);

    QSignalSpy closing(form.get(), &QObject::destroyed);
    QTimer::singleShot(0, [&] { form->Quitter1->trigger(); });
    // Fails the wait instead of hanging when the program does not end.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(TApplication::Instance()->exec(), 0) << "the message loop ends";
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Media1->Opened());
    form.reset();
    EXPECT_EQ(area.Icons, 0) << "the icon leaves with the window";
    const std::string ini = tree.ReadFile("home/.config/Quelmo.ini");
    EXPECT_NE(ini.find("Drive_Source=c\n"), std::string::npos) << "the settings are saved: " << ini;
}

TEST_F(TrayStateTest, RefusedIconShowsTheErrorAndKeepsTheWindow)
{
    const char* const addError = "Impossible de créer l'icône de notification de shell.";
    const char* const removeError = "Impossible de supprimer l'icône de notification de shell.";
    TForm1 form;
    form.show();

    area.RefuseAdd = true;
    form.BitBtn4->click();
    EXPECT_TRUE(form.isVisible()) << "the window is not hidden without its icon";
    EXPECT_FALSE(form.isMinimized());
    EXPECT_FALSE(form.TrayIcon->InTray());
    area.RefuseAdd = false;

    form.setWindowState(Qt::WindowMinimized);
    area.RefuseRemove = true;
    form.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(form.TrayIcon->InTray()) << "an icon that could not be removed stays";
    area.RefuseRemove = false;

    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, addError);
    EXPECT_EQ(boxes.Boxes[1].Text, removeError);
    for (const auto& box : boxes.Boxes) {
        EXPECT_EQ(box.Caption, "Quelmo");
        EXPECT_EQ(box.Icon, MessageIcon::Stop);
    }
}

// No stand-in: the offscreen platform, like a desktop without a notification area, has no place
// for the icon. The button and the window's own minimise are then an ordinary minimise, no box.
TEST_F(TrayTest, NoNotificationAreaMinimisesWithoutABox)
{
    TForm1 form;
    form.show();
    form.BitBtn4->click();
    EXPECT_TRUE(form.isVisible()) << "the window is not hidden where no icon can bring it back";
    EXPECT_TRUE(form.isMinimized());
    EXPECT_TRUE(TApplication::Instance()->IsMinimized());
    form.setWindowState(Qt::WindowNoState);
    EXPECT_FALSE(TApplication::Instance()->IsMinimized());
    form.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(TApplication::Instance()->IsMinimized());
    EXPECT_FALSE(form.TrayIcon->InTray());
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text;
}

} // namespace
