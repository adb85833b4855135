#include "media/Mpg123Decoder.h"

#include <mpg123.h>
#include <mutex>

namespace {

// libmpg123 must be initialised once per process before the first handle (older versions need it,
// newer ones accept it).
void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// The decoder reads its file through the DriveFile it is given as handle.
mpg123_ssize_t ReadFile(void* file, void* buffer, size_t bytes)
{
    return static_cast<DriveFile*>(file)->Read(buffer, bytes);
}

off_t SeekFile(void* file, off_t offset, int whence)
{
    return static_cast<DriveFile*>(file)->Seek(offset, whence);
}

} // namespace

void Mpg123Decoder::HandleDeleter::operator()(mpg123_handle_struct* handle) const
{
    mpg123_close(handle);
    mpg123_delete(handle);
}

Mpg123Decoder::Mpg123Decoder() = default;
Mpg123Decoder::~Mpg123Decoder() = default;

Mpg123Decoder::OpenResult Mpg123Decoder::Open(const std::string& posixPath)
{
    InitLibrary();
    // A file on a drive that does not answer is not waited for: the opening fails as for a file
    // that cannot be read, and the window goes on.
    if (OpenResult opened = m_File.Open(posixPath); opened != OpenResult::Ok)
        return opened;
    int error = MPG123_OK;
    m_Handle.reset(mpg123_new(nullptr, &error));
    if (!m_Handle)
        return OpenResult::OutOfMemory;
    if (!ConfigureHandle())
        return OpenResult::OutOfMemory;
    if (mpg123_replace_reader_handle(m_Handle.get(), ReadFile, SeekFile, nullptr) != MPG123_OK ||
        mpg123_open_handle(m_Handle.get(), &m_File) != MPG123_OK)
        return OpenResult::Unreadable;
    if (!LockFormat() || !MeasureLength())
        return m_File.Failed() ? OpenResult::Unreadable : OpenResult::NotMp3;
    return OpenResult::Ok;
}

bool Mpg123Decoder::ConfigureHandle()
{
    mpg123_handle* handle = m_Handle.get();
    // Tags are of no use to a sound device; skipping them unparsed keeps a huge or broken ID3v2 tag
    // from costing memory. Gapless decoding trims the encoder's delay and padding.
    long flags = MPG123_QUIET | MPG123_SKIP_ID3V2 | MPG123_GAPLESS;
    if (mpg123_param(handle, MPG123_ADD_FLAGS, flags, 0.0) != MPG123_OK)
        return false;
    // A damaged stretch (a block of zeros, bytes lost or inserted) is skipped however long it is,
    // and decoding goes on at the next valid frame, as desktop players do; the library's default
    // gives up after 1 KiB. A file without any valid frame still ends the search at its end.
    if (mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0.0) != MPG123_OK)
        return false;
    // Decode to 16-bit signed samples at the file's own rate and channel count.
    if (mpg123_format_none(handle) != MPG123_OK)
        return false;
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return true;
}

// Reads up to the first frame and fixes the output format to it: a later frame with another rate or
// channel count ends the decodable part of the file instead of changing the device's format.
bool Mpg123Decoder::LockFormat()
{
    mpg123_handle* handle = m_Handle.get();
    int encoding = 0;
    if (mpg123_getformat(handle, &m_Rate, &m_Channels, &encoding) != MPG123_OK)
        return false;
    if (m_Rate <= 0 || m_Channels < 1 || m_Channels > 2 || encoding != MPG123_ENC_SIGNED_16)
        return false;
    mpg123_format_none(handle);
    return mpg123_format(handle, m_Rate, m_Channels, MPG123_ENC_SIGNED_16) == MPG123_OK;
}

// The length from the Info header when there is one; otherwise one pass over the frame headers
// (no decoding), which makes the count exact for files without a header. libmpg123 does not say
// where its length comes from; the encoder delay, which only the LAME extension of an Info header
// carries, tells that such a header was read.
// FIXME: a Xing header without the LAME extension is scanned too: exact, but it reads the file.
bool Mpg123Decoder::MeasureLength()
{
    mpg123_handle* handle = m_Handle.get();
    long delay = -1;
    double unused = 0;
    if (mpg123_getstate(handle, MPG123_ENC_DELAY, &delay, &unused) != MPG123_OK)
        delay = -1;
    m_LengthFromHeader = delay >= 0 && mpg123_framelength(handle) > 0;
    if (!m_LengthFromHeader && mpg123_scan(handle) != MPG123_OK)
        return false;
    off_t length = mpg123_length(handle);
    if (length <= 0)
        return false;
    m_LengthFrames = length;
    return true;
}

// A read may end on a frame that gives no samples (a header frame, a resync); this many empty reads
// in a row end the file, so that a file of nothing but such frames cannot spin the worker.
constexpr int MaxEmptyReads = 64;

size_t Mpg123Decoder::Read(unsigned char* buffer, size_t capacity, bool* failed)
{
    *failed = m_Failed;
    for (int attempt = 0; attempt < MaxEmptyReads && !m_Ended; ++attempt) {
        size_t done = 0;
        int result = mpg123_read(m_Handle.get(), buffer, capacity, &done);
        done -= done % FrameBytes();
        if (result == MPG123_DONE)
            m_Ended = done == 0;
        else if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            return RecordDecodeEnd(result, done, failed);
        if (done > 0)
            return done;
    }
    m_Ended = true;
    return 0;
}

// The decoder stopped with an error. A frame of another format (a file stitched from two) only ends
// the playable part; anything else is a failure of the device while playing. What was decoded
// before the error still plays.
size_t Mpg123Decoder::RecordDecodeEnd(int result, size_t done, bool* failed)
{
    m_Ended = true;
    m_Failed = result != MPG123_BAD_OUTFORMAT;
    *failed = done == 0 && m_Failed;
    return done;
}

bool Mpg123Decoder::SeekFrame(int64_t frame)
{
    off_t reached = mpg123_seek(m_Handle.get(), static_cast<off_t>(frame), SEEK_SET);
    m_Ended = m_Failed = false;
    return reached >= 0;
}
