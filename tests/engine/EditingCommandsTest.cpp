// Focal-length rescaling and the shift/tilt return transform.
#include "engine/Calculation.h"
#include "engine/FocalLengthScaling.h"
#include "engine/RayTracer.h"
#include "engine/ShiftTilt.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/ScaledLens.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::MakeLens;
using test::Near;
using test::ScriptedHost;

Lens Sample(const std::string& file) {
    Lens lens;
    const auto result = ReadLensFile(lens, test::SourcePath("data/Lens/") + file);
    EXPECT_TRUE(result.Ok()) << result.error;
    return lens;
}

double FocalLengthOf(Lens& lens) {
    ScriptedHost host;
    ParaxialTrace paraxial;
    lens.MarkArraysStale();
    EXPECT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::Ready);
    return lens.FocalLength();
}

TEST(FocalLengthScaling, FreeLensScalesExactlyAndFixedFacesStay) {
    Lens lens = Sample("double-gauss.ldt");
    lens.SetText(col::RFix, 2, "x");  // face 1's radius fixed
    lens.SetText(col::LFix, 4, "x");  // face 3's distance fixed
    lens.SetText(col::RFix, 12, "1"); // face 11's radius linked to face 1
    ScriptedHost host;
    ParaxialTrace paraxial;
    ASSERT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::Ready);
    const double r1 = 1 / lens.Arrays().surfaces[1].curvature;
    const double d3 = lens.Arrays().surfaces[3].distance;
    const double r2 = 1 / lens.Arrays().surfaces[2].curvature;

    const LensTable before = lens.Table();
    const auto scaled = RestoreFocalLength(lens, paraxial, 123.456);
    ASSERT_TRUE(scaled);
    EXPECT_TRUE(Near(paraxial.FocalLength(), 123.456, 1e-9));
    EXPECT_EQ(1 / scaled->surfaces[1].curvature, r1);
    EXPECT_EQ(scaled->surfaces[3].distance, d3);
    EXPECT_EQ(scaled->surfaces[11].curvature, scaled->surfaces[1].curvature);
    EXPECT_NE(1 / scaled->surfaces[2].curvature, r2);
    EXPECT_TRUE(lens.Table() == before); // the lens is not touched by the search
    EXPECT_EQ(1 / lens.Arrays().surfaces[2].curvature, r2);

    WriteScaledRadiiAndDistances(lens, *scaled);
    EXPECT_EQ(lens.Text(col::R, 2), "54.46"); // fixed: as typed
    EXPECT_EQ(lens.Text(col::Distance, 12), "0");
    EXPECT_TRUE(
        Near(ParseNumber(lens.Text(col::R, 3)).value_or(0), 1 / scaled->surfaces[2].curvature, 1e-14));
    // Read back from its text the lens has the new focal length.
    EXPECT_TRUE(Near(FocalLengthOf(lens), 123.456, 1e-9));
}

TEST(FocalLengthScaling, AllFreeOneStepAndMirrorSystems) {
    Lens lens = Sample("cassegrain.ldt");
    ScriptedHost host;
    ParaxialTrace paraxial;
    ASSERT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::Ready);
    const auto scaled = RestoreFocalLength(lens, paraxial, 1000);
    ASSERT_TRUE(scaled);
    EXPECT_TRUE(Near(paraxial.FocalLength(), 1000, 1e-12));
    // Everything free: radii and the mirror separation halve.
    EXPECT_TRUE(Near(1 / scaled->surfaces[1].curvature, -400, 1e-12));
    EXPECT_TRUE(Near(scaled->surfaces[1].distance, -150, 1e-12));
    WriteScaledRadiiAndDistances(lens, *scaled);
    EXPECT_EQ(lens.Text(col::Distance, 2), "150"); // no mirror sign in the table

    Lens nothing = MakeLens({{"Ideal Lens", "-50", "10", "1"}});
    ASSERT_EQ(EnsureArraysCurrent(nothing, paraxial, host), Readiness::NoImage);
    EXPECT_FALSE(RestoreFocalLength(nothing, paraxial, 100));
    EXPECT_FALSE(RestoreFocalLength(lens, paraxial, 0));
}

