#pragma once
// Basic idea: the tables of a compiled help file that both sides read: the reading program, which
// parses the contents and the index and must know which objects they are, and the window, which
// shows the title and the default topic. #SYSTEM holds records of a 16-bit code, a 16-bit length
// and the data, after a 32-bit version. Topic names are matched to object paths without regard to
// case, as help files expect. Plain C++; any thread.

#include <cstddef>
#include <functional>
#include <string>

namespace ChmTables {

struct SystemRecords
{
    std::string Title;
    std::string DefaultTopic; // as the file names it ("pages/index.htm")
    std::string ContentsFile; // ".hhc"
    std::string IndexFile;    // ".hhk"
};

// The records of a #SYSTEM object; empty fields for records it lacks or that run past its end.
SystemRecords ReadSystem(const std::string& system);

// Whether an object path ("/pages/a.htm", lower case) is in the file.
using HasObject = std::function<bool(const std::string& lowerPath)>;

// The object path of a topic name as help files write it ("a.htm", "\html\a.htm", "/a.htm#part"),
// the anchor left aside; empty when the file holds no such topic. A name that
// carries folders of the machine the file was compiled on is matched by its trailing part.
std::string FindTopic(const std::string& name, const HasObject& has);

std::string LowerCase(std::string text);

// A NUL-terminated text of a table, from `at`; up to `end` when the NUL is missing or lies beyond.
std::string TextAt(const std::string& data, size_t at, size_t end);

} // namespace ChmTables
