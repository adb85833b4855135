#include "platform/services/DynamicLibrary.h"

#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"
#include "platform/services/WinError.h"

#include <dlfcn.h>

HMODULE LoadLibraryA(const std::string& path)
{
    std::string posix;
    if (const int error = Paths::ToPosix(path, posix); error != 0) {
        SetLastError(error);
        return nullptr;
    }
    if (!FileSystem::FileExists(path))
        return nullptr; // the last error is set by the test
    // RTLD_LOCAL keeps the module's symbols out of the program's namespace, as a DLL's would be.
    void* handle = ::dlopen(posix.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        SetLastError(WinError::BadExeFormat);
    return handle;
}

void* GetProcAddress(HMODULE module, const char* name)
{
    if (module == nullptr || name == nullptr)
        return nullptr;
    void* entry = ::dlsym(module, name);
    if (entry == nullptr)
        SetLastError(WinError::ProcNotFound);
    return entry;
}

bool FreeLibrary(HMODULE module)
{
    return module != nullptr && ::dlclose(module) == 0;
}
