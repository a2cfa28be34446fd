#include "platform/SystemPlatform.h"

#include "LinuxPlatform.h"

#include <iostream>

namespace vespern {

std::unique_ptr<PowerPlatform> CreateSystemPlatform(const PlatformChoice& choice)
{
    auto platform = std::make_unique<LinuxPlatform>(LinuxPaths {}, LinuxPlatform::ErrorSink {}, choice.notices);
    platform->SetComputerPicker(choice.computerPicker);
    if (choice.watchPump)
        choice.watchPump(platform->Pump());
    return platform;
}

void WriteStandardErrorLine(const std::string& line)
{
    std::cerr << line << std::endl;
}

} // namespace vespern
