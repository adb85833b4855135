#pragma once
// Basic idea: one compiled help file (".chm"), read whole when it is opened (ChmReader.h keeps
// chmlib, and all parsing of what the file holds, away from the player's process). The reading is
// waited for beside the event loop, so the window thread goes on answering (and the music on
// playing) however long a file takes; what the reading left out, and why a file could not be
// opened, go to the help debug log. The help window reads its pages and images here; the
// control asks it for the file's title, its default topic and the topic of a context number, which
// the file maps through its own tables (#IVB pairs a context number with an offset into #STRINGS,
// which holds the topic's name; #SYSTEM holds the title, the default topic and the names of the
// contents and index files). It also holds the file's contents tree, its index keywords and its
// full-text search, all ready when it is opened. Object names are matched without regard to case,
// as help files expect. UI thread only.

#include "helpctrl/ChmReader.h"
#include "helpctrl/SearchIndex.h"
#include "helpctrl/Sitemap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ChmFile
{
public:
    // The file at a POSIX path, or nullptr when it cannot be read whole, when another file is
    // being opened, or when the application quits meanwhile. Runs the event loop until then.
    static std::unique_ptr<ChmFile> Open(const std::string& posixPath);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    const std::string& PosixPath() const { return m_PosixPath; }
    const std::string& Title() const { return m_Title; }
    // The object path of the default topic ("/index.htm"), empty when the file names none.
    const std::string& DefaultTopic() const { return m_DefaultTopic; }

    // The contents of an object ("/pages/a.htm"); nullopt when there is no such object.
    std::optional<std::string> Read(const std::string& objectPath) const;

    // The object path of a topic name as help files write it ("a.htm", "\html\a.htm",
    // "/a.htm#part"), the anchor left aside; empty when the file holds no such topic. A name that
    // carries folders of the machine the file was compiled on is matched by its trailing part.
    std::string FindTopic(const std::string& name) const;

    // The object path of the topic that a context number maps to; empty when none.
    std::string TopicOfContext(uint32_t context) const;

    // The contents tree and the index keywords, empty when the file has no such file. Their
    // topics' Local is the object path with its anchor ("/pages/a.htm#part"); topics the file does
    // not hold are left out, and a keyword's topic without a title of its own takes its page's
    // (the reading program resolves them).
    const std::vector<SitemapEntry>& Contents() const { return m_Contents; }
    const std::vector<SitemapEntry>& Keywords() const { return m_Keywords; }

    const SearchIndex& Search() const { return m_Search; }

private:
    ChmFile(ChmReader::Objects objects, SearchIndex search, std::vector<SitemapEntry> contents,
            std::vector<SitemapEntry> keywords, std::string posixPath);
    const std::string* Find(const std::string& objectPath) const;

    ChmReader::Objects m_Objects;
    SearchIndex m_Search;
    std::string m_PosixPath;
    std::string m_Title;
    std::string m_DefaultTopic;
    std::vector<SitemapEntry> m_Contents;
    std::vector<SitemapEntry> m_Keywords;
};
