#include "model/LensFile.h"

#include "model/FileIo.h"
#include "support/TestUtil.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vitrimo {
namespace {

using test::Face;
using test::MakeLens;
using test::TempDir;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

Lens Achromat() {
    Lens lens = MakeLens({{"N-BK7", "61.47", "6", "1.5168", "Schott"},
                          {"F2", "-44.64", "2.5", "1.62004", "Schott"},
                          {"Air", "-129.94", "94.5", "1"}});
    lens.SetText(col::RFix, 2, "x");
    lens.SetText(col::LFix, 3, "2");
    lens.SetText(col::Diameter, 2, "27");
    return lens;
}

TEST(LensFile, WritesTitlesRowsColoursAndMemoWithCrLf) {
    Lens lens = Achromat();
    lens.SetMemo("f = 100 mm\nf/4");
    const auto lines = Lines(LensFileText(lens));
    ASSERT_EQ(lines.size(), 1u + 4u + 2u);
    const auto titles = Fields(lines[0]);
    ASSERT_EQ(titles.size(), 39u);
    EXPECT_EQ(titles.front(), "No");
    EXPECT_EQ(titles[27], "nt");
    EXPECT_EQ(titles.back(), "Remarks");
    const auto face1 = Fields(lines[2]);
    ASSERT_EQ(face1.size(), 39u);
    EXPECT_EQ(face1[0], "1");
    EXPECT_EQ(face1[1], "N-BK7");
    EXPECT_EQ(face1[3], "1"); // rFix "x"
    EXPECT_EQ(face1[5], "27");
    EXPECT_EQ(face1.back(), "Schott");
    EXPECT_EQ(Fields(lines[3])[8], "No2"); // lFix linked to face 2
    EXPECT_EQ(Fields(lines[4])[8], "");
    EXPECT_EQ(lines[5], "f = 100 mm");
    EXPECT_EQ(lines[6], "f/4");
    EXPECT_EQ(LensFileText(lens).find("Color"), std::string::npos); // default colours: no colour line

    lens.Wavelengths().SetColour(5, RgbColour(255, 165, 0));
    const auto coloured = Lines(LensFileText(lens));
    ASSERT_EQ(coloured.size(), 8u);
    const auto colourFields = Fields(coloured[5]);
    ASSERT_EQ(colourFields.size(), 40u); // "Color", 26 empty fields, 11 colours, then two empty ones
    EXPECT_EQ(colourFields[0], "Color");
    EXPECT_EQ(colourFields[26], "");
    EXPECT_EQ(colourFields[27], "clGray");
    EXPECT_EQ(colourFields[32], "$0000a5ff");
    EXPECT_EQ(colourFields[37], "$00600030");
    EXPECT_EQ(colourFields[38], "");
    EXPECT_EQ(colourFields[39], "");
}

TEST(LensFile, RoundTripKeepsEveryCellTheMemoAndTheColours) {
    Lens lens = Achromat();
    lens.SetText(col::Remarks, 3, "The same as No1 plane");
    lens.SetText(col::K, 2, "-0.5");
    lens.SetMemo("line one\n\nline three\n");
    lens.Wavelengths().SetColour(0, colours::Lime);
    lens.SetDataModified(true);
    TempDir dir;
    ASSERT_FALSE(WriteLensFile(lens, dir.File("a.ldt")));
    EXPECT_FALSE(lens.DataModified());

    Lens read;
    read.MarkChanged();
    const auto result = ReadLensFile(read, dir.File("a.ldt"));
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_TRUE(result.unknownColumns.empty());
    EXPECT_EQ(read.Table(), lens.Table());
    EXPECT_EQ(read.Memo(), lens.Memo());
    EXPECT_EQ(read.Wavelengths().At(0).colour, colours::Lime);
    EXPECT_TRUE(read.Wavelengths().NonDefaultColours());
    EXPECT_FALSE(read.DataModified());
    EXPECT_FALSE(read.ArraysCurrent());
    EXPECT_TRUE(read.TableReset());

    // Saving and reading again changes nothing: in particular the memo does not grow.
    ASSERT_FALSE(WriteLensFile(read, dir.File("b.ldt")));
    std::string a, b;
    ASSERT_FALSE(ReadWholeFile(dir.File("a.ldt"), a));
    ASSERT_FALSE(ReadWholeFile(dir.File("b.ldt"), b));
    EXPECT_EQ(a, b);
}

TEST(LensFile, FixCellsAreStoredAsOneOrNoAndAFaceNumber) {
    Lens lens = Achromat();
    lens.SetText(col::RFix, 3, "3");
    lens.SetText(col::RFix, 4, "abc");
    Lens read;
    ASSERT_TRUE(ParseLensFileText(read, LensFileText(lens)).Ok());
    EXPECT_EQ(read.Text(col::RFix, 2), "x");
    EXPECT_EQ(read.Text(col::RFix, 3), "3");
    EXPECT_EQ(read.Text(col::RFix, 4), "abc");
    EXPECT_EQ(read.Text(col::LFix, 3), "2");

    // Another program's values that are neither "1" nor "No..." read as free.
    std::string text = LensFileText(lens);
    const auto at = text.find("\tNo3\t");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 5, "\t2\t");
    ASSERT_TRUE(ParseLensFileText(read, text).Ok());
    EXPECT_EQ(read.Text(col::RFix, 3), "");
}

