// The start-up and exit order, observed through the steps as they record themselves, with a main
// window of the test's own that records its creation, show and destruction among them.

#include "program/Startup.h"

#include "CommonEnvironment.h"
#include "common/SharedFolders.h"
#include "platform/components/Application.h"
#include "platform/services/Exceptions.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

// Records its life among the steps and closes as soon as it is shown, which ends the loop.
class RecordingWindow : public QWidget
{
public:
    RecordingWindow() { Startup::RecordStep("window created"); }
    ~RecordingWindow() override { Startup::RecordStep("window destroyed"); }

protected:
    void showEvent(QShowEvent*) override
    {
        Startup::RecordStep("window shown");
        QTimer::singleShot(0, this, &QWidget::close);
    }
};

// Goes into hiding as soon as it is shown; another window then opens and closes, and the session
// asks the program to quit, as a logout does.
class HidingWindow : public QWidget
{
protected:
    void showEvent(QShowEvent*) override
    {
        QTimer::singleShot(0, this, [this] {
            hide();
            auto* other = new QWidget;
            other->setAttribute(Qt::WA_DeleteOnClose);
            other->show();
            other->close();
            QTimer::singleShot(0, this, [] {
                Startup::RecordStep("still running");
                QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
            });
        });
    }
    void closeEvent(QCloseEvent*) override { Startup::RecordStep("window closed"); }
};

class StartupTest : public CommonEnvironment
{
protected:
    StartupTest()
    {
        Startup::ClearSteps();
        PaletteFileName.clear();
    }
};

const std::vector<std::string> InitialiserSteps = {
    "PaletteFileName",   "ClassicMessageBoxes", "LoadHelpControl",
    "ProbeAndCreateLog", "CreateHelpHook",      "CommonSettings",
};
const std::vector<std::string> FinaliserSteps = {"FreeHelpHook", "FreeDebugLog", "UnloadHelpControl"};

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(StartupTest, UnitsBeforeTheWindowAndInReverseAfterIt)
{
    TApplication* app = TApplication::Instance();
    ASSERT_NE(app, nullptr);
    const int result = Startup::Run(*app, [] { return std::make_unique<RecordingWindow>(); });
    EXPECT_EQ(result, 0);
    const std::vector<std::string> window = {"InitializeApplication", "CreateMainWindow", "window created",
                                             "RunApplication",        "window shown",     "DestroyMainWindow",
                                             "window destroyed"};
    EXPECT_EQ(Startup::StepsRun(), Joined({InitialiserSteps, window, FinaliserSteps}));
    // The start-up's effects: the palette in the settings folder, which now exists; classic boxes.
    EXPECT_EQ(PaletteFileName, "c:\\ProgramData\\Varentis\\CAO\\CouleurPerso.ini");
    EXPECT_TRUE(m_Tree.Exists("ProgramData/Varentis/CAO"));
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
}

TEST_F(StartupTest, OnlyTheMainWindowsCloseEndsTheLoopAndTheSessionsQuitClosesIt)
{
    const int result =
        Startup::Run(*TApplication::Instance(), [] { return std::make_unique<HidingWindow>(); });
    EXPECT_EQ(result, 0);
    const std::vector<std::string> window = {"InitializeApplication", "CreateMainWindow",
                                             "RunApplication",        "still running",
                                             "window closed",         "DestroyMainWindow"};
    EXPECT_EQ(Startup::StepsRun(), Joined({InitialiserSteps, window, FinaliserSteps}));
}

TEST_F(StartupTest, PaletteFollowsCommunIni)
{
    m_Tree.WriteFile("Outils/Lecteur/commun.ini", "[USER]\ndir_user=1\n");
    Startup::RunInitialisers();
    EXPECT_EQ(PaletteFileName, "c:\\Profiles\\Data\\Varentis\\CAO\\CouleurPerso.ini");
    EXPECT_TRUE(m_Tree.Exists("ProgramData/Varentis/CAO")); // created before "dir_user" replaced it
    Startup::RunFinalisers();
    Startup::RunFinalisers(); // each finaliser runs once
    EXPECT_EQ(Startup::StepsRun(), Joined({InitialiserSteps, FinaliserSteps}));
}

TEST_F(StartupTest, AWindowThatCannotBeCreatedStillEndsInOrder)
{
    MessageBoxRecorder boxes;
    TApplication* app = TApplication::Instance();
    const int result = Startup::Run(
        *app, []() -> std::unique_ptr<QWidget> { throw EOutOfResources("Ressources insuffisantes"); });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Ressources insuffisantes.");
    EXPECT_EQ(boxes.Boxes[0].Icon, MessageIcon::Stop);
    EXPECT_EQ(Startup::StepsRun(),
              Joined({InitialiserSteps, {"InitializeApplication", "CreateMainWindow"}, FinaliserSteps}));
}

} // namespace
