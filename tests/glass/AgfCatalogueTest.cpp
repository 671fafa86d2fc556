#include "glass/AgfCatalogue.h"

#include "engine/Calculation.h"
#include "glass/Dispersion.h"
#include "glass/InsertedIndices.h"
#include "model/FileIo.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

std::string TestFile(const std::string& name) {
    return test::SourcePath("tests/glass/data/" + name);
}

AgfCatalogue Load(const std::string& name) {
    AgfCatalogue catalogue;
    const auto error = LoadAgfCatalogue(TestFile(name), catalogue);
    EXPECT_FALSE(error) << *error;
    return catalogue;
}

std::string Bytes(const std::string& path) {
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(path, bytes));
    return bytes;
}

// The text as UTF-16 LE with a byte-order mark (ASCII text: each byte followed by a zero byte).
std::string AsUtf16(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

GlassCatalogue BuiltIn(GlassMaker maker) {
    GlassCatalogue catalogue;
    const auto error = LoadGlassCatalogue(maker, Workspace::At(test::SourcePath("data")), "", catalogue);
    EXPECT_FALSE(error) << *error;
    return catalogue;
}

// Every line index of the AGF glass equals the built-in catalogue's to 1e-5, and the cells the built-in
// catalogue leaves empty (more than 2 nm outside the glass's range) are empty too.
void ExpectSameLineIndices(const AgfGlass& glass, GlassMaker maker, std::string_view builtInName) {
    const GlassCatalogue catalogue = BuiltIn(maker);
    const int row = FindGlassFormula(catalogue, builtInName).row;
    ASSERT_GE(row, 0) << builtInName;
    for (int line = 0; line < 11; ++line) {
        const std::string expected = catalogue.TitledCell(static_cast<CatalogueTitle>(line), row);
        const std::string actual = AgfLineIndexText(glass, line);
        SCOPED_TRACE(glass.name + " line " + std::to_string(line));
        ASSERT_EQ(expected.empty(), actual.empty()) << expected << " / " << actual;
        if (!expected.empty()) {
            EXPECT_NEAR(*ParseNumber(actual), *ParseNumber(expected), 1e-5 + 1e-12);
        }
    }
}

struct SameGlass {
    const char* agf;
    GlassMaker maker;
    const char* builtIn;
};

TEST(AgfCatalogue, MakersGlassesGiveTheBuiltInCataloguesIndices) {
    const AgfCatalogue catalogue = Load("MAKERS.AGF");
    EXPECT_EQ(catalogue.name, "MAKERS");
    EXPECT_EQ(catalogue.comments.size(), 2u);
    const SameGlass glasses[] = {
        {"N-BK7", GlassMaker::Schott, "N-BK7"},   {"N-SF11", GlassMaker::Schott, "N-SF11"},
        {"BK7G18", GlassMaker::Schott, "BK7G18"}, {"S-BSL7", GlassMaker::Ohara, "S-BSL7"},
        {"S-TIH6", GlassMaker::Ohara, "S-TIH6"},  {"BSL7", GlassMaker::Ohara, "BSL7"},
        {"BSC7", GlassMaker::Hoya, "BSC7"},       {"FD60", GlassMaker::Hoya, "FD60"},
        {"K-BK7", GlassMaker::Sumita, "K-BK7"},   {"K-SFLD6", GlassMaker::Sumita, "K-SFLD6"},
    };
    ASSERT_EQ(catalogue.glasses.size(), std::size(glasses));
    for (const SameGlass& same : glasses) {
        const AgfGlass* glass = catalogue.Find(same.agf);
        ASSERT_NE(glass, nullptr) << same.agf;
        ExpectSameLineIndices(*glass, same.maker, same.builtIn);
    }
    // The NM and LD records as written.
    const AgfGlass& bk7 = *catalogue.Find("N-BK7");
    EXPECT_EQ(bk7.formula, 2);
    EXPECT_EQ(bk7.milCode, "517642.251");
    EXPECT_EQ(bk7.nd, 1.5168);
    EXPECT_EQ(bk7.vd, 64.17);
    EXPECT_EQ(AgfStatusName(bk7.status), "preferred");
    EXPECT_EQ(bk7.lambdaMin, 0.3);
    EXPECT_EQ(bk7.lambdaMax, 2.5);
    EXPECT_EQ(bk7.line, 3);
    EXPECT_EQ(catalogue.Find("BSC7")->formula, 1);
}

TEST(AgfCatalogue, Utf16AndLineEndsReadTheSame) {
    const std::string crlf = Bytes(TestFile("MAKERS.AGF"));
    std::string lf;
    for (char c : crlf)
        if (c != '\r') lf.push_back(c);
    for (const std::string& bytes : {AsUtf16(crlf), AsUtf16(lf), lf, "\xEF\xBB\xBF" + lf}) {
        AgfCatalogue catalogue;
        const auto error = ParseAgfCatalogue(bytes, "/x/MAKERS.AGF", catalogue);
        ASSERT_FALSE(error) << *error;
        ASSERT_EQ(catalogue.glasses.size(), 10u);
        EXPECT_EQ(catalogue.glasses[2].name, "BK7G18");
        EXPECT_EQ(catalogue.glasses[2].line, 19);
        ExpectSameLineIndices(catalogue.glasses[0], GlassMaker::Schott, "N-BK7");
    }
    // A character beyond ASCII in a comment (a degree sign, then a character outside the BMP as a
    // surrogate pair) arrives as UTF-8.
    const std::string utf16 = AsUtf16("CC 20 ") + std::string("\xB0\x00", 2) +
                              std::string("\x3D\xD8\x00\xDE", 4) +
                              AsUtf16("\nNM G 1 - 1.5 60\nCD 2.25 0 0 0 0 0\n").substr(2);
    AgfCatalogue catalogue;
    ASSERT_FALSE(ParseAgfCatalogue(utf16, "u.agf", catalogue).has_value());
    ASSERT_EQ(catalogue.comments.size(), 1u);
    EXPECT_EQ(catalogue.comments[0], "20 \xC2\xB0\xF0\x9F\x98\x80");
}

// Glasses re-expressed in the other forms (zero extra terms), and glasses of SCHOTT whose formulas the
// built-in catalogues cannot hold, against the indices the refractiveindex.info extraction gives for them.
TEST(AgfCatalogue, OtherFormsGiveTheSameIndices) {
    const AgfCatalogue catalogue = Load("FORMS.AGF");
    ExpectSameLineIndices(*catalogue.Find("N-BK7-S3"), GlassMaker::Schott, "N-BK7");
    ExpectSameLineIndices(*catalogue.Find("N-BK7-S5"), GlassMaker::Schott, "N-BK7");
    ExpectSameLineIndices(*catalogue.Find("K-BK7-EX"), GlassMaker::Sumita, "K-BK7");
    ExpectSameLineIndices(*catalogue.Find("K-BK7-EX2"), GlassMaker::Sumita, "K-BK7");
    ExpectSameLineIndices(*catalogue.Find("K-BK7-EX3"), GlassMaker::Sumita, "K-BK7");

    // SCHOTT BOROFLOAT 33 (Sellmeier 2) at t ... i, and IRG 22 (Sellmeier 4) at t only: its range starts
    // at 1 um.
    const char* boro[] = {"1.46279", "1.46517", "1.46667", "1.46800", "1.46928", "1.47149",
                          "1.47320", "1.47642", "1.48021", "1.48332", "1.48857"};
    const AgfGlass& borofloat = *catalogue.Find("BOROFLOAT33");
    for (int line = 0; line < 11; ++line)
        EXPECT_NEAR(*ParseNumber(AgfLineIndexText(borofloat, line)), *ParseNumber(boro[line]), 1e-5 + 1e-12);
    const AgfGlass& irg22 = *catalogue.Find("IRG22");
    EXPECT_EQ(AgfLineIndexText(irg22, 0), "2.59423");
    for (int line = 1; line < 11; ++line) EXPECT_EQ(AgfLineIndexText(irg22, line), "") << line;
}

// Formulas the built-in catalogues do not use, with every coefficient at work, against the formulas
// written out here.
TEST(AgfCatalogue, FormulasAgainstClosedForms) {
    using C = std::array<double, 10>;
    struct Case {
        int formula;
        C c;
        double (*closed)(const C&, double);
    };
    const Case cases[] = {
        {3,
         {3.41983, 0.159906, -0.123109, 1.26878e-6, -1.95104e-9, 1e-12},
         [](const C& c, double l) {
             const double h = 1 / (l * l - 0.028);
             return c[0] + c[1] * h + c[2] * h * h + c[3] * l * l + c[4] * std::pow(l, 4) +
                    c[5] * std::pow(l, 6);
         }},
        {5,
         {1.5, 0.01, 0.0008},
         [](const C& c, double l) { return c[0] + c[1] / l + c[2] / std::pow(l, 3.5); }},
        {7,
         {2.2, 0.012, 0.03, 0.009},
         [](const C& c, double l) { return std::sqrt(c[0] + c[1] / (l * l - c[2]) - c[3] * l * l); }},
        {8,
         {1.3, 1.05, 0.011, 0.008},
         [](const C& c, double l) { return std::sqrt(c[0] + c[1] * l * l / (l * l - c[2]) - c[3] * l * l); }},
        {4,
         {0.3542, 0.78657, 0.10856, 0.18285, 4.427},
         [](const C& c, double l) {
             const double L = l * l;
             return std::sqrt(1 + c[0] + c[1] * L / (L - c[2] * c[2]) + c[3] * L / (L - c[4] * c[4]));
         }},
        {9,
         {3.4834, 2.8203, 0.1352, 0.9773, 1420.7},
         [](const C& c, double l) {
             const double L = l * l;
             return std::sqrt(c[0] + c[1] * L / (L - c[2]) + c[3] * L / (L - c[4]));
         }},
        {10,
         {2.27, -0.01, 0.0104, 2.9e-4, -2.2e-5, 1.4e-6, 3e-7, -2e-8},
         [](const C& c, double l) {
             double n2 = c[0] + c[1] * l * l;
             for (int k = 2; k < 8; ++k) n2 += c[k] * std::pow(l, -2 * (k - 1));
             return std::sqrt(n2);
         }},
        {12,
         {2.27, -0.01, 0.0104, 2.9e-4, -2.2e-5, 1.4e-6, 3e-4, -2e-5},
         [](const C& c, double l) {
             double n2 = c[0] + c[1] * l * l + c[6] * std::pow(l, 4) + c[7] * std::pow(l, 6);
             for (int k = 2; k < 6; ++k) n2 += c[k] * std::pow(l, -2 * (k - 1));
             return std::sqrt(n2);
         }},
        {13,
         {2.27, -0.01, 4e-4, 0.0104, 2.9e-4, -2.2e-5, 1.4e-6, 3e-7, -2e-8},
         [](const C& c, double l) {
             double n2 = c[0] + c[1] * l * l + c[2] * std::pow(l, 4);
             for (int k = 3; k < 9; ++k) n2 += c[k] * std::pow(l, -2 * (k - 2));
             return std::sqrt(n2);
         }},
        {6,
         {0.6, 0.004, 0.4, 0.015, 0.2, 0.05, 0.9, 100},
         [](const C& c, double l) {
             const double L = l * l;
             double n2 = 1;
             for (int k = 0; k < 4; ++k) n2 += c[2 * k] * L / (L - c[2 * k + 1]);
             return std::sqrt(n2);
         }},
        {11,
         {0.6, 0.004, 0.4, 0.015, 0.2, 0.05, 0.7, 100, 0.1, 400},
         [](const C& c, double l) {
             const double L = l * l;
             double n2 = 1;
             for (int k = 0; k < 5; ++k) n2 += c[2 * k] * L / (L - c[2 * k + 1]);
             return std::sqrt(n2);
         }},
    };
    for (const Case& test : cases)
        for (double micrometres : {0.4, 0.5876, 0.85, 1.55, 5.0, 10.0}) {
            const double expected = test.closed(test.c, micrometres);
            if (!std::isfinite(expected)) continue;
            const auto n = AgfFormulaIndex(test.formula, test.c, micrometres);
            ASSERT_TRUE(n) << test.formula << " at " << micrometres;
            EXPECT_NEAR(*n, expected, 1e-12) << AgfFormulaName(test.formula) << " at " << micrometres;
        }
    // Silicon by Herzberger's formula against its published index at 10 um, 3.4215.
    EXPECT_NEAR(*AgfFormulaIndex(3, cases[0].c, 10.0), 3.4215, 1e-4);
    EXPECT_EQ(AgfCoefficientCount(13), 9);
    EXPECT_EQ(AgfFormulaName(12), "Extended 2");
    EXPECT_EQ(AgfFormulaName(14), "");
}

TEST(AgfCatalogue, NoIndexWhereTheFormulaHasNoneAndNoNaN) {
    const std::array<double, 10> sellmeier{1.0, 0.25};
    EXPECT_FALSE(AgfFormulaIndex(2, sellmeier, 0.5));    // on the pole L = 0.25
    EXPECT_FALSE(AgfFormulaIndex(1, {-2.0}, 0.5));       // n^2 < 0
    EXPECT_FALSE(AgfFormulaIndex(7, {1, 1, 0.25}, 0.5)); // on the pole
    for (int formula = 1; formula <= kAgfFormulaCount; ++formula)
        for (double bad : {0.0, -1.0, double(NAN), double(INFINITY)})
            EXPECT_FALSE(AgfFormulaIndex(formula, sellmeier, bad));
    EXPECT_FALSE(AgfFormulaIndex(0, sellmeier, 0.5));
    EXPECT_FALSE(AgfFormulaIndex(14, sellmeier, 0.5));
}

// Outside its range a glass's index is still computed (the lookup marks it); only its line cells in the
// table stay empty more than 2 nm outside, as the built-in catalogues have them.
TEST(AgfCatalogue, OutsideTheRangeComputedAndMarked) {
    AddedCatalogues added;
    ASSERT_FALSE(added.Add(TestFile("MAKERS.AGF")));
    const AgfIndices found = added.Indices("BK7G18", "", {587.5618, 3000, 378.5, 377.9});
    ASSERT_TRUE(found.Ok()) << found.error;
    EXPECT_EQ(found.outsideRange, (std::vector<bool>{false, true, true, true}));
    const double L = 9.0;
    const double at3000 =
        std::sqrt(1 + 1.26538542 * L / (L - 0.00813104078) + 0.0144191073 * L / (L - 0.0543303226) +
                  1.00323028 * L / (L - 102.821166));
    ASSERT_TRUE(found.indices[1]);
    EXPECT_NEAR(*found.indices[1], at3000, 1e-12);
    // 1.5 nm outside the 380 nm limit the cell is kept, 2.1 nm outside it is empty.
    AgfGlass shifted = *added.At(0).Find("BK7G18");
    shifted.lambdaMin = 0.3665;
    EXPECT_NE(AgfLineIndexText(shifted, 10), "");
    shifted.lambdaMin = 0.3672;
    EXPECT_EQ(AgfLineIndexText(shifted, 10), "");
}

TEST(AddedCatalogues, LookupByGlassAndCatalogueName) {
    AddedCatalogues added;
    ASSERT_FALSE(added.Add(TestFile("MAKERS.AGF")));
    ASSERT_FALSE(added.Add(TestFile("FORMS.AGF")));
    const double nm = 532;
    const double L = 0.532 * 0.532;
    const double bk7 = std::sqrt(1 + 1.03961212 * L / (L - 0.00600069867) +
                                 0.231792344 * L / (L - 0.0200179144) + 1.01046945 * L / (L - 103.560653));
    for (std::string_view catalogue : {"", "MAKERS", "makers", "Makers.agf"}) {
        const AgfIndices found = added.Indices("N-BK7", catalogue, {nm});
        ASSERT_TRUE(found.Ok()) << found.error;
        EXPECT_EQ(found.catalogue, "MAKERS");
        EXPECT_EQ(found.remarks, "MAKERS.AGF");
        EXPECT_NEAR(*found.indices[0], bk7, 1e-12);
        EXPECT_EQ(found.outsideRange, std::vector<bool>{false});
    }
    EXPECT_EQ(added.Indices("N-BK7-S3", "", {nm}).catalogue, "FORMS");
    EXPECT_EQ(added.Indices("N-BK7", "FORMS", {nm}).error,
              "There is no glass \"N-BK7\" in the catalogue \"" + TestFile("FORMS.AGF") + "\"");
    EXPECT_EQ(added.Indices("N-BK7", "OHARA", {nm}).error, "No added catalogue is named \"OHARA\"");
    EXPECT_EQ(added.Indices("n-bk7", "", {nm}).error, "There is no glass \"n-bk7\" in any added catalogue");
    EXPECT_EQ(added.FromRemarks("FORMS.AGF"), &added.At(1));
    EXPECT_EQ(added.FromRemarks("FORMS"), nullptr);

    // The same name from another folder is refused; the same file again is read again in its place.
    test::TempDir folder;
    const std::string elsewhere = folder.File("makers.agf");
    ASSERT_FALSE(WriteFileAtomically(elsewhere, Bytes(TestFile("MAKERS.AGF"))));
    const auto refused = added.Add(elsewhere);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("A catalogue named \"MAKERS\" is added already"), std::string::npos);
    ASSERT_FALSE(added.Add(TestFile("MAKERS.AGF")));
    EXPECT_EQ(added.Paths(), (std::vector<std::string>{TestFile("MAKERS.AGF"), TestFile("FORMS.AGF")}));
    EXPECT_TRUE(added.Remove(0));
    EXPECT_FALSE(added.Remove(1));
    EXPECT_EQ(added.Paths(), std::vector<std::string>{TestFile("FORMS.AGF")});
}

