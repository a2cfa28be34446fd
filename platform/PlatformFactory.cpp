#include "PlatformFactory.h"

#include "dryrun/TracingPlatform.h"
#include "linux/LinuxPlatform.h"

#include <iostream>
#include <string_view>

namespace vespern {

bool DryRunRequested(const char* value)
{
    return value != nullptr && std::string_view(value) == "1";
}

std::unique_ptr<PowerPlatform> CreatePowerPlatform(const PlatformChoice& choice)
{
    auto real = std::make_unique<LinuxPlatform>(LinuxPaths {}, LinuxPlatform::ErrorSink {}, choice.notices);
    real->SetComputerPicker(choice.computerPicker);
    if (!choice.dryRun)
        return real;
    auto sink = choice.dryRunSink;
    if (!sink)
        sink = [](const std::string& line) { std::cerr << "dry run: " << line << std::endl; };
    return std::make_unique<TracingPlatform>(std::move(real), TracingPlatform::Mode::DryRun, std::move(sink));
}

} // namespace vespern
