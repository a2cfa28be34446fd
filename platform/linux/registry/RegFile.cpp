#include "RegFile.h"

#include "platform/CodePageText.h"
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

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Calls visit(component) for each part of a normalised path; stops when it returns false.
template <typename Visit> bool forEachComponent(std::string_view path, Visit visit)
{
    while (!path.empty()) {
        const auto separator = std::min(path.find('\\'), path.size());
        if (!visit(path.substr(0, separator)))
            return false;
        path.remove_prefix(std::min(separator + 1, path.size()));
    }
    return true;
}

std::size_t characters(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string withThousands(std::size_t number)
{
    const std::string digits = std::to_string(number);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::vector<std::uint8_t> utf16LeFromCodePage(const std::vector<std::uint8_t>& text)
{
    const std::u16string units
        = Utf16FromCodePage(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::string codePageFromUtf16Le(std::string_view bytes)
{
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(
            static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return CodePageFromUtf16(units);
}

// A UTF-16LE file as UTF-8 text that converts back to the very same units: a surrogate without
// its other half is kept as its own three bytes (as WTF-8 does), not replaced.
std::string textFromUtf16Le(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() / 2 * 3 / 2);
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(
            static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t code = unit(i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(++i) - 0xDC00);
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// The inverse of textFromUtf16Le, also for the program's own texts: a byte that is no UTF-8
// (a name in an older code page) goes as U+DC80 to U+DCFF, as the code page conversion does.
std::string utf16LeFromText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    auto put = [&](std::uint32_t unit) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
        std::uint32_t code = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
        bool valid = length > 1 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3Fu);
        }
        const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (!valid || code < smallest || code > 0x10FFFF) {
            put(lead < 0x80 ? lead : 0xDC00 + lead);
            ++i;
            continue;
        }
        i += length;
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
    }
    return out;
}

// Text read from a UTF-16 file in the program's code page: U+DC80 to U+DCFF are the bytes of
// an older code page they stand for.
std::string codePageFromText(std::string text)
{
    if (text.find('\xED') == std::string::npos)
        return text;
    const std::string units = utf16LeFromText(text);
    return codePageFromUtf16Le(units);
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
    constexpr char digits[] = "0123456789abcdef";
    out.reserve(out.size() + data.size() * 3 + data.size() / 25 * 4);
    for (std::size_t i = 0; i < data.size(); ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0xF];
        if (i + 1 == data.size())
            break;
        out += ',';
        if (out.size() - lineStart > width) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
        }
    }
}

void appendValue(std::string& out, const RegValue& value, bool version4)
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
        const bool utf16 = value.type == w32::RegExpandSz && !version4;
        appendHex(out, lineStart, utf16 ? utf16LeFromCodePage(value.data) : value.data);
    }
    out += value.comment;
    out += '\n';
}

// A comment that loses its line becomes a line of its own.
std::string commentLine(std::string_view comment)
{
    return std::string(trim(comment));
}

} // namespace

// ---- names ----

std::size_t FoldedHash::operator()(std::string_view text) const
{
    std::size_t hash = 14695981039346656037ull;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(foldCase(c))) * 1099511628211ull;
    return hash;
}

bool FoldedEqual::operator()(std::string_view a, std::string_view b) const
{
    return EqualsIgnoreCase(a, b);
}

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

std::string KeyPathProblem(std::string_view path)
{
    std::size_t depth = 0;
    std::string problem;
    forEachComponent(path, [&](std::string_view name) {
        ++depth;
        if (const std::size_t length = characters(name); length > reglimits::KeyNameLength)
            problem = "a key name has " + withThousands(length) + " characters, more than the "
                + std::to_string(reglimits::KeyNameLength) + " the registry allows";
        return problem.empty();
    });
    if (!problem.empty())
        return problem;
    if (depth > reglimits::KeyDepth)
        return "the key is " + withThousands(depth) + " levels deep, more than the "
            + std::to_string(reglimits::KeyDepth) + " the registry allows";
    return {};
}

// ---- keys ----

RegKey::RegKey(std::string path)
    : path_(std::move(path))
{
}

const RegValue* RegKey::findValue(std::string_view name) const
{
    const auto it = index_.find(name);
    return it == index_.end() ? nullptr : &*it->second;
}