struct Malformed {
    const char* what;
    std::string bytes;
    const char* message; // the end of the message, after the file's name
};

const char* kGood = "NM G 2 517642 1.5168 64.17 0 1 0\nCD 1.03961212 0.00600069867 0.231792344 "
                    "0.0200179144 1.01046945 103.560653\nLD 0.3 2.5\n";

// Each kind of broken file is refused with a message naming the line, and nothing that was read before
// changes: neither a catalogue read into the same object nor the added set.
TEST(AgfCatalogue, MalformedFilesAreRefusedNamingTheLine) {
    const std::string good = kGood;
    const Malformed cases[] = {
        {"unknown formula", good + "NM H 14 - 1.5 60\nCD 1 2 3\n",
         "line 4: the glass \"H\" has the unknown formula \"14\" (known are the numbers 1 to 13)"},
        {"formula beyond any integer", "NM H 8915328949842375110 - 1.5 60\nCD 1 2 3\n",
         "line 1: the glass \"H\" has the unknown formula \"8915328949842375110\" (known are the numbers 1 "
         "to 13)"},
        {"formula not a whole number", "CC x\nNM H 2.5 - 1.5 60\nCD 1 2 3 4 5 6\n",
         "line 2: the glass \"H\" has the unknown formula \"2.5\" (known are the numbers 1 to 13)"},
        {"NM without CD", "NM H 1 - 1.5 60\nLD 0.3 2\n" + good,
         "line 1: the glass \"H\" has no CD record (its coefficients)"},
        {"truncated after NM", good + "NM H 1 - 1.5 60\r\n",
         "line 4: the glass \"H\" has no CD record (its coefficients)"},
        {"truncated NM", good + "NM H 1 51",
         "line 4: the NM record needs a glass name, a formula number, a "
         "code, nd and vd; it has 3 fields"},
        {"too few coefficients", "NM H 6 - 1.5 60\nCD 1 0.01 0.2 0.02 0.9 100 0\n",
         "line 2: the Sellmeier 3 formula of \"H\" needs 8 coefficients; the CD record has 7"},
        {"coefficient not a number", "NM H 1 - 1.5 60\nCD 2.25 0 1.0x 0 0 0\n",
         "line 2: coefficient 3 of \"H\" is not a number: \"1.0x\""},
        {"NaN coefficient", good + "NM H 1 - 1.5 60\nCD 2.25 NaN 0 0 0 0\n",
         "line 5: coefficient 2 of \"H\" is not a number: \"NaN\""},
        {"infinite coefficient", "NM H 1 - 1.5 60\nCD 2.25 0 0 0 0 inf\n",
         "line 2: coefficient 6 of \"H\" is not a number: \"inf\""},
        {"nd not a number", "NM H 1 - nan 60\nCD 2.25 0 0 0 0 0\n",
         "line 1: the nd of \"H\" is not a number: \"nan\""},
        {"CD before NM", "CD 2.25 0 0 0 0 0\n" + good,
         "line 1: a CD record comes before any glass (NM record)"},
        {"second CD", good + "CD 1 2 3 4 5 6\n", "line 4: the glass \"G\" has a second CD record"},
        {"bad range", "NM H 1 - 1.5 60\nCD 2.25 0 0 0 0 0\nLD 2.5 0.3\n",
         "line 3: the LD record of \"H\" is not a wavelength range in micrometres: \"2.5\" \"0.3\""},
        {"duplicate glass", good + good, "line 4: the glass \"G\" is there already (line 1)"},
        {"no glass", "CC only a comment\r\n", "it holds no glass (no NM line)"},
        {"binary", good + std::string("\0\x01\x02\x03", 4) + "NM",
         "it holds binary data (a zero byte at offset 119), not text"},
        {"UTF-16 with an odd byte count", AsUtf16(good) + "N",
         "it is UTF-16 text with an odd number of bytes (241): the file is cut off or damaged"},
        {"UTF-16 with a zero character", AsUtf16(good + std::string(1, '\0')),
         "it holds binary data (a zero character), not text"},
    };
    AgfCatalogue before;
    ASSERT_FALSE(ParseAgfCatalogue(kGood, "good.agf", before));
    AddedCatalogues added;
    ASSERT_FALSE(added.Add(before));
    test::TempDir folder;
    for (const Malformed& bad : cases) {
        SCOPED_TRACE(bad.what);
        AgfCatalogue catalogue = before;
        const auto error = ParseAgfCatalogue(bad.bytes, "bad.agf", catalogue);
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, std::string("\"bad.agf\" is not an AGF glass catalogue: ") + bad.message);
        ASSERT_EQ(catalogue.glasses.size(), 1u);
        EXPECT_EQ(catalogue.path, "good.agf");
        EXPECT_EQ(catalogue.glasses[0].name, "G");

        const std::string path = folder.File("bad.agf");
        ASSERT_FALSE(WriteFileAtomically(path, bad.bytes));
        const auto refused = added.Add(path);
        ASSERT_TRUE(refused);
        EXPECT_NE(refused->find(bad.message), std::string::npos) << *refused;
        EXPECT_EQ(added.Paths(), std::vector<std::string>{"good.agf"});
    }
}

