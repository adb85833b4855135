#include "SoundCapture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

bool PulseReachable()
{
    QProcess info;
    info.start("pactl", {"info"});
    return info.waitForFinished(5000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
}

std::string NullSink()
{
    const char* sink = std::getenv("QUELMO_NULL_SINK");
    return sink != nullptr ? sink : "quelmo_null";
}

int64_t SinkLatency()
{
    QProcess sinks;
    sinks.start("pactl", {"list", "sinks"});
    if (!sinks.waitForFinished(5000))
        return -1;
    QString text = QString::fromUtf8(sinks.readAllStandardOutput());
    qsizetype at = text.indexOf("Name: " + QString::fromStdString(NullSink()) + "\n");
    QRegularExpressionMatch latency =
        QRegularExpression(R"(Latency: (\d+) usec)").match(text, at < 0 ? 0 : at);
    return at >= 0 && latency.hasMatch() ? latency.captured(1).toLongLong() : -1;
}

Recorder::Recorder()
{
    m_Silence.start("pacat", {"--playback", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                              "--latency-msec=5", "/dev/zero"});
    m_Process.start("parec",
                    {"-d", QString::fromStdString(NullSink() + ".monitor"), "--format=s16le",
                     "--rate=" + QString::number(RecordRate), "--channels=1", "--raw", "--latency-msec=10"});
    m_Started = m_Silence.waitForStarted(5000) && m_Process.waitForStarted(5000);
    QElapsedTimer waited;
    waited.start();
    while (m_Started && waited.elapsed() < 3000) {
        int64_t latency = SinkLatency();
        if (latency >= 0 && latency < 20000)
            break;
        QThread::msleep(50);
    }
}

Recorder::~Recorder()
{
    for (QProcess* process : {&m_Process, &m_Silence}) {
        process->kill();
        process->waitForFinished(5000);
    }
}

std::vector<int16_t> Recorder::Stop()
{
    m_Process.terminate();
    m_Process.waitForFinished(5000);
    QByteArray raw = m_Process.readAllStandardOutput();
    std::vector<int16_t> samples(static_cast<size_t>(raw.size()) / 2);
    std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
    return samples;
}

std::vector<Stretch> SoundStretches(const std::vector<int16_t>& samples)
{
    const size_t window = RecordRate / 200;
    std::vector<Stretch> found;
    bool inSound = false;
    for (size_t start = 0; start + window <= samples.size(); start += window) {
        int peak = 0;
        for (size_t i = start; i < start + window; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        bool loud = peak > 1600;
        if (loud && !inSound)
            found.push_back({start, start + window});
        if (loud)
            found.back().End = start + window;
        inSound = loud;
    }
    return found;
}

double Frequency(const std::vector<int16_t>& samples, Stretch stretch)
{
    size_t margin = (stretch.End - stretch.Begin) / 10;
    size_t first = 0;
    size_t last = 0;
    int crossings = 0;
    for (size_t i = stretch.Begin + margin + 1; i < stretch.End - margin; ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (crossings == 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0;
    return (crossings - 1) * static_cast<double>(RecordRate) / static_cast<double>(last - first);
}

double Milliseconds(size_t samples)
{
    return samples * 1000.0 / RecordRate;
}

std::vector<HeardTone> HeardTones(const std::vector<int16_t>& samples, const std::vector<double>& tones,
                                  double minimumMs)
{
    std::vector<HeardTone> heard;
    const size_t window = RecordRate / 20;
    for (const Stretch& sound : SoundStretches(samples)) {
        for (size_t start = sound.Begin; start + window <= sound.End; start += window) {
            const double frequency = Frequency(samples, {start, start + window});
            if (frequency <= 0 || tones.empty())
                continue;
            const double nearest = *std::min_element(tones.begin(), tones.end(), [&](double a, double b) {
                return std::abs(a - frequency) < std::abs(b - frequency);
            });
            if (std::abs(nearest - frequency) > nearest * 0.05)
                continue;
            const double startMs = Milliseconds(start), endMs = Milliseconds(start + window);
            if (!heard.empty() && heard.back().Frequency == nearest && startMs - heard.back().EndMs < 60)
                heard.back().EndMs = endMs;
            else
                heard.push_back({nearest, startMs, endMs});
        }
    }
    heard.erase(std::remove_if(heard.begin(), heard.end(),
                               [&](const HeardTone& t) { return t.EndMs - t.StartMs < minimumMs; }),
                heard.end());
    // Dropping short runs can leave two runs of one tone side by side: merge them.
    std::vector<HeardTone> merged;
    for (const HeardTone& t : heard) {
        if (!merged.empty() && merged.back().Frequency == t.Frequency)
            merged.back().EndMs = t.EndMs;
        else
            merged.push_back(t);
    }
    return merged;
}

std::vector<HeardTone> ToneRuns(const std::vector<int16_t>& samples, const std::vector<double>& tones,
                                double minimumMs)
{
    std::vector<HeardTone> runs;
    size_t last = 0;
    for (size_t i = 1; i < samples.size() && !tones.empty(); ++i) {
        if (samples[i - 1] >= 0 || samples[i] < 0)
            continue;
        const double frequency = last > 0 ? RecordRate / static_cast<double>(i - last) : 0;
        const double nearest = *std::min_element(tones.begin(), tones.end(), [&](double a, double b) {
            return std::abs(a - frequency) < std::abs(b - frequency);
        });
        const double startMs = Milliseconds(last), endMs = Milliseconds(i);
        last = i;
        if (std::abs(nearest - frequency) > nearest * 0.1)
            continue;
        if (!runs.empty() && runs.back().Frequency == nearest && runs.back().EndMs == startMs)
            runs.back().EndMs = endMs;
        else
            runs.push_back({nearest, startMs, endMs});
    }
    std::vector<HeardTone> kept;
    for (const HeardTone& run : runs) {
        if (run.EndMs - run.StartMs < minimumMs)
            continue;
        // A glitch at a change of tone is dropped above; the two sides are one run.
        if (!kept.empty() && kept.back().Frequency == run.Frequency && run.StartMs - kept.back().EndMs < 5)
            kept.back().EndMs = run.EndMs;
        else
            kept.push_back(run);
    }
    return kept;
}
