// The media device's benchmark program, run by bench/decode.sh, open.sh and gap.sh:
//   mediabench play FILE          plays FILE to its end (the output comes from QUELMO_AUDIO_OUTPUT)
//   mediabench open FILE COUNT    opens and closes FILE COUNT times; prints the median open in ms
//   mediabench gap FILE FILE      plays the files back to back the way the player does
//   mediabench timing FILE        prints how long open, play and the completion take
//   mediabench wake FILE TRIES    pauses FILE long enough for the stream to be corked and the sink
//                                 to suspend, then resumes: prints, for each try, the sink's state
//                                 while paused and the ms until the position moves again
//   mediabench seek FILE TRIES    moves a playing FILE to another time TRIES times: prints the ms
//                                 from each move until the position runs on from there
//   mediabench silence RAW        the silences inside the sound of a recording (mono s16le, 44.1 kHz):
//                                 prints each and the longest, in ms
//   mediabench boundaries RAW RATE FILE...
//                                 samples lost or added at each boundary between the files in a
//                                 recording (stereo s16le at RATE) of them played in sequence
// Files are POSIX paths. Runs on Qt's offscreen platform.

#include "bench/media/Boundaries.h"
#include "media/MPlayer.h"
#include "platform/components/Application.h"
#include "platform/paths/Paths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string PathText(const std::string& posixPath)
{
    std::optional<std::string> text = Paths::FromPosix(posixPath);
    return text ? *text : posixPath;
}

void OpenAndPlay(TMediaPlayer& media, const std::string& posixPath)
{
    media.SetNotify(false);
    media.Close();
    media.FileName = PathText(posixPath);
    media.SetNotify(false);
    media.Open();
    media.SetNotify(true);
    media.Play();
}

int Play(TApplication& app, const std::string& file)
{
    TMediaPlayer media;
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] { app.quit(); });
    OpenAndPlay(media, file);
    app.exec();
    return media.NotifyValue() == nvSuccessful ? 0 : 1;
}

int Open(const std::string& file, int count)
{
    TMediaPlayer media;
    media.FileName = PathText(file);
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer clock;
        clock.start();
        media.Open();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        media.Close();
    }
    std::sort(times.begin(), times.end());
    std::printf("open ms: median %.3f min %.3f max %.3f (length %d ms)\n", times[times.size() / 2],
                times.front(), times.back(), [&] {
                    media.Open();
                    return media.GetLength();
                }());
    return 0;
}

int Gap(TApplication& app, const std::vector<std::string>& files)
{
    TMediaPlayer media;
    size_t next = 0;
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] {
        RunHandler([&] {
            if (media.NotifyValue() != nvSuccessful)
                return;
            media.Stop();
            if (next == files.size()) {
                app.quit();
                return;
            }
            OpenAndPlay(media, files[next++]);
        });
    });
    OpenAndPlay(media, files[next++]);
    app.exec();
    return 0;
}

int Timing(TApplication& app, const std::string& file)
{
    TMediaPlayer media;
    QElapsedTimer clock;
    clock.start();
    media.FileName = PathText(file);
    media.Open();
    std::printf("open: %lld ms, length %d ms\n", clock.elapsed(), media.GetLength());
    clock.restart();
    media.Play();
    std::printf("play returned: %lld ms\n", clock.elapsed());
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        std::printf("  at %5lld ms position %5d\n", clock.elapsed(), media.GetPosition());
    });
    ticks.start(100);
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] {
        std::printf("completion %d at %lld ms\n", media.NotifyValue(), clock.elapsed());
        app.quit();
    });
    app.exec();
    clock.restart();
    media.Close();
    std::printf("close: %lld ms\n", clock.elapsed());
    return 0;
}

