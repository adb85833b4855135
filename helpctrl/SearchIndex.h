#pragma once
// Basic idea: the full-text search of one help file. The reading program (ChmStream.h) adds
// every page of the file as it reads it and sends the result along with the file's objects; the
// window asks it for the topics that hold every word of a query. Words are compared folded
// (TopicText.h), so case and accents do not matter, and a word finds its plural and its
// singular. A topic's score is how often the query's words occur in it, words of its title
// counting more; the best come first. Decoding checks every length and number it reads, so a
// damaged stream gives no search rather than a wrong one. Plain C++.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class SearchIndex
{
public:
    struct Topic
    {
        std::string Path;  // object path, "/pages/a.htm"
        std::string Title; // UTF-8; the path's file name when the page has no title
    };
    struct Hit
    {
        size_t Topic = 0; // into Topics()
        uint32_t Score = 0;
    };

    // At most this many different words, and this many (word, topic) pairs, are kept: the words
    // of later pages beyond them are left out of the search.
    static constexpr size_t MaxWords = 200000;
    static constexpr size_t MaxPostings = 2000000;

    // The reading program's side: a page's words, then the whole index as bytes.
    void AddPage(const std::string& objectPath, std::string_view html);
    // Whether words were left out for the limits above.
    bool Limited() const { return m_Limited; }
    std::string Encode() const;

    // The window's side: the index the bytes describe, nullopt when they are damaged.
    static std::optional<SearchIndex> Decode(std::string_view bytes);

    const std::vector<Topic>& Topics() const { return m_Topics; }

    // The folded words of a query, each once, in the order typed.
    static std::vector<std::string> QueryWords(std::u16string_view query);

    // The topics that hold every one of the words (or one of its forms, TopicText::WordForms), best
    // first (ties by title); none for no words.
    std::vector<Hit> Search(const std::vector<std::string>& words) const;

private:
    struct Posting
    {
        uint32_t Topic;
        uint32_t Count;
    };
    std::vector<Topic> m_Topics;
    std::unordered_map<std::string, std::vector<Posting>> m_Postings;
    size_t m_PostingCount = 0;
    bool m_Limited = false;
};
