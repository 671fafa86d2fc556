// The settings file: whatever is read, written back and read again gives the same sections, keys and
// values; what the program writes into it reads back as written.
#include "FuzzSupport.h"
#include "model/IniFile.h"

using namespace vitrimo;
using fuzz::Check;

namespace {

void CheckSameSettings(const IniFile& a, const IniFile& b) {
    Check(a.Sections() == b.Sections(), "the same sections");
    for (const auto& section : a.Sections()) {
        Check(a.Keys(section) == b.Keys(section), "the same keys");
        for (const auto& key : a.Keys(section))
            Check(a.ReadString(section, key, "\x01") == b.ReadString(section, key, "\x02"), "the same value");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text = fuzz::AsText(data, size);
    // The input is a settings text, then after the first zero byte up to three writes, each a section,
    // a key and a value separated by zero bytes.
    const auto split = text.find('\0');
    std::string_view writes = split == std::string_view::npos ? std::string_view() : text.substr(split + 1);
    text = text.substr(0, split);

    IniFile ini = IniFile::FromText(text);
    const IniFile reread = IniFile::FromText(ini.Text());
    CheckSameSettings(ini, reread);
    Check(reread.Text() == IniFile::FromText(reread.Text()).Text(), "the text is stable");

    const auto next = [&]() {
        const auto end = writes.find('\0');
        const std::string_view part = writes.substr(0, end);
        writes = end == std::string_view::npos ? std::string_view() : writes.substr(end + 1);
        return part;
    };
    for (int k = 0; k < 3 && !writes.empty(); ++k) {
        const std::string_view section = next(), key = next(), value = next();
        const bool written = ini.WriteString(section, key, value);
        Check(written == (IniFile::IsValidSectionName(section) && IniFile::IsValidKey(key)),
              "a write is refused exactly when its names cannot be read back");
        if (!written) continue;
        std::string expected(value);
        for (char& c : expected)
            if (c == '\r' || c == '\n' || c == '\0') c = ' ';
        Check(ini.ReadString(section, key, "") == expected, "a written value reads as written");
        const IniFile saved = IniFile::FromText(ini.Text());
        Check(saved.ReadString(section, key, "\x01") == expected, "a written value reads back from the file");
        CheckSameSettings(ini, saved);
    }
    ini.DeleteKey("Main", "Left");
    ini.EraseSection("MTF");
    CheckSameSettings(ini, IniFile::FromText(ini.Text()));
    return 0;
}
