#pragma once
// A temporary world for the common units: drive c is a temporary folder, the program lives in
// c:\Outils\Lecteur\Quelmo.exe, the user's application data is c:\Profiles\Data, the machine-wide
// one c:\ProgramData, the "Windows folder" c:\sys, and the system reports a current version.

#include "TestSupport.h"
#include "platform/services/Module.h"
#include "platform/services/Version.h"

#include <cstdlib>
#include <gtest/gtest.h>

class CommonEnvironment : public ::testing::Test
{
protected:
    CommonEnvironment() : m_Drives(m_Tree.Path())
    {
        m_Tree.MakeDir("Profiles/Data");
        m_Tree.MakeDir("ProgramData");
        m_Tree.MakeDir("sys");
        ::setenv("XDG_CONFIG_HOME", (m_Tree / "Profiles/Data").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (m_Tree / "ProgramData").c_str(), 1);
        ::setenv("QUELMO_WINDIR", (m_Tree / "sys").c_str(), 1);
        PlaceProgram("Outils/Lecteur/Quelmo.exe");
        Version::SetOverride(Version::FromKernel("Linux", "6.1.0"));
    }

    ~CommonEnvironment() override
    {
        Version::SetOverride(std::nullopt);
        Module::SetProgramPosixPath("");
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_CONFIG_DIRS");
        ::unsetenv("QUELMO_WINDIR");
    }

    // Puts the program's file at a path relative to drive c's root.
    void PlaceProgram(const std::string& relative)
    {
        m_Tree.WriteFile(relative);
        Module::SetProgramPosixPath(m_Tree / relative);
    }

    TempTree m_Tree;
    DriveScope m_Drives;
};
