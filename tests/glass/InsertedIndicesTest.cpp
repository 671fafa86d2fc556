#include "glass/InsertedIndices.h"

#include "engine/Calculation.h"
#include "model/FileIo.h"
#include "model/LensFile.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::ScriptedHost;

// Computed by hand (50-digit decimal arithmetic) from SCHOTT's published Sellmeier coefficients:
// N-BK7 1.5194726 and 1.5006520, SF5 1.6796158 and 1.6433217 at 532 and 1550 nm.
constexpr const char *kBk7At532 = "1.51947", *kBk7At1550 = "1.50065", *kSf5At532 = "1.67962",
                     *kSf5At1550 = "1.64332";

Lens Sample(const std::string& name) {
    Lens lens;
    EXPECT_TRUE(ReadLensFile(lens, test::SourcePath("data/Lens/" + name)).Ok());
    return lens;
}

// The shipped catalogues, from the data folder (the start folder, data/Lens, holds none).
GlassCatalogues Shipped() {
    return GlassCatalogues(Workspace::At(test::SourcePath("data/Lens")), test::SourcePath("data"));
}

// Insert New Wavelength answered with Yes, the wavelengths, and Yes to "another?" but after the last.
int Insert(Lens& lens, ScriptedHost& host, std::vector<std::string> wavelengths) {
    host.buttonAnswers.push_back(ButtonYes);
    for (std::size_t k = 0; k < wavelengths.size(); ++k) {
        host.textAnswers.push_back(wavelengths[k]);
        host.buttonAnswers.push_back(k + 1 < wavelengths.size() ? ButtonYes : ButtonNo);
    }
    GlassCatalogues catalogues = Shipped();
    ParaxialTrace paraxial;
    return InsertNewWavelength(lens, catalogues, host, [&] {
        return PrepareForCalculation(lens, paraxial, host) != Readiness::Cancelled;
    });
}

TEST(InsertNewWavelength, AddsColumnsInPlaceAndComputesEveryRow) {
    Lens lens = Sample("achromat.ldt");
    const Lens before = lens;
    ScriptedHost host;
    ASSERT_EQ(Insert(lens, host, {"532", "1550"}), 2);
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{"Calculate refractive indice of other wavelength?",
                                        "You add another wavelength?", "You add another wavelength?"}));

    // 1550 nm comes before "nt", 532 nm between "ne" and "nF"; the eleven lines keep their data.
    const int c1550 = lens.Column("1550nm"), c532 = lens.Column("532nm");
    EXPECT_EQ(c1550 + 1, lens.Column(col::Nt));
    EXPECT_EQ(c532, lens.Column("ne") + 1);
    EXPECT_EQ(lens.Column("nF"), c532 + 1);
    for (int row = 1; row < lens.RowCount(); ++row)
        for (auto line : col::LineIndices) EXPECT_EQ(lens.Text(line, row), before.Text(line, row)) << row;

    const std::vector<std::pair<std::string, std::string>> expected{
        {"1", "1"}, {kBk7At532, kBk7At1550}, {kSf5At532, kSf5At1550}, {"1", "1"}}; // object, glasses, air
    for (int row = 1; row < lens.RowCount(); ++row)
        EXPECT_EQ(std::pair(lens.Text(c532, row), lens.Text(c1550, row)), expected[row - 1]) << row;
    EXPECT_TRUE(lens.DataModified());
    EXPECT_FALSE(lens.ArraysCurrent());

    // Mirrors get -1; a glass whose "Remarks" names no known maker exactly gets 0 (no data); a mirror
    // silvered on the back of the glass before it gets minus that glass's index.
    Lens mirrors = Sample("cassegrain.ldt");
    ScriptedHost host2;
    ASSERT_EQ(Insert(mirrors, host2, {"532"}), 1);
    EXPECT_EQ(mirrors.Text("532nm", 2), "-1");
    EXPECT_EQ(mirrors.Text("532nm", 3), "-1");
    Lens mixed = test::MakeLens({{"N-BK7", "50", "5", "1.51680", "Schott"},
                                 {"2nd Surf.Mirror", "-80", "5", "-1.51680", "2nd surface mirror"},
                                 {"Air", "50", "40", "1"},
                                 {"SUPER1", "30", "4", "1.7", "Acme"},
                                 {"SF5", "-30", "4", "1.67270", "schott"}});
    ScriptedHost host3;
    ASSERT_EQ(Insert(mixed, host3, {"532"}), 1);
    for (const auto& [row, text] : std::vector<std::pair<int, std::string>>{
             {2, kBk7At532}, {3, std::string("-") + kBk7At532}, {4, "1"}, {5, "0"}, {6, "0"}})
        EXPECT_EQ(mixed.Text("532nm", row), text) << row;
}

