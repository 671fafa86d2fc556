// Bending: surface powers moved between faces, checked against the powers and focal lengths of the
// curvatures computed here (thick-lens formula), and the session's choices, arrows and restores.
#include "design/Bending.h"

#include "engine/Calculation.h"
#include "model/NumberFormat.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::MakeLens;
using test::Near;

constexpr double kN = 1.5;

// A biconvex singlet n = 1.5, radii 50 / -50, 2 mm thick.
Lens Singlet(const std::string& thickness = "2") {
    return MakeLens({{"G", "50", thickness, "1.5"}, {"Air", "-50", "0", "1"}});
}

Lens Prepared(Lens lens) {
    test::ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Ready);
    return lens;
}

// The focal length of a thick singlet in air from its curvatures: 1/f = P1 + P2 - (d/n) P1 P2.
double ThickLensFocalLength(double c1, double c2, double d) {
    const double p1 = (kN - 1) * c1, p2 = (1 - kN) * c2;
    return 1 / (p1 + p2 - d / kN * p1 * p2);
}

struct StepCase {
    BendMode mode;
    int steps;
    double interval;
};

// +K positions move plane 1's power by -K I / f and plane 2's by +K I / f (two faces: the sum stays);
// a single face changes alone and the focal length with it.
TEST(Bending, ScrollStepsMovePowerByIntervalOverFocalLength) {
    for (const StepCase& c :
         {StepCase{BendMode::TwoFace, 20, 0.00001}, StepCase{BendMode::TwoFace, -350, 0.0001},
          StepCase{BendMode::TwoFace, 4000, 0.0001}, StepCase{BendMode::SingleFace, 20, 0.0001},
          StepCase{BendMode::SingleFace, -7, 0.001}}) {
        const Lens lens = Prepared(Singlet());
        BendingSession session(lens);
        const double f = ThickLensFocalLength(0.02, -0.02, 2);
        ASSERT_TRUE(Near(session.StartFocalLength(), f, 1e-12));
        session.SetMode(c.mode);
        session.SetInterval(c.interval);
        ASSERT_EQ(session.Choose(1, BendTarget::Curvature, false), PlaneChoice::Chosen);
        if (c.mode == BendMode::TwoFace) {
            ASSERT_EQ(session.Choose(2, BendTarget::Curvature, false), PlaneChoice::Chosen);
        }
        ASSERT_EQ(session.ScrollTo(BendingSession::kStart + c.steps), StepResult::Moved);

        const double c1 = session.Arrays().surfaces[1].curvature, c2 = session.Arrays().surfaces[2].curvature;
        const double delta = c.steps * c.interval / f;
        EXPECT_TRUE(Near((kN - 1) * c1, (kN - 1) * 0.02 - delta, 1e-12)) << c.steps;
        const double p2 = c.mode == BendMode::TwoFace ? (1 - kN) * -0.02 + delta : (1 - kN) * -0.02;
        EXPECT_TRUE(Near((1 - kN) * c2, p2, 1e-12)) << c.steps;
        EXPECT_TRUE(Near(session.FocalLength(), ThickLensFocalLength(c1, c2, 2), 1e-11));
        if (c.mode == BendMode::SingleFace) {
            EXPECT_TRUE(session.FocalLengthChanged()) << session.FocalLength();
        }
        EXPECT_EQ(session.Position(), BendingSession::kStart + c.steps);
    }
}

// A thin lens keeps its focal length in a two-face bend (its power is the sum of the face powers).
TEST(Bending, ThinSingletKeepsItsFocalLength) {
    const Lens lens = Prepared(Singlet("0.0001"));
    BendingSession session(lens);
    ASSERT_EQ(session.Choose(1, BendTarget::Curvature, false), PlaneChoice::Chosen);
    ASSERT_EQ(session.Choose(2, BendTarget::Curvature, false), PlaneChoice::Chosen);
    session.SetInterval(0.0002);
    ASSERT_EQ(session.ScrollTo(1000), StepResult::Moved); // face 1 takes power from face 2: a meniscus
    EXPECT_GT(session.Arrays().surfaces[2].curvature, 0);
    EXPECT_TRUE(Near(session.FocalLength(), 1 / ((kN - 1) * 0.04), 1e-5));
    EXPECT_TRUE(Near(session.NormalisedPower(1) + session.NormalisedPower(2), 1, 1e-5));
}

struct IntervalCase {
    double interval;
    int direction;
    double expected;
};

