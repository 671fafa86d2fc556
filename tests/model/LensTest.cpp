#include "model/Lens.h"

#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::ExpectCells;
using test::MakeLens;
using test::ScriptedHost;

TEST(Lens, StartsWithTitlesAndAnObjectRowInAir) {
    Lens lens;
    ASSERT_EQ(lens.RowCount(), 2);
    ExpectCells(lens, {{col::Distance, 0, "Distance"},
                       {col::GlassName, 1, "Air"},
                       {col::No, 1, "0"},
                       {col::Nd, 1, "1"},
                       {col::EffectiveDiameter, 1, ""}});
    EXPECT_EQ(lens.SurfaceCount(), 0);
    EXPECT_FALSE(lens.DataModified());
}

TEST(Lens, MirrorsMakeLaterIndicesAndDistancesNegativeInTheArraysOnly) {
    Lens lens = MakeLens({{"N-BK7", "100", "5", "1.5"},
                          {"Air", "-100", "20", "1"},
                          {"Mirror", "-200", "30", "-1"},
                          {"Air", "0", "10", "1"},
                          {"Mirror", "0", "40", "-1"}});
    ScriptedHost host;
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    const SurfaceArrays& a = lens.Arrays();
    ASSERT_EQ(a.Count(), 6);
    // Signed indices: after the first mirror everything is negative until the second one.
    const double expectedIndex[] = {1, 1.5, 1, -1, -1, 1};
    const double expectedDistance[] = {0, 5, 20, -30, -10, 40};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(a.surfaces[i].indexD, expectedIndex[i]) << i;
        EXPECT_EQ(a.Index(i, 0), expectedIndex[i]) << i;
        EXPECT_EQ(a.Index(i, 10), expectedIndex[i]) << i;
        EXPECT_EQ(a.surfaces[i].distance, expectedDistance[i]) << i;
    }
    EXPECT_EQ(a.surfaces[3].curvature, -1.0 / 200);
    EXPECT_EQ(lens.Text(col::Distance, 4), "30"); // the table keeps what was typed
    EXPECT_EQ(lens.Text(col::Nd, 4), "-1");
    EXPECT_TRUE(host.prompts.empty());
}

TEST(Lens, ArraysCarryEveryColumn) {
    Lens lens = MakeLens({{"N-BK7", "40", "5", "1.5"}, {"Air", "-40", "50", "1"}});
    test::SetCells(lens, {{col::K, 2, "-1"},
                          {col::A6, 3, "1e-7"},
                          {col::HideDiameter, 2, "3"},
                          {col::Diameter, 2, "12"},
                          {col::Y, 2, "0.5"},
                          {col::Dz, 2, "0.25"},
                          {col::DTheta, 2, "2"},
                          {col::RFix, 2, "x"},
                          {col::LFix, 3, "1"},
                          {col::Ng, 2, "1.52"}});
    ScriptedHost host;
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    const Surface& s1 = lens.Arrays().surfaces[1];
    const Surface& s2 = lens.Arrays().surfaces[2];
    EXPECT_EQ(s1.conic, -1);
    EXPECT_TRUE(s1.isAspheric);
    EXPECT_TRUE(s2.isAspheric);
    EXPECT_EQ(s2.aspheric[1], 1e-7);
    EXPECT_EQ(s1.hideDiameter, 3);
    EXPECT_EQ(s1.outerDiameter, 12);
    EXPECT_EQ(s2.outerDiameter, 10); // empty "Diameter" is the effective diameter
    EXPECT_EQ(lens.Text(col::Diameter, 3), "10");
    EXPECT_EQ(s1.decenterY, 0.5);
    EXPECT_EQ(s1.shiftZ, 0.25);
    EXPECT_EQ(s1.tiltDelta, 2);
    EXPECT_TRUE(s1.radiusFixed);
    EXPECT_FALSE(s1.distanceFixed);
    EXPECT_TRUE(s2.distanceFixed);
    EXPECT_NEAR(s1.dispersionGD, 0.02, 1e-15);
    EXPECT_EQ(lens.Text(col::Phi, 2), "0"); // empty numeric cells are repaired to "0"
}

