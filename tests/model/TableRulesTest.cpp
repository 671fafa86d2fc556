#include "model/TableRules.h"

#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::MakeLens;

TEST(TableRules, ObjectRowOffersItsBeamDistanceAndLightSourceOnly) {
    Lens lens =
        MakeLens({{"N-BK7", "50", "5", "1.5168", "Schott"}, {"Air", "-50", "45", "1"}, {"", "", "", ""}});
    for (int c = 0; c < lens.Table().ColumnCount(); ++c) {
        const std::string& name = lens.Columns().Name(c);
        const bool expected = name == "effectvDiam." || name == "Diameter" || name == "Distance" ||
                              name == "dPhi" || name == "GlassName";
        EXPECT_EQ(CellSelectable(lens, c, 1), expected) << name;
        EXPECT_FALSE(CellSelectable(lens, c, 0)) << "title row, " << name;
    }
    EXPECT_TRUE(CellChosenByDialog(lens, lens.Column(col::GlassName), 1));
    EXPECT_FALSE(CellChosenByDialog(lens, lens.Column(col::GlassName), 2));
    EXPECT_FALSE(CellSelectable(lens, lens.Column(col::No), 2));
}

TEST(TableRules, LineIndicesAreTypedOnlyForUnnamedMedia) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5168", "Schott"},
                          {"Air", "-50", "45", "1"},
                          {"Mirror", "-100", "45", "-1"},
                          {"MyGlass", "30", "4", "1.6"},
                          {"Air", "0", "5", "1", "Stop Plane"}});
    ASSERT_TRUE(lens.InsertWavelengthColumn("532nm"));
    const int nd = lens.Column(col::Nd), c532 = lens.Column("532nm");
    EXPECT_FALSE(CellSelectable(lens, nd, 2));  // catalogue glass
    EXPECT_FALSE(CellSelectable(lens, nd, 3));  // air
    EXPECT_FALSE(CellSelectable(lens, nd, 4));  // mirror
    EXPECT_TRUE(CellSelectable(lens, nd, 5));   // a medium typed by hand
    EXPECT_FALSE(CellSelectable(lens, nd, 6));  // special face
    EXPECT_TRUE(CellSelectable(lens, c532, 2)); // added wavelengths are not among the eleven lines
    EXPECT_TRUE(CellSelectable(lens, lens.Column(col::R), 2));
}

TEST(TableRules, ObjectAtALimitedDistance) {
    Lens lens = MakeLens({{"Air", "0", "250", "1"}, {"N-BK7", "50", "5", "1.5168", "Schott"}});
    lens.SetText(col::GlassName, 1, "Object");
    for (int c = 1; c < lens.Table().ColumnCount(); ++c)
        EXPECT_EQ(CellSelectable(lens, c, 2), c == lens.Column(col::Distance)) << lens.Columns().Name(c);
    EXPECT_TRUE(CellSelectable(lens, lens.Column(col::R), 1));
    EXPECT_FALSE(CellSelectable(lens, lens.Column(col::Distance), 1));
    EXPECT_TRUE(CellSelectable(lens, lens.Column(col::EffectiveDiameter), 1));
}

TEST(TableRules, NumbersAreReformattedForDisplayOnly) {
    Lens lens = MakeLens({{"N-BK7", "61.47", "6", "1.5168", "Schott"}});
    lens.SetText(col::K, 2, "-0.123456789");
    lens.SetText(col::A4, 2, "1.5e-7");
    lens.SetText(col::Diameter, 2, "abc");
    lens.SetText(col::RFix, 2, "x");
    const auto show = [&](std::string_view column, int row) {
        return DisplayCell(lens, lens.Column(column), row);
    };
    EXPECT_EQ(show(col::R, 2).text, "61.4700");
    EXPECT_EQ(show(col::R, 2).margin, 2); // seven characters
    EXPECT_EQ(show(col::Distance, 2).text, "6.0000");
    EXPECT_EQ(show(col::Distance, 2).margin, 8);
    EXPECT_EQ(show(col::K, 2).text, "-0.12346");
    EXPECT_EQ(show(col::A4, 2).text, "1.5E-7");
    EXPECT_EQ(show(col::Diameter, 2).text, "abc");
    EXPECT_EQ(show(col::Diameter, 2).alignment, CellAlignment::Right);
    EXPECT_EQ(show(col::RFix, 2).margin, 8);
    EXPECT_EQ(show(col::RFix, 0).margin, 0);
    EXPECT_EQ(show(col::Nd, 2).text, "1.5168"); // index columns as they stand
    EXPECT_EQ(show(col::Nd, 2).margin, 2);
    EXPECT_EQ(show(col::Remarks, 2).alignment, CellAlignment::Left);
    EXPECT_EQ(show(col::GlassName, 2).alignment, CellAlignment::Centre);
    EXPECT_EQ(show(col::R, 0).text, "r");
    EXPECT_EQ(lens.Text(col::R, 2), "61.47"); // the text itself is untouched
}

TEST(TableRules, RowsThatMakeALens) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "5", "1"}, {"N-BK7", "0", "5", "1.5"}});
    EXPECT_TRUE(RowMakesALens(lens, 2));
    EXPECT_FALSE(RowMakesALens(lens, 3));
    EXPECT_FALSE(RowMakesALens(lens, 4));
}

} // namespace
} // namespace vitrimo
