// The settings file: sections in square brackets, then "key=value" lines.
//
// Keys are kept verbatim, blanks, '&' and '/' included ("Max Angle for AS & DS", "Step/radius").
// Section and key names match without regard to ASCII case, as the classic settings files do. Booleans
// are stored as "1" and "0". Lines that are neither sections nor keys (comments, stray text) are kept as
// they stand when the file is written back.
//
// What the class writes it reads back the same: a value with blanks at either end, or one that starts
// and ends with a double quote, is written between double quotes, and one pair of enclosing quotes is
// removed on reading (as the classic reader does). A value cannot span lines: line breaks and zero bytes
// in a written value become spaces. Keys and section names that could not be read back (empty, blanks at
// either end, a line break, a key with '=' or starting with ';' or '[') are refused.
//
// Lookups build an index on first use: like the windows that read it, an object belongs to one thread
// at a time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vitrimo {

class IniFile {
public:
    IniFile() = default;

    // Reads a settings file. A missing file is an empty one; any other failure (also a file that is not
    // text, or larger than 4 MiB) is reported and leaves the settings empty, so that defaults
    // apply. A UTF-8 byte-order mark at the start is skipped. Reading and each lookup take time linear in
    // the file's size and the key's length.
    static IniFile Load(const std::string& path, std::string* error = nullptr);
    static IniFile FromText(std::string_view text);

    bool HasSection(std::string_view section) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    std::vector<std::string> Keys(std::string_view section) const;
    // The names of the sections in file order (a name that appears twice is listed twice; lookups find
    // the first of them).
    std::vector<std::string> Sections() const;

    // Missing keys, and values of the wrong type, give the default.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    long long ReadInteger(std::string_view section, std::string_view key, long long defaultValue) const;
    double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Each returns false, and writes nothing, when the section or key name could not be read back.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, long long value);
    bool WriteFloat(std::string_view section, std::string_view key, double value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);

    static bool IsValidSectionName(std::string_view section);
    static bool IsValidKey(std::string_view key);

    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

    std::string Text() const;
    // Writes the file atomically. Returns an error message or nullopt.
    std::optional<std::string> Save(const std::string& path) const;

private:
    struct Line {
        std::string key;   // empty for a line that is not a key
        std::string value; // the value, or the whole text of a line that is not a key
    };
    struct Section {
        std::string name; // empty for lines before the first section
        std::vector<Line> lines;

        // The line of a key's first occurrence. The index behind it is built on the first lookup, so
        // that reading a file costs no more than splitting its lines.
        std::optional<std::size_t> FindLine(std::string_view key) const;
        void AddToIndex(std::size_t line);
        void ForgetIndex() { keyLines.reset(); }

        // The line of each key's first occurrence, by the key in lower case (through FindLine only).
        mutable std::optional<std::unordered_map<std::string, std::size_t>> keyLines;
    };

    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    const Line* FindKey(std::string_view section, std::string_view key) const;
    void RebuildSectionIndex();

    std::vector<Section> sections_;
    // The first section of each name, by the name in lower case.
    std::unordered_map<std::string, std::size_t> sectionIndex_;
};

} // namespace vitrimo
