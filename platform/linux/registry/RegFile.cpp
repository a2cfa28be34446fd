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

bool isComment(std::string_view line)
{
    const std::string_view trimmed = trim(line);
    return !trimmed.empty() && trimmed.front() == ';';
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

void appendLines(std::string& out, const VerbatimLines& lines)
{
    for (const auto& line : lines) {
        out += line;
        out += '\n';
    }
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
    // What was kept below the last value stays above the new one: a deletion line among it
    // must not come to stand below the value it deleted.
    const auto value = values_.insert(values_.end(), { std::string(name), type, std::move(data), {}, {} });
    value->before.splice(value->before.end(), tail_);
    index_.emplace(value->name, value);
    return { value, true };
}

void RegKey::setValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data)
{
    put(name, type, std::move(data));
}

bool RegKey::deleteValue(std::string_view name)
{
    const auto found = index_.find(name);
    if (found == index_.end())
        return false;
    const auto value = found->second;
    index_.erase(found);
    if (!value->comment.empty())
        value->before.push_back(commentLine(value->comment));
    const auto next = std::next(value);
    VerbatimLines& keeper = next == values_.end() ? tail_ : next->before;
    keeper.splice(keeper.begin(), value->before);
    values_.erase(value);
    return true;
}

bool RegKey::operator==(const RegKey& other) const
{
    return path_ == other.path_ && leading_ == other.leading_ && comment_ == other.comment_ && values_ == other.values_
        && tail_ == other.tail_;
}

// ---- the hive ----

struct RegHive::Node {
    std::string name; // the first spelling
    Node* parent = nullptr;
    // Views of the children's names.
    std::unordered_map<std::string_view, std::unique_ptr<Node>, FoldedHash, FoldedEqual> children;
    bool declared = false;
    std::list<Section>::iterator section;
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
        return *node.section->key;
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
    node.section = sections_.insert(sections_.end(), { std::make_unique<RegKey>(std::move(path)), {} });
    node.declared = true;
    return *node.section->key;
}

const RegKey* RegHive::findKey(std::string_view path) const
{
    const Node* node = findNode(path);
    return node && node->declared ? node->section->key.get() : nullptr;
}

RegKey* RegHive::findKey(std::string_view path)
{
    const Node* node = findNode(path);
    return node && node->declared ? node->section->key.get() : nullptr;
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

void RegHive::deleteTree(std::string_view path, VerbatimLines& kept)
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
        RegKey& key = *node->section->key;
        kept.splice(kept.end(), key.leading_);
        if (!key.comment_.empty())
            kept.push_back(commentLine(key.comment_));
        for (auto& value : key.values_) {
            kept.splice(kept.end(), value.before);
            if (!value.comment.empty())
                kept.push_back(commentLine(value.comment));
        }
        kept.splice(kept.end(), key.tail_);
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
    for (const auto& section : sections_)
        if (section.key)
            out.push_back(section.key.get());
    return out;
}

bool RegHive::operator==(const RegHive& other) const
{
    return rootName_ == other.rootName_ && preamble_ == other.preamble_
        && std::equal(sections_.begin(), sections_.end(), other.sections_.begin(), other.sections_.end(),
            [](const Section& a, const Section& b) {
                if (a.key && b.key)
                    return *a.key == *b.key;
                return !a.key && !b.key && a.lines == b.lines;
            });
}

// ---- reading ----

class RegFileParser {
public:
    RegFileParser(std::string_view text, RegParseResult& result)
        : text_(text)
        , result_(result)
        , hive_(result.hive)
    {
    }

    void run()
    {
        if (!header())
            return;
        while (!atEnd()) {
            const std::size_t number = lineNumber_ + 1;
            const std::string_view line = nextLine();
            const std::string_view trimmed = trim(line);
            if (trimmed.empty())
                seal();
            else if (trimmed.front() == ';')
                pending_.emplace_back(line);
            else if (trimmed.front() == '[')
                section(line, number);
            else
                valueLine(line, number);
        }
        seal();
    }

private:
    // Where kept lines go: above the first section, into a key, or into the lines kept from a
    // [line] that is not read (Kept) or that deletes a key (Deleted, below which a value is
    // a mistake worth telling).
    enum class Context { Preamble, Key, Kept, Deleted };

    struct ValueLine {
        std::string name;
        bool deletion = false;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        std::string comment;
    };

    bool atEnd() const { return position_ >= text_.size(); }

