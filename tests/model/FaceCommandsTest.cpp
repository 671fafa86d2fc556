#include "model/FaceCommands.h"

#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::ExpectCells;
using test::MakeLens;
using test::ScriptedHost;

TEST(FaceCommands, MirrorAfterAirIsAPlainMirrorWithoutAQuestion) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}});
    lens.AddFace();
    ScriptedHost host;
    MakeMirror(lens, 2, host, false);
    EXPECT_TRUE(host.messages.empty());
    ExpectCells(lens, {{col::GlassName, 2, "Mirror"}, {col::Nd, 2, "-1"}, {col::Nt, 2, "-1"}});
    EXPECT_TRUE(lens.DataModified());
}

TEST(FaceCommands, SecondSurfaceMirrorCrossesTheGlassTwice) {
    Lens lens =
        MakeLens({{"Air", "0", "10", "1"}, {"N-BK7", "80", "6", "1.5168", "Schott"}, {"", "", "", ""}});
    lens.SetText(col::K, 3, "-0.5");
    lens.SetText(col::Diameter, 3, "30");
    lens.SetText(col::Ng, 3, "abc");
    ScriptedHost host;
    host.buttonAnswers = {ButtonYes};
    MakeMirror(lens, 4, host, false);
    ASSERT_EQ(host.messages, std::vector<std::string>{"2nd surface mirror?"});
    ASSERT_EQ(lens.RowCount(), 6);
    ExpectCells(lens, {
                          // The mirror: minus the glass's indices ("abc" has no number to negate), its
                          // thickness and diameters, the distance linked to face 2.
                          {col::GlassName, 4, "2nd Surf.Mirror"},
                          {col::Remarks, 4, "2nd surface mirror"},
                          {col::Nd, 4, "-1.5168"},
                          {col::Ng, 4, ""},
                          {col::Distance, 4, "6"},
                          {col::Diameter, 4, "30"},
                          {col::LFix, 4, "2"},
                          // The way back: the glass's front surface, its radius linked to face 2.
                          {col::GlassName, 5, "Air"},
                          {col::Nd, 5, "1"},
                          {col::R, 5, "80"},
                          {col::K, 5, "-0.5"},
                          {col::RFix, 5, "2"},
                          {col::No, 5, "4"},
                      });

    Lens plain = MakeLens({{"N-BK7", "80", "6", "1.5168", "Schott"}, {"", "", "", ""}});
    host.buttonAnswers = {ButtonNo};
    MakeMirror(plain, 3, host, false);
    EXPECT_EQ(plain.RowCount(), 4);
    EXPECT_EQ(plain.Text(col::Nd, 3), "-1");
}

TEST(FaceCommands, SpecialFacesInBothWordings) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5", "Schott"},
                          {"N-BK7", "50", "5", "1.5", "Schott"},
                          {"N-BK7", "50", "5", "1.5", "Schott"},
                          {"N-BK7", "50", "5", "1.5", "Schott"}});
    MakeStopPlane(lens, 2, false);
    MakeFocalPlane(lens, 3, true);
    MakeScreen(lens, 4, true);
    MakeAir(lens, 5);
    ExpectCells(lens, {{col::Remarks, 2, "Stop Plane"},
                       {col::Remarks, 3, "焦点面"},
                       {col::GlassName, 4, "Screen"},
                       {col::Remarks, 4, "スクリーン"},
                       {col::Remarks, 5, ""},
                       {col::GlassName, 5, "Air"}});
    for (int row = 2; row <= 5; ++row)
        for (auto line : col::LineIndices) EXPECT_EQ(lens.Text(line, row), "1") << line << " row " << row;
    EXPECT_EQ(lens.RowType(2), SurfaceType::Stop);
    EXPECT_EQ(lens.RowType(3), SurfaceType::FocalPlane);
    EXPECT_EQ(lens.RowType(4), SurfaceType::Screen);
}

} // namespace
} // namespace vitrimo