// A lens without fixed faces scales into a similar lens: every length, aspheric terms and diameters and
// decenters included, against the lens scaled by hand; the image plane is the refocused one.
TEST(FocalLengthScaling, FreeLensScalesIntoASimilarLens) {
    for (double target : {25.0, 200.0}) {
        Lens lens = Sample("asphere.ldt");
        lens.SetText(col::A4, 2, "1.5E-6");
        lens.SetText(col::A6, 2, "-2E-9");
        lens.SetText(col::A8, 3, "3E-12"); // an aspheric plane
        lens.SetText(col::Y, 3, "0.2");
        lens.SetText(col::Dz, 2, "-0.05");
        lens.SetText(col::HideDiameter, 3, "4");
        lens.SetDataModified(false);
        Lens expected = lens;
        test::ScaleLengths(expected, target / 50);

        ScriptedHost host;
        ParaxialTrace paraxial;
        ASSERT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Ready);
        ASSERT_TRUE(Near(lens.FocalLength(), 50, 1e-6));
        ASSERT_TRUE(ScaleToFocalLength(lens, paraxial, target, host));
        EXPECT_TRUE(Near(lens.FocalLength(), target, 1e-9));
        for (int row = 1; row < lens.RowCount(); ++row) {
            for (int column = 0; column < lens.Table().ColumnCount(); ++column) {
                const auto want = ParseNumber(expected.Text(column, row));
                const auto got = ParseNumber(lens.Text(column, row));
                if (row == lens.RowCount() - 1 && column == lens.Column(col::Distance)) continue;
                ASSERT_EQ(got.has_value(), want.has_value()) << row << " " << lens.Columns().Name(column);
                if (!want) continue;
                EXPECT_TRUE(Near(*got, *want, 1e-9, 1e-300)) << row << " " << lens.Columns().Name(column);
            }
        }
        // The last distance is the new paraxial focus, written with 6 decimals.
        EXPECT_TRUE(Near(*ParseNumber(lens.Text(col::Distance, lens.RowCount() - 1)),
                         lens.BackFocalDistance(), 0, 5e-7));
    }
}

// An object at a limited distance (its row marked by the light source) does not count as a fixed face:
// the diameters scale with the lens.
TEST(FocalLengthScaling, DiametersOfAFiniteObjectLensScaleToo) {
    Lens lens = Sample("achromat-finite.ldt");
    ScriptedHost host;
    ParaxialTrace paraxial;
    ASSERT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Ready);
    const double f = lens.FocalLength();
    const double diameter = *ParseNumber(lens.Text(col::EffectiveDiameter, 3));
    ASSERT_TRUE(ScaleToFocalLength(lens, paraxial, 2 * f, host));
    EXPECT_TRUE(Near(lens.FocalLength(), 2 * f, 1e-9));
    EXPECT_TRUE(Near(*ParseNumber(lens.Text(col::EffectiveDiameter, 3)), 2 * diameter, 1e-9));
}

// Air planes between faces 1 and 5: shifting and tilting any of them changes no ray.
Lens PlanesAndALens() {
    return MakeLens({{"Air", "0", "10", "1", "", "60"},
                     {"Air", "0", "6", "1", "", "60"},
                     {"Air", "0", "7", "1", "", "60"},
                     {"Air", "0", "9", "1", "", "60"},
                     {"Ideal Lens", "50", "50", "1", "", "60"}});
}

void SetGroupValues(Lens& lens, int row, double dx, double dy, double dz, double dTheta, double dPhi) {
    lens.SetText(col::Dx, row, FormatGeneral(dx, 9));
    lens.SetText(col::Dy, row, FormatGeneral(dy, 9));
    lens.SetText(col::Dz, row, FormatGeneral(dz, 9));
    lens.SetText(col::DTheta, row, FormatGeneral(dTheta, 9));
    lens.SetText(col::DPhi, row, FormatGeneral(dPhi, 9));
}