TEST(Bending, IntervalArrowsDoubleAndHalveToTwoDigits) {
    for (const IntervalCase& c :
         {IntervalCase{0.00003, +1, 0.00006}, IntervalCase{0.00003, -1, 0.000015},
          IntervalCase{0.000015, -1, 0.0000075}, IntervalCase{0.000123, +1, 0.00025},
          IntervalCase{0.0007, -1, 0.00035}, IntervalCase{0.6, +1, 1.2}, IntervalCase{1.23, +1, 2.5},
          IntervalCase{9.75, +1, 19.5}, IntervalCase{2.5, -1, 1.3}, IntervalCase{1.6, -1, 0.8}})
        EXPECT_EQ(BendingSession::SteppedInterval(c.interval, c.direction), c.expected)
            << c.interval << " " << c.direction;
    EXPECT_EQ(BendingSession::IntervalText(0.000015), "0.000015");
    EXPECT_EQ(BendingSession::IntervalText(BendingSession::DefaultInterval(BendMode::TwoFace)), "0.00001");
    EXPECT_EQ(BendingSession::IntervalText(BendingSession::DefaultInterval(BendMode::SingleFace)), "0.0001");
}

// Faces linked by "rFix" need Ctrl; a face between two air spaces has no power to move; linked faces
// follow their plane.
TEST(Bending, PlaneChoicesAndCoupledFaces) {
    Lens lens = MakeLens({{"G", "50", "2", "1.5"},
                          {"Air", "-50", "5", "1"},
                          {"Air", "0", "5", "1"},
                          {"G", "50", "2", "1.5"},
                          {"Air", "-80", "0", "1"}});
    lens.SetText(col::RFix, 5, "1"); // face 4 takes face 1's radius
    lens = Prepared(std::move(lens));
    BendingSession session(lens);
    EXPECT_EQ(session.Choose(3, BendTarget::Curvature, false), PlaneChoice::NoIndexChange);
    EXPECT_EQ(session.Choose(4, BendTarget::Curvature, false), PlaneChoice::NeedsCtrl);
    EXPECT_EQ(session.Choose(0, BendTarget::Curvature, false), PlaneChoice::Refused);
    EXPECT_FALSE(session.SelectionComplete());
    ASSERT_EQ(session.Choose(1, BendTarget::Curvature, false), PlaneChoice::Chosen);
    EXPECT_EQ(session.Choose(1, BendTarget::Curvature, false), PlaneChoice::Refused);
    ASSERT_EQ(session.Choose(2, BendTarget::Curvature, false), PlaneChoice::Chosen);
    EXPECT_EQ(session.Plane(0).coupled, std::vector<int>{4});
    EXPECT_EQ(session.ScrollTo(5100), StepResult::Moved);
    EXPECT_NE(session.Arrays().surfaces[1].curvature, 0.02);
    EXPECT_EQ(session.Arrays().surfaces[4].curvature, session.Arrays().surfaces[1].curvature);

    session.ClearSelection();
    EXPECT_EQ(session.Position(), BendingSession::kStart);
    EXPECT_EQ(session.Choose(4, BendTarget::Curvature, true), PlaneChoice::Chosen);
}

// Single-face distance: the thickness grows by Interval per position; a coupled distance follows.
TEST(Bending, SingleFaceDistanceGrowsByIntervalPerPosition) {
    Lens lens = MakeLens({{"G", "50", "2", "1.5"},
                          {"Air", "-50", "5", "1"},
                          {"G", "50", "2", "1.5"},
                          {"Air", "-80", "0", "1"}});
    lens.SetText(col::LFix, 4, "1"); // face 3's thickness is face 1's
    lens = Prepared(std::move(lens));
    BendingSession session(lens);
    session.SetMode(BendMode::SingleFace);
    ASSERT_EQ(session.Choose(1, BendTarget::Distance, false), PlaneChoice::Chosen);
    ASSERT_EQ(session.ScrollTo(5000 + 25), StepResult::Moved);
    EXPECT_TRUE(Near(session.Arrays().surfaces[1].distance, 2 + 25 * 0.0001, 1e-14));
    EXPECT_EQ(session.Arrays().surfaces[3].distance, session.Arrays().surfaces[1].distance);
    EXPECT_EQ(session.Arrays().surfaces[1].curvature, 0.02);
}