TEST(AgfCatalogue, TooManyGlassesAreRefused) {
    std::string text;
    for (std::size_t k = 0; k <= AgfCatalogue::kMaxGlasses; ++k)
        text += "NM G" + std::to_string(k) + " 1 - 1.5 60\nCD 2.25 0 0 0 0 0\n";
    AgfCatalogue catalogue;
    const auto error = ParseAgfCatalogue(text, "many.agf", catalogue);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error,
              "\"many.agf\" is not an AGF glass catalogue: line 40001: the catalogue has more than 20000 "
              "glasses");
    EXPECT_TRUE(catalogue.glasses.empty());
    // A missing file names the file.
    const auto missing = LoadAgfCatalogue("/nonexistent/X.AGF", catalogue);
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->find("/nonexistent/X.AGF"), std::string::npos);
}

// The grid the glass data window shows: the title line of the built-in catalogues, so the line indices
// are found by their titles.
TEST(AgfCatalogue, GridHasTheBuiltInTitles) {
    const AgfCatalogue agf = Load("FORMS.AGF");
    GlassCatalogue grid;
    ASSERT_FALSE(ParseGlassGrid(AgfCatalogueGridText(agf), agf.path, grid));
    EXPECT_FALSE(grid.Maker());
    EXPECT_EQ(grid.TitleRow(), 1);
    EXPECT_EQ(grid.RowCount(), 2 + static_cast<int>(agf.glasses.size()));
    const int row = 2 + 5; // BOROFLOAT33
    EXPECT_EQ(grid.Cell(0, row), "BOROFLOAT33");
    EXPECT_EQ(grid.TitledCell(TitleNd, row), "1.47149");
    EXPECT_EQ(grid.TitledCell(TitleNi, row), "1.48857");
    EXPECT_EQ(grid.TitledCell(TitleAbbe, row), "65.41");
    // IRG 22: no index at d by its formula, so the maker's nd stands there; the other lines are empty.
    EXPECT_EQ(grid.TitledCell(TitleNd, row + 1), "2.50000");
    EXPECT_EQ(grid.TitledCell(TitleNt, row + 1), "2.59423");
    EXPECT_EQ(grid.TitledCell(TitleNe, row + 1), "");
}

