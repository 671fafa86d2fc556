#include "engine/ParaxialTrace.h"

#include "engine/Calculation.h"
#include "model/NumberFormat.h"
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

// Focal length and back focal distance against closed forms; the last distance of the table is moved to
// the focus, written with six decimals and positive even where the light travels backwards.
TEST(ParaxialTrace, ClosedFormsOfSimpleSystems) {
    // The thick singlet: 1/f = (n-1) (1/R1 - 1/R2 + (n-1) t / (n R1 R2)); BFD = f (1 - (n-1) t / (n R1)).
    const double n = 1.5168, r1 = 51.5, r2 = -51.5, t = 4;
    const double thickF = 1 / ((n - 1) * (1 / r1 - 1 / r2 + (n - 1) * t / (n * r1 * r2)));
    struct Case {
        const char* what;
        Lens lens;
        double focalLength, backFocalDistance;
    };
    Case cases[] = {
        // Power (n'-n)/r = 0.05: f = 20, and the focus lies n'/power = 30 behind the face.
        {"a sphere into glass", MakeLens({{"N-BK7", "10", "0", "1.5"}}), 20, 30},
        {"thick singlet", MakeLens({{"N-BK7", "51.5", "4", "1.5168"}, {"Air", "-51.5", "0", "1"}}), thickF,
         thickF * (1 - (n - 1) * t / (n * r1))},
        {"concave mirror", MakeLens({{"Mirror", "-200", "0", "-1"}}), 100, 100},
        {"plane mirror folding", MakeLens({{"Ideal Lens", "100", "40", "1"}, {"Mirror", "0", "0", "-1"}}),
         100, 60},
        {"ideal lens", MakeLens({{"Ideal Lens", "50", "0", "1"}}), 50, 50},
        // The marginal ray crosses the axis between the lenses: 1/alpha_n = -50, but the focus is real.
        {"inverting relay", MakeLens({{"Ideal Lens", "50", "150", "1"}, {"Ideal Lens", "50", "0", "1"}}), 50,
         100},
    };
    ParaxialTrace traces[std::size(cases)];
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        Case& c = cases[k];
        SCOPED_TRACE(c.what);
        traces[k] = Trace(c.lens);
        ASSERT_TRUE(traces[k].ImageValid());
        EXPECT_TRUE(Near(c.lens.FocalLength(), c.focalLength, 1e-13));
        EXPECT_TRUE(Near(c.lens.BackFocalDistance(), c.backFocalDistance, 1e-13));
        const int last = c.lens.RowCount() - 1;
        const bool backwards = c.lens.Arrays().surfaces[last - 1].indexD < 0;
        EXPECT_TRUE(Near(c.lens.Arrays().surfaces[last - 1].distance,
                         backwards ? -c.backFocalDistance : c.backFocalDistance, 1e-13));
        EXPECT_TRUE(Near(*ParseNumber(c.lens.Text(col::Distance, last)), c.backFocalDistance, 0, 5e-7));
        EXPECT_EQ(c.lens.Text(col::Distance, last).size() - c.lens.Text(col::Distance, last).find('.'), 7u);
    }
    EXPECT_TRUE(Near(traces[5].RawFocalLength(), -50, 1e-14));
    EXPECT_TRUE(Near(traces[4].Powers()[1], 0.02, 1e-15));
    // The thick singlet's paraxial data: the marginal height and angle after face 1, the reduced
    // thickness, and the power of face 2.
    const ParaxialTrace& p = traces[1];
    EXPECT_TRUE(Near(p.Heights()[1], 1 - t / n * (n - 1) / r1, 1e-14));
    EXPECT_TRUE(Near(p.Angles()[1], (n - 1) / r1, 1e-14));
    EXPECT_TRUE(Near(p.ReducedDistances()[1], t / n, 1e-14));
    EXPECT_TRUE(Near(p.Powers()[2], (1 - n) / r2, 1e-14));
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