TEST(Lens, TrailingFocalPlaneIsNotAFaceButIsInTheArrays) {
    Lens lens = MakeLens(
        {{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "48", "1"}, {"Air", "0", "0", "1", "Focal Plane"}});
    EXPECT_EQ(lens.SurfaceCount(), 2);
    ScriptedHost host;
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    ASSERT_EQ(lens.Arrays().Count(), 4);
    EXPECT_EQ(lens.Arrays().TypeOf(3), SurfaceType::FocalPlane);
    EXPECT_EQ(lens.Arrays().TypeOf(4), SurfaceType::Plain);
}

TEST(Lens, RowTypesInBothWordings) {
    Lens lens = MakeLens({{"Air", "0", "5", "1", "Stop Plane"},
                          {"Air", "0", "5", "1", "絞り面"},
                          {"Ideal Lens", "100", "5", "1"},
                          {"Air", "100", "5", "1", "無収差レンズ"},
                          {"Screen", "0", "5", "1", "Screen"},
                          {"Air", "0", "5", "1", "スクリーン"},
                          {"Air", "0", "5", "1", "my Focal Plane here"},
                          {"Air", "0", "5", "1", "焦点面"},
                          {"Air", "0", "5", "1", "Stop Plane and Focal Plane"},
                          {"N-BK7", "0", "5", "1.5", "Schott"}});
    const SurfaceType expected[] = {SurfaceType::Stop,       SurfaceType::Stop,       SurfaceType::IdealLens,
                                    SurfaceType::IdealLens,  SurfaceType::Screen,     SurfaceType::Screen,
                                    SurfaceType::FocalPlane, SurfaceType::FocalPlane, SurfaceType::FocalPlane,
                                    SurfaceType::Plain};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(lens.RowType(k + 2), expected[k]) << k;
}

TEST(Lens, RadiusModeHalvesTheCellsButNotTheArrays) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}});
    lens.SetText(col::EffectiveDiameter, 2, "10");
    lens.SetText(col::Diameter, 2, "12.5");
    lens.SetText(col::HideDiameter, 2, "");
    lens.SetRadiusMode(true);
    EXPECT_EQ(lens.Text(col::EffectiveDiameter, 2), "5.0000");
    EXPECT_EQ(lens.Text(col::Diameter, 2), "6.2500");
    EXPECT_EQ(lens.Text(col::HideDiameter, 2), ""); // empty cells stay empty
    EXPECT_EQ(lens.Text(col::EffectiveDiameter, 0), "effectvRadius");
    EXPECT_EQ(lens.Text(col::Diameter, 0), "Radius");
    EXPECT_EQ(lens.Text(col::HideDiameter, 0), "HideRadius");
    EXPECT_EQ(lens.Columns().Name(lens.Column(col::Diameter)), "Diameter");

    ScriptedHost host;
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    EXPECT_EQ(lens.Arrays().surfaces[1].effectiveDiameter, 10);
    EXPECT_EQ(lens.Arrays().surfaces[1].outerDiameter, 12.5);

    lens.SetRadiusMode(false);
    EXPECT_EQ(lens.Text(col::EffectiveDiameter, 2), "10.0000");
    EXPECT_EQ(lens.Text(col::Diameter, 2), "12.5000");
    EXPECT_EQ(lens.Text(col::Diameter, 0), "Diameter");
}

TEST(Lens, ObjectRowAloneWithoutDiameterBuildsNothingAndAsksNothing) {
    Lens lens;
    ScriptedHost host;
    EXPECT_TRUE(lens.BuildSurfaceArrays(host));
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_EQ(lens.Arrays().Count(), 1);
}

TEST(Lens, MissingEffectiveDiametersComeFromTheObjectRowOrAreAskedFor) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5", "", ""}, {"Air", "-50", "45", "1", "", ""}});
    lens.SetText(col::EffectiveDiameter, 1, "8");
    ScriptedHost host;
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    EXPECT_EQ(lens.Text(col::EffectiveDiameter, 2), "8");
    EXPECT_EQ(lens.Arrays().surfaces[2].effectiveDiameter, 8);
    EXPECT_TRUE(host.prompts.empty());

    // Without a beam diameter on the object row the user is asked; a non-number stores "0" and asks again.
    lens.SetText(col::EffectiveDiameter, 1, "");
    lens.SetText(col::EffectiveDiameter, 2, "");
    lens.SetText(col::EffectiveDiameter, 3, "7");
    host.textAnswers = {"abc", "12"};
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    ASSERT_EQ(host.prompts.size(), 2u);
    EXPECT_EQ(host.prompts[0], "Input the effective diameter of No.1");
    EXPECT_EQ(host.japanesePrompts[0], "No.1 の有効径を入力してください");
    EXPECT_EQ(lens.Text(col::EffectiveDiameter, 2), "12");
    EXPECT_EQ(lens.Arrays().surfaces[1].effectiveDiameter, 12);

    // Cancelling the question abandons the build.
    lens.SetText(col::EffectiveDiameter, 2, "");
    EXPECT_FALSE(lens.BuildSurfaceArrays(host)); // the script has run out: Cancel
    EXPECT_EQ(host.prompts.size(), 3u);
}

