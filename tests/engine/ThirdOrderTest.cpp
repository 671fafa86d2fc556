#include "engine/ThirdOrder.h"

#include "engine/Calculation.h"
#include "model/NumberFormat.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::MakeLens;
using test::Near;

ThirdOrderTable Seidel(Lens& lens) {
    test::ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::Ready);
    ThirdOrderTable table;
    EXPECT_TRUE(table.Compute(lens)) << table.Error();
    return table;
}

TEST(ThirdOrder, SingletPetzvalSumIsItsPowerOverItsIndex) {
    const double n = 1.5168, r1 = 51.5, r2 = -80, t = 6;
    Lens lens = MakeLens({{"N-BK7", "51.5", "6", "1.5168"}, {"Air", "-80", "0", "1"}});
    ThirdOrderTable table = Seidel(lens);
    const double f = lens.FocalLength();
    const double P1 = (n - 1) / r1 * f, P2 = (1 - n) / r2 * f;
    EXPECT_TRUE(Near(table.Sums()[4], (P1 + P2) / n, 1e-14));
    EXPECT_TRUE(Near(table.Coefficients()[1][4], P1 / n, 1e-14));
    // The paraxial data columns: the marginal ray's height at face 2, and the normalised distance.
    EXPECT_EQ(table.Cells()[2][9], FormatFixed(1 - t / n * (n - 1) / r1, 4, 6));
    EXPECT_EQ(table.Cells()[1][13], FormatFixed(t / (n * f), 4, 6));
}

TEST(ThirdOrder, PlateInACollimatedBeamHasOnlyDistortion) {
    // A plate of index 1.5 in front of an ideal lens: alpha = 0 and no power on the plate.
    const double n = 1.5;
    Lens lens =
        MakeLens({{"N-BK7", "0", "10", "1.5"}, {"Air", "0", "5", "1"}, {"Ideal Lens", "100", "0", "1"}});
    ThirdOrderTable table = Seidel(lens);
    for (int i : {1, 2}) {
        for (int m : {0, 1, 2}) EXPECT_EQ(table.Coefficients()[i][m], 0) << i << " " << m;
    }
    EXPECT_TRUE(Near(table.Coefficients()[1][3], 1 - 1 / (n * n), 1e-15));
    EXPECT_TRUE(Near(table.Coefficients()[2][3], -(1 - 1 / (n * n)), 1e-15));
    for (int m = 0; m < 7; ++m) EXPECT_EQ(table.Coefficients()[3][m], 0); // the ideal lens adds nothing
}

TEST(ThirdOrder, ParaboloidMirrorHasNoSphericalAberration) {
    Lens sphere = MakeLens({{"Mirror", "-200", "0", "-1"}});
    Lens paraboloid = MakeLens({{"Mirror", "-200", "0", "-1"}});
    paraboloid.SetText(col::K, 2, "-1");
    // Normalised to f = 100: c = -0.5, so the conic term is (n1 - n0) k c^3 = (-2)(-1)(-0.125).
    EXPECT_TRUE(Near(Seidel(sphere).Sums()[0], 0.25, 1e-15));
    EXPECT_TRUE(Near(Seidel(paraboloid).Sums()[0], 0, 0, 1e-15));
}

