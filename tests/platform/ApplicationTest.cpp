// The application object: the standard error box and the handler guard.

#include "platform/components/Application.h"

#include "TestSupport.h"
#include "platform/components/Timer.h"
#include "platform/services/Exceptions.h"

#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

TEST(ApplicationTest, ErrorBoxTextAppendsAFullStopByTheRule)
{
    EXPECT_EQ(TApplication::ErrorBoxText("Aucun périphérique MCI ouvert"), "Aucun périphérique MCI ouvert.");
    EXPECT_EQ(TApplication::ErrorBoxText("Fini."), "Fini.");
    EXPECT_EQ(TApplication::ErrorBoxText("Quoi ?"), "Quoi ?."); // "?" sorts after "."
    EXPECT_EQ(TApplication::ErrorBoxText("Oui!"), "Oui!");      // "!" sorts before "."
    EXPECT_EQ(TApplication::ErrorBoxText("Erreur E/S 21"), "Erreur E/S 21.");
    EXPECT_EQ(TApplication::ErrorBoxText(""), "");
}

TEST(ApplicationTest, HandlerErrorIsShownWithTheTitleOfTheMoment)
{
    MessageBoxRecorder boxes;
    TApplication::Instance()->SetTitle("a.mp3");
    bool after = false;
    RunHandler([&] {
        throw EInOutError(5);
        after = true;
    });
    EXPECT_FALSE(after);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Accès au fichier refusé.");
    EXPECT_EQ(boxes.Boxes[0].Caption, "a.mp3");
    EXPECT_EQ(boxes.Boxes[0].Icon, MessageIcon::Stop);
    TApplication::Instance()->SetTitle("Quelmo");
}

TEST(ApplicationTest, NestedHandlerErrorEndsTheOuterHandlerToo)
{
    MessageBoxRecorder boxes;
    bool outerGoesOn = false;
    RunHandler([&] {
        RunHandler([] { throw Exception("interne"); });
        outerGoesOn = true;
    });
    EXPECT_FALSE(outerGoesOn);
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST(ApplicationTest, HandlerRunFromProcessMessagesStandsAlone)
{
    MessageBoxRecorder boxes;
    bool outerGoesOn = false;
    RunHandler([&] {
        QTimer::singleShot(0, [] { RunHandler([] { throw Exception("posté"); }); });
        TApplication::Instance()->ProcessMessages();
        outerGoesOn = true;
    });
    EXPECT_TRUE(outerGoesOn);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "posté.");
}

TEST(ApplicationTest, InOutErrorMessages)
{
    EXPECT_EQ(EInOutError(2).Message(), "Fichier introuvable");
    EXPECT_EQ(EInOutError(3).Message(), "Nom de fichier incorrect");
    EXPECT_EQ(EInOutError(4).Message(), "Trop de fichiers ouverts");
    EXPECT_EQ(EInOutError(100).Message(), "Lecture au-delà de la fin de fichier");
    EXPECT_EQ(EInOutError(101).Message(), "Disque plein");
    EXPECT_EQ(EInOutError(106).Message(), "Saisie numérique incorrecte");
    EXPECT_EQ(EInOutError(21).Message(), "Erreur E/S 21");
}

} // namespace

// A timer ticks at its interval while on; an interval of 0 or the switch off stops it.
TEST(ApplicationTest, TimerTicksOnlyWhileOnWithAnInterval)
{
    TTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &TTimer::OnTimer, [&ticks] { ++ticks; });
    timer.SetInterval(5);
    EXPECT_TRUE(WaitFor([&] { return ticks >= 2; }, 2000));
    for (const auto& stop : {std::function<void()>([&] { timer.SetInterval(0); }),
                             std::function<void()>([&] { timer.SetEnabled(false); })}) {
        stop();
        ticks = 0;
        QTest::qWait(50);
        EXPECT_EQ(ticks, 0);
        timer.SetInterval(5);
        timer.SetEnabled(true);
        EXPECT_TRUE(WaitFor([&] { return ticks >= 1; }, 2000));
    }
}
