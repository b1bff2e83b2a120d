#pragma once
// One ini file parsed from its bytes: its lines, and an index of the first section of each name
// and of the first occurrence of each key inside it. Pure: no file access, immutable once built,
// so one parsed file can serve readers in several threads.
//
// The line's Windows programs read these files with the private-profile rules, which this class
// keeps: lines end at CRLF, LF or a lone CR; "[" starts a header only with a "]" on the line and
// the name runs to the last "]"; ";" starts a comment; a key line splits at its first "="; a NUL
// ends a line's content; names match without regard to ASCII case. The file is GBK unless it
// starts with a UTF-8 byte-order mark. Parsing works on whole characters, so a GBK trail byte
// equal to "[", "]", "\" or an ASCII letter is never syntax and never folded.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kova {

enum class IniEncoding { Gbk, Utf8 };

// The value a reader takes from the text after a key line's "=": trimmed of blanks, and a pair of
// equal quotes (" or ') around two or more characters removed.
std::string_view iniValueAsRead(std::string_view afterEquals);

// Spaces and tabs removed at both ends.
std::string_view trimIniBlanks(std::string_view text);

class IniDocument {
  public:
    enum class LineKind : std::uint8_t {
        Blank,            // nothing but blanks before the line end (or a NUL)
        Header,           // "[name]"
        Comment,          // ";..."
        Key,              // "key=value"
        KeyWithoutValue,  // a key line without "=": reads as missing
        Ignored,          // "[" without "]"
    };

    struct Line {
        std::size_t begin = 0;      // first byte
        std::size_t end = 0;        // one past the line end, or the end of the file
        std::size_t nameBegin = 0;  // header name or key, trimmed
        std::size_t nameEnd = 0;
        std::size_t valueBegin = 0;  // Key lines: the value as read
        std::size_t valueEnd = 0;
        LineKind kind = LineKind::Blank;
    };

    struct Section {
        std::size_t header = npos;  // line of the header; npos for the lines before the first one
        std::size_t firstLine = 0;  // first line after the header
        std::size_t endLine = 0;    // one past the section's last line
    };

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    explicit IniDocument(std::string bytes);

    const std::string& bytes() const { return bytes_; }
    IniEncoding encoding() const { return encoding_; }
    std::size_t bomLength() const { return bomLength_; }
    const std::vector<Line>& lines() const { return lines_; }
    // sections()[0] holds the lines before the first header (section "").
    const std::vector<Section>& sections() const { return sections_; }

    // The file's form of a caller's UTF-8 name (trimmed of blanks), with ASCII letters folded;
    // nullopt when the file's encoding cannot hold it, so it can match nothing.
    std::optional<std::string> foldedName(std::string_view utf8) const;
    // Raw file text with its single-byte ASCII letters folded.
    std::string foldFileText(std::string_view raw) const;
    // The file's bytes for UTF-8 text; nullopt when the encoding cannot hold every character.
    std::optional<std::string> encode(std::string_view utf8) const;
    // UTF-8 for file bytes; undecodable bytes become U+FFFD.
    std::string decode(std::string_view raw) const;

    // The first section of a name given in the file's encoding, ASCII case ignored: 0 for "",
    // npos when no section has it ("[]" never does).
    std::size_t findSection(std::string_view name) const;
    // Line of the first occurrence of a key (file's encoding, ASCII case ignored), or npos.
    std::size_t findKey(std::size_t section, std::string_view name) const;

    std::string_view name(const Line& line) const;
    std::string_view value(const Line& line) const;
    // The line end bytes (CRLF, LF, CR or none).
    std::string_view lineEnd(const Line& line) const;

    // Private-profile reads; names and values in UTF-8.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) const;
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Every (section, key) a read can reach, decoded to UTF-8, in file order.
    std::vector<std::pair<std::string, std::string>> keyNames() const;

  private:
    // Open-addressing tables over the names: one for the sections, one per section for its keys,
    // all of them in one array so that building and probing a section's keys stays in cache.
    // No allocation per name: a 1 MiB file parses in a few milliseconds.
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t target = kEmpty;  // a section, or the line of a key
    };
    struct Table {
        std::size_t begin = 0;
        std::size_t mask = 0;  // size - 1, the size a power of two
    };

    void parse();
    void buildIndex();
    std::uint32_t nameHash(std::string_view name) const;
    bool sameName(std::string_view a, std::string_view b) const;
    // The slot holding the name, or the empty slot where it would go.
    std::size_t probe(const std::vector<Slot>& slots, Table table, std::uint32_t hash,
                      std::string_view name, bool sections) const;
    // A caller's UTF-8 name in the file's encoding, without a copy when it is ASCII.
    bool toFileText(std::string_view utf8, std::string& storage, std::string_view& text) const;
    void parseLine(Line& line, std::size_t contentEnd) const;
    const Line* findLine(std::string_view section, std::string_view key) const;

    std::string bytes_;
    IniEncoding encoding_ = IniEncoding::Gbk;
    std::size_t bomLength_ = 0;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
    std::vector<Slot> sectionSlots_;
    Table sectionTable_;
    std::vector<Slot> keySlots_;
    std::vector<Table> keyTables_;  // one per section
};

}  // namespace kova
