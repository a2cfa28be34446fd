// libFuzzer target for the registry file reader: any input either is refused with a reason or
// reads into a hive that writes out and reads back unchanged.

#include "platform/linux/RegFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vespern::RegParseResult first = vespern::ParseRegFile(text, "HKEY_CURRENT_USER");
    if (!first.ok) {
        if (first.error.empty())
            std::abort();
        return 0;
    }
    const std::string written = vespern::SerialiseRegFile(first.hive);
    const vespern::RegParseResult again = vespern::ParseRegFile(written, "HKEY_CURRENT_USER");
    if (!again.ok || !(again.hive == first.hive) || vespern::SerialiseRegFile(again.hive) != written)
        std::abort();
    return 0;
}
