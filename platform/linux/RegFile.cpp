#include "RegFile.h"

#include "platform/Win32Constants.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vespern {

namespace {

char foldCase(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool isParentOf(std::string_view parent, std::string_view path)
{
    if (parent.empty())
        return !path.empty();
    return path.size() > parent.size() && path[parent.size()] == '\\'
        && EqualsIgnoreCase(path.substr(0, parent.size()), parent);
}

// ---- writing ----

void appendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

// Text that survives the quoted form: one terminating zero, nothing a line cannot hold.
bool fitsQuotedString(const std::vector<std::uint8_t>& data)
{
    if (data.empty() || data.back() != 0)
        return false;
    return std::none_of(data.begin(), data.end() - 1, [](std::uint8_t b) { return b == 0 || b == '\n' || b == '\r'; });
}

// Hex bytes wrapped as the registry editor wraps them: lines end in "\" and go on indented.
void appendHex(std::string& out, std::size_t lineStart, const std::vector<std::uint8_t>& data)
{
    // A full line stays within 80 columns, its closing backslash included.
    constexpr std::size_t width = 76;
    char byte[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02x", data[i]);
        out += byte;
        if (i + 1 == data.size())
            break;
        out += ',';
        if (out.size() - lineStart > width) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
        }
    }
}

void appendValue(std::string& out, const RegValue& value)
{
    const std::size_t lineStart = out.size();
    if (value.name.empty())
        out += '@';
    else
        appendQuoted(out, value.name);
    out += '=';
    if (value.type == w32::RegSz && fitsQuotedString(value.data)) {
        appendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    } else if (value.type == w32::RegDword && value.data.size() == 4) {
        char text[16];
        const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16
            | static_cast<std::uint32_t>(value.data[3]) << 24;
        std::snprintf(text, sizeof text, "dword:%08x", number);
        out += text;
    } else if (value.type == w32::RegBinary) {
        out += "hex:";
        appendHex(out, lineStart, value.data);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        out += prefix;
        appendHex(out, lineStart, value.type == w32::RegExpandSz ? Utf8ToUtf16Le(value.data) : value.data);
    }
    out += '\n';
}

// ---- reading ----

class Parser {
public:
    Parser(std::string_view text, const std::string& rootName)
        : text_(text)
    {
        result_.hive.rootName = rootName;
    }

    RegParseResult run()
    {
        if (text_.starts_with("\xEF\xBB\xBF"))
            text_.remove_prefix(3);
        bool headerSeen = false;
        RegKey* key = nullptr;
        while (!atEnd()) {
            std::string line = nextLine();
            const std::string_view trimmed = trim(line);
            if (trimmed.empty() || trimmed.front() == ';')
                continue;
            if (!headerSeen) {
                if (trimmed != RegFileHeader)
                    return fail("the file does not start with \"" + std::string(RegFileHeader) + "\"");
                headerSeen = true;
                continue;
            }
            if (trimmed.front() == '[') {
                key = section(trimmed);
                if (!key)
                    return result_;
                continue;
            }
            if (!key)
                return fail("a value stands before the first [key]");
            if (!valueLine(line, *key))
                return result_;
        }
        if (!headerSeen)
            return fail("the file is empty");
        result_.ok = true;
        return result_;
    }

private:
    bool atEnd() const { return position_ >= text_.size(); }

    std::string nextLine()
    {
        ++lineNumber_;
        const auto end = text_.find('\n', position_);
        std::string line(text_.substr(position_, end == std::string_view::npos ? end : end - position_));
        position_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

    static std::string_view trim(std::string_view text)
    {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        return text;
    }

    RegParseResult fail(const std::string& reason)
    {
        result_.ok = false;
        result_.error = "line " + std::to_string(lineNumber_) + ": " + reason;
        return result_;
    }

    RegKey* section(std::string_view line)
    {
        if (line.back() != ']' || line.size() < 3) {
            fail("a [key] line is not closed");
            return nullptr;
        }
        const std::string_view full = line.substr(1, line.size() - 2);
        const std::string& root = result_.hive.rootName;
        const bool rootOnly = EqualsIgnoreCase(full, root);
        if (!rootOnly
            && !(full.size() > root.size() && full[root.size()] == '\\'
                && EqualsIgnoreCase(full.substr(0, root.size()), root))) {
            fail("the key is not below " + root);
            return nullptr;
        }
        const std::string_view below = rootOnly ? std::string_view {} : full.substr(root.size() + 1);
        if (!rootOnly
            && (below.empty() || below.front() == '\\' || below.back() == '\\'
                || below.find("\\\\") != std::string_view::npos)) {
            fail("the key path has an empty part");
            return nullptr;
        }
        return &result_.hive.createKey(below);
    }

    // Reads a quoted text at text[at]; returns the position after it or npos.
    static std::size_t quoted(std::string_view text, std::size_t at, std::string& out)
    {
        if (at >= text.size() || text[at] != '"')
            return std::string_view::npos;
        for (std::size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] == '"')
                return i + 1;
            if (text[i] == '\\') {
                if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                    return std::string_view::npos;
                ++i;
            }
            out += text[i];
        }
        return std::string_view::npos;
    }

