// libFuzzer target for the registry file reader: any input is either refused as a whole with a
// reason, or reads into a hive that writes out as the very same bytes, and, changed, keeps every
// line it did not change where it stood and reads back with the change.

#include "platform/Win32Constants.h"
#include "platform/linux/registry/RegFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// A file of blanks reads as a new, empty one: nothing of it is written back.
bool blank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0' || static_cast<unsigned char>(c) >= 0xBB;
    });
}

const std::vector<std::uint8_t> changed = { 'f', 'u', 'z', 'z', 0 };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vespern::RegParseResult first = vespern::ParseRegFile(std::string(text), "HKEY_CURRENT_USER");
    if (!first.ok())
        return 0;
    require(first.problems.size() <= first.problemCount);
    const std::string written = vespern::SerialiseRegFile(first.hive);
    require(blank(text) || written == text);
    vespern::RegParseResult again = vespern::ParseRegFile(written, "HKEY_CURRENT_USER");
    require(again.ok() && again.hive == first.hive && again.problemCount == first.problemCount);
    if (blank(text))
        return 0;

    // A new key goes after everything that was there.
    first.hive.createKey("Fuzz added").setValue("v", vespern::w32::RegSz, changed);
    const std::string added = vespern::SerialiseRegFile(first.hive);
    require(added.starts_with(text));

    // A changed value changes its own lines and nothing else.
    const auto keys = again.hive.keys();
    const auto key = std::find_if(keys.begin(), keys.end(),
        [](const vespern::RegKey* k) { return !k->values().empty() && k->values().front().source; });
    if (key == keys.end())
        return 0;
    const vespern::RegValue& value = (*key)->values().front();
    const vespern::TextSpan span = *value.source;
    const std::string name = value.name;
    again.hive.findKey((*key)->path())->setValue(name, vespern::w32::RegSz, changed);
    const std::string edited = vespern::SerialiseRegFile(again.hive);
    const vespern::RegParseResult read = vespern::ParseRegFile(edited, "HKEY_CURRENT_USER");
    require(read.ok() && read.problemCount == first.problemCount);
    require(read.hive.findKey((*key)->path())->findValue(name)->data == changed);
    if (first.hive.form().encoding == vespern::RegFileForm::Encoding::Utf8) {
        require(edited.starts_with(text.substr(0, span.offset)));
        require(edited.ends_with(text.substr(span.end())));
    }
    return 0;
}