void WriteReturn(Lens& lens, int row, const ReturnTransform& t) {
    SetGroupValues(lens, row, t.dx, t.dy, t.dz, t.dTheta, t.dPhi);
    lens.MarkChanged();
}

std::vector<RayRecord> TraceTo(Lens& lens, int lastSurface, bool parallel = false) {
    ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_NE(EnsureArraysCurrent(lens, paraxial, host), Readiness::Cancelled);
    RayTracer tracer;
    tracer.Bind(lens, paraxial);
    tracer.SetTracedWavelengths({lens.Wavelengths().Reference()});
    tracer.AllocateBundle(4);
    const double starts[4][3] = {{0, 0, 0}, {5, 0, 0.05}, {-8, 3, -0.1}, {2, -6, 0.2}};
    for (int r = 0; r < 4; ++r) {
        RayRecord ray;
        ray.y = starts[r][0];
        ray.z = starts[r][1];
        const double angle = parallel ? 0 : starts[r][2];
        ray.L = std::cos(angle);
        ray.M = std::sin(angle);
        tracer.SetStart(r, ray);
    }
    EXPECT_TRUE(tracer.TraceSurfaces(host, 1, lastSurface).completed);
    std::vector<RayRecord> out;
    for (int r = 0; r < 4; ++r) out.push_back(tracer.Bundle().Record(r, 0, 0));
    return out;
}

// Each ray meets the last face where its reference ray does, in the same direction.
void ExpectSameRays(const std::vector<RayRecord>& rays, const std::vector<RayRecord>& reference, double place,
                    double direction, const std::string& what) {
    ASSERT_EQ(rays.size(), reference.size());
    for (std::size_t r = 0; r < rays.size(); ++r) {
        EXPECT_TRUE(Near(rays[r].y, reference[r].y, 0, place)) << what << " ray " << r;
        EXPECT_TRUE(Near(rays[r].z, reference[r].z, 0, place)) << what << " ray " << r;
        EXPECT_TRUE(Near(rays[r].M, reference[r].M, 0, direction)) << what << " ray " << r;
        EXPECT_TRUE(Near(rays[r].N, reference[r].N, 0, direction)) << what << " ray " << r;
    }
}

TEST(ShiftTilt, TheReturnFaceBringsRaysBackOntoTheOriginalAxis) {
    Lens nominal = PlanesAndALens();
    const auto reference = TraceTo(nominal, 5);
    ScriptedHost host;
    ParaxialTrace paraxial;
    // One body shifted and tilted: after the return face every ray is where it was (to the 9 digits the
    // table keeps).
    for (const auto& [first, last] : std::vector<std::pair<int, int>>{{2, 3}, {1, 2}, {2, 2}}) {
        Lens shifted = PlanesAndALens();
        SetGroupValues(shifted, first + 1, 0.3, 0.5, -0.2, 3, 30);
        shifted.SetText(col::Y, last + 1, "-0.4"); // a face of the group decentered on its own
        ASSERT_NE(EnsureArraysCurrent(shifted, paraxial, host), Readiness::Cancelled);
        const auto back = ComputeReturnTransform(shifted, first, last);
        ASSERT_TRUE(back);
        WriteReturn(shifted, last + 2, *back);
        ExpectSameRays(TraceTo(shifted, 5), reference, 1e-7, 1e-8,
                       "faces " + std::to_string(first) + "-" + std::to_string(last));
    }
    // Tilts about different azimuths add a turn about the axis, which a face's tilt cannot undo: the axis
    // itself still comes back, so a ray along it stays on it.
    Lens compound = PlanesAndALens();
    SetGroupValues(compound, 3, 0.3, 0.5, -0.2, 3, 30);
    compound.SetText(col::Theta, 4, "2");
    ASSERT_NE(EnsureArraysCurrent(compound, paraxial, host), Readiness::Cancelled);
    const auto back = ComputeReturnTransform(compound, 2, 3);
    ASSERT_TRUE(back);
    WriteReturn(compound, 5, *back);
    ExpectSameRays({TraceTo(compound, 5)[0]}, {RayRecord{}}, 1e-7, 1e-8, "axial ray");
}

