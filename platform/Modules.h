#pragma once

// The system libraries the program looks entries up in by name; module 0 of GetModuleFileNameA is
// the program's own executable.

#include "platform/Win32Types.h"

#include <string>

namespace vespern {

class Modules {
public:
    virtual ~Modules() = default;

    virtual ModuleHandle LoadLibraryA(const std::string& fileName) = 0;
    virtual ModuleHandle GetModuleHandleA(const std::string& moduleName) = 0;
    virtual ProcAddress GetProcAddress(ModuleHandle module, const std::string& procName) = 0;
    virtual bool FreeLibrary(ModuleHandle module) = 0;
    virtual std::string GetModuleFileNameA(ModuleHandle module) = 0;
};

} // namespace vespern
