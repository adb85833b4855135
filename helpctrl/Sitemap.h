#pragma once
// Basic idea: the contents file (".hhc") and the index file (".hhk") of a help file, both written as
// a "sitemap": nested HTML lists whose items hold an object of type "text/sitemap" with parameters.
// Each item's first "Name" is its text; each "Local" is a topic it leads to, titled by the "Name"
// just before it when there is one beyond the first. An item's level is the number of lists around
// it, so a list written after an item's closing (as some compilers write it) belongs to that item.
// The reading program reads a sitemap with libxml2's HTML parser as a stream of tags (it takes any
// bytes; values come out in UTF-8), building no document, and stops at a number of items; it hands
// the window the items as a flat list (EncodeSitemap), which the window turns into a tree
// (DecodeSitemap). Plain C++; any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SitemapTopic
{
    std::string Title; // empty when the file gives none
    std::string Local; // as written: "pages/a.htm#part"
};

// One item of a sitemap in reading order; level 0 for the outermost lists.
struct SitemapItem
{
    uint32_t Level = 0;
    std::string Name;
    std::vector<SitemapTopic> Topics;
};

struct SitemapEntry
{
    std::string Name;
    std::vector<SitemapTopic> Topics;
    std::vector<SitemapEntry> Children;
};

// The items of a sitemap's lists, in order, at most `maxItems`; `cut` tells whether there were more.
std::vector<SitemapItem> ReadSitemap(std::string_view bytes, size_t maxItems, bool& cut);

std::string EncodeSitemap(const std::vector<SitemapItem>& items);

// The tree of the items the bytes describe (an item one level deeper than the one before it is its
// child); nullopt when the bytes are damaged.
std::optional<std::vector<SitemapEntry>> DecodeSitemap(std::string_view bytes);
