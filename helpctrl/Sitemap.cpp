#include "helpctrl/Sitemap.h"

#include "helpctrl/ByteCodec.h"
#include "helpctrl/TopicText.h"

#include <algorithm>
#include <climits>
#include <libxml/HTMLparser.h>
#include <strings.h>

namespace {

// Lists nested deeper than this are taken as one level: the window's tree stays shallow enough.
constexpr uint32_t MaxLevel = 256;
// The parser is fed this much at a time, so that it stops soon after the last item wanted.
constexpr size_t Chunk = size_t(64) << 10;

bool Is(const xmlChar* name, const char* wanted)
{
    return name != nullptr && ::strcasecmp(reinterpret_cast<const char*>(name), wanted) == 0;
}

std::string AttributeOf(const xmlChar** attributes, const char* name)
{
    for (const xmlChar** at = attributes; at != nullptr && at[0] != nullptr; at += 2)
        if (Is(at[0], name))
            return at[1] != nullptr ? reinterpret_cast<const char*>(at[1]) : "";
    return {};
}

// What the tags seen so far say: how many lists are open, the item being read, the items read.
struct ReadState
{
    htmlParserCtxtPtr Parser = nullptr;
    size_t MaxItems = 0;
    bool Cut = false;
    uint32_t OpenLists = 0;
    int OpenObjects = 0;
    bool InSitemapObject = false;
    bool ItemTaken = false; // an item ("li") keeps its first object only
    bool Named = false;
    std::string Title;
    SitemapItem Item;
    std::vector<SitemapItem> Items;
};

void OnParam(ReadState& state, const xmlChar** attributes)
{
    const std::string name = AttributeOf(attributes, "name");
    if (::strcasecmp(name.c_str(), "Name") == 0) {
        (state.Named ? state.Title : state.Item.Name) = AttributeOf(attributes, "value");
        state.Named = true;
    } else if (::strcasecmp(name.c_str(), "Local") == 0) {
        state.Item.Topics.push_back({state.Title, AttributeOf(attributes, "value")});
        state.Title.clear();
    }
}

void OnStart(void* context, const xmlChar* tag, const xmlChar** attributes)
{
    auto& state = *static_cast<ReadState*>(context);
    if (Is(tag, "ul")) {
        ++state.OpenLists;
        state.ItemTaken = false;
    } else if (Is(tag, "li")) {
        state.ItemTaken = false;
    } else if (Is(tag, "object")) {
        if (state.OpenObjects++ > 0 || state.OpenLists == 0 || state.ItemTaken)
            return;
        state.InSitemapObject = ::strcasecmp(AttributeOf(attributes, "type").c_str(), "text/sitemap") == 0;
        state.Item = {std::min(state.OpenLists, MaxLevel) - 1, {}, {}};
        state.Named = false;
        state.Title.clear();
    } else if (Is(tag, "param") && state.InSitemapObject && state.OpenObjects == 1) {
        OnParam(state, attributes);
    }
}

void OnEnd(void* context, const xmlChar* tag)
{
    auto& state = *static_cast<ReadState*>(context);
    if (Is(tag, "ul") && state.OpenLists > 0) {
        --state.OpenLists;
        state.ItemTaken = false;
    } else if (Is(tag, "object") && state.OpenObjects > 0 && --state.OpenObjects == 0 &&
               state.InSitemapObject) {
        state.InSitemapObject = false;
        state.ItemTaken = true;
        if (state.Items.size() == state.MaxItems) {
            state.Cut = true;
            xmlStopParser(state.Parser);
            return;
        }
        state.Items.push_back(std::move(state.Item));
    }
}

} // namespace

std::vector<SitemapItem> ReadSitemap(std::string_view bytes, size_t maxItems, bool& cut)
{
    cut = false;
    if (bytes.empty() || bytes.size() > size_t(INT_MAX))
        return {};
    htmlSAXHandler handler{};
    handler.startElement = &OnStart;
    handler.endElement = &OnEnd;
    ReadState state;
    state.MaxItems = maxItems;
    // UTF-8 when the bytes are UTF-8, else the encoding the file declares (Latin-1 without one).
    const xmlCharEncoding encoding =
        TopicText::IsValidUtf8(bytes) ? XML_CHAR_ENCODING_UTF8 : XML_CHAR_ENCODING_NONE;
    state.Parser = htmlCreatePushParserCtxt(&handler, &state, nullptr, 0, nullptr, encoding);
    if (state.Parser == nullptr)
        return {};
    htmlCtxtUseOptions(state.Parser,
                       HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    for (size_t at = 0; at < bytes.size() && !state.Cut; at += Chunk) {
        const size_t length = std::min(Chunk, bytes.size() - at);
        htmlParseChunk(state.Parser, bytes.data() + at, int(length), at + length == bytes.size() ? 1 : 0);
    }
    htmlFreeParserCtxt(state.Parser);
    cut = state.Cut;
    return std::move(state.Items);
}

std::string EncodeSitemap(const std::vector<SitemapItem>& items)
{
    std::string out;
    ByteCodec::PutNumber(out, uint32_t(items.size()));
    for (const SitemapItem& item : items) {
        ByteCodec::PutNumber(out, item.Level);
        ByteCodec::PutText(out, item.Name);
        ByteCodec::PutNumber(out, uint32_t(item.Topics.size()));
        for (const SitemapTopic& topic : item.Topics) {
            ByteCodec::PutText(out, topic.Title);
            ByteCodec::PutText(out, topic.Local);
        }
    }
    return out;
}

std::optional<std::vector<SitemapEntry>> DecodeSitemap(std::string_view bytes)
{
    ByteCodec::Reader in(bytes);
    uint32_t count = 0;
    // Each item takes at least 12 bytes and each topic 8: larger counts are damage.
    if (!in.Number(count) || count > in.Left() / 12)
        return std::nullopt;
    std::vector<SitemapEntry> roots;
    // The lists that the next item may join, outermost first: the roots, then the children of the
    // last item of each level.
    std::vector<std::vector<SitemapEntry>*> open{&roots};
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t level = 0, topics = 0;
        SitemapEntry entry;
        if (!in.Number(level) || !in.Text(entry.Name) || !in.Number(topics) || topics > in.Left() / 8)
            return std::nullopt;
        entry.Topics.resize(topics);
        for (SitemapTopic& topic : entry.Topics)
            if (!in.Text(topic.Title) || !in.Text(topic.Local))
                return std::nullopt;
        open.resize(std::min<size_t>(level, open.size() - 1) + 1);
        std::vector<SitemapEntry>& list = *open.back();
        list.push_back(std::move(entry));
        open.push_back(&list.back().Children);
    }
    if (!in.AtEnd())
        return std::nullopt;
    return roots;
}