TEST(Lens, ObjectAtALimitedDistanceNeedsThatDistance) {
    Lens lens = MakeLens({{"Air", "0", "0", "1"}, {"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "45", "1"}});
    lens.SetText(col::GlassName, 1, "Object");
    ScriptedHost host;
    host.textAnswers = {"x", "-5", "200"};
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    EXPECT_EQ(host.prompts, std::vector<std::string>(3, "Input a limited value in Distance"));
    EXPECT_EQ(lens.Text(col::Distance, 2), "200");
    ASSERT_FALSE(host.focusedCells.empty());
    EXPECT_EQ(host.focusedCells[0], std::make_pair(lens.Column(col::Distance), 2));
    // The object plane (face 1) needs no effective diameter of its own.
    lens.SetText(col::EffectiveDiameter, 2, "");
    lens.SetText(col::EffectiveDiameter, 1, "");
    host.prompts.clear();
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    EXPECT_TRUE(host.prompts.empty());

    lens.SetText(col::Distance, 2, "0");
    host.textAnswers.clear();
    EXPECT_FALSE(lens.BuildSurfaceArrays(host));
}

TEST(Lens, HasDecenterIgnoresAxialShiftsAndTiltedPlanes) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "0", "45", "1"}});
    for (int row = 1; row < lens.RowCount(); ++row)
        for (int c = lens.Column(col::Dx); c <= lens.Column(col::DPhi); ++c) lens.SetText(c, row, "0");
    EXPECT_FALSE(lens.ComputeHasDecenter());
    lens.SetText(col::Dx, 2, "1");
    EXPECT_FALSE(lens.ComputeHasDecenter());
    lens.SetText(col::Theta, 3, "10"); // tilted plane face
    EXPECT_FALSE(lens.ComputeHasDecenter());
    lens.SetText(col::Theta, 2, "10"); // tilted curved face
    EXPECT_TRUE(lens.ComputeHasDecenter());
    lens.SetText(col::Theta, 2, "0");
    for (auto name : {col::Y, col::Dy, col::Z, col::Dz, col::DTheta, col::Phi, col::DPhi}) {
        lens.SetText(name, 3, "0.1");
        EXPECT_TRUE(lens.ComputeHasDecenter()) << name;
        lens.SetText(name, 3, "0.000");
        EXPECT_FALSE(lens.ComputeHasDecenter()) << name;
    }
}

TEST(Lens, StopIsTheMarkedFaceElseTheFirstPoweredOne) {
    const std::pair<Lens, int> cases[] = {
        {MakeLens(
             {{"Air", "0", "10", "1"}, {"N-BK7", "50", "5", "1.5"}, {"Air", "0", "5", "1", "Stop Plane"}}),
         3},
        {MakeLens({{"Air", "0", "10", "1"}, {"N-BK7", "50", "5", "1.5"}, {"Air", "0", "5", "1"}}), 2},
        {MakeLens({{"Air", "0", "10", "1"}, {"Ideal Lens", "100", "100", "1"}}), 2},
        {MakeLens({{"Mirror", "-200", "100", "-1"}}), 1},
        {MakeLens({{"Air", "0", "10", "1"}}), -1},
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        Lens lens = cases[k].first;
        ScriptedHost host;
        ASSERT_TRUE(lens.BuildSurfaceArrays(host));
        EXPECT_EQ(lens.StopSurfaceIndex(), cases[k].second) << "case " << k;
    }
}

