#include "media/TrackTags.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mpg123.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// libmpg123 reads a whole ID3v2 tag into memory, and stores each picture once more. Text is never
// that long, only pictures make a tag large: a larger tag is skipped, so that a file with a huge
// picture costs no memory worth speaking of (its ID3v1 tag is still read).
constexpr uint32_t MaxId3v2Bytes = 4U << 20;

struct Closer
{
    int Fd;
    ~Closer() { close(Fd); }
};

struct HandleDeleter
{
    void operator()(mpg123_handle* handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};

// The size of the ID3v2 tag at the start of the file (its 10-byte header announces it), 0 when
// there is none.
uint32_t Id3v2Size(int fd)
{
    unsigned char header[10];
    if (pread(fd, header, sizeof header, 0) != ssize_t(sizeof header) || std::memcmp(header, "ID3", 3) != 0)
        return 0;
    uint32_t size = 0;
    for (int i = 6; i < 10; ++i)
        size = (size << 7) | (header[i] & 0x7f);
    return size + 10;
}

// The strings of a tag field: a field may hold several, separated by zero bytes.
std::vector<std::string> Strings(const mpg123_string* field)
{
    std::vector<std::string> strings;
    if (field == nullptr || field->p == nullptr)
        return strings;
    const std::string all(field->p, field->fill);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        if (end > start)
            strings.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return strings;
}

std::string First(const mpg123_string* field)
{
    std::vector<std::string> strings = Strings(field);
    return strings.empty() ? std::string() : strings.front();
}

// The number that a text starts with ("3/12" gives 3), 0 when none.
int LeadingNumber(const std::string& text)
{
    int number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return std::max(number, 0);
}

bool AllDigits(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The date a year or recording-time field starts with: "2009", "2009-05" or "2009-05-17".
std::string LeadingDate(const std::string& text)
{
    if (text.size() < 4 || !AllDigits(text.substr(0, 4)))
        return {};
    size_t end = 4;
    while (end + 3 <= text.size() && end < 10 && text[end] == '-' && AllDigits(text.substr(end + 1, 2)))
        end += 3;
    return text.substr(0, end);
}

// One genre field. ID3v2.3 names the old numbered genres "(17)", may put several in a row, and may
// follow them with a name of its own, which then refines them ("(17)Indie Rock"); ID3v2.4 gives the
// bare number.
void AddGenres(const std::string& text, std::vector<std::string>& genres)
{
    std::vector<std::string> numbered;
    size_t at = 0;
    while (at < text.size() && text[at] == '(' && text.compare(at, 2, "((") != 0) {
        const size_t close = text.find(')', at);
        const std::string inside = close == std::string::npos ? "" : text.substr(at + 1, close - at - 1);
        if (AllDigits(inside) && !Id3GenreName(LeadingNumber(inside)).empty())
            numbered.push_back(Id3GenreName(LeadingNumber(inside)));
        else if (inside == "RX" || inside == "CR")
            numbered.emplace_back(inside == "RX" ? "Remix" : "Cover");
        else
            break;
        at = close + 1;
    }
    std::string rest = text.substr(at);
    if (rest.compare(0, 2, "((") == 0)
        rest.erase(0, 1);
    if (AllDigits(rest))
        rest = Id3GenreName(LeadingNumber(rest));
    if (!rest.empty())
        genres.push_back(rest);
    else
        genres.insert(genres.end(), numbered.begin(), numbered.end());
}

std::string CoverExtension(const mpg123_picture& picture)
{
    if (picture.size >= 3 && std::memcmp(picture.data, "\xff\xd8\xff", 3) == 0)
        return "jpg";
    if (picture.size >= 8 && std::memcmp(picture.data, "\x89PNG\r\n\x1a\n", 8) == 0)
        return "png";
    return {};
}

void TakeCover(const mpg123_id3v2& v2, TrackTags& tags)
{
    const mpg123_picture* chosen = nullptr;
    for (size_t i = 0; i < v2.pictures && chosen == nullptr; ++i)
        if (v2.picture[i].type == mpg123_id3_pic_front_cover)
            chosen = &v2.picture[i];
    if (chosen == nullptr && v2.pictures > 0)
        chosen = &v2.picture[0];
    if (chosen == nullptr || chosen->data == nullptr || CoverExtension(*chosen).empty())
        return;
    tags.Cover.assign(chosen->data, chosen->data + chosen->size);
    tags.CoverExtension = CoverExtension(*chosen);
}

const mpg123_string* TextField(const mpg123_id3v2& v2, const char* id)
{
    for (size_t i = 0; i < v2.texts; ++i)
        if (std::memcmp(v2.text[i].id, id, 4) == 0)
            return &v2.text[i].text;
    return nullptr;
}

void FromId3v2(const mpg123_id3v2& v2, TrackTags& tags)
{
    tags.Title = First(v2.title);
    tags.Artists = Strings(v2.artist);
    tags.Album = First(v2.album);
    tags.Year = LeadingDate(First(v2.year));
    if (tags.Year.empty())
        tags.Year = LeadingDate(First(TextField(v2, "TDRC")));
    for (const std::string& genre : Strings(v2.genre))
        AddGenres(genre, tags.Genres);
    tags.TrackNumber = LeadingNumber(First(TextField(v2, "TRCK")));
    TakeCover(v2, tags);
}

// An ID3v1 field: Latin-1, padded with zero bytes or blanks.
std::string Latin1Field(const char* field, size_t size)
{
    size_t length = std::find(field, field + size, '\0') - field;
    while (length > 0 && field[length - 1] == ' ')
        --length;
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (byte < 0x80) {
            text += char(byte);
        } else {
            text += char(0xc0 | (byte >> 6));
            text += char(0x80 | (byte & 0x3f));
        }
    }
    return text;
}

// Fills what the ID3v2 tag left empty.
void FromId3v1(const mpg123_id3v1& v1, TrackTags& tags)
{
    if (std::memcmp(v1.tag, "TAG", 3) != 0)
        return;
    if (tags.Title.empty())
        tags.Title = Latin1Field(v1.title, sizeof v1.title);
    if (tags.Artists.empty() && !Latin1Field(v1.artist, sizeof v1.artist).empty())
        tags.Artists.push_back(Latin1Field(v1.artist, sizeof v1.artist));
    if (tags.Album.empty())
        tags.Album = Latin1Field(v1.album, sizeof v1.album);
    if (tags.Year.empty())
        tags.Year = LeadingDate(Latin1Field(v1.year, sizeof v1.year));
    if (tags.Genres.empty() && !Id3GenreName(v1.genre).empty())
        tags.Genres.push_back(Id3GenreName(v1.genre));
    // ID3v1.1 keeps the track number in the comment's last byte, behind a zero byte.
    if (tags.TrackNumber == 0 && v1.comment[28] == '\0')
        tags.TrackNumber = static_cast<unsigned char>(v1.comment[29]);
}

} // namespace