// Cancel reads every curvature back from the "r" text; Undo returns to the shape at the choice.
TEST(Bending, CancelAndUndoRestoreTheShape) {
    Lens lens = MakeLens({{"G", "51.3", "2", "1.5"}, {"Air", "-47.9", "0", "1"}});
    lens = Prepared(std::move(lens));
    BendingSession session(lens);
    session.Choose(1, BendTarget::Curvature, false);
    session.Choose(2, BendTarget::Curvature, false);
    const SurfaceArrays chosen = session.Arrays();
    ASSERT_EQ(session.ScrollTo(9000), StepResult::Moved);
    session.Undo();
    for (int i = 1; i <= 2; ++i)
        EXPECT_EQ(session.Arrays().surfaces[i].curvature, chosen.surfaces[i].curvature);
    ASSERT_EQ(session.ScrollTo(1000), StepResult::Moved);
    session.RestoreCurvaturesFromTable();
    EXPECT_EQ(session.Arrays().surfaces[1].curvature, 1 / 51.3);
    EXPECT_EQ(session.Arrays().surfaces[2].curvature, 1 / -47.9);
}

// A step that leaves no real image is refused: the shape and position stay.
TEST(Bending, StepThatLosesTheImageIsRefused) {
    const Lens lens = Prepared(Singlet());
    BendingSession session(lens);
    session.SetMode(BendMode::SingleFace);
    session.SetInterval(0.1);
    session.Choose(1, BendTarget::Curvature, false);
    ASSERT_EQ(session.ScrollTo(5001), StepResult::Moved);
    const double c1 = session.Arrays().surfaces[1].curvature;
    EXPECT_EQ(session.ScrollTo(5030), StepResult::LostImage); // the face power falls below -P2: diverging
    EXPECT_EQ(session.Arrays().surfaces[1].curvature, c1);
    EXPECT_EQ(session.Position(), 5001);
    EXPECT_TRUE(session.HasImage());
}

// Fl Adjust brings the focal length back to the one the session started with.
TEST(Bending, FocalLengthAdjustRestoresTheStartFocalLength) {
    const Lens lens = Prepared(Singlet());
    BendingSession session(lens);
    session.SetMode(BendMode::SingleFace);
    session.Choose(2, BendTarget::Curvature, false);
    ASSERT_EQ(session.ScrollTo(5400), StepResult::Moved);
    ASSERT_TRUE(session.FocalLengthChanged());
    ASSERT_TRUE(session.AdjustFocalLength());
    EXPECT_TRUE(Near(session.FocalLength(), ThickLensFocalLength(0.02, -0.02, 2), 1e-8));
    const auto& s = session.Arrays().surfaces;
    EXPECT_TRUE(Near(session.FocalLength(),
                     ThickLensFocalLength(s[1].curvature, s[2].curvature, s[1].distance), 1e-12));
}

// OK's texts: radii and distances with 4 decimals; cells the bending did not change keep their text.
TEST(Bending, WrittenTableAndRowTexts) {
    Lens lens = Prepared(MakeLens({{"G", "50", "2", "1.5"},
                                   {"Air", "-50", "3.25", "1"},
                                   {"G", "123.45678", "2", "1.5"},
                                   {"Air", "0", "0", "1"}}));
    BendingSession session(lens);
    const BendingRow row = session.Row(1);
    EXPECT_EQ(row.number, "1");
    EXPECT_EQ(row.glass, "G");
    EXPECT_EQ(row.radius, "50.000");
    EXPECT_EQ(row.distance, "2.000");
    EXPECT_EQ(session.Row(4).radius, "0");
    session.SetMode(BendMode::SingleFace);
    session.SetInterval(0.001);
    session.Choose(1, BendTarget::Curvature, false);
    ASSERT_EQ(session.ScrollTo(5010), StepResult::Moved);
    WriteBentLens(lens, session);
    const double c1 = 0.02 - 10 * 0.001 / session.StartFocalLength() / 0.5;
    const std::string& written = lens.Text(col::R, 2);
    EXPECT_TRUE(Near(ParseNumber(written).value_or(0), 1 / c1, 0, 0.00005)) << written;
    EXPECT_EQ(written.size() - written.find('.'), 5u) << written; // four decimals
    test::ExpectCells(
        lens, {{col::R, 3, "-50"}, {col::Distance, 3, "3.25"}, {col::R, 4, "123.45678"}, {col::R, 5, "0"}});
    EXPECT_TRUE(lens.DataModified());
}

} // namespace
} // namespace vitrimo