TEST(Lens, DroppingRowsWithoutIndicesKeepsTheNumberingAndTheGroups) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"},
                          {"Air", "-50", "5", "1"},
                          {"", "", "", ""},
                          {"N-BK7", "30", "5", "1.5"},
                          {"Air", "-30", "20", "0"},
                          {"", "", "", ""}});
    lens.ShiftTiltGroups() = {{1, 2}, {4, 5}, {3, 3}, {5, 6}, {2, 4}};
    EXPECT_EQ(lens.FacesWithoutIndices(), (std::vector<int>{3, 5, 6}));
    EXPECT_EQ(lens.DropRowsWithoutIndices(), (std::vector<int>{3, 5, 6}));
    ASSERT_EQ(lens.RowCount(), 5);
    EXPECT_EQ(lens.Text(col::R, 4), "30");
    for (int row = 1; row < lens.RowCount(); ++row)
        EXPECT_EQ(lens.Text(col::No, row), std::to_string(row - 1));
    // Groups bounded by a deleted face are gone; {2, 4} keeps its faces, renumbered 2 and 3.
    EXPECT_EQ(lens.ShiftTiltGroups(), (std::vector<ShiftTiltGroup>{{1, 2}, {2, 3}}));
    EXPECT_TRUE(lens.DataModified());
}

// Thousands of faces without indices among thousands with: the kept rows stay in order, every text with
// its row, under the unchanged numbering.
TEST(Lens, DroppingManyRowsKeepsTheOthersInOrder) {
    Lens lens;
    lens.SetText(col::EffectiveDiameter, 1, "10");
    const int faces = 3000;
    for (int face = 1; face <= faces; ++face) {
        lens.AddFace();
        lens.SetText(col::R, face + 1, std::to_string(face));
        lens.SetText(col::Nd, face + 1, face % 3 == 0 ? "1.5" : "");
    }
    EXPECT_EQ(lens.DropRowsWithoutIndices().size(), static_cast<std::size_t>(faces - faces / 3));
    ASSERT_EQ(lens.RowCount(), 2 + faces / 3);
    for (int row = 2; row < lens.RowCount(); ++row) {
        EXPECT_EQ(lens.Text(col::R, row), std::to_string(3 * (row - 1)));
        EXPECT_EQ(lens.Text(col::No, row), std::to_string(row - 1));
    }
}

TEST(Lens, InsertAndDeleteFaceMoveRowsUnderTheirNumbers) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "45", "1"}});
    lens.ShiftTiltGroups() = {{1, 1}, {2, 2}};
    lens.InsertFace(3);
    ASSERT_EQ(lens.RowCount(), 5);
    EXPECT_EQ(lens.Text(col::R, 3), "");
    EXPECT_EQ(lens.Text(col::R, 4), "-50");
    EXPECT_EQ(lens.Text(col::No, 4), "3");
    EXPECT_EQ(lens.ShiftTiltGroups(), (std::vector<ShiftTiltGroup>{{1, 1}, {3, 3}}));
    lens.DeleteFace(3);
    EXPECT_EQ(lens.Text(col::R, 3), "-50");
    EXPECT_EQ(lens.Text(col::No, 3), "2");
    EXPECT_EQ(lens.ShiftTiltGroups(), (std::vector<ShiftTiltGroup>{{1, 1}, {2, 2}}));
}

// The arrays are current only while they follow the text: built, then changed only by commands that keep
// both in step (the refocused last distance); any other write makes them stale.
TEST(Lens, ArraysAreCurrentOnlyWhileTheyFollowTheText) {
    test::ScriptedHost host;
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "40", "1"}});
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    EXPECT_TRUE(lens.ArraysCurrent());
    lens.RefocusLastDistance(48.25);
    EXPECT_TRUE(lens.ArraysCurrent());
    EXPECT_EQ(lens.Text(col::Distance, 3), "48.250000");
    EXPECT_EQ(lens.Arrays().surfaces[2].distance, 48.25);
    const auto revision = lens.Revision();
    lens.SetText(col::R, 2, "60");
    EXPECT_FALSE(lens.ArraysCurrent());
    EXPECT_FALSE(lens.DataModified()); // a plain write; the editing commands mark the change
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    lens.MarkChanged();
    EXPECT_TRUE(lens.DataModified());
    EXPECT_FALSE(lens.ArraysCurrent());
    EXPECT_GT(lens.Revision(), revision);
    ASSERT_TRUE(lens.BuildSurfaceArrays(host));
    lens.PasteBlock(lens.Column(col::R), 2, "70\n");
    EXPECT_FALSE(lens.ArraysCurrent());
    EXPECT_EQ(lens.Text(col::R, 2), "70");
}

