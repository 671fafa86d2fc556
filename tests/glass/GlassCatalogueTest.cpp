#include "glass/GlassCatalogue.h"

#include "model/FileIo.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

GlassCatalogue Parse(std::string_view text, GlassMaker maker = GlassMaker::Schott) {
    GlassCatalogue catalogue;
    const auto error = ParseGlassCatalogue(text, maker, "test.txt", catalogue);
    EXPECT_FALSE(error) << *error;
    return catalogue;
}

TEST(GlassCatalogue, SplitsAtTabsOrElseAtCommasAndFindsTheTitles) {
    const GlassCatalogue c = Parse("Maker, heading\r\n"
                                   "NT\tnote\r\n" // a title on a leading line counts
                                   "No.\tGNAME\t  nd\t\xCE\xBD"
                                   "d\tnA'\tNF\tComments\r\n"
                                   "1\tK-BK7\t1.51633\t64.1\t1.51097\t1.52191\tsoft, clear\r\n"
                                   "2,K-F2,1.62004,,ni\r\n"); // after the title line a title is data
    EXPECT_EQ(c.RowCount(), 5);
    EXPECT_EQ(c.ColumnCount(), 7);
    EXPECT_EQ(c.Cell(1, 0), " heading");    // no tab: split at commas
    EXPECT_EQ(c.Cell(6, 3), "soft, clear"); // a tab: commas stay inside fields
    EXPECT_EQ(c.Cell(3, 4), "");
    EXPECT_EQ(c.Cell(4, 4), "ni");
    EXPECT_EQ(c.Cell(6, 4), ""); // beyond a short line
    EXPECT_EQ(c.FixedRowCount(), 3);
    const int expected[kCatalogueTitleCount] = {0, -1, 4, -1, -1, 2, -1, 5, -1, -1, -1, 3};
    for (int title = 0; title < kCatalogueTitleCount; ++title)
        EXPECT_EQ(c.TitleColumn(static_cast<CatalogueTitle>(title)), expected[title]) << title;
    EXPECT_EQ(c.TitledCell(TitleNd, 3), "1.51633");
    EXPECT_EQ(c.TitledCell(TitleNi, 3), ""); // no "ni" column: an empty index
    // "ND" and "nAd" are titles too; "nA" and "Nd" are not.
    const GlassCatalogue upper = Parse("Glass,ND,nA,Nd,nAd\n");
    EXPECT_EQ(upper.TitleColumn(TitleNd), 1);
    EXPECT_EQ(upper.TitleColumn(TitleNA), 4);
}

TEST(GlassCatalogue, TextWithoutATitleLineIsRefusedAndTheGridKept) {
    GlassCatalogue c = Parse("Glass\tnd\nN-BK7\t1.5168\n");
    for (std::string_view junk : {std::string_view(""), std::string_view("Glass\tn d\tnd \nN-BK7\t1.5\n"),
                                  std::string_view("\x00\xff\xfe\x01\tx", 6)}) {
        const auto error = ParseGlassCatalogue(junk, GlassMaker::Ohara, "junk.txt", c);
        ASSERT_TRUE(error);
        EXPECT_NE(error->find("\"junk.txt\""), std::string::npos) << *error;
        EXPECT_EQ(c.Maker(), GlassMaker::Schott);
        EXPECT_EQ(c.Cell(0, 1), "N-BK7");
    }
}

TEST(GlassCatalogue, FindsGlassRowAndCoefficientColumnByTitleOrByTheHoyaRule) {
    const GlassCatalogue c = Parse("Sumita\n"
                                   "No.\t G NAME \tnd\tA1\tA0\n" // the key matches without its blanks
                                   "1\tK-BK7\t1.51633\t9\t2.27\n"
                                   "2\tK-F2\t1.62004\t9\t2.5\n");
    GlassLocation at = FindGlassCoefficients(c, "GNAME", "A0", "K-F2");
    EXPECT_EQ(std::tuple(at.row, at.column, at.titleRow, at.error), std::tuple(3, 4, 1, ""));
    at = FindGlassCoefficients(c, "GNAME", "A0", "K-SF5");
    EXPECT_NE(at.error.find("no glass \"K-SF5\" in the Schott catalogue \"test.txt\""), std::string::npos)
        << at.error;
    at = FindGlassCoefficients(c, "GNAME", "B1", "K-BK7");
    EXPECT_EQ(at.row, 2);
    EXPECT_NE(at.error.find("no column titled \"B1\""), std::string::npos) << at.error;
    EXPECT_FALSE(FindGlassCoefficients(c, "Glass", "A0", "K-BK7").Found());
    EXPECT_FALSE(FindGlassCoefficients(c, "GNAME", "A0", "").Found()); // not an empty cell

    // HOYA: the title row is the first whose column 1 contains "Glass", even a note above the titles.
    const GlassCatalogue hoya = Parse("HOYA\nCode\tGlass Type\tND\tA0\texp\n517642\tBSC7\t1.5168\t2.27\t0\n");
    at = FindHoyaGlass(hoya, "BSC7");
    EXPECT_EQ(std::tuple(at.row, at.column, at.titleRow, at.error), std::tuple(2, 3, 1, ""));
    EXPECT_FALSE(FindHoyaGlass(hoya, "FD60").Found());
    const GlassCatalogue noted =
        Parse("HOYA\nnote\tabout Glass\nCode\tGlass Type\tND\tA0\n1\tBSC7\t1.5\t2.27\n");
    at = FindHoyaGlass(noted, "BSC7");
    EXPECT_EQ(std::tuple(at.row, at.column, at.titleRow), std::tuple(3, -1, 1));
}

TEST(GlassCatalogue, LooksInTheStartFolderFirstThenInTheDataFolder) {
    test::TempDir start, data;
    Workspace workspace = Workspace::At(start.Path().string());
    const std::string dataDir = data.Path().string();
    EXPECT_FALSE(LocateCatalogue(workspace, dataDir, GlassMaker::Ohara));
    ASSERT_FALSE(WriteFileAtomically(data.File("Ohara.txt"), "data folder\nGlass\tnd\n"));
    EXPECT_EQ(LocateCatalogue(workspace, dataDir, GlassMaker::Ohara), data.File("Ohara.txt"));
    ASSERT_FALSE(WriteFileAtomically(start.File("Ohara.txt"), "start folder\nGlass\tnd\n"));
    GlassCatalogue c;
    ASSERT_FALSE(LoadGlassCatalogue(GlassMaker::Ohara, workspace, dataDir, c));
    EXPECT_EQ(c.Cell(0, 0), "start folder");

    // A missing file is named with both places, and the grid stays.
    workspace.oharaFile = "Ohara2024.txt";
    const auto error = LoadGlassCatalogue(GlassMaker::Ohara, workspace, dataDir, c);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "The Ohara catalogue \"Ohara2024.txt\" is in neither \"" + start.Path().string() +
                          "\" nor \"" + dataDir + "\"");
    EXPECT_EQ(c.Cell(0, 0), "start folder");
}

} // namespace
} // namespace vitrimo