void Wait(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

QString SinkStates()
{
    QProcess list;
    list.start("pactl", {"list", "sinks", "short"});
    list.waitForFinished(5000);
    return QString::fromUtf8(list.readAllStandardOutput()).trimmed();
}

int Wake(const std::string& file, int tries)
{
    TMediaPlayer media;
    OpenAndPlay(media, file);
    double worst = 0;
    for (int i = 0; i < tries; ++i) {
        Wait(300);
        media.SetNotify(false);
        media.Pause();
        const int32_t paused = media.GetPosition();
        Wait(5000);
        std::printf("paused: %s\n", SinkStates().toUtf8().constData());
        QElapsedTimer clock;
        clock.start();
        media.SetNotify(false);
        media.Resume();
        while (media.GetPosition() <= paused && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        std::printf("position moves %.1f ms after resume\n", ms);
        worst = std::max(worst, ms);
    }
    std::printf("worst: %.1f\n", worst);
    return 0;
}

int Seek(const std::string& file, int tries)
{
    TMediaPlayer media;
    OpenAndPlay(media, file);
    const int32_t length = media.GetLength();
    double worst = 0;
    for (int i = 0; i < tries; ++i) {
        Wait(300);
        // Back and forth over the file, never near its end.
        const int32_t target = (i * 7919) % (length - 2000);
        QElapsedTimer clock;
        clock.start();
        media.MoveTo(target);
        while (media.GetPosition() <= target && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        std::printf("to %d ms: the position runs on %.1f ms after the move\n", target, ms);
        worst = std::max(worst, ms);
    }
    std::printf("worst: %.1f\n", worst);
    return 0;
}

// A recording's silences between its first and last sound, at a resolution of 1 ms.
int Silence(const std::string& rawFile)
{
    QFile file(QString::fromStdString(rawFile));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    QByteArray raw = file.readAll();
    const auto* samples = reinterpret_cast<const int16_t*>(raw.constData());
    size_t count = static_cast<size_t>(raw.size()) / 2;
    const size_t window = 44;
    std::vector<bool> loud;
    for (size_t start = 0; start + window <= count; start += window) {
        int peak = 0;
        for (size_t i = start; i < start + window; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        loud.push_back(peak > 1600);
    }
    auto first = std::find(loud.begin(), loud.end(), true);
    auto last = std::find(loud.rbegin(), loud.rend(), true).base();
    double longest = 0;
    int silences = 0;
    for (auto it = first; it < last;) {
        auto end = std::find(it, last, true);
        if (end > it) {
            double ms = static_cast<double>(end - it) * window * 1000.0 / 44100.0;
            std::printf("silence of %.1f ms at %.1f s\n", ms,
                        static_cast<double>(it - loud.begin()) * window / 44100.0);
            longest = std::max(longest, ms);
            ++silences;
        }
        it = std::find(end, last, false);
    }
    double sound = static_cast<double>(last - first) * window * 1000.0 / 44100.0;
    std::printf("sound from first to last: %.1f ms, %d silences, longest %.1f ms\n", sound, silences,
                longest);
    std::printf("longest silence: %.1f\n", longest);
    return 0;
}

} // namespace

int Run(TApplication& app, const std::vector<std::string>& args)
{
    if (args.size() == 2 && args[0] == "play")
        return Play(app, args[1]);
    if (args.size() == 3 && args[0] == "open")
        return Open(args[1], std::atoi(args[2].c_str()));
    if (args.size() >= 3 && args[0] == "gap")
        return Gap(app, {args.begin() + 1, args.end()});
    if (args.size() == 2 && args[0] == "timing")
        return Timing(app, args[1]);
    if (args.size() == 3 && args[0] == "seek")
        return Seek(args[1], std::atoi(args[2].c_str()));
    if (args.size() == 3 && args[0] == "wake")
        return Wake(args[1], std::atoi(args[2].c_str()));
    if (args.size() == 2 && args[0] == "silence")
        return Silence(args[1]);
    if (args.size() >= 4 && args[0] == "boundaries")
        return Boundaries(args[1], std::atol(args[2].c_str()), {args.begin() + 3, args.end()});
    std::fprintf(stderr, "usage: mediabench play FILE | open FILE COUNT | gap FILE FILE... | timing FILE | "
                         "seek FILE TRIES | wake FILE TRIES | silence RAW | boundaries RAW RATE FILE...\n");
    return 2;
}

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TApplication app(argc, argv);
    try {
        return Run(app, {argv + 1, argv + argc});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mediabench: %s\n", error.what());
        return 1;
    }
}
