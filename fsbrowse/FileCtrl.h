#pragma once
// Basic idea: the path helpers that the drive, directory and file lists share (unit FileCtrl):
// splitting and joining path texts, the drive part, the directory test, and the I/O error rule
// (every failure to make a directory current raises EInOutError with the platform's code). Also
// the pieces of the lists' look that all three share: case-blind ordering of names, the locale's
// case mapping, glyph loading with a transparent colour, and the font's line height. UI thread
// only, like the emulated current directory these helpers read and change.

#include <QFont>
#include <QPixmap>
#include <string>
#include <vector>

namespace FileCtrl {

// "c:" for "c:\x"; "\\server\share" for a network path; else empty.
std::string DrivePart(const std::string& text);
// dir + name, with one "\" between them.
std::string JoinPath(const std::string& dir, const std::string& name);
// The path names an existing directory.
bool DirExists(const std::string& path);
// The number of "\" in a text.
int BackslashCount(const std::string& text);

// Makes a directory current; raises EInOutError with the platform's code when that fails.
void MakeCurrent(const std::string& path);

struct SplitResult
{
    char Drive = 0; // the letter as written, or 0 for none (a network path)
    std::string Dir;
    std::string File;
};
// Splits a path text into drive, directory and file part, resolving a relative text against the
// current directory and taking a last component that names a directory into the directory part.
// The current directory is the same afterwards. Raises EInOutError on a directory that cannot be
// made current.
SplitResult SplitPath(const std::string& text);

// The locale's case mapping of a byte text (UTF-8 where valid, ASCII rules elsewhere).
std::string LowerText(const std::string& text);
std::string UpperText(const std::string& text);
// Case-blind comparison of names, negative, 0 or positive. Two names that differ only in case
// compare equal.
int CompareText(const std::string& a, const std::string& b);
// The key CompareText orders by: comparing two keys byte for byte gives CompareText's order.
std::string SortKey(const std::string& text);

// For names inserted one after another into a list kept sorted by key (a name goes after the
// names with an equal key), the position each insertion lands at. O(n log n).
std::vector<int> InsertionPositions(const std::vector<std::string>& keys);

// The text a byte name shows: UTF-8 where valid, replacement characters elsewhere. The signs that
// carry a "\" or ":" of a name stay as they are, so that such a name never reads as two.
QString DisplayText(const std::string& text);

// A path text shortened to fit `maxWidth` pixels in `font`: the directories after the drive give
// way to "..." one by one from the left; the last name is always kept.
std::string MinimizeName(const std::string& path, const QFont& font, int maxWidth);

// A 16-colour glyph of the lists' resources (":/fsbrowse/glyphs/NAME.bmp"), with the colour of
// its lower-left pixel made transparent.
QPixmap LoadGlyph(const char* name);
// The height of one line of text of a font.
int FontLineHeight(const QFont& font);

} // namespace FileCtrl
