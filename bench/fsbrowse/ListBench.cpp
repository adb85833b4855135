// Times one list over one directory: "ListBench files DIR" lists the "*.mp3" files of DIR in the
// file list, "ListBench dirs DIR" builds the directory list of DIR. Each run uses a fresh widget
// (a list re-reads nothing for the directory it already shows); the best of the runs is printed
// in seconds, with the number of lines.

#include "fsbrowse/DirectoryListBox.h"
#include "fsbrowse/FileListBox.h"
#include "platform/components/Application.h"
#include "platform/paths/Drives.h"
#include "platform/paths/Paths.h"

#include <QElapsedTimer>
#include <cstdio>
#include <memory>
#include <string>

namespace {

template <typename List, typename Open> double BestOf(int runs, int& lines, Open open)
{
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        auto list = std::make_unique<List>();
        QElapsedTimer clock;
        clock.start();
        open(*list);
        best = std::min(best, clock.nsecsElapsed() / 1e9);
        lines = list->Count();
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: ListBench files|dirs DIR [runs]\n");
        return 2;
    }
    TApplication app(argc, argv);
    DriveTable::SetCurrent(DriveTable({DriveInfo{'c', "/", DriveKind::Fixed, "", "", "", "", false}}));
    const std::string mode = argv[1];
    const auto text = Paths::FromPosix(argv[2]);
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    if (!text)
        return 2;
    int lines = 0;
    double seconds = 0;
    if (mode == "files") {
        seconds = BestOf<TFileListBox>(runs, lines, [&](TFileListBox& list) {
            list.SetMask("*.mp3");
            list.CreateWindow();
            list.ApplyPath(*text);
        });
    } else {
        seconds = BestOf<TDirectoryListBox>(runs, lines, [&](TDirectoryListBox& list) {
            list.CreateWindow();
            list.SetDirectory(*text);
        });
    }
    std::printf("%.6f %d\n", seconds, lines);
    return 0;
}
