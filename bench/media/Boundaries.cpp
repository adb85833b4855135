// Sample-exact account of the boundaries between files in a recording of the player's output.
// The files are decoded with the decoder alone into the reference; each file is then found in the
// recording by a least-squares match of a window near its start and one near its end (the test
// signal is a sine sweep, which never repeats, so the best match is the only one). At a boundary,
// the place where the next file starts minus the place where the file before it ends is what the
// player added (positive: silence or repeated sound) or lost (negative: missing samples).

#include "bench/media/Boundaries.h"

#include "media/Mpg123Decoder.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// The matched window and the distance of the window from the boundary, in samples.
constexpr int64_t Window = 1024;
constexpr int64_t Margin = 256;
// How far from its expected place a window is looked for.
constexpr int64_t SearchSeconds10 = 3; // 0.3 s

struct Piece
{
    std::vector<float> Samples; // first channel, at the recording's rate
    long Rate = 0;
    int64_t FileFrames = 0;
};

// First channel of the whole file, resampled (linearly) to `rate` when the file's rate differs.
bool Decode(const std::string& path, long rate, Piece& piece)
{
    Mpg123Decoder decoder;
    if (decoder.Open(path) != Mpg123Decoder::OpenResult::Ok)
        return false;
    std::vector<float> native;
    std::vector<unsigned char> buffer(65536);
    bool failed = false;
    int channels = decoder.Channels();
    while (size_t bytes = decoder.Read(buffer.data(), buffer.size(), &failed)) {
        const auto* pcm = reinterpret_cast<const int16_t*>(buffer.data());
        for (size_t i = 0; i < bytes / 2; i += static_cast<size_t>(channels))
            native.push_back(pcm[i]);
    }
    piece.Rate = decoder.Rate();
    piece.FileFrames = static_cast<int64_t>(native.size());
    if (piece.Rate == rate) {
        piece.Samples = std::move(native);
        return !failed;
    }
    double step = static_cast<double>(piece.Rate) / static_cast<double>(rate);
    for (double t = 0; t + 1 < static_cast<double>(native.size()); t += step) {
        auto i = static_cast<size_t>(t);
        double f = t - static_cast<double>(i);
        piece.Samples.push_back(static_cast<float>(native[i] * (1 - f) + native[i + 1] * f));
    }
    return !failed;
}

// Where in the recording `window` (reference samples) fits best, searched around `expected`.
int64_t Locate(const std::vector<float>& recording, const float* window, int64_t expected, int64_t range)
{
    int64_t best = -1;
    double bestError = std::numeric_limits<double>::max();
    int64_t from = std::max<int64_t>(0, expected - range);
    int64_t to = std::min<int64_t>(static_cast<int64_t>(recording.size()) - Window, expected + range);
    for (int64_t at = from; at <= to; ++at) {
        double error = 0;
        const float* r = recording.data() + at;
        for (int64_t i = 0; i < Window && error < bestError; ++i) {
            double d = r[i] - window[i];
            error += d * d;
        }
        if (error < bestError) {
            bestError = error;
            best = at;
        }
    }
    return best;
}

std::vector<float> ReadRecording(const std::string& rawFile)
{
    QFile file(QString::fromStdString(rawFile));
    std::vector<float> samples;
    if (!file.open(QIODevice::ReadOnly))
        return samples;
    QByteArray raw = file.readAll();
    const auto* pcm = reinterpret_cast<const int16_t*>(raw.constData());
    // Stereo: the first channel.
    for (qsizetype i = 0; i + 1 < raw.size() / 2; i += 2)
        samples.push_back(pcm[i]);
    return samples;
}

// The longest run of samples below a silence level, between the first and last sound, in samples.
int64_t LongestSilence(const std::vector<float>& samples, int64_t from, int64_t to)
{
    int64_t longest = 0;
    int64_t run = 0;
    for (int64_t i = from; i < to; ++i) {
        run = std::abs(samples[static_cast<size_t>(i)]) < 64 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

} // namespace

int Boundaries(const std::string& rawFile, long rate, const std::vector<std::string>& files)
{
    std::vector<float> recording = ReadRecording(rawFile);
    std::vector<Piece> pieces(files.size());
    for (size_t k = 0; k < files.size(); ++k) {
        if (!Decode(files[k], rate, pieces[k]) || pieces[k].Samples.size() < 4 * Window) {
            std::fprintf(stderr, "cannot decode %s\n", files[k].c_str());
            return 1;
        }
    }
    auto first = std::find_if(recording.begin(), recording.end(), [](float s) { return std::abs(s) > 64; });
    const int64_t range = rate * SearchSeconds10 / 10;
    int64_t expected = first - recording.begin();
    int64_t worst = 0, worstRate = -1, start = -1, end = 0;
    for (size_t k = 0; k < pieces.size(); ++k) {
        const std::vector<float>& s = pieces[k].Samples;
        auto n = static_cast<int64_t>(s.size());
        int64_t head = Locate(recording, s.data() + Margin, expected + Margin, range) - Margin;
        int64_t tail = Locate(recording, s.data() + n - Margin - Window, head + n - Margin - Window, range) +
                       Margin + Window;
        if (head < 0 || tail < 0) {
            std::fprintf(stderr, "file %zu not found in the recording\n", k + 1);
            return 1;
        }
        if (tail - head != n)
            std::printf("inside file %zu: %+lld samples\n", k + 1, static_cast<long long>(tail - head - n));
        if (k > 0) {
            int64_t defect = head - end;
            bool rateChange = pieces[k].Rate != pieces[k - 1].Rate;
            std::printf("boundary %2zu (%ld -> %ld Hz): %+5lld samples, %+7.2f ms\n", k, pieces[k - 1].Rate,
                        pieces[k].Rate, static_cast<long long>(defect),
                        static_cast<double>(defect) * 1000.0 / static_cast<double>(rate));
            int64_t& slot = rateChange ? worstRate : worst;
            slot = std::max(slot, std::abs(defect));
        } else {
            start = head;
        }
        end = tail;
        expected = tail;
    }
    double silence =
        static_cast<double>(LongestSilence(recording, start, end)) * 1000.0 / static_cast<double>(rate);
    std::printf("longest silence: %.2f ms\n", silence);
    std::printf("worst boundary: %lld samples, %.2f ms\n", static_cast<long long>(worst),
                static_cast<double>(worst) * 1000.0 / static_cast<double>(rate));
    if (worstRate >= 0)
        std::printf("worst change of rate: %.2f ms\n",
                    static_cast<double>(worstRate) * 1000.0 / static_cast<double>(rate));
    return 0;
}
