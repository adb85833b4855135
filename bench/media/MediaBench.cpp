// The media device's benchmark program, run by bench/decode.sh, open.sh and gap.sh:
//   mediabench play FILE          plays FILE to its end (the output comes from QUELMO_AUDIO_OUTPUT)
//   mediabench open FILE COUNT    opens and closes FILE COUNT times; prints the median open in ms
//   mediabench gap FILE FILE      plays the files back to back the way the player does
//   mediabench timing FILE        prints how long open, play and the completion take
// Files are POSIX paths. Runs on Qt's offscreen platform.

#include "media/MPlayer.h"
#include "platform/Application.h"
#include "platform/Paths.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
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

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "play")
        return Play(app, args[1]);
    if (args.size() == 3 && args[0] == "open")
        return Open(args[1], std::atoi(args[2].c_str()));
    if (args.size() >= 3 && args[0] == "gap")
        return Gap(app, {args.begin() + 1, args.end()});
    if (args.size() == 2 && args[0] == "timing")
        return Timing(app, args[1]);
    std::fprintf(stderr, "usage: mediabench play FILE | open FILE COUNT | gap FILE FILE... | timing FILE\n");
    return 2;
}
