// libFuzzer target for the registry file reader: any input is either refused as a whole with a
// reason, or reads into a hive that writes out and reads back unchanged, with every kept line
// (comments, lines that cannot be read, deletions) in its place and the same lines reported.

#include "platform/linux/registry/RegFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vespern::RegParseResult first = vespern::ParseRegFile(std::string(text), "HKEY_CURRENT_USER");
    if (!first.ok())
        return 0;
    if (first.problems.size() > first.problemCount)
        std::abort();
    const std::string written = vespern::SerialiseRegFile(first.hive);
    const vespern::RegParseResult again = vespern::ParseRegFile(written, "HKEY_CURRENT_USER");
    if (!again.ok() || !(again.hive == first.hive) || again.problemCount != first.problemCount
        || vespern::SerialiseRegFile(again.hive) != written)
        std::abort();
    return 0;
}
