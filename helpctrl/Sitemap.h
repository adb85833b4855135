#pragma once
// Basic idea: the contents file (".hhc") and the index file (".hhk") of a help file, both written as
// a "sitemap": nested HTML lists whose items hold an object of type "text/sitemap" with parameters.
// Each item's first "Name" is its text; each "Local" is a topic it leads to, titled by the "Name"
// just before it when there is one beyond the first. A list written after an item's closing (as
// some compilers write it) belongs to that item. Read with libxml2's HTML parser, which takes any
// bytes; values come out in UTF-8. Plain C++; any thread.

#include <string>
#include <string_view>
#include <vector>

struct SitemapTopic
{
    std::string Title; // empty when the file gives none
    std::string Local; // as written: "pages/a.htm#part"
};

struct SitemapEntry
{
    std::string Name;
    std::vector<SitemapTopic> Topics;
    std::vector<SitemapEntry> Children;
};

// The entries of a sitemap's outermost lists, in order; none when the bytes hold none.
std::vector<SitemapEntry> ReadSitemap(std::string_view bytes);
