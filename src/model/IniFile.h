// The settings file: sections in square brackets, then "key=value" lines.
//
// Keys are kept verbatim, blanks, '&' and '/' included ("Max Angle for AS & DS", "Step/radius").
// Section and key names match without regard to ASCII case, as the classic settings files do. Booleans
// are stored as "1" and "0". Lines that are neither sections nor keys (comments, stray text) are kept as
// they stand when the file is written back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

class IniFile {
public:
    IniFile() = default;

    // Reads a settings file. A missing file is an empty one; any other failure is reported and leaves
    // the settings empty, so that defaults apply.
    static IniFile Load(const std::string& path, std::string* error = nullptr);
    static IniFile FromText(std::string_view text);

    bool HasSection(std::string_view section) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    std::vector<std::string> Keys(std::string_view section) const;

    // Missing keys, and values of the wrong type, give the default.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    long long ReadInteger(std::string_view section, std::string_view key, long long defaultValue) const;
    double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, long long value);
    void WriteFloat(std::string_view section, std::string_view key, double value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

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
    };

    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    const Line* FindKey(std::string_view section, std::string_view key) const;

    std::vector<Section> sections_;
};

} // namespace vitrimo