TEST(LensFile, RadiusModeStoresDiametersAndShowsRadiiAgain) {
    Lens lens = Achromat();
    lens.SetText(col::EffectiveDiameter, 2, "12.5");
    lens.SetText(col::Diameter, 3, "");
    lens.SetText(col::HideDiameter, 4, "junk");
    lens.SetRadiusMode(true);
    ASSERT_EQ(lens.Text(col::EffectiveDiameter, 2), "6.2500");
    const auto lines = Lines(LensFileText(lens));
    EXPECT_EQ(Fields(lines[0])[4], "effectvDiam."); // names, never the shown titles
    EXPECT_EQ(Fields(lines[2])[4], "12.5000");
    EXPECT_EQ(Fields(lines[3])[5], "10.0000"); // empty "Diameter" is the effective diameter
    EXPECT_EQ(Fields(lines[4])[6], "0.0000");
    EXPECT_EQ(lens.Text(col::Diameter, 3), ""); // writing does not touch the table

    Lens read;
    read.SetRadiusMode(true);
    ASSERT_TRUE(ParseLensFileText(read, LensFileText(lens)).Ok());
    EXPECT_EQ(read.Text(col::EffectiveDiameter, 2), "6.2500");
    EXPECT_EQ(read.Text(col::Diameter, 2), "13.5000");
    EXPECT_EQ(read.Text(col::EffectiveDiameter, 0), "effectvRadius");
    Lens plain;
    ASSERT_TRUE(ParseLensFileText(plain, LensFileText(lens)).Ok());
    EXPECT_EQ(plain.Text(col::EffectiveDiameter, 2), "12.5000");
}

TEST(LensFile, TabsAndLineBreaksInsideCellsBecomeSpaces) {
    Lens lens = Achromat();
    lens.SetText(col::Remarks, 2, "cemented\twith\r\nNOA61");
    lens.SetText(col::GlassName, 3, "F2\n");
    lens.SetMemo("a\tb\tc\td\te\tf\ng\th");
    Lens read;
    ASSERT_TRUE(ParseLensFileText(read, LensFileText(lens)).Ok());
    EXPECT_EQ(read.RowCount(), lens.RowCount());
    EXPECT_EQ(read.Text(col::Remarks, 2), "cemented with  NOA61");
    EXPECT_EQ(read.Text(col::GlassName, 3), "F2 ");
    EXPECT_EQ(read.Text(col::R, 4), "-129.94");
    // A memo line that would pass for a table row keeps its words but loses its tabs.
    EXPECT_EQ(read.Memo(), "a b c d e f\ng\th");
}

TEST(LensFile, InsertedWavelengthColumnsAndTheirColours) {
    Lens lens = Achromat();
    std::string text = LensFileText(lens);
    // Put a 532nm column right after "nd" in every line, as another writer might.
    std::string rebuilt;
    for (const auto& line : Lines(text)) {
        auto fields = Fields(line);
        if (fields.size() == 39) fields.insert(fields.begin() + 33, fields[0] == "No" ? "532nm" : "1.5");
        std::string joined;
        for (std::size_t k = 0; k < fields.size(); ++k) joined += (k ? "\t" : "") + fields[k];
        rebuilt += joined + "\r\n";
    }
    std::string colourLine = "Color" + std::string(27, '\t');
    for (int k = 0; k < 12; ++k)
        colourLine += (k == 6 ? "clLime" : k == 7 ? "not-a-colour" : "clRed") + std::string("\t");
    rebuilt += colourLine + "\t\r\n";

    Lens read;
    read.Wavelengths().SetColour(6, colours::Navy); // the e line
    read.Wavelengths().SetNonDefaultColours(false);
    const auto result = ParseLensFileText(read, rebuilt);
    ASSERT_TRUE(result.Ok()) << result.error;
    ASSERT_EQ(read.Wavelengths().Count(), 12);
    const int c532 = read.Column("532nm");
    EXPECT_EQ(c532, read.Column("ne") + 1); // placed by wavelength, not by the file's order
    EXPECT_EQ(read.Text(c532, 2), "1.5");
    EXPECT_EQ(read.Text(col::Nd, 2), "1.5168");
    EXPECT_EQ(read.Text("ne", 2), "1.5168");
    EXPECT_EQ(read.Text(col::Remarks, 2), "Schott");
    EXPECT_EQ(read.RowCount(), 5); // the colour line is not a row
    // The colour line is read by column: the colour under "532nm" belongs to 532 nm.
    const auto& w = read.Wavelengths();
    EXPECT_EQ(w.At(5).colour, colours::Red);
    EXPECT_EQ(w.At(7).name, "532nm");
    EXPECT_EQ(w.At(7).colour, colours::Lime);
    EXPECT_EQ(w.At(6).name, "e");
    EXPECT_EQ(w.At(6).colour, colours::Navy); // unreadable colour: the one it had
    EXPECT_EQ(w.At(8).colour, colours::Red);
    EXPECT_TRUE(w.NonDefaultColours());
    // Written back, the column stands in its place and the file reads back the same.
    Lens again;
    ASSERT_TRUE(ParseLensFileText(again, LensFileText(read)).Ok());
    EXPECT_EQ(again.Table(), read.Table());
}

