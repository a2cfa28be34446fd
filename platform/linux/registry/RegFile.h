#pragma once

// The text form of one registry root, as the system's registry editor reads and exports it:
// "Windows Registry Editor Version 5.00" (UTF-16LE with a byte-order mark, or UTF-8) or
// "REGEDIT4", [key] sections and "name"=data lines.
//
// What a person wrote that is not data — comments, lines that cannot be read, deletion lines —
// is kept with the key it stands in and written back as it was, so nothing is lost when the
// program saves. Keys and values are found through hash maps, names compared without regard to
// letter case and kept in their first spelling.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
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

// Lines kept as the person wrote them, without their line ends.
using VerbatimLines = std::list<std::string>;

struct RegValue {
    std::string name; // empty for the key's default value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data; // as the A functions store it: text with its terminating zero
    VerbatimLines before; // kept lines that stand just above the value
    std::string comment; // what follows the data on its line (" ; why"), written after it again
    bool operator==(const RegValue&) const = default;
};

// Hash and equality of names without regard to letter case.
struct FoldedHash {
    std::size_t operator()(std::string_view text) const;
};
struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const;
};

class RegHive;

class RegKey {
public:
    explicit RegKey(std::string path);
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Below the root, components separated by "\", empty for the root itself.
    const std::string& path() const { return path_; }
    const std::list<RegValue>& values() const { return values_; }
    const RegValue* findValue(std::string_view name) const;
    // Replaces the data of a value with the same name in any case; a new value keeps this
    // spelling and goes last, below the lines kept at the end of the key.
    void setValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
    // The value's kept lines and its comment stay where they stood.
    bool deleteValue(std::string_view name);

    bool operator==(const RegKey& other) const;

private:
    friend class RegHive;
    friend class RegFileParser;
    friend std::string SerialiseRegFile(const RegHive& hive);

    // The value, and whether it is new.
    std::pair<std::list<RegValue>::iterator, bool> put(
        std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);

    std::string path_;
    VerbatimLines leading_; // comments just above the [key] line
    std::string comment_; // what follows the ] on its line
    std::list<RegValue> values_;
    // Views of the names in values_, whose nodes never move.
    std::unordered_map<std::string_view, std::list<RegValue>::iterator, FoldedHash, FoldedEqual> index_;
    VerbatimLines tail_; // lines below the last value
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
    // The keys in the order they are written.
    std::vector<const RegKey*> keys() const;

    bool operator==(const RegHive& other) const;

private:
    friend class RegFileParser;
    friend std::string SerialiseRegFile(const RegHive& hive);

    struct Node;
    // One [section] of the file: a key, or kept lines that begin with a [line] this program
    // does not read (a deletion, a key it cannot take) and run to the next [key].
    struct Section {
        std::unique_ptr<RegKey> key; // null for kept lines
        VerbatimLines lines;
    };

    Node* findNode(std::string_view path) const;
    // Walks down from the root, adding the nodes that are missing.
    Node* makeNode(std::string_view path);
    RegKey& declare(Node& node);
    // Removes the key and everything below it; their kept lines are appended to `kept`.
    void deleteTree(std::string_view path, VerbatimLines& kept);

    std::string rootName_;
    // The form the hive is written in: that of the file it was read from, so that the lines kept
    // as they were read the same. A new hive is written in the version 4 form, whose
    // expandable and multiple texts are in the file's own characters: that is how registry
    // editors read the hex(2) and hex(7) data of an 8-bit file.
    bool version4_ = true;
    std::unique_ptr<Node> root_;
    VerbatimLines preamble_; // kept lines above the first [section]
    std::list<Section> sections_;
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

RegParseResult ParseRegFile(std::string_view bytes, const std::string& rootName);
// Always the version 5.00 form in UTF-8 with line feeds.
std::string SerialiseRegFile(const RegHive& hive);

// A key path in its stored form: no leading, trailing or doubled separators.
std::string NormaliseKeyPath(std::string_view path);
// Why a normalised key path is beyond the registry's limits; empty when it is not.
std::string KeyPathProblem(std::string_view path);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

} // namespace vespern
