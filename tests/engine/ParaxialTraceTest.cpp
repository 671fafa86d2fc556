#include "engine/ParaxialTrace.h"

#include "engine/Calculation.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::Face;
using test::MakeLens;
using test::Near;
using test::ScriptedHost;

// Builds the arrays and runs the trace, the way every calculation starts.
ParaxialTrace Trace(Lens& lens) {
    ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_NE(EnsureArraysCurrent(lens, paraxial, host), Readiness::Cancelled);
    return paraxial;
}

TEST(ParaxialTrace, SingleRefractingSurfaceFocusesInsideTheGlass) {
    // Sphere r = 10 into n = 1.5: power 0.05, focal length 20, and the focus lies n'/power = 30 behind it.
    Lens lens = MakeLens({{"N-BK7", "10", "0", "1.5"}});
    const ParaxialTrace p = Trace(lens);
    ASSERT_TRUE(p.ImageValid());
    EXPECT_TRUE(Near(lens.FocalLength(), 20, 1e-14));
    EXPECT_TRUE(Near(lens.BackFocalDistance(), 30, 1e-14));
    EXPECT_EQ(lens.Text(col::Distance, 2), "30.000000");
}

TEST(ParaxialTrace, ThickSingletMatchesTheLensmakerFormula) {
    // 1/f = (n-1) (1/R1 - 1/R2 + (n-1) t / (n R1 R2)); BFD = f (1 - (n-1) t / (n R1)).
    const double n = 1.5168, r1 = 51.5, r2 = -51.5, t = 4;
    const double f = 1 / ((n - 1) * (1 / r1 - 1 / r2 + (n - 1) * t / (n * r1 * r2)));
    const double bfd = f * (1 - (n - 1) * t / (n * r1));
    Lens lens = MakeLens({{"N-BK7", "51.5", "4", "1.5168"}, {"Air", "-51.5", "0", "1"}});
    const ParaxialTrace p = Trace(lens);
    ASSERT_TRUE(p.ImageValid());
    EXPECT_TRUE(Near(lens.FocalLength(), f, 1e-13));
    EXPECT_TRUE(Near(lens.BackFocalDistance(), bfd, 1e-13));
    EXPECT_TRUE(Near(lens.Arrays().surfaces[2].distance, bfd, 1e-13));
    EXPECT_TRUE(Near(p.Heights()[1], 1 - t / n * (n - 1) / r1, 1e-14)); // marginal height at face 2
    EXPECT_TRUE(Near(p.Angles()[1], (n - 1) / r1, 1e-14));
    EXPECT_TRUE(Near(p.ReducedDistances()[1], t / n, 1e-14));
    EXPECT_TRUE(Near(p.Powers()[2], (1 - n) / r2, 1e-14));
}

TEST(ParaxialTrace, ConcaveMirrorFocusesBackwards) {
    Lens lens = MakeLens({{"Mirror", "-200", "0", "-1"}});
    const ParaxialTrace p = Trace(lens);
    ASSERT_TRUE(p.ImageValid());
    EXPECT_TRUE(Near(lens.FocalLength(), 100, 1e-14));
    EXPECT_TRUE(Near(lens.BackFocalDistance(), 100, 1e-14));
    EXPECT_TRUE(Near(lens.Arrays().surfaces[1].distance, -100, 1e-14)); // the light travels back
    EXPECT_EQ(lens.Text(col::Distance, 2), "100.000000");               // the table stays positive
}

TEST(ParaxialTrace, PlaneMirrorFoldsWithoutPower) {
    Lens lens = MakeLens({{"Ideal Lens", "100", "40", "1"}, {"Mirror", "0", "0", "-1"}});
    const ParaxialTrace p = Trace(lens);
    ASSERT_TRUE(p.ImageValid());
    EXPECT_TRUE(Near(lens.FocalLength(), 100, 1e-14));
    EXPECT_TRUE(Near(lens.BackFocalDistance(), 60, 1e-14));
    EXPECT_TRUE(Near(lens.Arrays().surfaces[2].distance, -60, 1e-14));
    EXPECT_EQ(lens.Text(col::Distance, 3), "60.000000");
}