TEST(LensFile, UnknownColumnsAreReportedAndNotWritten) {
    Lens lens = Achromat();
    std::string text = LensFileText(lens);
    text.replace(text.find("\tRemarks"), 8, "\tVendor\tRemarks");
    for (std::size_t at = text.find("\r\n") + 2; at < text.size();) {
        const auto end = text.find("\r\n", at);
        const auto last = text.rfind('\t', end);
        text.insert(last, "\tACME");
        at = text.find("\r\n", at) + 2;
    }
    Lens read;
    const auto result = ParseLensFileText(read, text);
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(result.unknownColumns, std::vector<std::string>{"Vendor"});
    EXPECT_EQ(read.Table().ColumnCount(), 40);
    EXPECT_EQ(read.Text(39, 0), "Vendor");
    EXPECT_EQ(read.Text(39, 2), "ACME");
    EXPECT_EQ(read.Text(col::Remarks, 2), "Schott");
    EXPECT_EQ(LensFileText(read), LensFileText(lens));
}

TEST(LensFile, AcceptsLfLineEnds) {
    std::string text = LensFileText(Achromat());
    std::erase(text, '\r');
    Lens read;
    ASSERT_TRUE(ParseLensFileText(read, text).Ok());
    EXPECT_EQ(read.Table(), Achromat().Table());
}

TEST(LensFile, MalformedFilesLeaveTheLensAsItWas) {
    Lens lens = Achromat();
    lens.SetMemo("keep me");
    lens.MarkChanged();
    const Lens before = lens;
    const std::string titleLine = Lines(LensFileText(lens))[0] + "\r\n";
    std::string huge = titleLine;
    for (int row = 0; row < 10001; ++row) huge += "1\tAir\t0\t\t\t\t\t\r\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty"},
        {std::string("No\tr\tDistance\tnd\0\r\n", 19), "binary"},
        {"Hello\r\nWorld\r\n", "no column \"r\""},
        {"No\tGlassName\tr\tDistance\tRemarks\r\n0\tAir\t0\t0\t\r\n", "no column \"nd\""},
        {std::string(500, '\t') + "r\tDistance\tnd\r\n", "too many columns"},
        {huge, "more than 10000 rows"},
    };
    for (const auto& [text, message] : cases) {
        const auto result = ParseLensFileText(lens, text);
        EXPECT_FALSE(result.Ok()) << message;
        EXPECT_NE(result.error.find(message), std::string::npos) << result.error;
        EXPECT_EQ(lens.Table(), before.Table());
        EXPECT_EQ(lens.Memo(), "keep me");
        EXPECT_TRUE(lens.DataModified());
    }
    TempDir dir;
    const auto missing = ReadLensFile(lens, dir.File("nothing.ldt"));
    EXPECT_FALSE(missing.Ok());
    EXPECT_NE(missing.error.find("No such file"), std::string::npos) << missing.error;
    EXPECT_EQ(lens.Table(), before.Table());
    EXPECT_FALSE(ReadLensFile(lens, dir.Path().string()).Ok()); // a folder
}

TEST(LensFile, WritesReplaceTheTargetOnlyWhenComplete) {
    TempDir dir;
    Lens lens = Achromat();
    const std::string path = dir.File("lens.ldt");
    ASSERT_FALSE(WriteFileAtomically(path, "old contents"));
    ::chmod(path.c_str(), 0640);
    ASSERT_FALSE(WriteLensFile(lens, path));
    std::string text;
    ASSERT_FALSE(ReadWholeFile(path, text));
    EXPECT_EQ(text, LensFileText(lens));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // the file keeps its permissions
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1); // no temporary left
}

} // namespace
} // namespace vitrimo
