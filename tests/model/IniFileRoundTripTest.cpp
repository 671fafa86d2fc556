// What the settings class writes it reads back: values, keys and sections that the plain format could
// not carry are quoted, turned into spaces or refused.
#include "model/IniFile.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

TEST(IniFileRoundTrip, ValuesReadBackAsWritten) {
    struct Case {
        std::string written;
        std::string read; // what reading the file gives
    };
    const std::vector<Case> cases = {
        {"/home/me/Lens", "/home/me/Lens"},
        {" /home/me/Lens ", " /home/me/Lens "}, // blanks at the ends survive
        {"\tArial", "\tArial"},
        {"\"quoted\"", "\"quoted\""}, // enclosing quotes survive too
        {"\"", "\""},
        {"a = b = c", "a = b = c"},
        {"two\nlines", "two lines"}, // a value cannot span lines
        {"cr\r\nlf", "cr  lf"},
        {std::string("zero\0byte", 9), "zero byte"},
        {"", ""},
        {"; not a comment", "; not a comment"},
        {"[not a section]", "[not a section]"},
    };
    for (const auto& [written, read] : cases) {
        IniFile ini;
        ASSERT_TRUE(ini.WriteString("Main", "Default Dir", written));
        EXPECT_EQ(ini.ReadString("Main", "Default Dir", "?"), read);
        const IniFile file = IniFile::FromText(ini.Text());
        EXPECT_EQ(file.ReadString("Main", "Default Dir", "?"), read) << ini.Text();
        EXPECT_EQ(file.Text(), ini.Text());
    }
    // A key from another program's file that starts with '[', with a value that ends with ']', is
    // written so that it does not turn into a section line.
    const IniFile other = IniFile::FromText("[Main]\n[a=\"b]\"\n");
    ASSERT_EQ(other.ReadString("Main", "[a", "?"), "b]");
    EXPECT_EQ(IniFile::FromText(other.Text()).ReadString("Main", "[a", "?"), "b]");
    EXPECT_EQ(IniFile::FromText(other.Text()).Sections(), std::vector<std::string>{"Main"});
}

TEST(IniFileRoundTrip, NamesThatCouldNotBeReadBackAreRefused) {
    IniFile ini;
    for (std::string_view key : {"", " Left", "Left ", "a=b", ";Left", "[Left", "two\nlines"})
        EXPECT_FALSE(ini.WriteString("Main", key, "1")) << key;
    for (std::string_view section : {std::string_view(""), std::string_view(" Main"),
                                     std::string_view("Main\n"), std::string_view("M\0", 2)})
        EXPECT_FALSE(ini.WriteString(section, "Left", "1")) << section;
    EXPECT_EQ(ini.Text(), "");
    EXPECT_TRUE(ini.WriteString("Aberration Fig", "Max Angle for AS & DS", "20"));
    EXPECT_TRUE(ini.WriteString("Main]", "Step/radius", "30")); // ']' inside a name is fine
    const IniFile file = IniFile::FromText(ini.Text());
    EXPECT_EQ(file.ReadString("Main]", "Step/radius", ""), "30");
    EXPECT_EQ(file.ReadString("Aberration Fig", "Max Angle for AS & DS", ""), "20");
}

TEST(IniFileRoundTrip, ReadingSkipsAByteOrderMarkAndKeepsEmptySectionTitlesAsText) {
    const IniFile ini =
        IniFile::FromText("\xEF\xBB\xBF[Main]\r\nLeft=101\r\n[]\r\nTop=110\r\n[ MTF ]\nMax=\"200\"\n");
    EXPECT_EQ(ini.ReadInteger("Main", "Left", 0), 101);
    EXPECT_EQ(ini.ReadInteger("Main", "Top", 0), 110); // "[]" names no section
    EXPECT_EQ(ini.ReadInteger("MTF", "Max", 0), 200);
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Main", "MTF"}));
    EXPECT_EQ(IniFile::FromText(ini.Text()).Text(), ini.Text());
    // Two marks (a file saved twice by an editor that adds one): the section is still a section.
    EXPECT_EQ(IniFile::FromText("\xEF\xBB\xBF\xEF\xBB\xBF[Main]\nLeft=7\n").ReadInteger("Main", "Left", 0),
              7);
}

TEST(IniFileRoundTrip, LookupsFollowWritesAndDeletes) {
    IniFile ini = IniFile::FromText("[Main]\nLeft=1\nleft=2\n\n\n[main]\nTop=3\n");
    EXPECT_EQ(ini.ReadInteger("MAIN", "LEFT", 0), 1); // the first of equal names
    EXPECT_FALSE(ini.HasKey("Main", "Top"));          // in the second section of that name
    ini.WriteInteger("Main", "Width", 738);           // goes before the blank lines
    ini.DeleteKey("Main", "Left");                    // both lines of that name
    EXPECT_FALSE(ini.HasKey("Main", "left"));
    EXPECT_EQ(ini.ReadInteger("Main", "Width", 0), 738);
    ini.WriteInteger("Main", "Height", 433);
    EXPECT_EQ(ini.Keys("Main"), (std::vector<std::string>{"Width", "Height"}));
    EXPECT_EQ(ini.Text(), "[Main]\nWidth=738\nHeight=433\n\n\n[main]\nTop=3\n");
    ini.EraseSection("MAIN");
    EXPECT_FALSE(ini.HasSection("Main"));
    ini.WriteInteger("Main", "Left", 5);
    EXPECT_EQ(ini.ReadInteger("main", "left", 0), 5);
}

} // namespace
} // namespace vitrimo
