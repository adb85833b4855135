#include "helpctrl/SearchIndex.h"

#include "helpctrl/ByteCodec.h"
#include "helpctrl/TopicText.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

using ByteCodec::PutNumber;
using ByteCodec::PutText;
using ByteCodec::Reader;

// A word of the title is worth this many words of the text.
constexpr uint32_t TitleWeight = 5;

} // namespace

void SearchIndex::AddPage(const std::string& objectPath, std::string_view html)
{
    const TopicText::PageText text = TopicText::TextOfPage(html);
    std::map<std::string, uint32_t> counts;
    TopicText::ForEachWord(std::string_view(text.Body),
                           [&counts](const TopicText::Word& word) { ++counts[word.Folded]; });
    TopicText::ForEachWord(std::string_view(text.Title),
                           [&counts](const TopicText::Word& word) { counts[word.Folded] += TitleWeight; });
    const auto topic = uint32_t(m_Topics.size());
    m_Topics.push_back(
        {objectPath, !text.Title.empty() ? text.Title : objectPath.substr(objectPath.rfind('/') + 1)});
    for (const auto& [word, count] : counts) {
        auto postings = m_Postings.find(word);
        if (m_PostingCount == MaxPostings ||
            (postings == m_Postings.end() && m_Postings.size() == MaxWords)) {
            m_Limited = true;
            continue;
        }
        if (postings == m_Postings.end())
            postings = m_Postings.emplace(word, std::vector<Posting>()).first;
        postings->second.push_back({topic, count});
        ++m_PostingCount;
    }
}

std::string SearchIndex::Encode() const
{
    std::string out;
    PutNumber(out, uint32_t(m_Topics.size()));
    for (const Topic& topic : m_Topics) {
        PutText(out, topic.Path);
        PutText(out, topic.Title);
    }
    PutNumber(out, uint32_t(m_Postings.size()));
    for (const auto& [word, postings] : m_Postings) {
        PutText(out, word);
        PutNumber(out, uint32_t(postings.size()));
        for (const Posting& posting : postings) {
            PutNumber(out, posting.Topic);
            PutNumber(out, posting.Count);
        }
    }
    return out;
}

std::optional<SearchIndex> SearchIndex::Decode(std::string_view bytes)
{
    SearchIndex index;
    Reader in(bytes);
    uint32_t topics = 0, words = 0;
    // Each topic takes at least 8 bytes, each word 8 and each posting 8: counts beyond what the
    // bytes can hold are damage, caught before anything is reserved.
    if (!in.Number(topics) || topics > in.Left() / 8)
        return std::nullopt;
    index.m_Topics.resize(topics);
    for (Topic& topic : index.m_Topics)
        if (!in.Text(topic.Path) || !in.Text(topic.Title))
            return std::nullopt;
    if (!in.Number(words) || words > in.Left() / 8)
        return std::nullopt;
    for (uint32_t w = 0; w < words; ++w) {
        std::string word;
        uint32_t count = 0;
        if (!in.Text(word) || !in.Number(count) || count > in.Left() / 8)
            return std::nullopt;
        std::vector<Posting>& postings = index.m_Postings[word];
        postings.resize(count);
        for (Posting& posting : postings)
            if (!in.Number(posting.Topic) || !in.Number(posting.Count) || posting.Topic >= topics)
                return std::nullopt;
    }
    if (!in.AtEnd())
        return std::nullopt;
    return index;
}

std::vector<std::string> SearchIndex::QueryWords(std::u16string_view query)
{
    std::vector<std::string> words;
    TopicText::ForEachWord(query, [&words](const TopicText::Word& word) {
        if (std::find(words.begin(), words.end(), word.Folded) == words.end())
            words.push_back(word.Folded);
    });
    return words;
}

std::vector<SearchIndex::Hit> SearchIndex::Search(const std::vector<std::string>& words) const
{
    if (words.empty())
        return {};
    // Scores per topic; a topic that holds no form of one of the words drops out.
    std::vector<uint32_t> scores(m_Topics.size(), 0);
    std::vector<size_t> found(m_Topics.size(), 0);
    for (const std::string& word : words) {
        std::vector<bool> holds(m_Topics.size(), false);
        for (const std::string& form : TopicText::WordForms(word)) {
            const auto postings = m_Postings.find(form);
            if (postings == m_Postings.end())
                continue;
            for (const Posting& posting : postings->second) {
                scores[posting.Topic] += posting.Count;
                holds[posting.Topic] = true;
            }
        }
        for (size_t topic = 0; topic < m_Topics.size(); ++topic)
            found[topic] += holds[topic] ? 1 : 0;
    }
    std::vector<Hit> hits;
    for (size_t topic = 0; topic < m_Topics.size(); ++topic)
        if (found[topic] == words.size())
            hits.push_back({topic, scores[topic]});
    std::sort(hits.begin(), hits.end(), [this](const Hit& a, const Hit& b) {
        if (a.Score != b.Score)
            return a.Score > b.Score;
        return m_Topics[a.Topic].Title < m_Topics[b.Topic].Title;
    });
    return hits;
}
