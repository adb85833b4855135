#include "helpctrl/HelpLog.h"

#include "platform/services/HtmlHelpApi.h"

namespace {
HtmlHelpDebugLog g_Writer = nullptr;
} // namespace

void HelpLog(const std::string& line)
{
    if (g_Writer != nullptr)
        g_Writer(line.c_str());
}

extern "C" __attribute__((visibility("default"))) void HtmlHelpSetDebugLog(HtmlHelpDebugLog writer)
{
    g_Writer = writer;
}