TrackTags ReadTrackTags(const std::string& posixPath)
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    TrackTags tags;
    // Opened without waiting (a named pipe would block), and read only when a regular file.
    const int fd = open(posixPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return tags;
    const Closer closer{fd};
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return tags;
    int error = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleDeleter> handle(mpg123_new(nullptr, &error));
    if (!handle)
        return tags;
    const long flags = MPG123_QUIET | (Id3v2Size(fd) <= MaxId3v2Bytes ? MPG123_PICTURE : MPG123_SKIP_ID3V2);
    if (mpg123_param(handle.get(), MPG123_ADD_FLAGS, flags, 0.0) != MPG123_OK ||
        mpg123_open_fd(handle.get(), fd) != MPG123_OK)
        return tags;
    // The library finds the ID3v1 tag when it opens the file and parses the ID3v2 tag on its way to
    // the first frame, which finding the format reaches.
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    mpg123_getformat(handle.get(), &rate, &channels, &encoding);
    mpg123_id3v1* v1 = nullptr;
    mpg123_id3v2* v2 = nullptr;
    if ((mpg123_meta_check(handle.get()) & MPG123_ID3) == 0 ||
        mpg123_id3(handle.get(), &v1, &v2) != MPG123_OK)
        return tags;
    if (v2 != nullptr)
        FromId3v2(*v2, tags);
    if (v1 != nullptr)
        FromId3v1(*v1, tags);
    return tags;
}