TEST(Lens, ResetKeepsTheObjectRowIndicesAndDropsEverythingElse) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}});
    ASSERT_TRUE(lens.InsertWavelengthColumn("532nm"));
    lens.SetText(col::Nd, 1, "1.0003");
    lens.SetText(col::R, 1, "25");
    lens.SetText(col::EffectiveDiameter, 1, "10");
    lens.SetText(col::Y, 1, "3");
    lens.SetMemo("notes");
    lens.ShiftTiltGroups() = {{1, 1}};
    lens.MarkChanged();
    lens.ResetTable();
    EXPECT_EQ(lens.RowCount(), 2);
    EXPECT_EQ(lens.Columns().Count(), Lens().Columns().Count());
    EXPECT_EQ(lens.Wavelengths().Count(), 11);
    ExpectCells(lens, {{col::Nd, 1, "1.0003"},
                       {col::R, 1, "0"},
                       {col::EffectiveDiameter, 1, ""},
                       {col::Y, 1, "0"},
                       {col::GlassName, 1, "Air"}});
    EXPECT_EQ(lens.Memo(), "");
    EXPECT_TRUE(lens.ShiftTiltGroups().empty());
    EXPECT_FALSE(lens.DataModified());
    EXPECT_TRUE(lens.TableReset());
}

TEST(Lens, WavelengthColumnsStandInWavelengthOrderBeforeRemarks) {
    // (Between two of the eleven lines, and the data kept: InsertNewWavelength.AddsColumnsInPlace...)
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}});
    const auto c1550 = lens.InsertWavelengthColumn("1550nm");
    ASSERT_TRUE(c1550);
    EXPECT_EQ(*c1550, lens.FirstIndexColumn());
    EXPECT_EQ(lens.Column(col::Nt), *c1550 + 1);
    const auto c1300 = lens.InsertWavelengthColumn("1300nm");
    ASSERT_TRUE(c1300);
    EXPECT_EQ(*c1300, lens.Column("1550nm") + 1);
    EXPECT_EQ(lens.Column(col::Remarks), lens.Columns().Count() - 1);
    // Index column w belongs to wavelength w.
    for (int w = 0; w < lens.Wavelengths().Count(); ++w) {
        const Wavelength& item = lens.Wavelengths().At(w);
        EXPECT_EQ(lens.Columns().Name(lens.IndexColumn(w)), item.inserted ? item.name : "n" + item.name);
    }
    EXPECT_EQ(lens.Wavelengths().At(lens.Wavelengths().Reference()).name, "d");
    EXPECT_FALSE(lens.InsertWavelengthColumn("xnm"));
    EXPECT_FALSE(lens.InsertWavelengthColumn("-5nm"));
}

TEST(WavelengthList, DefaultsAndInsertion) {
    WavelengthList list;
    EXPECT_EQ(list.CalculatedCount(), 7); // r, C, d, e, F, g, h
    EXPECT_EQ(list.At(list.Reference()).name, "d");
    list.SetCalculate(list.Reference(), false);
    EXPECT_EQ(list.CalculatedCount(), 7); // the reference is traced anyway
    EXPECT_EQ(list.CalculatedWavelengths(), (std::vector<int>{3, 4, 5, 6, 7, 8, 9}));

    const auto position = list.Insert("532nm");
    ASSERT_TRUE(position);
    EXPECT_EQ(*position, 7);
    EXPECT_EQ(list.At(7).caption, " (532nm)");
    EXPECT_EQ(list.At(7).nanometres, 532);
    EXPECT_TRUE(list.At(7).calculate);
    EXPECT_EQ(list.Insert("2000nm"), 0);
    EXPECT_EQ(list.At(list.Reference()).name, "d");
    list.SetColour(list.Find("r"), colours::Lime);
    EXPECT_TRUE(list.NonDefaultColours());
    list.RemoveInserted();
    EXPECT_EQ(list.Count(), 11);
    EXPECT_EQ(list.Reference(), 5);
    EXPECT_EQ(list.At(3).colour, colours::Lime); // the r line kept its colour
    list.RestoreDefaultColours();
    EXPECT_EQ(list.At(3).colour, colours::Maroon);
    EXPECT_FALSE(list.NonDefaultColours());
}

} // namespace
} // namespace vitrimo
