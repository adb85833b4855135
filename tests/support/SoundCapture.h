#pragma once
// Recording what a PulseAudio server plays: the tests play through the null sink that
// scripts/test-services starts and record its monitor, then find where the sound is and which
// tone it is.

#include <QProcess>
#include <cstdint>
#include <string>
#include <vector>

constexpr int RecordRate = 44100;

// Whether a PulseAudio server answers. In CI (CI=true) a test that needs one must fail without it.
bool PulseReachable();
// The null sink's name (QUELMO_NULL_SINK, else "quelmo_null").
std::string NullSink();
// The sink's latency in microseconds as the server reports it; -1 when it does not answer.
int64_t SinkLatency();

// Records the sink's monitor (mono, 16 bits) while it lives. An idle null sink renders nothing, so
// its monitor would start late and cut the first sound: a stream of silence keeps it running. That
// stream asks for a very short latency: the sink renders ahead by as much, and when a new stream
// joins, the sink rewrites what it rendered ahead, which the monitor never sees again. An idle sink
// has rendered up to two seconds ahead that no rewrite reaches: the recorder starts only once the
// sink has played that out (its latency is short again), or after three seconds.
class Recorder
{
public:
    Recorder();
    ~Recorder();
    bool Started() const { return m_Started; }
    std::vector<int16_t> Stop();

private:
    QProcess m_Silence;
    QProcess m_Process;
    bool m_Started = false;
};

// A run of samples [Begin, End).
struct Stretch
{
    size_t Begin;
    size_t End;
};

// Where the sound is: the samples whose 5 ms neighbourhood is louder than a tenth of the tone.
std::vector<Stretch> SoundStretches(const std::vector<int16_t>& samples);
// The tone's frequency from the rising zero crossings of the stretch's middle part; 0 for none.
double Frequency(const std::vector<int16_t>& samples, Stretch stretch);
double Milliseconds(size_t samples);

// The tones heard one after another: the frequency of each 50 ms window of sound, rounded to the
// nearest of `tones`, with runs of the same tone merged and runs shorter than `minimumMs` dropped.
struct HeardTone
{
    double Frequency;
    double StartMs;
    double EndMs;
};
std::vector<HeardTone> HeardTones(const std::vector<int16_t>& samples, const std::vector<double>& tones,
                                  double minimumMs = 100);
// The same to a period of the tone: each period between two rising zero crossings goes to the
// nearest of `tones` (none when more than 10 % off), and a run ends at a change of tone or at a
// pause in the sound. Runs shorter than `minimumMs` are dropped; what is left on either side of one
// is merged when nothing else lies between them.
std::vector<HeardTone> ToneRuns(const std::vector<int16_t>& samples, const std::vector<double>& tones,
                                double minimumMs = 20);
