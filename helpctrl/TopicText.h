#pragma once
// Basic idea: the words of a help topic, as the search and the index compare them. A word is a run
// of letters and digits; apostrophes, hyphens and every other sign end it, so "l’arborescence"
// holds the word "arborescence" and "sous-dossiers" the words "sous" and "dossiers". Words are
// folded before they are compared: lower case, accents and ligatures taken off ("Réglages" and
// "REGLAGES" both give "reglages", "cœur" gives "coeur"), for the Latin letters of French and its
// neighbours; other scripts are kept as they are. The same folding serves the reading program,
// which builds the search from the pages, and the window, which folds what the user types and
// finds the words to highlight, so both always agree. Plain C++ and libxml2 (no Qt); any thread.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace TopicText {

struct Word
{
    std::string Folded; // UTF-8
    size_t Begin = 0;   // in UTF-16 code units of the text given
    size_t End = 0;
};

// Calls `take` for each word of a UTF-16 text, in order.
void ForEachWord(std::u16string_view text, const std::function<void(const Word&)>& take);

// The same for a UTF-8 text (invalid bytes count as signs between words).
void ForEachWord(std::string_view utf8, const std::function<void(const Word&)>& take);

// The folded words that a search for a folded word accepts: the word itself and its French plural
// or singular, made by adding or taking off a final "s" or "x" ("dossier" finds "dossiers",
// "lecteurs" finds "lecteur").
std::vector<std::string> WordForms(const std::string& folded);

// A whole text folded, signs and blanks kept (lower-cased where they have case): for comparing
// the start of an index keyword with what is typed.
std::string Fold(std::u16string_view text);

// Whether the bytes are UTF-8 throughout (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// The UTF-8 text of a UTF-16 one (lone surrogates become U+FFFD).
std::string Utf8Of(std::u16string_view text);

// The title and the visible text of an HTML page (scripts and style sheets left out), in UTF-8.
// The page's bytes are read as UTF-8 when they are valid UTF-8, else in the encoding the page
// declares (Latin-1 when it declares none).
struct PageText
{
    std::string Title;
    std::string Body;
};
PageText TextOfPage(std::string_view html);

} // namespace TopicText