// A row whose "Remarks" holds an added catalogue's file name gets its indices at added wavelengths from
// that glass's formula; without the added catalogues it is a row of no known maker ("0").
TEST(AgfCatalogue, InsertedIndicesFollowTheAddedGlass) {
    Lens lens;
    ASSERT_TRUE(ReadLensFile(lens, test::SourcePath("data/Lens/achromat.ldt")).Ok());
    ASSERT_TRUE(lens.InsertWavelengthColumn("532nm"));
    lens.SetText(col::Remarks, 2, "FORMS.AGF");
    lens.SetText(col::GlassName, 2, "BOROFLOAT33");
    AddedCatalogues added;
    ASSERT_FALSE(added.Add(TestFile("FORMS.AGF")));
    test::ScriptedHost host;
    const auto data = Workspace::At(test::SourcePath("data"));
    GlassCatalogues withAdded(data, "", &added);
    ASSERT_TRUE(ComputeInsertedIndices(lens, 1, withAdded, host));
    const double L = 0.532 * 0.532;
    const double expected =
        std::sqrt(1 + 0.3542 + 0.78657 * L / (L - 0.10856 * 0.10856) + 0.18285 * L / (L - 4.427 * 4.427));
    EXPECT_EQ(lens.Text("532nm", 2), FormatFixed(expected, 5));

    GlassCatalogues without(data, "");
    ASSERT_TRUE(ComputeInsertedIndices(lens, 1, without, host));
    EXPECT_EQ(lens.Text("532nm", 2), "0");

    lens.SetText(col::GlassName, 2, "N-BK7");
    EXPECT_FALSE(ComputeInsertedIndices(lens, 1, withAdded, host));
    EXPECT_EQ(lens.Text("532nm", 2), "");
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back(),
              "Cannot compute the refractive index of N-BK7 at 532 nm: there is no glass "
              "\"N-BK7\" in the catalogue \"" +
                  TestFile("FORMS.AGF") + "\"");
}

} // namespace
} // namespace vitrimo
