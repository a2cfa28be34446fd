#pragma once

// The text form of one registry root, as the system's registry editor exports it
// ("Windows Registry Editor Version 5.00", [key] sections, "name"=data lines).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vespern {

struct RegValue {
    std::string name; // empty for the key's default value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data; // as the A functions store it: text with its terminating zero
    bool operator==(const RegValue&) const = default;
};

struct RegKey {
    std::string path; // below the root, components separated by "\", empty for the root itself
    std::vector<RegValue> values;
    bool operator==(const RegKey&) const = default;

    RegValue* findValue(std::string_view name);
    // Replaces the data of a value with the same name in any case; a new value keeps this spelling.
    void setValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
    bool deleteValue(std::string_view name);
};

struct RegHive {
    std::string rootName; // "HKEY_CURRENT_USER"
    std::vector<RegKey> keys;
    bool operator==(const RegHive&) const = default;

    RegKey* findKey(std::string_view path);
    // True for a key of its own or one that has subkeys written below it.
    bool keyExists(std::string_view path) const;
    // Creates the key with every missing parent; returns it.
    RegKey& createKey(std::string_view path);
};

struct RegParseResult {
    bool ok = false;
    RegHive hive;
    std::string error; // "line N: reason" when not ok
};

inline constexpr std::string_view RegFileHeader = "Windows Registry Editor Version 5.00";

RegParseResult ParseRegFile(std::string_view text, const std::string& rootName);
std::string SerialiseRegFile(const RegHive& hive);

// A key path in its stored form: no leading, trailing or doubled separators.
std::string NormaliseKeyPath(std::string_view path);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Text conversions of expandable strings, which the export holds as UTF-16LE bytes.
std::vector<std::uint8_t> Utf8ToUtf16Le(const std::vector<std::uint8_t>& text);
std::vector<std::uint8_t> Utf16LeToUtf8(const std::vector<std::uint8_t>& bytes);

} // namespace vespern
