#include "model/FaceCommands.h"

#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::MakeLens;
using test::ScriptedHost;

TEST(FaceCommands, MirrorAfterAirIsAPlainMirrorWithoutAQuestion) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5"}});
    lens.AddFace();
    ScriptedHost host;
    MakeMirror(lens, 2, host, false);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(lens.Text(col::GlassName, 2), "Mirror");
    EXPECT_EQ(lens.Text(col::Nd, 2), "-1");
    EXPECT_EQ(lens.Text(col::Nt, 2), "-1");
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
    // The mirror: minus the glass's indices, its thickness and diameters, the distance linked to face 2.
    EXPECT_EQ(lens.Text(col::GlassName, 4), "2nd Surf.Mirror");
    EXPECT_EQ(lens.Text(col::Remarks, 4), "2nd surface mirror");
    EXPECT_EQ(lens.Text(col::Nd, 4), "-1.5168");
    EXPECT_EQ(lens.Text(col::Ng, 4), ""); // no number to negate
    EXPECT_EQ(lens.Text(col::Distance, 4), "6");
    EXPECT_EQ(lens.Text(col::Diameter, 4), "30");
    EXPECT_EQ(lens.Text(col::LFix, 4), "2");
    // The way back: the glass's front surface, its radius linked to face 2.
    EXPECT_EQ(lens.Text(col::GlassName, 5), "Air");
    EXPECT_EQ(lens.Text(col::Nd, 5), "1");
    EXPECT_EQ(lens.Text(col::R, 5), "80");
    EXPECT_EQ(lens.Text(col::K, 5), "-0.5");
    EXPECT_EQ(lens.Text(col::RFix, 5), "2");
    EXPECT_EQ(lens.Text(col::No, 5), "4");

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
    EXPECT_EQ(lens.Text(col::Remarks, 2), "Stop Plane");
    EXPECT_EQ(lens.Text(col::Remarks, 3), "焦点面");
    EXPECT_EQ(lens.Text(col::GlassName, 4), "Screen");
    EXPECT_EQ(lens.Text(col::Remarks, 4), "スクリーン");
    EXPECT_EQ(lens.Text(col::Remarks, 5), "");
    for (int row = 2; row <= 5; ++row) {
        EXPECT_EQ(lens.Text(col::Nd, row), "1");
        EXPECT_EQ(lens.Text(col::Ni, row), "1");
    }
    EXPECT_EQ(lens.RowType(2), SurfaceType::Stop);
    EXPECT_EQ(lens.RowType(3), SurfaceType::FocalPlane);
    EXPECT_EQ(lens.RowType(4), SurfaceType::Screen);
    EXPECT_EQ(lens.Text(col::GlassName, 5), "Air");
}

} // namespace
} // namespace vitrimo
