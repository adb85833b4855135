#pragma once
// Basic idea: one MP3 file decoded to 16-bit PCM through libmpg123. The media device opens it on the
// UI thread (Open must know the length before it returns) and then hands it to the device's worker
// thread, which alone reads, decodes and seeks it from then on: the handle is never used by two
// threads at once. The length is exact: a Xing/Info/LAME header gives the frame count without
// reading the file; without one the file's frames are scanned once at open. Encoder delay and
// padding are trimmed (gapless), so the samples decoded are the samples that the length counts.
// The file is read through a DriveFile (DriveFile.h): a drive that stops answering fails a read
// within its limit, and the open or the decoding fails as for a read error.

#include "media/DriveFile.h"
#include "media/OpenResult.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct mpg123_handle_struct;

class Mpg123Decoder
{
public:
    // Why an open failed, in the device layer's terms (never NoOutput nor OutputNotAnswering).
    using OpenResult = ::OpenResult;

    Mpg123Decoder();
    ~Mpg123Decoder();
    Mpg123Decoder(const Mpg123Decoder&) = delete;
    Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

    // Ok, or why not: NotFound, Unreadable (no regular file, no read access), NotMp3 (no decodable
    // frame, or no length), OutOfMemory. A decoder opens one file only. Throws nothing.
    OpenResult Open(const std::string& posixPath);

    // Plain accessors, 0 until an Open succeeds; throw nothing.
    long Rate() const { return m_Rate; }
    int Channels() const { return m_Channels; }
    // Bytes of one PCM frame (all channels of one sample).
    int FrameBytes() const { return m_Channels * 2; }
    // Length in PCM frames.
    int64_t LengthFrames() const { return m_LengthFrames; }
    // True when the length came from the file's Info header, false when a scan of its frames found
    // it; exact either way.
    bool LengthFromHeader() const { return m_LengthFromHeader; }

    // Decodes the next piece into buffer (at most capacity bytes). Returns the bytes written; 0 with
    // *failed false at the end of the file, 0 with *failed true when the data cannot be decoded.
    // Whole frames only. For an opened decoder only; throws nothing.
    size_t Read(unsigned char* buffer, size_t capacity, bool* failed);
    // Moves to a PCM frame from the start, clearing an earlier end or failure; false when the
    // decoder cannot get there. Throws nothing.
    bool SeekFrame(int64_t frame);

private:
    struct HandleDeleter
    {
        void operator()(mpg123_handle_struct* handle) const;
    };
    // The handle reads the file: it is declared after it, so that it is closed first.
    DriveFile m_File;
    std::unique_ptr<mpg123_handle_struct, HandleDeleter> m_Handle;
    long m_Rate = 0;
    int m_Channels = 0;
    int64_t m_LengthFrames = 0;
    bool m_LengthFromHeader = false;
    bool m_Ended = false;
    bool m_Failed = false;

    bool ConfigureHandle();
    bool LockFormat();
    bool MeasureLength();
    size_t RecordDecodeEnd(int result, size_t done, bool* failed);
};