TEST(ShiftTilt, GroupWithAMirror) {
    // A plane mirror in the group, shifted: rays parallel to the axis come back as they would have.
    const auto folded = [] {
        return MakeLens({{"Air", "0", "10", "1", "", "60"},
                         {"Air", "0", "20", "1", "", "60"},
                         {"Mirror", "0", "15", "-1", "", "60"},
                         {"Air", "0", "30", "-1", "", "60"},
                         {"Ideal Lens", "50", "50", "-1", "", "60"}});
    };
    Lens nominal = folded();
    const auto reference = TraceTo(nominal, 5, true);
    Lens shifted = folded();
    SetGroupValues(shifted, 3, 0.4, 0.7, -0.3, 0, 0);
    ScriptedHost host;
    ParaxialTrace paraxial;
    ASSERT_NE(EnsureArraysCurrent(shifted, paraxial, host), Readiness::Cancelled);
    const auto back = ComputeReturnTransform(shifted, 2, 3);
    ASSERT_TRUE(back);
    // The mirror moved 0.4 further: seen from it, face 4 must come 0.4 nearer along the returning light.
    EXPECT_TRUE(Near(back->dx, -0.4, 1e-12));
    EXPECT_TRUE(Near(back->dy, -0.7, 1e-12));
    EXPECT_TRUE(Near(back->dz, 0.3, 1e-12));
    WriteReturn(shifted, 5, *back);
    ExpectSameRays(TraceTo(shifted, 5, true), reference, 1e-9, 1e-12, "mirror shifted");

    // Tilted by theta at face 2, the mirror 20 mm on and the return face 15 mm back: the frame must
    // move back by (cos theta - 1)(20 - 15) along and -sin theta (20 - 15) across, and turn by -theta.
    Lens tilted = folded();
    SetGroupValues(tilted, 3, 0, 0, 0, 4, 0);
    ASSERT_NE(EnsureArraysCurrent(tilted, paraxial, host), Readiness::Cancelled);
    const auto tiltBack = ComputeReturnTransform(tilted, 2, 3);
    ASSERT_TRUE(tiltBack);
    const double theta = 4 * M_PI / 180;
    EXPECT_TRUE(Near(tiltBack->dx, (std::cos(theta) - 1) * 5, 1e-12));
    EXPECT_TRUE(Near(tiltBack->dy, -std::sin(theta) * 5, 1e-12));
    EXPECT_TRUE(Near(tiltBack->dz, 0, 0, 1e-13));
    // (phi 180, theta 4) turns the other way round the same axis as (phi 0, theta -4).
    EXPECT_TRUE(Near(std::fabs(tiltBack->dTheta), 4, 1e-12));
    EXPECT_TRUE(Near(tiltBack->dTheta > 0 ? tiltBack->dPhi : tiltBack->dPhi + 180, 180, 1e-9));
}

// Against the group of faces 3-5 (its return face is 6): a group holds it whole, with its return face,
// lies inside it, or lies apart; it may not start with it nor end inside it.
TEST(ShiftTilt, GroupsNestButDoNotOverlap) {
    const std::vector<ShiftTiltGroup> groups = {{3, 5}};
    int existing = -1;
    EXPECT_EQ(CheckShiftTiltGroup(groups, {3, 5}, &existing), GroupCheck::SameAsExisting);
    EXPECT_EQ(existing, 0);
    const std::pair<ShiftTiltGroup, GroupCheck> cases[] = {
        {{4, 3}, GroupCheck::Invalid}, {{3, 4}, GroupCheck::Invalid}, {{2, 5}, GroupCheck::Invalid},
        {{4, 7}, GroupCheck::Invalid}, {{2, 6}, GroupCheck::Valid},   {{4, 6}, GroupCheck::Valid},
        {{7, 8}, GroupCheck::Valid},
    };
    for (const auto& [group, check] : cases)
        EXPECT_EQ(CheckShiftTiltGroup(groups, group), check) << group.first << "-" << group.last;
    EXPECT_FALSE(ComputeReturnTransform(Lens{}, 1, 1));
}

} // namespace
} // namespace vitrimo