TEST(InsertNewWavelength, AsksAgainForWhatIsNoNewWavelengthAndStopsAtTheFirstFailure) {
    Lens lens = test::MakeLens({{"N-BK7", "50", "5", "1.51680", "Schott"},
                                {"NO-SUCH", "-50", "3", "1.6", "Schott"},
                                {"SF5", "-100", "40", "1.67270", "Schott"}});
    GlassCatalogues catalogues = Shipped();
    ScriptedHost host;
    host.buttonAnswers = {ButtonYes, ButtonOk, ButtonOk, ButtonOk};
    host.textAnswers = {"abc", "-5", "587.6", "0532.0"};
    EXPECT_EQ(InsertNewWavelength(lens, catalogues, host, [] { return true; }), 1);
    ASSERT_EQ(host.messages.size(), 5u); // no "add another?" after the failure
    EXPECT_NE(host.messages[1].find("\"abc\" is not a wavelength"), std::string::npos);
    EXPECT_NE(host.messages[2].find("\"-5\" is not a wavelength"), std::string::npos);
    EXPECT_EQ(host.messages[3], "The table already has a column for 587.6 nm");
    EXPECT_NE(host.messages[4].find("NO-SUCH at 532 nm"), std::string::npos) << host.messages[4];
    // Titled by the number, not by the text typed; the rows before the failure keep their values.
    EXPECT_EQ(lens.Text("532nm", 2), kBk7At532);
    EXPECT_EQ(lens.Text("532nm", 3), "");
    EXPECT_EQ(lens.Text("532nm", 4), "");

    ScriptedHost cancel;
    cancel.buttonAnswers = {ButtonCancel};
    Lens untouched = Sample("singlet.ldt");
    EXPECT_EQ(InsertNewWavelength(untouched, catalogues, cancel, [] { return true; }), 0);
    EXPECT_EQ(untouched.Wavelengths().Count(), 11);
}

TEST(ComputeInsertedIndices, ReportsMissingCataloguesBadCoefficientsAndNoRealIndex) {
    test::TempDir start;
    ASSERT_FALSE(WriteFileAtomically(
        start.File("Sumita.txt"), "No.\tGNAME\tnd\tA0\tA1\tA2\tA3\tA4\tA5\n"
                                  "1\tK-BK7\t1.51633\t2.2705778\t-0.010059376\t0.010414999\t0.00028872517\t"
                                  "-2.2214495e-05\t1.4258559e-06\n"
                                  "2\tK-BAD\t1.6\t2.5\t-0.01\tabc\t0\t0\t0\n"));
    // Computes one row with one added wavelength over a cell holding "stale"; returns the message.
    const auto run = [&](const char* glass, const char* remarks, const char* title, std::string& cell) {
        Lens lens = test::MakeLens({{glass, "50", "5", "1.5", remarks}});
        const int column = *lens.InsertWavelengthColumn(title);
        lens.SetText(column, 2, "stale");
        GlassCatalogues catalogues(Workspace::At(start.Path().string()), ""); // no data folder
        ScriptedHost host;
        const bool done = ComputeInsertedIndices(lens, 1, catalogues, host);
        EXPECT_EQ(done, host.messages.empty());
        cell = lens.Text(column, 2);
        return host.messages.empty() ? std::string() : host.messages.front();
    };
    std::string cell;
    EXPECT_EQ(run("K-BK7", "Sumita", "587.5618nm", cell), "");
    EXPECT_EQ(cell, "1.51633"); // SUMITA's catalogue nd

    const std::vector<std::tuple<const char*, const char*, const char*, std::vector<std::string>>> failures{
        {"K-BK7", "Sumita", "20000nm", {"K-BK7 at 20000 nm", "Laurent"}}, // n^2 < 0 beyond ~15 um
        {"K-BAD", "Sumita", "532nm", {"\"A2\" of \"K-BAD\"", "\"abc\""}},
        {"N-BK7", "Schott", "532nm", {"N-BK7 at 532 nm", "\"Schott.txt\""}},
    };
    for (const auto& [glass, remarks, title, parts] : failures) {
        const std::string message = run(glass, remarks, title, cell);
        for (const auto& part : parts) EXPECT_NE(message.find(part), std::string::npos) << message;
        EXPECT_EQ(cell, ""); // neither NaN nor the old text
    }
}

} // namespace
} // namespace vitrimo
