#include "PlatformFactory.h"

#include "SystemPlatform.h"
#include "dryrun/TracingPlatform.h"

#include <string_view>

namespace vespern {

bool DryRunRequested(const char* value)
{
    return value != nullptr && std::string_view(value) == "1";
}

std::unique_ptr<PowerPlatform> CreatePowerPlatform(const PlatformChoice& choice)
{
    auto real = CreateSystemPlatform(choice);
    if (!choice.dryRun)
        return real;
    auto sink = choice.dryRunSink;
    if (!sink)
        sink = [](const std::string& line) { WriteStandardErrorLine("dry run: " + line); };
    return std::make_unique<TracingPlatform>(std::move(real), TracingPlatform::Mode::DryRun, std::move(sink));
}

} // namespace vespern