std::pair<std::list<RegValue>::iterator, bool> RegKey::put(
    std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data)
{
    if (const auto it = index_.find(name); it != index_.end()) {
        it->second->type = type;
        it->second->data = std::move(data);
        return { it->second, false };
    }
    RegValue fresh;
    fresh.name = std::string(name);
    fresh.type = type;
    fresh.data = std::move(data);
    const auto value = values_.insert(values_.end(), std::move(fresh));
    index_.emplace(value->name, value);
    return { value, true };
}

void RegKey::setValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data)
{
    put(name, type, std::move(data)).first->changed = true;
}

bool RegKey::deleteValue(std::string_view name)
{
    const auto found = index_.find(name);
    if (found == index_.end())
        return false;
    const auto value = found->second;
    index_.erase(found);
    // Every line of the value goes: an earlier one left would be read in its place.
    for (RegLine& line : value->earlier)
        removed_.push_back(std::move(line));
    if (value->source)
        removed_.push_back({ *value->source, std::move(value->comment) });
    values_.erase(value);
    return true;
}

void RegKey::forget(std::string_view name)
{
    const auto found = index_.find(name);
    if (found == index_.end())
        return;
    const auto value = found->second;
    index_.erase(found);
    values_.erase(value);
}

bool RegKey::operator==(const RegKey& other) const
{
    return path_ == other.path_ && values_ == other.values_;
}

// ---- the hive ----

struct RegHive::Node {
    std::string name; // the first spelling
    Node* parent = nullptr;
    // Views of the children's names.
    std::unordered_map<std::string_view, std::unique_ptr<Node>, FoldedHash, FoldedEqual> children;
    bool declared = false;
    Sections::iterator section;
};

RegHive::RegHive(std::string rootName)
    : rootName_(std::move(rootName))
    , root_(std::make_unique<Node>())
{
}

RegHive::RegHive(RegHive&&) noexcept = default;
RegHive& RegHive::operator=(RegHive&&) noexcept = default;
RegHive::~RegHive() = default;

RegHive::Node* RegHive::findNode(std::string_view path) const
{
    Node* node = root_.get();
    const bool found = forEachComponent(path, [&](std::string_view name) {
        const auto it = node->children.find(name);
        if (it == node->children.end())
            return false;
        node = it->second.get();
        return true;
    });
    return found ? node : nullptr;
}

RegHive::Node* RegHive::makeNode(std::string_view path)
{
    Node* node = root_.get();
    forEachComponent(path, [&](std::string_view name) {
        auto it = node->children.find(name);
        if (it == node->children.end()) {
            auto child = std::make_unique<Node>();
            child->name = std::string(name);
            child->parent = node;
            it = node->children.emplace(child->name, std::move(child)).first;
        }
        node = it->second.get();
        return true;
    });
    return node;
}

RegKey& RegHive::declare(Node& node)
{
    if (node.declared)
        return **node.section;
    std::vector<const std::string*> names;
    for (const Node* at = &node; at->parent; at = at->parent)
        names.push_back(&at->name);
    std::string path;
    // NOLINTNEXTLINE(modernize-loop-convert): its std::ranges::reverse_view does not parse with clang 14
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!path.empty())
            path += '\\';
        path += **it;
    }
    node.section = sections_.insert(sections_.end(), std::make_unique<RegKey>(std::move(path)));
    node.declared = true;
    return **node.section;
}

const RegKey* RegHive::findKey(std::string_view path) const
{
    const Node* node = findNode(path);
    return node && node->declared ? node->section->get() : nullptr;
}

RegKey* RegHive::findKey(std::string_view path)
{
    const Node* node = findNode(path);
    return node && node->declared ? node->section->get() : nullptr;
}

bool RegHive::keyExists(std::string_view path) const
{
    return findNode(path) != nullptr;
}

RegKey& RegHive::createKey(std::string_view path)
{
    Node* node = makeNode(path);
    std::vector<Node*> missing;
    for (Node* at = node; at->parent && !at->declared; at = at->parent)
        missing.push_back(at);
    // NOLINTNEXTLINE(modernize-loop-convert): its std::ranges::reverse_view does not parse with clang 14
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        declare(**it);
    return declare(*node);
}