    bool valueLine(const std::string& line, RegKey& key)
    {
        std::string name;
        std::size_t at = 0;
        if (!line.empty() && line[0] == '@') {
            at = 1;
        } else {
            at = quoted(line, 0, name);
            if (at == std::string_view::npos || name.empty()) {
                fail("a value name is not a quoted text");
                return false;
            }
        }
        if (at >= line.size() || line[at] != '=') {
            fail("\"=\" is missing after the value name");
            return false;
        }
        std::string data = line.substr(at + 1);
        return valueData(data, name, key);
    }

    bool valueData(std::string& data, const std::string& name, RegKey& key)
    {
        if (!data.empty() && data[0] == '"') {
            std::string text;
            const std::size_t end = quoted(data, 0, text);
            if (end == std::string_view::npos || !trim(std::string_view(data).substr(end)).empty()) {
                fail("a text value is not closed");
                return false;
            }
            std::vector<std::uint8_t> bytes(text.begin(), text.end());
            bytes.push_back(0);
            key.setValue(name, w32::RegSz, std::move(bytes));
            return true;
        }
        if (data.starts_with("dword:"))
            return dword(std::string_view(data).substr(6), name, key);
        std::uint32_t type = w32::RegBinary;
        std::size_t colon = 0;
        if (data.starts_with("hex:")) {
            colon = 3;
        } else if (data.starts_with("hex(")) {
            const auto close = data.find("):");
            if (close == std::string::npos || close == 4 || close > 12 || !hexNumber(data.substr(4, close - 4), type)) {
                fail("a hex(type) prefix is malformed");
                return false;
            }
            colon = close + 1;
        } else {
            fail("the value data is neither text, dword nor hex");
            return false;
        }
        std::vector<std::uint8_t> bytes;
        if (!hexBytes(data.substr(colon + 1), bytes))
            return false;
        if (type == w32::RegExpandSz) {
            if (bytes.size() % 2 != 0) {
                fail("an expandable text has an odd number of bytes");
                return false;
            }
            bytes = Utf16LeToUtf8(bytes);
        }
        key.setValue(name, type, std::move(bytes));
        return true;
    }

    static bool hexNumber(std::string_view text, std::uint32_t& number)
    {
        if (text.empty() || text.size() > 8)
            return false;
        number = 0;
        for (const char c : text) {
            const int digit = hexDigit(c);
            if (digit < 0)
                return false;
            number = number << 4 | static_cast<std::uint32_t>(digit);
        }
        return true;
    }

    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        const char lower = foldCase(c);
        if (lower >= 'a' && lower <= 'f')
            return lower - 'a' + 10;
        return -1;
    }

    bool dword(std::string_view text, const std::string& name, RegKey& key)
    {
        std::uint32_t number = 0;
        if (!hexNumber(trim(text), number)) {
            fail("a dword is not 1 to 8 hex digits");
            return false;
        }
        key.setValue(name, w32::RegDword,
            { static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24) });
        return true;
    }

    // "aa,bb,\" continued on the next lines.
    bool hexBytes(std::string text, std::vector<std::uint8_t>& bytes)
    {
        for (;;) {
            std::string_view rest = trim(text);
            const bool continued = !rest.empty() && rest.back() == '\\';
            if (continued)
                rest.remove_suffix(1);
            std::size_t i = 0;
            while (i < rest.size()) {
                while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t'))
                    ++i;
                if (i + 1 >= rest.size() || hexDigit(rest[i]) < 0 || hexDigit(rest[i + 1]) < 0) {
                    fail("hex data holds something other than two-digit bytes");
                    return false;
                }
                bytes.push_back(static_cast<std::uint8_t>(hexDigit(rest[i]) << 4 | hexDigit(rest[i + 1])));
                i += 2;
                while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t'))
                    ++i;
                if (i < rest.size()) {
                    if (rest[i] != ',') {
                        fail("hex bytes are not separated by commas");
                        return false;
                    }
                    ++i;
                    if (i == rest.size() && !continued) {
                        fail("hex data ends in a comma");
                        return false;
                    }
                }
            }
            if (!continued)
                return true;
            if (atEnd()) {
                fail("hex data is continued past the end of the file");
                return false;
            }
            text = nextLine();
        }
    }

    std::string_view text_;
    std::size_t position_ = 0;
    int lineNumber_ = 0;
    RegParseResult result_;
};

