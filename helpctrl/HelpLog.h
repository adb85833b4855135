#pragma once
// Basic idea: the control's lines for the program's help debug log, written through the writer the
// program hands it ("HtmlHelpSetDebugLog", platform/services/HtmlHelpApi.h); dropped when it has handed
// none. UI thread only.

#include <string>

void HelpLog(const std::string& line);