void RegHive::deleteTree(std::string_view path)
{
    Node* top = findNode(path);
    if (!top || top == root_.get())
        return;
    std::vector<Node*> pending { top };
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        for (auto& [name, child] : node->children)
            pending.push_back(child.get());
        if (!node->declared)
            continue;
        sections_.erase(node->section);
        node->declared = false;
    }
    // A parent that was there only for the deleted key goes with it.
    Node* parent = top->parent;
    parent->children.erase(parent->children.find(top->name));
    while (parent != root_.get() && !parent->declared && parent->children.empty()) {
        Node* above = parent->parent;
        above->children.erase(above->children.find(parent->name));
        parent = above;
    }
}

std::vector<const RegKey*> RegHive::keys() const
{
    std::vector<const RegKey*> out;
    out.reserve(sections_.size());
    for (const auto& key : sections_)
        out.push_back(key.get());
    return out;
}

bool RegHive::operator==(const RegHive& other) const
{
    return rootName_ == other.rootName_
        && std::equal(sections_.begin(), sections_.end(), other.sections_.begin(), other.sections_.end(),
            [](const auto& a, const auto& b) { return *a == *b; });
}

// ---- reading ----

class RegFileParser {
public:
    explicit RegFileParser(RegParseResult& result)
        : result_(result)
        , hive_(result.hive)
        , text_(result.hive.text_)
        , utf16_(result.hive.form_.encoding == RegFileForm::Encoding::Utf16Le)
    {
    }

    // False when the file has no header: blank, or not a registry file (result_.error says).
    bool run()
    {
        if (!header())
            return false;
        while (!atEnd()) {
            const std::size_t number = lineNumber_ + 1;
            const auto start = static_cast<std::uint32_t>(position_);
            const std::string_view line = nextLine();
            const std::string_view trimmed = trim(line);
            if (trimmed.empty() || trimmed.front() == ';')
                continue;
            if (trimmed.front() == '[')
                section(line, number);
            else
                valueLine(start, line, number);
            if (context_ == Context::Key)
                key_->insertAt_ = static_cast<std::uint32_t>(position_);
        }
        return true;
    }

private:
    // Where the reading stands: above the first section, in a key, below a [line] that is not
    // read (Kept) or below one that deletes a key (Deleted, below which a value is a mistake
    // worth telling).
    enum class Context { Preamble, Key, Kept, Deleted };

    struct ValueLine {
        std::string name;
        bool deletion = false;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        std::string comment;
    };

    bool atEnd() const { return position_ >= text_.size(); }

