#include "helpctrl/TopicText.h"

#include <algorithm>
#include <cstring>
#include <libxml/HTMLparser.h>
#include <memory>

namespace TopicText {

namespace {

struct FoldRange
{
    char32_t From, To;
    const char* Fold;
};

// Letters folded to plain lower-case letters: Latin-1, Latin Extended-A and the ligatures.
constexpr FoldRange FoldRanges[] = {
    {0xC0, 0xC5, "a"},       {0xC6, 0xC6, "ae"},      {0xC7, 0xC7, "c"},      {0xC8, 0xCB, "e"},
    {0xCC, 0xCF, "i"},       {0xD0, 0xD0, "d"},       {0xD1, 0xD1, "n"},      {0xD2, 0xD6, "o"},
    {0xD8, 0xD8, "o"},       {0xD9, 0xDC, "u"},       {0xDD, 0xDD, "y"},      {0xDE, 0xDE, "th"},
    {0xDF, 0xDF, "ss"},      {0xE0, 0xE5, "a"},       {0xE6, 0xE6, "ae"},     {0xE7, 0xE7, "c"},
    {0xE8, 0xEB, "e"},       {0xEC, 0xEF, "i"},       {0xF0, 0xF0, "d"},      {0xF1, 0xF1, "n"},
    {0xF2, 0xF6, "o"},       {0xF8, 0xF8, "o"},       {0xF9, 0xFC, "u"},      {0xFD, 0xFD, "y"},
    {0xFE, 0xFE, "th"},      {0xFF, 0xFF, "y"},       {0x100, 0x105, "a"},    {0x106, 0x10D, "c"},
    {0x10E, 0x111, "d"},     {0x112, 0x11B, "e"},     {0x11C, 0x123, "g"},    {0x124, 0x127, "h"},
    {0x128, 0x131, "i"},     {0x132, 0x133, "ij"},    {0x134, 0x135, "j"},    {0x136, 0x138, "k"},
    {0x139, 0x142, "l"},     {0x143, 0x14B, "n"},     {0x14C, 0x151, "o"},    {0x152, 0x153, "oe"},
    {0x154, 0x159, "r"},     {0x15A, 0x161, "s"},     {0x162, 0x167, "t"},    {0x168, 0x173, "u"},
    {0x174, 0x175, "w"},     {0x176, 0x178, "y"},     {0x179, 0x17E, "z"},    {0x17F, 0x17F, "s"},
    {0x1E9E, 0x1E9E, "ss"},  {0xFB00, 0xFB00, "ff"},  {0xFB01, 0xFB01, "fi"}, {0xFB02, 0xFB02, "fl"},
    {0xFB03, 0xFB03, "ffi"}, {0xFB04, 0xFB04, "ffl"}, {0xFB05, 0xFB06, "st"},
};

const char* FoldOf(char32_t c)
{
    for (const FoldRange& range : FoldRanges)
        if (c >= range.From && c <= range.To)
            return range.Fold;
    return nullptr;
}

// Combining accents (a page may write "é" as "e" and an accent): part of the word, folded away.
bool IsAccent(char32_t c)
{
    return c >= 0x300 && c <= 0x36F;
}

bool IsWordCharacter(char32_t c)
{
    if (c < 0x80)
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (c < 0xC0 || c == 0xD7 || c == 0xF7)
        return false; // Latin-1 signs, the no-break space among them
    // Punctuation, symbols, arrows, box drawing, CJK signs, variation selectors and half-width signs.
    const bool sign = (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) ||
                      (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFE00 && c <= 0xFE6F) ||
                      (c >= 0xFF00 && c <= 0xFF20) || c == 0xFEFF || c >= 0x10000;
    return !sign;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

void AppendFolded(std::string& out, char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        out += char(c - 'A' + 'a');
    else if (const char* fold = FoldOf(c))
        out += fold;
    else if (!IsAccent(c))
        AppendUtf8(out, c);
}

// The code point at `at` (a surrogate pair read as one) and the number of units it takes.
char32_t CodePointAt(std::u16string_view text, size_t at, size_t& units)
{
    const char16_t high = text[at];
    units = 1;
    if (high >= 0xD800 && high <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
        text[at + 1] <= 0xDFFF) {
        units = 2;
        return 0x10000 + ((char32_t(high) - 0xD800) << 10) + (char32_t(text[at + 1]) - 0xDC00);
    }
    return high >= 0xD800 && high <= 0xDFFF ? 0xFFFD : high;
}

// The length of the UTF-8 sequence starting at `at` and its code point; 0 when invalid.
size_t DecodeUtf8(std::string_view text, size_t at, char32_t& c)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    if (lead < 0x80)
        length = 1;
    else if (lead >= 0xC2 && lead < 0xE0)
        length = 2;
    else if (lead >= 0xE0 && lead < 0xF0)
        length = 3;
    else if (lead >= 0xF0 && lead < 0xF5)
        length = 4;
    if (length == 0 || at + length > text.size())
        return 0;
    c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < least[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

std::u16string Utf16Of(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        char32_t c = 0;
        const size_t length = DecodeUtf8(utf8, at, c);
        if (length == 0) {
            out += u'\uFFFD';
            ++at;
            continue;
        }
        at += length;
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    for (size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const size_t length = DecodeUtf8(text, at, c);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

void ForEachWord(std::u16string_view text, const std::function<void(const Word&)>& take)
{
    Word word;
    bool inWord = false;
    for (size_t at = 0; at < text.size();) {
        size_t units = 1;
        const char32_t c = CodePointAt(text, at, units);
        if (IsWordCharacter(c) || (inWord && IsAccent(c))) {
            if (!inWord) {
                word.Folded.clear();
                word.Begin = at;
                inWord = true;
            }
            AppendFolded(word.Folded, c);
            word.End = at + units;
        } else if (inWord) {
            take(word);
            inWord = false;
        }
        at += units;
    }
    if (inWord)
        take(word);
}

void ForEachWord(std::string_view utf8, const std::function<void(const Word&)>& take)
{
    ForEachWord(std::u16string_view(Utf16Of(utf8)), take);
}

std::vector<std::string> WordForms(const std::string& folded)
{
    if (folded.empty())
        return {};
    const char last = folded.back();
    if ((last == 's' || last == 'x') && folded.size() > 2)
        return {folded, folded.substr(0, folded.size() - 1)};
    return {folded, folded + "s", folded + "x"};
}

std::string Fold(std::u16string_view text)
{
    std::string out;
    for (size_t at = 0; at < text.size();) {
        size_t units = 1;
        AppendFolded(out, CodePointAt(text, at, units));
        at += units;
    }
    return out;
}

std::string Utf8Of(std::u16string_view text)
{
    std::string out;
    for (size_t at = 0; at < text.size();) {
        size_t units = 1;
        AppendUtf8(out, CodePointAt(text, at, units));
        at += units;
    }
    return out;
}

namespace {

struct DocFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

bool NameIs(const xmlNode* node, const char* name)
{
    return node->name != nullptr && ::strcasecmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// Elements inside which text runs on: a word may be split across them ("<b>Lec</b>ture").
bool IsInline(const xmlNode* node)
{
    static const char* const names[] = {"a",    "abbr",   "b",   "big", "cite", "code", "em",
                                        "font", "i",      "kbd", "q",   "s",    "samp", "small",
                                        "span", "strong", "sub", "sup", "tt",   "u",    "var"};
    return std::any_of(std::begin(names), std::end(names),
                       [node](const char* name) { return NameIs(node, name); });
}

void CollectText(const xmlNode* node, PageText& page, bool inTitle)
{
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content != nullptr)
                (inTitle ? page.Title : page.Body) += reinterpret_cast<const char*>(node->content);
            continue;
        }
        if (node->type != XML_ELEMENT_NODE || NameIs(node, "script") || NameIs(node, "style"))
            continue;
        CollectText(node->children, page, inTitle || NameIs(node, "title"));
        if (!IsInline(node))
            (inTitle ? page.Title : page.Body) += ' ';
    }
}

} // namespace

PageText TextOfPage(std::string_view html)
{
    PageText page;
    if (html.empty() || html.size() > size_t(INT32_MAX))
        return page;
    const char* encoding = IsValidUtf8(html) ? "UTF-8" : nullptr;
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    const std::unique_ptr<xmlDoc, DocFree> doc(
        htmlReadMemory(html.data(), int(html.size()), nullptr, encoding, options));
    if (!doc)
        return page;
    CollectText(xmlDocGetRootElement(doc.get()), page, false);
    // The title as one line, without the blanks around it.
    std::replace_if(
        page.Title.begin(), page.Title.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; },
        ' ');
    const size_t first = page.Title.find_first_not_of(' ');
    page.Title = first == std::string::npos
                     ? std::string()
                     : page.Title.substr(first, page.Title.find_last_not_of(' ') + 1 - first);
    return page;
}

} // namespace TopicText
