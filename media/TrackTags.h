#pragma once
// Basic idea: the tags of one MP3 file (title, artist, album, track number, year, genre and the
// front cover), for the desktop's media controls. They are read through libmpg123 with a handle of
// their own: the ID3v2 tag at the start of the file and the ID3v1 tag at its end, never the sound
// that lies between. ID3v2 text comes in any of ID3's encodings (Latin-1, UTF-16, UTF-8) and is
// returned as UTF-8; ID3v1 text is Latin-1 and is converted too. A field that the ID3v2 tag lacks
// is taken from the ID3v1 tag. A file without tags, or that cannot be read, gives empty tags.
// Reading waits on the file's drive: callers run it off the UI thread. Any thread; throws nothing.

#include <string>
#include <vector>

struct TrackTags
{
    std::string Title;
    // Several artists when the tag lists several.
    std::vector<std::string> Artists;
    std::string Album;
    // The leading date of the tag's year or recording time: "2009", "2009-05" or "2009-05-17".
    std::string Year;
    // Genre names; the tags' genre numbers are turned into their names.
    std::vector<std::string> Genres;
    // 0 when the tags give none.
    int TrackNumber = 0;
    // The front cover (else the first picture) when it is a JPEG or PNG image, with the file name
    // extension of its kind ("jpg", "png"); empty otherwise.
    std::vector<unsigned char> Cover;
    std::string CoverExtension;
};

TrackTags ReadTrackTags(const std::string& posixPath);

// The name of an ID3v1 genre number, empty for a number without one. Throws nothing.
std::string Id3GenreName(int number);