    // One line without its line end; carriage returns before the line feed go with it.
    std::string_view nextLine()
    {
        ++lineNumber_;
        const auto end = std::min(text_.find('\n', position_), text_.size());
        std::string_view line = text_.substr(position_, end - position_);
        position_ = end + 1;
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    // Blank lines and comments may stand above the header, which must come first.
    bool header()
    {
        while (!atEnd()) {
            const std::size_t number = lineNumber_ + 1;
            const std::string_view line = nextLine();
            const std::string_view trimmed = trim(line);
            if (trimmed.empty())
                continue;
            if (trimmed.front() == ';') {
                pending_.emplace_back(line);
                continue;
            }
            if (trimmed == RegFileHeader || trimmed == RegFileHeader4) {
                version4_ = trimmed == RegFileHeader4;
                hive_.version4_ = version4_;
                return true;
            }
            return fail(number,
                "the file does not start with \"" + std::string(RegFileHeader) + "\" or \""
                    + std::string(RegFileHeader4) + "\"");
        }
        if (!pending_.empty())
            return fail(lineNumber_, "the file holds only comments, no \"" + std::string(RegFileHeader) + "\"");
        return false; // blank: an empty root
    }

    bool fail(std::size_t number, const std::string& reason)
    {
        result_.error = "line " + std::to_string(number) + ": " + reason;
        return false;
    }

    void problem(std::size_t number, std::string reason)
    {
        if (result_.problems.size() < maxProblemsKept)
            result_.problems.push_back({ number, std::move(reason) });
        ++result_.problemCount;
    }

    // The kept lines so far belong to where the reading stands.
    void seal()
    {
        VerbatimLines& target = context_ == Context::Preamble ? hive_.preamble_
            : context_ == Context::Key                        ? key_->tail_
                                                              : *kept_;
        target.splice(target.end(), pending_);
    }

    // The comments just above a [line] go with it.
    VerbatimLines takeLeadingComments()
    {
        auto first = pending_.end();
        while (first != pending_.begin() && isComment(*std::prev(first)))
            --first;
        VerbatimLines leading;
        leading.splice(leading.end(), pending_, first, pending_.end());
        return leading;
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
            return keep(line, number, "a [key] line is not closed", Context::Kept);
        const bool deletion = inner.starts_with('-');
        if (deletion)
            inner.remove_prefix(1);
        std::string_view below;
        std::string reason = belowRoot(inner, below);
        if (reason.empty() && deletion && below.empty())
            reason = "a root key cannot be deleted";
        if (!reason.empty())
            return keep(line, number, reason, Context::Kept);
        if (deletion) {
            keep(line, number, {}, Context::Deleted);
            hive_.deleteTree(below, *kept_);
            return;
        }
        Node* node = hive_.makeNode(below);
        if (node->declared) {
            // A key written again goes on where it first stood.
            seal();
            context_ = Context::Key;
            key_ = node->section->key.get();
            if (!comment.empty())
                pending_.push_back(commentLine(comment));
            return;
        }
        VerbatimLines leading = takeLeadingComments();
        seal();
        key_ = &hive_.declare(*node);
        key_->leading_ = std::move(leading);
        key_->comment_ = std::string(comment);
        context_ = Context::Key;
    }

    // Starts kept lines with this [line]; they run to the next [key].
    void keep(std::string_view line, std::size_t number, const std::string& reason, Context context)
    {
        if (!reason.empty())
            problem(number, reason + "; it and the lines below it up to the next [key] are kept but not read");
        VerbatimLines leading = takeLeadingComments();
        seal();
        kept_ = &hive_.sections_.insert(hive_.sections_.end(), RegHive::Section {})->lines;
        kept_->splice(kept_->end(), leading);
        kept_->emplace_back(line);
        context_ = context;
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

    void valueLine(std::string_view first, std::size_t number)
    {
        ValueLine value;
        std::string logical(first);
        if (const std::string reason = readValue(first, value, logical); !reason.empty()) {
            problem(number, reason + "; the line is kept but not read");
            pending_.push_back(std::move(logical));
            return;
        }
        if (context_ != Context::Key) {
            if (context_ == Context::Preamble && !value.deletion)
                problem(number, "a value stands above the first [key]; the line is kept but not read");
            else if (context_ == Context::Deleted && !value.deletion)
                problem(number, "a value stands below a deleted key; the line is kept but not read");
            pending_.push_back(std::move(logical));
            return;
        }
        if (value.deletion) {
            key_->deleteValue(value.name);
            pending_.push_back(std::move(logical));
            return;
        }
        store(value);
    }

    // The value of a line and of the lines its hex data goes on over, which are appended to
    // logical; why it cannot be read, if it cannot.
    std::string readValue(std::string_view first, ValueLine& value, std::string& logical)
    {
        std::string reason;
        const std::size_t dataAt = nameAndEquals(first, value.name, reason);
        if (!reason.empty())
            return reason;
        std::vector<std::string_view> pieces { first.substr(dataAt) };
        // A blank line ends hex data that was to go on, and belongs to it; so does the end of
        // the file. The line thus reads the same when it is written back as it was kept.
        while (isHex(pieces.front()) && continues(pieces.back())) {
            if (atEnd()) {
                pieces.emplace_back();
                logical += '\n';
                break;
            }
            pieces.push_back(nextLine());
            logical += '\n';
            logical += pieces.back();
            if (trim(pieces.back()).empty())
                break;
        }
        reason = data(pieces, value);
        if (reason.empty() && context_ == Context::Key)
            reason = convertText(value);
        return reason;
    }

    void store(ValueLine& value)
    {
        const auto [stored, fresh] = key_->put(value.name, value.type, std::move(value.data));
        if (fresh) {
            stored->before.splice(stored->before.end(), pending_);
            stored->comment = std::move(value.comment);
            return;
        }
        // A value written again keeps its place; what stood above this line stays in the key.
        if (!value.comment.empty()) {
            if (!stored->comment.empty())
                pending_.push_back(commentLine(stored->comment));
            stored->comment = std::move(value.comment);
        }
        seal();
    }

    // The name, "=" and blanks around it; returns where the data starts.
    static std::size_t nameAndEquals(std::string_view line, std::string& name, std::string& reason)
    {
        std::size_t at = skipBlanks(line, 0);
        if (at < line.size() && line[at] == '@') {
            ++at;
        } else {
            at = quoted(line, at, name);
            if (at == std::string_view::npos || name.empty()) {
                reason = "a value name is not a quoted text or @";
                return 0;
            }
            if (const std::size_t length = characters(name); length > reglimits::ValueNameLength) {
                reason = "a value name has " + withThousands(length) + " characters, more than the "
                    + withThousands(reglimits::ValueNameLength) + " the registry allows";
                return 0;
            }
        }
        at = skipBlanks(line, at);
        if (at >= line.size() || line[at] != '=') {
            reason = "\"=\" is missing after the value name";
            return 0;
        }
        return skipBlanks(line, at + 1);
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

    std::string data(const std::vector<std::string_view>& pieces, ValueLine& value) const
    {
        const std::string_view data = pieces.front();
        if (data.starts_with('-')) {
            value.deletion = true;
            return restIsComment(data.substr(1), value.comment) ? std::string() : "a deletion has more after the \"-\"";
        }
        if (data.starts_with('"')) {
            std::string text;
            const std::size_t end = quoted(data, 0, text);
            if (end == std::string_view::npos || !restIsComment(data.substr(end), value.comment))
                return "a text value is not closed";
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
    // a kept line must read the same when the file is written back in that version.
    std::string convertText(ValueLine& value) const
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

    static std::string sizeProblem(std::size_t bytes)
    {
        if (bytes <= reglimits::ValueDataBytes)
            return {};
        return "the value has " + withThousands(bytes) + " bytes, more than the "
            + withThousands(reglimits::ValueDataBytes) + " this program keeps";
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

    static std::string dword(std::string_view text, ValueLine& value)
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
    static std::string hexBytes(const std::vector<std::string_view>& pieces, ValueLine& value)
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

    using Node = RegHive::Node;
    static constexpr std::size_t maxProblemsKept = 20;

    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t lineNumber_ = 0;
    RegParseResult& result_;
    RegHive& hive_;
    bool version4_ = false;
    Context context_ = Context::Preamble;
    RegKey* key_ = nullptr;
    VerbatimLines* kept_ = nullptr;
    VerbatimLines pending_; // kept lines not yet placed
};

RegParseResult ParseRegFile(std::string_view bytes, const std::string& rootName)
{
    RegParseResult result { RegHive(rootName), {}, {}, 0 };
    if (bytes.size() > reglimits::FileBytes) {
        result.error = "the file has " + withThousands(bytes.size()) + " bytes, more than the "
            + withThousands(reglimits::FileBytes) + " a registry file may have";
        return result;
    }
    std::string decoded;
    std::string_view text = bytes;
    if (bytes.starts_with("\xFF\xFE")) {
        if (bytes.size() % 2 != 0) {
            result.error = "the UTF-16 text has an odd number of bytes";
            return result;
        }
        decoded = codePageFromUtf16Le(bytes.substr(2));
        text = decoded;
    } else if (bytes.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    RegFileParser(text, result).run();
    return result;
}

std::string SerialiseRegFile(const RegHive& hive)
{
    std::string out(hive.version4_ ? RegFileHeader4 : RegFileHeader);
    out += "\n\n";
    appendLines(out, hive.preamble_);
    if (!hive.preamble_.empty())
        out += '\n';
    for (const auto& section : hive.sections_) {
        if (!section.key) {
            appendLines(out, section.lines);
            out += '\n';
            continue;
        }
        const RegKey& key = *section.key;
        appendLines(out, key.leading_);
        out += '[';
        out += hive.rootName_;
        if (!key.path_.empty()) {
            out += '\\';
            out += key.path_;
        }
        out += ']';
        out += key.comment_;
        out += '\n';
        for (const auto& value : key.values_) {
            appendLines(out, value.before);
            appendValue(out, value, hive.version4_);
        }
        appendLines(out, key.tail_);
        out += '\n';
    }
    return out;
}

} // namespace vespern