// Where subtotals may stand and how they move (their sums: TF3rdAberTest's subtotalsSumTheirGroup).
TEST(ThirdOrder, SubtotalsFollowTheirRules) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"},
                          {"Air", "-50", "5", "1"},
                          {"N-BK7", "40", "4", "1.6"},
                          {"Air", "0", "0", "1"}});
    ThirdOrderTable table = Seidel(lens);
    ASSERT_EQ(table.Cells().size(), 4u + 2u);
    EXPECT_FALSE(table.InsertSubtotal(2));
    EXPECT_TRUE(table.InsertSubtotal(3));
    EXPECT_FALSE(table.InsertSubtotal(3));
    EXPECT_FALSE(table.InsertSubtotal(4));
    ASSERT_TRUE(table.Compute(lens));
    const auto& cells = table.Cells();
    ASSERT_EQ(cells.size(), 4u + 2u + 1u);
    EXPECT_EQ(cells[3][0], "-");
    EXPECT_EQ(cells[3][8], "");
    EXPECT_EQ(cells[4][0], "3");
    EXPECT_EQ(cells.back()[0], "SUM");
    EXPECT_TRUE(table.InsertSubtotal(6)); // a second one, after face 4
    ASSERT_TRUE(table.Compute(lens));
    // Inserting before an existing subtotal moves it down.
    Lens longer = MakeLens({{"N-BK7", "50", "5", "1.5"},
                            {"Air", "-50", "5", "1"},
                            {"N-BK7", "40", "4", "1.6"},
                            {"Air", "0", "5", "1"},
                            {"N-BK7", "30", "3", "1.7"},
                            {"Air", "0", "0", "1"}});
    ThirdOrderTable moving = Seidel(longer);
    ASSERT_TRUE(moving.InsertSubtotal(5));
    ASSERT_TRUE(moving.InsertSubtotal(3));
    EXPECT_EQ(moving.Subtotals(), (std::vector<int>{3, 6}));

    test::ScriptedHost host;
    host.buttonAnswers = {ButtonNo};
    EXPECT_FALSE(table.DeleteSubtotal(3, host));
    EXPECT_EQ(host.messages.back(), "Delete OK ?");
    EXPECT_FALSE(table.DeleteSubtotal(4, host)); // not a subtotal: no question
    EXPECT_EQ(host.messages.size(), 1u);
    host.buttonAnswers = {ButtonYes};
    EXPECT_TRUE(table.DeleteSubtotal(3, host));
    EXPECT_EQ(table.Subtotals(), std::vector<int>{5});
}

TEST(ThirdOrder, SavedTextHasAHeaderALinePerRowAndTheSum) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "0", "1"}});
    ThirdOrderTable table = Seidel(lens);
    table.InsertSubtotal(3);
    ASSERT_TRUE(table.Compute(lens));
    const std::string text = table.Text();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 2 + 1);
    EXPECT_EQ(text.substr(0, text.find("\r\n")),
              " No.\t   SA\t   CM\t   AS\t   DS\t   PT\t    L\t    T\t   A\t   H\t   AP\t   HP\t   P\t   e");
    for (std::size_t start = 0; start < text.size();) {
        const auto end = text.find("\r\n", start);
        const std::string line = text.substr(start, end - start);
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 13) << line;
        start = end + 2;
    }
}

TEST(ThirdOrder, AZeroIndexIsReportedNotComputed) {
    // The object space without an index: the lens has no focal length to normalise to.
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "0", "1"}});
    for (int w = 0; w < lens.Wavelengths().Count(); ++w) lens.SetText(lens.IndexColumn(w), 1, "0");
    test::ScriptedHost host;
    ParaxialTrace paraxial;
    ASSERT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::NoImage);
    ThirdOrderTable table;
    EXPECT_FALSE(table.Compute(lens));
    EXPECT_NE(table.Error(), "");
}

// A coefficient that overflows is an empty cell with a warning, never a number such as 0.
TEST(ThirdOrder, OverflowingValuesAreEmptyCellsWithAWarning) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "0", "1"}});
    lens.SetText(col::A4, 2, "1E305");
    ThirdOrderTable table = Seidel(lens);
    EXPECT_NE(table.Warning(), "");
    int empty = 0;
    for (const auto& row : table.Cells())
        for (const auto& cell : row) {
            empty += cell.empty() ? 1 : 0;
            EXPECT_NE(cell, "0") << "a non-finite value written as 0";
        }
    EXPECT_GT(empty, 0);
    Lens plain = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "0", "1"}});
    EXPECT_EQ(Seidel(plain).Warning(), "");
}

} // namespace
} // namespace vitrimo
