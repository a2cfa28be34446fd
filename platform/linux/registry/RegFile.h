#pragma once

// The text form of one registry root, as the system's registry editor reads and exports it:
// "Windows Registry Editor Version 5.00" (UTF-16LE with a byte-order mark, or UTF-8 with or
// without one) or "REGEDIT4", [key] sections and "name"=data lines.
//
// The file's text is kept once, as it was read, and keys and values refer to the lines they
// came from. Writing gives back every line the program did not change byte for byte where it
// stood: comments, blank lines, lines that cannot be read, deletions, the earlier lines of a
// value written twice, data this program cannot hold exactly; in the file's own encoding, line
// ends and version. Only a changed value's line is written anew; a new value goes below the
// last line of its key, a new key at the end. Keys and values are found through hash maps,
// names compared without regard to letter case and kept in their first spelling.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vespern {

// What the registry itself allows, and a bound on the file so that reading it stays quick.
namespace reglimits {
inline constexpr std::size_t FileBytes = 32u << 20;
inline constexpr std::size_t KeyDepth = 512;
inline constexpr std::size_t KeyNameLength = 255;
inline constexpr std::size_t ValueNameLength = 16383;
inline constexpr std::size_t ValueDataBytes = 1u << 20;
} // namespace reglimits

// Lines of the file's text, their line ends included.
struct TextSpan {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t end() const { return offset + length; }
    bool operator==(const TextSpan&) const = default;
};

// Lines of the file a value was read from, and the comment after its data.
struct RegLine {
    TextSpan span;
    std::string comment;
};

struct RegValue {
    std::string name; // empty for the key's default value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data; // as the A functions store it: text with its terminating zero
    std::string comment; // what follows the data on its line (" ; why"), written after it again
    // The lines it was read from; none for a value this program added.
    std::optional<TextSpan> source;
    // Earlier lines of the same value in its key, read over as the registry editor does.
    std::vector<RegLine> earlier;
    bool changed = false; // set since it was read: its line is written anew
    // What a reader of the registry sees: name, type, data and comment.
    bool operator==(const RegValue& other) const
    {
        return name == other.name && type == other.type && data == other.data && comment == other.comment;
    }
};

// Hash and equality of names without regard to letter case.
struct FoldedHash {
    std::size_t operator()(std::string_view text) const;
};
struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const;
};

class RegHive;
struct RegParseResult;

class RegKey {
public:
    explicit RegKey(std::string path);
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Below the root, components separated by "\", empty for the root itself.
    const std::string& path() const { return path_; }
    const std::list<RegValue>& values() const { return values_; }
    const RegValue* findValue(std::string_view name) const;
    // Replaces the data of a value with the same name in any case, on the line it was read from;
    // a new value keeps this spelling and goes last in the key.
    void setValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
    // Its lines in the key go, earlier ones included; a comment after its data stays as a line.
    bool deleteValue(std::string_view name);

    bool operator==(const RegKey& other) const;

private:
    friend class RegHive;
    friend class RegFileParser;
    friend std::string SerialiseRegFile(const RegHive& hive);

    // The value, and whether it is new.
    std::pair<std::list<RegValue>::iterator, bool> put(
        std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
    // A deletion line of the file: the value is gone, and its lines stay where they are.
    void forget(std::string_view name);

    std::string path_;
    std::list<RegValue> values_;
    // Views of the names in values_, whose nodes never move.
    std::unordered_map<std::string_view, std::list<RegValue>::iterator, FoldedHash, FoldedEqual> index_;
    // Where new values go in the file's text: below the last line of the key's last section
    // that is not a comment or blank. None for a key this program added.
    std::optional<std::uint32_t> insertAt_;
    std::vector<RegLine> removed_; // lines of values this program deleted: only their comments stay
};

// How a file is written: that of the file it was read from. A new file is written in the
// version 4 form, whose expandable and multiple texts are in the file's own characters: that is
// how registry editors read the hex(2) and hex(7) data of an 8-bit file.
struct RegFileForm {
    enum class Encoding { Utf8, Utf8WithMark, Utf16Le };
    Encoding encoding = Encoding::Utf8;
    bool crlf = false; // the header line's line end, used for the lines written anew
    bool version4 = true;
    bool operator==(const RegFileForm&) const = default;
};

class RegHive {
public:
    explicit RegHive(std::string rootName);
    RegHive(RegHive&&) noexcept;
    RegHive& operator=(RegHive&&) noexcept;
    ~RegHive();

    const std::string& rootName() const { return rootName_; }
    const RegKey* findKey(std::string_view path) const;
    RegKey* findKey(std::string_view path);
    // True for a key of its own or one that has keys written below it.
    bool keyExists(std::string_view path) const;
    // Declares the key and every missing parent, as the registry creates them; the path must
    // be normalised and within the limits (KeyPathProblem).
    RegKey& createKey(std::string_view path);
    // The keys in the order they were declared.
    std::vector<const RegKey*> keys() const;
    const RegFileForm& form() const { return form_; }

    bool operator==(const RegHive& other) const;

private:
    friend class RegFileParser;
    friend RegParseResult ParseRegFile(std::string bytes, const std::string& rootName);
    friend std::string SerialiseRegFile(const RegHive& hive);

    struct Node;
    using Sections = std::list<std::unique_ptr<RegKey>>;

    Node* findNode(std::string_view path) const;
    // Walks down from the root, adding the nodes that are missing.
    Node* makeNode(std::string_view path);
    RegKey& declare(Node& node);
    // Removes the key and everything below it, as a [-key] line of the file does.
    void deleteTree(std::string_view path);

    std::string rootName_;
    RegFileForm form_;
    // The file as it was read, in UTF-8 (a UTF-16 file converted without loss) and without its
    // byte-order mark; empty for a new file.
    std::string text_;
    std::unique_ptr<Node> root_;
    Sections sections_; // the keys in the order they were declared
};

// A line that was kept as written but not read.
struct RegLineProblem {
    std::size_t line = 0;
    std::string reason;
};

struct RegParseResult {
    RegHive hive;
    // Why the file as a whole cannot be read; empty when it could.
    std::string error;
    // The first lines that could not be read, and how many there were in all.
    std::vector<RegLineProblem> problems;
    std::size_t problemCount = 0;
    bool ok() const { return error.empty(); }
};

inline constexpr std::string_view RegFileHeader = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view RegFileHeader4 = "REGEDIT4";

// The hive keeps the bytes it is given, once.
RegParseResult ParseRegFile(std::string bytes, const std::string& rootName);
// In the form the hive was read in: the file's own bytes where nothing changed.
std::string SerialiseRegFile(const RegHive& hive);

// A key path in its stored form: no leading, trailing or doubled separators.
std::string NormaliseKeyPath(std::string_view path);
// Why a normalised key path is beyond the registry's limits; empty when it is not.
std::string KeyPathProblem(std::string_view path);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

} // namespace vespern
