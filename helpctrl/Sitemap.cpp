#include "helpctrl/Sitemap.h"

#include "helpctrl/TopicText.h"

#include <climits>
#include <libxml/HTMLparser.h>
#include <memory>
#include <strings.h>

namespace {

struct DocFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

struct XmlFree
{
    void operator()(xmlChar* text) const { xmlFree(text); }
};

bool NameIs(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->name != nullptr &&
           ::strcasecmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::string Attribute(xmlNode* node, const char* name)
{
    const std::unique_ptr<xmlChar, XmlFree> value(xmlGetProp(node, reinterpret_cast<const xmlChar*>(name)));
    return value ? std::string(reinterpret_cast<const char*>(value.get())) : std::string();
}

// An object's parameters, in order; false when it is no sitemap object.
bool ReadObject(xmlNode* object, SitemapEntry& entry)
{
    if (::strcasecmp(Attribute(object, "type").c_str(), "text/sitemap") != 0)
        return false;
    bool named = false;
    std::string title;
    for (xmlNode* param = object->children; param != nullptr; param = param->next) {
        if (!NameIs(param, "param"))
            continue;
        const std::string name = Attribute(param, "name");
        if (::strcasecmp(name.c_str(), "Name") == 0) {
            (named ? title : entry.Name) = Attribute(param, "value");
            named = true;
        } else if (::strcasecmp(name.c_str(), "Local") == 0) {
            entry.Topics.push_back({title, Attribute(param, "value")});
            title.clear();
        }
    }
    return true;
}

void ReadList(xmlNode* list, std::vector<SitemapEntry>& entries, int depth);

// An item: its object, and the lists inside it as its children.
void ReadItem(xmlNode* item, std::vector<SitemapEntry>& entries, int depth)
{
    SitemapEntry entry;
    bool found = false;
    for (xmlNode* child = item->children; child != nullptr; child = child->next)
        if (!found && NameIs(child, "object"))
            found = ReadObject(child, entry);
    if (!found)
        return;
    for (xmlNode* child = item->children; child != nullptr; child = child->next)
        if (NameIs(child, "ul"))
            ReadList(child, entry.Children, depth + 1);
    entries.push_back(std::move(entry));
}

void ReadList(xmlNode* list, std::vector<SitemapEntry>& entries, int depth)
{
    // libxml2 nests no deeper than this itself; the check keeps the recursion bounded regardless.
    if (depth > 256)
        return;
    for (xmlNode* child = list->children; child != nullptr; child = child->next) {
        if (NameIs(child, "li")) {
            ReadItem(child, entries, depth);
        } else if (NameIs(child, "ul")) {
            if (!entries.empty())
                ReadList(child, entries.back().Children, depth + 1);
            else
                ReadList(child, entries, depth + 1);
        } else if (NameIs(child, "object")) {
            SitemapEntry entry;
            if (ReadObject(child, entry))
                entries.push_back(std::move(entry));
        }
    }
}

// The outermost lists, wherever they are in the page.
void FindLists(xmlNode* node, std::vector<SitemapEntry>& entries, int depth)
{
    for (; node != nullptr && depth <= 256; node = node->next) {
        if (NameIs(node, "ul"))
            ReadList(node, entries, 0);
        else if (node->type == XML_ELEMENT_NODE)
            FindLists(node->children, entries, depth + 1);
    }
}

} // namespace

std::vector<SitemapEntry> ReadSitemap(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > size_t(INT_MAX))
        return {};
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    // UTF-8 when the bytes are UTF-8, else the encoding the file declares (Latin-1 without one).
    const char* encoding = TopicText::IsValidUtf8(bytes) ? "UTF-8" : nullptr;
    const std::unique_ptr<xmlDoc, DocFree> doc(
        htmlReadMemory(bytes.data(), int(bytes.size()), nullptr, encoding, options));
    if (!doc)
        return {};
    std::vector<SitemapEntry> entries;
    FindLists(xmlDocGetRootElement(doc.get()), entries, 0);
    return entries;
}
