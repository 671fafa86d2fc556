#include "model/IniFile.h"

#include "model/FileIo.h"
#include "model/NumberFormat.h"
#include "model/TextLines.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <utility>

namespace vitrimo {
namespace {

// A settings file has a few hundred lines; one of megabytes is not one.
constexpr std::size_t kMaxSettingsBytes = 4u << 20;

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlankChar(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankChar(text.back())) text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names match without regard to ASCII case: the index holds them in lower case.
std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = LowerAscii(c);
    return folded;
}

bool Quoted(std::string_view value) {
    return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

// A value as the file holds it: between quotes when reading would otherwise change it -- or take the
// line for a section name, as "[a=b]" would be.
std::string ValueForFile(const std::string& key, const std::string& value) {
    if (!value.empty() && (IsBlankChar(value.front()) || IsBlankChar(value.back()) || Quoted(value) ||
                           (key.front() == '[' && value.back() == ']')))
        return "\"" + value + "\"";
    return value;
}

bool HasLineBreakOrZero(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

std::optional<std::size_t> IniFile::Section::FindLine(std::string_view key) const {
    if (!keyLines) {
        keyLines.emplace();
        for (std::size_t line = 0; line < lines.size(); ++line)
            if (!lines[line].key.empty()) keyLines->emplace(Folded(lines[line].key), line);
    }
    const auto found = keyLines->find(Folded(key));
    if (found == keyLines->end()) return std::nullopt;
    return found->second;
}

void IniFile::Section::AddToIndex(std::size_t line) {
    if (keyLines && !lines[line].key.empty()) keyLines->emplace(Folded(lines[line].key), line);
}

void IniFile::RebuildSectionIndex() {
    sectionIndex_.clear();
    for (std::size_t k = 0; k < sections_.size(); ++k)
        if (!sections_[k].name.empty()) sectionIndex_.emplace(Folded(sections_[k].name), k);
}

bool IniFile::IsValidSectionName(std::string_view section) {
    return !section.empty() && Trim(section) == section && !HasLineBreakOrZero(section);
}

bool IniFile::IsValidKey(std::string_view key) {
    return !key.empty() && Trim(key) == key && !HasLineBreakOrZero(key) &&
           key.find('=') == std::string_view::npos && key.front() != ';' && key.front() != '[';
}

IniFile IniFile::FromText(std::string_view text) {
    IniFile ini;
    ini.sections_.push_back(Section{});
    // Byte-order marks at the start go, with the blanks around them (the first line loses its blanks
    // anyway): a first line that began with a mark would otherwise come back without it.
    for (;;) {
        if (text.starts_with("\xEF\xBB\xBF"))
            text = WithoutByteOrderMark(text);
        else if (!text.empty() && IsBlankChar(text.front()))
            text.remove_prefix(1);
        else
            break;
    }
    for (const std::string_view raw : SplitLines(text)) {
        const std::string_view line = Trim(raw);
        // "[]" names no section that could be looked up or written back: it stays a line of text.
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']' &&
            !Trim(line.substr(1, line.size() - 2)).empty()) {
            ini.sections_.push_back(Section{std::string(Trim(line.substr(1, line.size() - 2))), {}, {}});
            continue;
        }
        Section& section = ini.sections_.back();
        const auto equals = line.find('=');
        if (line.empty() || line.front() == ';' || equals == std::string_view::npos || equals == 0) {
            section.lines.push_back(Line{{}, std::string(line)});
            continue;
        }
        std::string_view value = Trim(line.substr(equals + 1));
        if (Quoted(value)) value = value.substr(1, value.size() - 2);
        section.lines.push_back(Line{std::string(Trim(line.substr(0, equals))), std::string(value)});
    }
    ini.RebuildSectionIndex();
    return ini;
}

IniFile IniFile::Load(const std::string& path, std::string* error) {
    std::string text;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) return IniFile{};
    if (auto message = ReadWholeFile(path, text, kMaxSettingsBytes)) {
        if (error) *error = *message;
        return IniFile{};
    }
    if (auto notText = NotPlainText(text)) {
        if (error)
            *error =
                "The settings file \"" + path + "\" cannot be read: " + *notText + ". The defaults are used.";
        return IniFile{};
    }
    return FromText(text);
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    const auto found = sectionIndex_.find(Folded(name));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniFile::Line* IniFile::FindKey(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    const auto line = s->FindLine(key);
    return line ? &s->lines[*line] : nullptr;
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

std::vector<std::string> IniFile::Sections() const {
    std::vector<std::string> names;
    for (const auto& section : sections_)
        if (!section.name.empty()) names.push_back(section.name);
    return names;
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

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsValidSectionName(section) || !IsValidKey(key)) return false;
    std::string stored(value);
    for (char& c : stored)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';

    Section* s = FindSection(section);
    if (!s) {
        // A new section is set off from the one before by a blank line.
        if (!sections_.empty() && !sections_.back().lines.empty() &&
            !(sections_.back().lines.back().key.empty() && sections_.back().lines.back().value.empty()))
            sections_.back().lines.push_back(Line{});
        sections_.push_back(Section{std::string(section), {}, {}});
        sectionIndex_.emplace(Folded(section), sections_.size() - 1);
        s = &sections_.back();
    }
    if (const auto found = s->FindLine(key)) {
        s->lines[*found].value = std::move(stored);
        return true;
    }
    // A new key goes after the last key of its section, before any blank lines that close it. Only blank
    // lines move, so the index of every key stays right.
    auto at = s->lines.end();
    while (at != s->lines.begin() && std::prev(at)->key.empty() && std::prev(at)->value.empty()) --at;
    const auto line = static_cast<std::size_t>(at - s->lines.begin());
    s->lines.insert(at, Line{std::string(key), std::move(stored)});
    s->AddToIndex(line);
    return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, long long value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    return WriteString(section, key, FormatGeneral(value, 15));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    Section* s = FindSection(section);
    if (!s || !s->FindLine(key)) return;
    const std::string folded = Folded(key);
    std::erase_if(s->lines,
                  [&](const Line& line) { return !line.key.empty() && Folded(line.key) == folded; });
    s->ForgetIndex();
}

void IniFile::EraseSection(std::string_view section) {
    if (!FindSection(section)) return;
    const std::string folded = Folded(section);
    std::erase_if(sections_, [&](const Section& s) { return !s.name.empty() && Folded(s.name) == folded; });
    RebuildSectionIndex();
}

std::string IniFile::Text() const {
    std::string text;
    for (const auto& section : sections_) {
        if (!section.name.empty()) text += "[" + section.name + "]\n";
        for (const auto& line : section.lines)
            text += line.key.empty() ? line.value + "\n"
                                     : line.key + "=" + ValueForFile(line.key, line.value) + "\n";
    }
    return text;
}

std::optional<std::string> IniFile::Save(const std::string& path) const {
    return WriteFileAtomically(path, Text());
}

} // namespace vitrimo
