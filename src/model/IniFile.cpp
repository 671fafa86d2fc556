#include "model/IniFile.h"

#include "model/FileIo.h"
#include "model/NumberFormat.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <utility>

namespace vitrimo {
namespace {

std::string_view Trim(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

IniFile IniFile::FromText(std::string_view text) {
    IniFile ini;
    ini.sections_.push_back(Section{});
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::string_view line = Trim(raw);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            ini.sections_.push_back(Section{std::string(Trim(line.substr(1, line.size() - 2))), {}});
            continue;
        }
        const auto equals = line.find('=');
        if (line.empty() || line.front() == ';' || equals == std::string_view::npos || equals == 0) {
            ini.sections_.back().lines.push_back(Line{{}, std::string(line)});
            continue;
        }
        ini.sections_.back().lines.push_back(
            Line{std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))});
    }
    return ini;
}

IniFile IniFile::Load(const std::string& path, std::string* error) {
    std::string text;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) return IniFile{};
    if (auto message = ReadWholeFile(path, text, 4u << 20)) {
        if (error) *error = *message;
        return IniFile{};
    }
    if (text.find('\0') != std::string::npos) {
        if (error) *error = "The settings file \"" + path + "\" holds binary data; the defaults are used.";
        return IniFile{};
    }
    return FromText(text);
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    for (const auto& section : sections_)
        if (!section.name.empty() && SameName(section.name, name)) return &section;
    return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniFile::Line* IniFile::FindKey(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    for (const auto& line : s->lines)
        if (!line.key.empty() && SameName(line.key, key)) return &line;
    return nullptr;
}

bool IniFile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
    return FindKey(section, key) != nullptr;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* s = FindSection(section))
        for (const auto& line : s->lines)
            if (!line.key.empty()) keys.push_back(line.key);
    return keys;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const Line* line = FindKey(section, key);
    return std::string(line ? std::string_view(line->value) : defaultValue);
}

long long IniFile::ReadInteger(std::string_view section, std::string_view key, long long defaultValue) const {
    const Line* line = FindKey(section, key);
    return line ? ParseInteger(line->value).value_or(defaultValue) : defaultValue;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const {
    const Line* line = FindKey(section, key);
    return line ? ParseNumber(line->value).value_or(defaultValue) : defaultValue;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    const Line* line = FindKey(section, key);
    if (!line) return defaultValue;
    const auto value = ParseInteger(line->value);
    return value ? *value != 0 : defaultValue;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = FindSection(section);
    if (!s) {
        // A new section is set off from the one before by a blank line.
        if (!sections_.empty() && !sections_.back().lines.empty() &&
            !(sections_.back().lines.back().key.empty() && sections_.back().lines.back().value.empty()))
            sections_.back().lines.push_back(Line{});
        sections_.push_back(Section{std::string(section), {}});
        s = &sections_.back();
    }
    for (auto& line : s->lines) {
        if (!line.key.empty() && SameName(line.key, key)) {
            line.value = std::string(value);
            return;
        }
    }
    // A new key goes after the last key of its section, before any blank lines that close it.
    auto at = s->lines.end();
    while (at != s->lines.begin() && std::prev(at)->key.empty() && std::prev(at)->value.empty()) --at;
    s->lines.insert(at, Line{std::string(key), std::string(value)});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, long long value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    WriteString(section, key, FormatGeneral(value, 15));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    if (Section* s = FindSection(section))
        std::erase_if(s->lines,
                      [&](const Line& line) { return !line.key.empty() && SameName(line.key, key); });
}

void IniFile::EraseSection(std::string_view section) {
    std::erase_if(sections_, [&](const Section& s) { return !s.name.empty() && SameName(s.name, section); });
}

std::string IniFile::Text() const {
    std::string text;
    for (const auto& section : sections_) {
        if (!section.name.empty()) text += "[" + section.name + "]\n";
        for (const auto& line : section.lines)
            text += line.key.empty() ? line.value + "\n" : line.key + "=" + line.value + "\n";
    }
    return text;
}

std::optional<std::string> IniFile::Save(const std::string& path) const {
    return WriteFileAtomically(path, Text());
}

} // namespace vitrimo
