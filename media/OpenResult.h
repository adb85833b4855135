#pragma once
// Basic idea: how opening a file as a media device went, one list for every layer that opens: the
// decoder (Mpg123Decoder.h) answers the first five, the sound device (SoundDevice.h) adds the
// output's two, and the device layer (MciDevice.h) turns each into its error code.

enum class OpenResult
{
    Ok,
    NotFound,
    Unreadable,
    NotMp3,
    OutOfMemory,
    // No sound output could be opened.
    NoOutput,
    // A sound server is there and did not answer within its limit.
    OutputNotAnswering
};