TEST(ParaxialTrace, IdealLensFocusesParallelLightAtItsFocalLength) {
    Lens lens = MakeLens({{"Ideal Lens", "50", "0", "1"}});
    const ParaxialTrace p = Trace(lens);
    ASSERT_TRUE(p.ImageValid());
    EXPECT_EQ(lens.FocalLength(), 50);
    EXPECT_EQ(lens.BackFocalDistance(), 50);
    EXPECT_TRUE(Near(p.Powers()[1], 0.02, 1e-15));
}

TEST(ParaxialTrace, InvertingRelayShowsAPositiveFocalLength) {
    // Two lenses of 50 mm, 150 mm apart: the marginal ray crosses the axis between them, so
    // 1/alpha_n = -50 while the focus is real, 100 mm behind the second lens.
    Lens lens = MakeLens({{"Ideal Lens", "50", "150", "1"}, {"Ideal Lens", "50", "0", "1"}});
    const ParaxialTrace p = Trace(lens);
    ASSERT_TRUE(p.ImageValid());
    EXPECT_TRUE(Near(p.RawFocalLength(), -50, 1e-14));
    EXPECT_TRUE(Near(lens.FocalLength(), 50, 1e-14));
    EXPECT_TRUE(Near(lens.BackFocalDistance(), 100, 1e-14));
}

TEST(ParaxialTrace, NegativeLensHasNoRealImage) {
    Lens lens = MakeLens({{"Ideal Lens", "-50", "30", "1"}});
    ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::NoImage);
    EXPECT_FALSE(paraxial.ImageValid());
    EXPECT_FALSE(paraxial.Afocal());
    EXPECT_EQ(lens.Arrays().surfaces[1].distance, 0);
}

TEST(ParaxialTrace, AfocalSystemReportsNoImageAndWritesNoInfinity) {
    // A Kepler telescope: parallel light leaves parallel.
    Lens lens = MakeLens({{"Ideal Lens", "100", "150", "1"}, {"Ideal Lens", "50", "0", "1"}});
    lens.MarkChanged();
    ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::NoImage);
    EXPECT_TRUE(paraxial.Afocal());
    EXPECT_EQ(lens.FocalLength(), 0);
    EXPECT_EQ(lens.Text(col::Distance, 3), "0");
    // A plane-parallel plate alone is afocal too.
    Lens plate = MakeLens({{"N-BK7", "0", "5", "1.5"}, {"Air", "0", "10", "1"}});
    EXPECT_FALSE(Trace(plate).ImageValid());
    EXPECT_EQ(plate.Text(col::Distance, 3), "10");
}

TEST(ParaxialTrace, BackDistanceFollowsTheFocusOnlyWhileEditing) {
    Lens lens = MakeLens({{"Ideal Lens", "50", "47.5", "1"}});
    Trace(lens);
    EXPECT_EQ(lens.Text(col::Distance, 2), "47.5"); // unchanged data keeps the typed back distance
    EXPECT_EQ(lens.Arrays().surfaces[1].distance, 47.5);
    lens.MarkChanged();
    Trace(lens);
    EXPECT_EQ(lens.Text(col::Distance, 2), "50.000000");
    EXPECT_EQ(lens.Arrays().surfaces[1].distance, 50);
}

TEST(ParaxialTrace, FiniteObjectGivesTheImageDistance) {
    // Object 300 mm before an ideal lens of 100 mm: the image is 150 mm behind it; f stays 100.
    Lens lens = MakeLens({{"Air", "0", "300", "1"}, {"Ideal Lens", "100", "0", "1"}});
    lens.SetText(col::GlassName, 1, "Object");
    const ParaxialTrace p = Trace(lens);
    ASSERT_TRUE(p.ImageValid());
    EXPECT_EQ(lens.FocalLength(), 100);
    EXPECT_TRUE(Near(lens.BackFocalDistance(), 150, 1e-14));
    EXPECT_EQ(lens.Text(col::Distance, 3), "150.000000");
    EXPECT_TRUE(Near(p.InverseStartAngle(), -300, 1e-14)); // minus the entrance pupil distance

    // Inside the focal length the image is virtual: no real image.
    lens.SetText(col::Distance, 2, "50");
    lens.MarkChanged();
    EXPECT_FALSE(Trace(lens).ImageValid());
}