void appendUtf8(std::vector<std::uint8_t>& out, std::uint32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<std::uint8_t>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<std::uint8_t>(0xC0 | code >> 6));
        out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<std::uint8_t>(0xE0 | code >> 12));
        out.push_back(static_cast<std::uint8_t>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<std::uint8_t>(0xF0 | code >> 18));
        out.push_back(static_cast<std::uint8_t>(0x80 | (code >> 12 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
    }
}

void appendUtf16(std::vector<std::uint8_t>& out, std::uint32_t unit)
{
    out.push_back(static_cast<std::uint8_t>(unit));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

// One code point of UTF-8 at text[i] (surrogates allowed, so that any UTF-16 comes back);
// a byte that starts no valid sequence stands for itself, as in Latin-1.
std::uint32_t decodeUtf8(const std::vector<std::uint8_t>& text, std::size_t& i)
{
    const std::uint8_t lead = text[i];
    int length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    }
    if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return lead;
    }
    for (int k = 1; k < length; ++k) {
        const std::uint8_t next = text[i + static_cast<std::size_t>(k)];
        if ((next & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        code = code << 6 | (next & 0x3F);
    }
    const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < smallest || code > 0x10FFFF) {
        ++i;
        return lead;
    }
    i += static_cast<std::size_t>(length);
    return code;
}

} // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldCase(x) == foldCase(y); });
}

std::string NormaliseKeyPath(std::string_view path)
{
    std::string out;
    std::size_t i = 0;
    while (i < path.size()) {
        const auto end = std::min(path.find('\\', i), path.size());
        if (end > i) {
            if (!out.empty())
                out += '\\';
            out.append(path.substr(i, end - i));
        }
        i = end + 1;
    }
    return out;
}

RegValue* RegKey::findValue(std::string_view name)
{
    for (auto& value : values)
        if (EqualsIgnoreCase(value.name, name))
            return &value;
    return nullptr;
}

void RegKey::setValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data)
{
    if (RegValue* existing = findValue(name)) {
        existing->type = type;
        existing->data = std::move(data);
        return;
    }
    values.push_back({ std::string(name), type, std::move(data) });
}

bool RegKey::deleteValue(std::string_view name)
{
    const auto it = std::find_if(
        values.begin(), values.end(), [name](const RegValue& value) { return EqualsIgnoreCase(value.name, name); });
    if (it == values.end())
        return false;
    values.erase(it);
    return true;
}

RegKey* RegHive::findKey(std::string_view path)
{
    for (auto& key : keys)
        if (EqualsIgnoreCase(key.path, path))
            return &key;
    return nullptr;
}

bool RegHive::keyExists(std::string_view path) const
{
    return path.empty() || std::any_of(keys.begin(), keys.end(), [path](const RegKey& key) {
        return EqualsIgnoreCase(key.path, path) || isParentOf(path, key.path);
    });
}

RegKey& RegHive::createKey(std::string_view path)
{
    if (RegKey* existing = findKey(path))
        return *existing;
    const auto separator = path.rfind('\\');
    if (separator != std::string_view::npos && !findKey(path.substr(0, separator)))
        createKey(path.substr(0, separator));
    keys.push_back({ std::string(path), {} });
    return keys.back();
}

RegParseResult ParseRegFile(std::string_view text, const std::string& rootName)
{
    return Parser(text, rootName).run();
}

std::string SerialiseRegFile(const RegHive& hive)
{
    std::string out(RegFileHeader);
    out += "\n\n";
    for (const auto& key : hive.keys) {
        out += '[';
        out += hive.rootName;
        if (!key.path.empty()) {
            out += '\\';
            out += key.path;
        }
        out += "]\n";
        for (const auto& value : key.values)
            appendValue(out, value);
        out += '\n';
    }
    return out;
}

std::vector<std::uint8_t> Utf8ToUtf16Le(const std::vector<std::uint8_t>& text)
{
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::uint32_t code = decodeUtf8(text, i);
        if (code >= 0x10000) {
            appendUtf16(out, 0xD800 | (code - 0x10000) >> 10);
            appendUtf16(out, 0xDC00 | ((code - 0x10000) & 0x3FF));
        } else {
            appendUtf16(out, code);
        }
    }
    return out;
}

std::vector<std::uint8_t> Utf16LeToUtf8(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t unit = bytes[i] | static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const std::uint32_t low = bytes[i + 2] | static_cast<std::uint32_t>(bytes[i + 3]) << 8;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, unit);
    }
    return out;
}

} // namespace vespern