    // The line at the reading position without its line end; carriage returns before the line
    // feed go with the end.
    std::string_view peekLine(std::size_t& next) const
    {
        const auto end = std::min(text_.find('\n', position_), text_.size());
        std::string_view line = std::string_view(text_).substr(position_, end - position_);
        next = std::min(end + 1, text_.size());
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    std::string_view nextLine()
    {
        ++lineNumber_;
        std::size_t next = 0;
        const std::string_view line = peekLine(next);
        position_ = next;
        return line;
    }

    // Blank lines and comments may stand above the header, which must come first.
    bool header()
    {
        bool comments = false;
        while (!atEnd()) {
            const std::size_t number = lineNumber_ + 1;
            const std::string_view line = nextLine();
            const std::string_view trimmed = trim(line);
            if (trimmed.empty())
                continue;
            if (trimmed.front() == ';') {
                comments = true;
                continue;
            }
            if (trimmed == RegFileHeader || trimmed == RegFileHeader4) {
                version4_ = trimmed == RegFileHeader4;
                hive_.form_.version4 = version4_;
                hive_.form_.crlf = position_ >= 2 && text_[position_ - 1] == '\n' && text_[position_ - 2] == '\r';
                return true;
            }
            return fail(number,
                "the file does not start with \"" + std::string(RegFileHeader) + "\" or \""
                    + std::string(RegFileHeader4) + "\"");
        }
        if (comments)
            fail(lineNumber_, "the file holds only comments, no \"" + std::string(RegFileHeader) + "\"");
        return false;
    }

    bool fail(std::size_t number, const std::string& reason)
    {
        result_.error = "line " + std::to_string(number) + ": " + reason;
        return false;
    }

    // Only the first lines' reasons are put into words: a file of millions of unreadable lines
    // costs a count.
    void problem(std::size_t number, std::string_view reason, std::string_view consequence)
    {
        if (result_.problems.size() < maxProblemsKept)
            result_.problems.push_back({ number, std::string(reason) + std::string(consequence) });
        ++result_.problemCount;
    }

    // A reason made of more than a fixed text, kept until the next one.
    std::string_view reasonOf(std::string text)
    {
        detail_ = std::move(text);
        return detail_;
    }

    // "[path]" with an optional comment after it; false when the line is not closed.
    static bool splitSection(std::string_view trimmed, std::string_view& inner, std::string_view& comment)
    {
        if (trimmed.size() >= 2 && trimmed.back() == ']') {
            inner = trimmed.substr(1, trimmed.size() - 2);
            comment = {};
            return true;
        }
        for (auto at = trimmed.find(';'); at != std::string_view::npos; at = trimmed.find(';', at + 1)) {
            const std::string_view head = trim(trimmed.substr(0, at));
            if (head.size() >= 2 && head.back() == ']') {
                inner = head.substr(1, head.size() - 2);
                comment = trimmed.substr(head.size());
                comment = comment.substr(0, comment.find_last_not_of(" \t\r") + 1);
                return true;
            }
        }
        return false;
    }

    // The path below the root of a section's key, or why there is none.
    std::string belowRoot(std::string_view full, std::string_view& below) const
    {
        const std::string& root = hive_.rootName_;
        if (EqualsIgnoreCase(full, root)) {
            below = {};
            return {};
        }
        if (!(full.size() > root.size() && full[root.size()] == '\\' && startsWithIgnoreCase(full, root)))
            return "the key is not below " + root;
        below = full.substr(root.size() + 1);
        if (below.empty() || below.front() == '\\' || below.back() == '\\'
            || below.find("\\\\") != std::string_view::npos)
            return "the key path has an empty part";
        return KeyPathProblem(below);
    }

    void section(std::string_view line, std::size_t number)
    {
        const std::string_view trimmed = trim(line);
        std::string_view inner;
        std::string_view comment;
        if (!splitSection(trimmed, inner, comment))
            return keep(number, "a [key] line is not closed");
        const bool deletion = inner.starts_with('-');
        if (deletion)
            inner.remove_prefix(1);
        std::string_view below;
        std::string reason = belowRoot(inner, below);
        if (reason.empty() && deletion && below.empty())
            reason = "a root key cannot be deleted";
        if (!reason.empty())
            return keep(number, reason);
        key_ = nullptr;
        if (deletion) {
            hive_.deleteTree(below);
            context_ = Context::Deleted;
            return;
        }
        // A key written again goes on where it stands now.
        key_ = &hive_.declare(*hive_.makeNode(below));
        context_ = Context::Key;
    }

    // A [line] that is not read: it and what follows up to the next [key] stay as they are.
    void keep(std::size_t number, std::string_view reason)
    {
        problem(number, reason, "; it and the lines below it up to the next [key] are kept but not read");
        context_ = Context::Kept;
        key_ = nullptr;
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

    static std::size_t skipBlanks(std::string_view text, std::size_t at)
    {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        return at;
    }

    // Hex data goes on over the next lines while a line ends in "\" (before any comment).
    static bool continues(std::string_view data)
    {
        if (data.find(';') != std::string_view::npos)
            return false;
        const std::string_view trimmed = trim(data);
        return !trimmed.empty() && trimmed.back() == '\\';
    }

    static bool isHex(std::string_view data) { return startsWithIgnoreCase(data, "hex"); }

    void valueLine(std::uint32_t start, std::string_view first, std::size_t number)
    {
        ValueLine value;
        if (const std::string_view reason = readValue(first, value); !reason.empty())
            return problem(number, reason, "; the line is kept but not read");
        if (context_ != Context::Key) {
            if (context_ == Context::Preamble && !value.deletion)
                problem(number, "a value stands above the first [key]", "; the line is kept but not read");
            else if (context_ == Context::Deleted && !value.deletion)
                problem(number, "a value stands below a deleted key", "; the line is kept but not read");
            return;
        }
        if (value.deletion)
            return key_->forget(value.name);
        const TextSpan span { start, static_cast<std::uint32_t>(position_) - start };
        const auto [stored, fresh] = key_->put(value.name, value.type, std::move(value.data));
        if (!fresh)
            stored->earlier.push_back({ *stored->source, std::move(stored->comment) });
        stored->source = span;
        stored->comment = std::move(value.comment);
    }

    // The value of a line and of the lines its hex data goes on over; why it cannot be read,
    // if it cannot.
    std::string_view readValue(std::string_view first, ValueLine& value)
    {
        std::size_t dataAt = 0;
        if (const std::string_view reason = nameAndEquals(first, value.name, dataAt); !reason.empty())
            return reason;
        pieces_.assign(1, first.substr(dataAt));
        // A blank line ends hex data that was to go on, and belongs to it; so does the end of
        // the file. A [line] never does: it is read as a key, and the value as unfinished.
        while (isHex(pieces_.front()) && continues(pieces_.back())) {
            if (atEnd()) {
                pieces_.emplace_back();
                break;
            }
            std::size_t next = 0;
            if (trim(peekLine(next)).starts_with('['))
                return "hex data goes on into a [key] line, which is read as a key";
            pieces_.push_back(nextLine());
            if (trim(pieces_.back()).empty())
                break;
        }
        std::string_view reason = data(pieces_, value);
        if (reason.empty() && context_ == Context::Key)
            reason = convertText(value);
        return reason;
    }

    // The name, "=" and blanks around it; dataAt is where the data starts.
    std::string_view nameAndEquals(std::string_view line, std::string& name, std::size_t& dataAt)
    {
        std::size_t at = skipBlanks(line, 0);
        if (at < line.size() && line[at] == '@') {
            ++at;
        } else {
            at = quoted(line, at, name);
            if (at == std::string_view::npos || name.empty())
                return "a value name is not a quoted text or @";
            if (const std::size_t length = characters(name); length > reglimits::ValueNameLength)
                return reasonOf("a value name has " + withThousands(length) + " characters, more than the "
                    + withThousands(reglimits::ValueNameLength) + " the registry allows");
        }
        at = skipBlanks(line, at);
        if (at >= line.size() || line[at] != '=')
            return "\"=\" is missing after the value name";
        dataAt = skipBlanks(line, at + 1);
        return {};
    }

    // A comment after the data: blanks, then ";" and anything.
    static bool restIsComment(std::string_view rest, std::string& comment)
    {
        const std::string_view trimmed = trim(rest);
        if (trimmed.empty())
            return true;
        if (trimmed.front() != ';')
            return false;
        // A carriage return at its end would not survive being written back.
        comment = std::string(rest.substr(0, rest.find_last_not_of(" \t\r") + 1));
        return true;
    }

    std::string_view data(const std::vector<std::string_view>& pieces, ValueLine& value)
    {
        const std::string_view data = pieces.front();
        if (data.starts_with('-')) {
            value.deletion = true;
            return restIsComment(data.substr(1), value.comment) ? std::string_view()
                                                                : "a deletion has more after the \"-\"";
        }
        if (data.starts_with('"')) {
            std::string text;
            const std::size_t end = quoted(data, 0, text);
            if (end == std::string_view::npos || !restIsComment(data.substr(end), value.comment))
                return "a text value is not closed";
            if (utf16_)
                text = codePageFromText(std::move(text));
            value.type = w32::RegSz;
            value.data.assign(text.begin(), text.end());
            value.data.push_back(0);
            return sizeProblem(value.data.size());
        }
        if (startsWithIgnoreCase(data, "dword:"))
            return dword(data.substr(6), value);
        if (!isHex(data))
            return "the value data is neither text, dword nor hex";
        std::size_t colon = 3;
        value.type = w32::RegBinary;
        if (data.size() > 3 && data[3] == '(') {
            const auto close = data.find("):");
            if (close == std::string_view::npos || !hexNumber(data.substr(4, close - 4), value.type))
                return "a hex(type) prefix is malformed";
            colon = close + 1;
        }
        if (colon >= data.size() || data[colon] != ':')
            return "the value data is neither text, dword nor hex";
        std::vector<std::string_view> rest(pieces);
        rest.front() = data.substr(colon + 1);
        return hexBytes(rest, value);
    }

    // Version 5.00 holds expandable text as UTF-16LE. Only a value that is stored is converted:
    // its line stays as it was read until the value is changed.
    std::string_view convertText(ValueLine& value) const
    {
        if (value.type != w32::RegExpandSz || version4_)
            return {};
        if (value.data.size() % 2 != 0)
            return "an expandable text has an odd number of bytes";
        const std::string text = codePageFromUtf16Le(
            std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
        value.data.assign(text.begin(), text.end());
        return {};
    }

    std::string_view sizeProblem(std::size_t bytes)
    {
        if (bytes <= reglimits::ValueDataBytes)
            return {};
        return reasonOf("the value has " + withThousands(bytes) + " bytes, more than the "
            + withThousands(reglimits::ValueDataBytes) + " this program keeps");
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

    static std::string_view dword(std::string_view text, ValueLine& value)
    {
        const auto semicolon = std::min(text.find(';'), text.size());
        std::uint32_t number = 0;
        if (!hexNumber(trim(text.substr(0, semicolon)), number))
            return "a dword is not 1 to 8 hex digits";
        if (semicolon < text.size())
            restIsComment(text.substr(text.substr(0, semicolon).find_last_not_of(" \t") + 1), value.comment);
        value.type = w32::RegDword;
        value.data = { static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24) };
        return {};
    }

    // "aa,bb,\" going on over the pieces; a comment may follow the last byte.
    std::string_view hexBytes(const std::vector<std::string_view>& pieces, ValueLine& value)
    {
        for (std::size_t piece = 0; piece < pieces.size(); ++piece) {
            const bool last = piece + 1 == pieces.size();
            std::string_view rest = pieces[piece];
            const auto semicolon = std::min(rest.find(';'), rest.size());
            if (semicolon < rest.size()) {
                const std::size_t end = rest.substr(0, semicolon).find_last_not_of(" \t") + 1;
                restIsComment(rest.substr(end), value.comment);
                rest = rest.substr(0, semicolon);
            }
            rest = trim(rest);
            if (!last) {
                rest.remove_suffix(1); // the "\"
                rest = trim(rest);
            } else if (!rest.empty() && rest.back() == '\\') {
                return "hex data goes on past its end";
            }
            if (last && rest.empty() && piece > 0)
                return "hex data goes on past its end";
            std::size_t i = 0;
            while (i < rest.size()) {
                i = skipBlanks(rest, i);
                if (i + 1 >= rest.size() || hexDigit(rest[i]) < 0 || hexDigit(rest[i + 1]) < 0)
                    return "hex data holds something other than two-digit bytes";
                value.data.push_back(static_cast<std::uint8_t>(hexDigit(rest[i]) << 4 | hexDigit(rest[i + 1])));
                if (value.data.size() > reglimits::ValueDataBytes)
                    return sizeProblem(value.data.size());
                i = skipBlanks(rest, i + 2);
                if (i == rest.size())
                    break;
                if (rest[i] != ',')
                    return "hex bytes are not separated by commas";
                i = skipBlanks(rest, i + 1);
                if (i == rest.size() && last)
                    return "hex data ends in a comma";
            }
        }
        return {};
    }

    static constexpr std::size_t maxProblemsKept = 20;

    RegParseResult& result_;
    RegHive& hive_;
    const std::string& text_;
    const bool utf16_;
    std::size_t position_ = 0;
    std::size_t lineNumber_ = 0;
    bool version4_ = false;
    Context context_ = Context::Preamble;
    RegKey* key_ = nullptr;
    std::vector<std::string_view> pieces_; // the lines of the value being read
    std::string detail_;
};

RegParseResult ParseRegFile(std::string bytes, const std::string& rootName)
{
    RegParseResult result { RegHive(rootName), {}, {}, 0 };
    if (bytes.size() > reglimits::FileBytes) {
        result.error = "the file has " + withThousands(bytes.size()) + " bytes, more than the "
            + withThousands(reglimits::FileBytes) + " a registry file may have";
        return result;
    }
    RegHive& hive = result.hive;
    if (bytes.starts_with("\xFF\xFE")) {
        if (bytes.size() % 2 != 0) {
            result.error = "the UTF-16 text has an odd number of bytes";
            return result;
        }
        hive.form_.encoding = RegFileForm::Encoding::Utf16Le;
        hive.text_ = textFromUtf16Le(std::string_view(bytes).substr(2));
        std::string().swap(bytes);
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF")) {
            hive.form_.encoding = RegFileForm::Encoding::Utf8WithMark;
            bytes.erase(0, 3);
        }
        hive.text_ = std::move(bytes);
    }
    // Offsets into the text are 32-bit: the text of a file within the limit is far shorter.
    static_assert(reglimits::FileBytes / 2 * 3 < (std::uint64_t { 1 } << 32));
    if (!RegFileParser(result).run()) {
        // A blank file is a new one; the rest is refused as a whole.
        hive.text_.clear();
        hive.form_ = {};
    }
    return result;
}

// ---- writing a file ----

namespace {

// One change of the text: the lines at span (none for an insertion) become text, whose line
// feeds are the file's line ends, followed by ending, kept as the file had it.
struct Edit {
    TextSpan span;
    std::string text;
    std::string_view ending;
};

// The line end of the last line of a span: what stays of it when its lines are written anew.
std::string_view endingOf(std::string_view text, TextSpan span)
{
    std::string_view lines = text.substr(span.offset, span.length);
    if (!lines.ends_with('\n'))
        return {};
    std::size_t start = lines.size() - 1;
    while (start > 0 && lines[start - 1] == '\r')
        --start;
    return lines.substr(start);
}

void appendWithLineEnds(std::string& out, std::string_view text, bool crlf)
{
    if (!crlf) {
        out += text;
        return;
    }
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
}

std::string keyLine(const std::string& rootName, const RegKey& key)
{
    return "[" + rootName + (key.path().empty() ? "" : "\\" + key.path()) + "]\n";
}

// Whether the text so far ends in a blank line, or is empty.
bool endsInBlankLine(std::string_view text)
{
    if (text.empty())
        return true;
    if (!text.ends_with('\n'))
        return false;
    text.remove_suffix(1);
    while (text.ends_with('\r'))
        text.remove_suffix(1);
    return text.empty() || text.ends_with('\n');
}

} // namespace

std::string SerialiseRegFile(const RegHive& hive)
{
    const std::string_view text = hive.text_;
    const bool version4 = hive.form_.version4;
    std::vector<Edit> edits;
    std::string added; // the keys this program added, at the end
    for (const auto& key : hive.sections_) {
        std::string fresh;
        for (const RegValue& value : key->values_) {
            if (!value.source) {
                appendValue(fresh, value, version4);
            } else if (value.changed) {
                std::string line;
                appendValue(line, value, version4);
                line.pop_back();
                edits.push_back({ *value.source, std::move(line), endingOf(text, *value.source) });
            }
        }
        for (const RegLine& removed : key->removed_)
            edits.push_back({ removed.span, removed.comment.empty() ? std::string() : commentLine(removed.comment),
                removed.comment.empty() ? std::string_view() : endingOf(text, removed.span) });
        if (!key->insertAt_) {
            added += keyLine(hive.rootName_, *key) + fresh + "\n";
            continue;
        }
        // After a last line without a line end, the new lines begin on a line of their own.
        if (!fresh.empty() && *key->insertAt_ > 0 && text[*key->insertAt_ - 1] != '\n')
            fresh.insert(0, "\n");
        if (!fresh.empty())
            edits.push_back({ { *key->insertAt_, 0 }, std::move(fresh), {} });
    }
    std::stable_sort(
        edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.span.offset < b.span.offset; });

    const bool crlf = hive.form_.crlf;
    std::string out;
    out.reserve(text.size() + added.size() + 64);
    if (text.empty())
        appendWithLineEnds(out, std::string(version4 ? RegFileHeader4 : RegFileHeader) + "\n\n", crlf);
    std::size_t copied = 0;
    for (const Edit& edit : edits) {
        out.append(text.substr(copied, edit.span.offset - copied));
        appendWithLineEnds(out, edit.text, crlf);
        out += edit.ending;
        copied = edit.span.end();
    }
    out.append(text.substr(copied));
    if (!added.empty()) {
        if (!out.empty() && !out.ends_with('\n'))
            appendWithLineEnds(out, "\n", crlf);
        if (!endsInBlankLine(out))
            appendWithLineEnds(out, "\n", crlf);
        appendWithLineEnds(out, added, crlf);
    }
    switch (hive.form_.encoding) {
    case RegFileForm::Encoding::Utf8:
        return out;
    case RegFileForm::Encoding::Utf8WithMark:
        return "\xEF\xBB\xBF" + out;
    case RegFileForm::Encoding::Utf16Le:
        return "\xFF\xFE" + utf16LeFromText(out);
    }
    return out;
}

} // namespace vespern