TEST(ParaxialTrace, FiniteObjectThroughAThickLens) {
    // Gaussian imaging about the principal planes: 1/s' = 1/f - 1/s, s measured from H, s' from H'.
    const double n = 1.5, r1 = 40, r2 = -40, t = 6, objectDistance = 250;
    const double f = 1 / ((n - 1) * (1 / r1 - 1 / r2 + (n - 1) * t / (n * r1 * r2)));
    const double frontPrincipal = -f * (n - 1) * t / (n * r2); // H from face 1 (positive: after it)
    const double backPrincipal = -f * (n - 1) * t / (n * r1);  // H' from face 2
    const double s = objectDistance + frontPrincipal;
    const double image = 1 / (1 / f - 1 / s) + backPrincipal;
    Lens lens = MakeLens({{"Air", "0", "250", "1"}, {"N-BK7", "40", "6", "1.5"}, {"Air", "-40", "0", "1"}});
    lens.SetText(col::GlassName, 1, "Object");
    ASSERT_TRUE(Trace(lens).ImageValid());
    EXPECT_TRUE(Near(lens.FocalLength(), f, 1e-13));
    EXPECT_TRUE(Near(lens.BackFocalDistance(), image, 1e-12));
}

TEST(ParaxialTrace, EntrancePupilIsTheStopSeenFromTheObject) {
    // A stop 10 mm behind a 100 mm lens appears 10 * 100 / (100 - 10) behind it.
    Lens lens = MakeLens({{"Ideal Lens", "100", "10", "1"}, {"Air", "0", "80", "1", "Stop Plane"}});
    Trace(lens);
    const int stop = lens.StopSurfaceIndex();
    ASSERT_EQ(stop, 2);
    EXPECT_TRUE(Near(ParaxialTrace::EntrancePupilDistance(lens, stop), 1000.0 / 90, 1e-14));
    EXPECT_EQ(ParaxialTrace::EntrancePupilDistance(lens, 1), 0);
    EXPECT_EQ(ParaxialTrace::EntrancePupilDistance(lens, -1), 0);

    // Measured from the object plane when the object row has a distance.
    lens.SetText(col::Distance, 1, "25");
    lens.MarkChanged();
    Trace(lens);
    EXPECT_TRUE(Near(ParaxialTrace::EntrancePupilDistance(lens, stop), 25 + 1000.0 / 90, 1e-13));
    EXPECT_EQ(ParaxialTrace::EntrancePupilDistance(lens, -1), 25);
}

TEST(Calculation, DropsEmptyRowsAndStaysStaleWhenAQuestionIsCancelled) {
    Lens lens = MakeLens({{"Ideal Lens", "50", "0", "1"}, {"", "", "", ""}});
    ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Ready);
    EXPECT_EQ(lens.RowCount(), 3);
    EXPECT_TRUE(lens.ArraysCurrent());
    EXPECT_FALSE(lens.HasDecenter());

    lens.SetText(col::Y, 2, "1");
    lens.SetText(col::EffectiveDiameter, 1, "");
    lens.SetText(col::EffectiveDiameter, 2, "");
    lens.MarkChanged();
    EXPECT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Cancelled);
    EXPECT_FALSE(lens.ArraysCurrent());
    EXPECT_TRUE(lens.HasDecenter());
    host.textAnswers = {"20"};
    EXPECT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Ready);
    EXPECT_TRUE(lens.ArraysCurrent());
}

} // namespace
} // namespace vitrimo
