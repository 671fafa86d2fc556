// Catalogue files that are not what a maker ships: quoted fields, text that is not text, grids too large.
#include "glass/Dispersion.h"
#include "glass/GlassCatalogue.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

TEST(CatalogueLimits, QuotedCommasKeepTheColumnsInPlace) {
    // Published Schott N-BK7 Sellmeier coefficients; the glass name and the group hold commas.
    const std::string text =
        "Schott\n"
        "Glass,Group,nd,B1,B2,B3,C1,C2,C3\n"
        "\"N-BK7, HT\",\"optical, \"\"classic\"\"\",1.5168,1.03961212,0.231792344,1.01046945,0.00600069867,"
        "0.0200179144,103.560653\n";
    GlassCatalogue catalogue;
    ASSERT_FALSE(ParseGlassCatalogue(text, GlassMaker::Schott, "Schott.txt", catalogue));
    EXPECT_EQ(catalogue.Cell(0, 2), "N-BK7, HT");
    EXPECT_EQ(catalogue.Cell(1, 2), "optical, \"classic\"");
    EXPECT_EQ(catalogue.TitledCell(TitleNd, 2), "1.5168");
    EXPECT_EQ(catalogue.FieldCount(2), 9);
    const GlassFormulaResult found = FindGlassFormula(catalogue, "N-BK7, HT");
    ASSERT_TRUE(found.Ok()) << found.error;
    // The maker's published d-line index of N-BK7 is 1.51680.
    EXPECT_NEAR(*found.formula.IndexAt(587.5618), 1.51680, 2e-5);
}

TEST(CatalogueLimits, FilesThatCannotBeReadRightAreRefusedNamingTheLine) {
    using namespace std::string_literals;
    const std::string tooMany = "Glass,nd\n" + std::string(GlassCatalogue::kMaxCatalogueCells, ',') + "\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Glass,nd\n\"N-BK7,1.5168\n", "line 2: a quoted field is not closed"},
        {"Glass,nd\n\"N-BK7\"x,1.5168\n", "line 2: a quoted field is followed by text"},
        {"\xFF\xFEG\0l\0a\0s\0s\0"s, "UTF-16"},
        {"Glass\tnd\nN-BK7\t1.5\0\x01\x02"s, "binary data"},
        {tooMany, "more than 4000000 cells (line 2)"},
        {"Glass,nd\n" + std::string(GlassCatalogue::kMaxCatalogueCells, '\n'), "more than 4000000 cells"},
    };
    GlassCatalogue catalogue;
    ASSERT_FALSE(ParseGlassCatalogue("Glass\tnd\nF2\t1.62\n", GlassMaker::Ohara, "Ohara.txt", catalogue));
    for (const auto& [text, message] : cases) {
        const auto error = ParseGlassCatalogue(text, GlassMaker::Schott, "Schott.txt", catalogue);
        ASSERT_TRUE(error) << message;
        EXPECT_NE(error->find("\"Schott.txt\" is not a glass catalogue"), std::string::npos) << *error;
        EXPECT_NE(error->find(message), std::string::npos) << *error;
        EXPECT_EQ(catalogue.Cell(0, 1), "F2"); // the grid read before stays
    }
    // A quote inside a field, or in a tab-separated line, is just a character.
    ASSERT_FALSE(ParseGlassCatalogue("Glass,nd,Note\nF2,1.62,5\" lens\n\"a\tb\"\tc\n", GlassMaker::Ohara,
                                     "Ohara.txt", catalogue));
    EXPECT_EQ(catalogue.Cell(2, 1), "5\" lens");
    EXPECT_EQ(catalogue.Cell(0, 2), "\"a");
}

TEST(CatalogueLimits, TheNameKeyIsFoundColumnByColumnInOnePass) {
    // The key in column 2 of row 1 and in column 1 of row 3: columns are searched before rows, so the
    // one in column 1 marks the title row. A long first line does not slow the search of short rows.
    std::string text = "x\t\tGlass\n\tnd\nheading\n\tGlass\tnd\tA0\n\tF2\t1.62\t2.5\n";
    text += std::string(100000, '\t') + "\n";
    text += std::string(100000, '\n');
    GlassCatalogue catalogue;
    ASSERT_FALSE(ParseGlassCatalogue(text, GlassMaker::Ohara, "Ohara.txt", catalogue));
    const GlassLocation at = FindGlassCoefficients(catalogue, "Glass", "A0", "F2");
    EXPECT_EQ(std::tuple(at.titleRow, at.column, at.row, at.error), std::tuple(3, 3, 4, ""));
    // A key that is nowhere is looked for in every cell once, not in every column of every row.
    const GlassLocation none = FindGlassCoefficients(catalogue, "GNAME", "A0", "F2");
    EXPECT_NE(none.error.find("no column titled \"GNAME\""), std::string::npos) << none.error;
}

} // namespace
} // namespace vitrimo
