#pragma once
// Basic idea: the file versions the help code reports: the four-part version of a file (from its
// version resource, platform/services/VersionInfo.h), comparison of versions part by part, and the friendly
// names of the help control's and the browser component's versions that the debug log's header
// shows. The friendly names come from fixed tables; the *Of forms take a version, so the tables can
// be checked without files. UI thread only.

#include <cstdint>
#include <string>

struct FileVersion
{
    uint16_t A = 0, B = 0, C = 0, D = 0;
    std::string Text; // "a.b.c.d", empty when the file has no version
};

// The version of a file (path text): empty text and zeros when the path is empty, the file is
// missing or it has no version resource.
FileVersion FileVersionText(const std::string& path);

// -1 when the version is lower than the threshold, 0 when equal, 1 when higher.
int CompareVersion(const FileVersion& version, const FileVersion& threshold);

// The browser component's version: the version of "Shdocvw.dll" in the system folder, with the
// old numbering (4.x below 4.71 with c = 0) moved into the usual places.
FileVersion BrowserVersion();
FileVersion AdjustBrowserVersion(FileVersion version);

std::string FriendlyHHVersionOf(const FileVersion& version);
std::string FriendlyIEVersionOf(const FileVersion& version);

// The friendly names of the help control at HelpControlPath and of the browser component.
std::string FriendlyHHVersion();
std::string FriendlyIEVersion();
