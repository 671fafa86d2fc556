// The merit function of a lens: the paraxial sums against thin-lens closed forms, the thickness bounds
// against sags computed here, the combination rules, the vector put into the lens, and whole runs.
#include "design/LensMerit.h"

#include "design/Optimisation.h"
#include "engine/Calculation.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::Face;
using test::Near;

Lens Prepared(Lens lens) {
    test::ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Ready);
    return lens;
}

Lens Sample(const std::string& name) {
    Lens lens;
    EXPECT_TRUE(ReadLensFile(lens, test::SourcePath("data/Lens/" + name)).Ok());
    return Prepared(std::move(lens));
}

// Only the ray term: F = 0.1 S.
MeritConditions RaysOnly() {
    MeritConditions c;
    c.curvFactor = 0;
    return c;
}

// The sag of a sphere of radius r (signed) at height h, written out here.
double SphereSag(double r, double h) {
    if (r == 0) return 0;
    return std::copysign(std::fabs(r) - std::sqrt(r * r - h * h), r);
}

struct ThinLens {
    const char* r1;
    const char* r2;
    double r1Value, r2Value; // 0: plane
    // Welford's third-order spherical aberration of a thin lens in air, object at infinity, stop at the
    // lens, for unit height and power: (1/4)[(n/(n-1))^2 + (n+2)/(n(n-1)^2)(X + 2(n^2-1)/(n+2) Y)^2
    // - n/(n+2) Y^2] with shape X and conjugate factor Y = 1; for n = 1.5: equi-convex 10/3, plano-convex
    // facing the object 7/3, facing the image 9.
    double spherical;
};

void PrintTo(const ThinLens& k, std::ostream* os) {
    *os << "r1 " << k.r1 << ", r2 " << k.r2;
}

class ThinLensSums : public ::testing::TestWithParam<ThinLens> {};

TEST_P(ThinLensSums, MatchTheClosedForms) {
    const ThinLens& k = GetParam();
    const double n = 1.5;
    Lens lens = Prepared(test::MakeLens({{"N-BK7", k.r1, "0", "1.5"}, {"Air", k.r2, "0", "1"}}));
    ASSERT_TRUE(Near(lens.FocalLength(), 50, 1e-12));
    test::ScriptedHost host;
    LensMerit merit(lens, MeritConditions{}, host);
    const MeritParts parts = merit.ParaxialParts();
    ASSERT_TRUE(parts.valid);
    // Petzval sum 1/n; with the stop at the lens the astigmatism sum is the power, 1, whatever the shape.
    EXPECT_TRUE(Near(parts.petzvalSum, 1 / n, 1e-12));
    EXPECT_TRUE(Near(parts.astSum, 1, 1e-12));
    EXPECT_TRUE(Near(std::fabs(parts.sphSum), k.spherical, 1e-12));
    const auto curvature = [](double r) { return r == 0 ? 0 : 1 / r; };
    const double d = 10;
    EXPECT_TRUE(Near(parts.curvatureSum,
                     std::pow(d * curvature(k.r1Value), 2) + std::pow(d * curvature(k.r2Value), 2), 1e-12));
    // No thickness at the centre: the rims cross, the edge thickness is the difference of the sags.
    const double edge = SphereSag(k.r2Value, d / 2) - SphereSag(k.r1Value, d / 2);
    EXPECT_TRUE(Near(parts.boundPenalty, 100 * std::max(0.0, -edge), 1e-12));
}

INSTANTIATE_TEST_SUITE_P(Shapes, ThinLensSums,
                         ::testing::Values(ThinLens{"50", "-50", 50, -50, 10.0 / 3},
                                           ThinLens{"25", "0", 25, 0, 7.0 / 3},
                                           ThinLens{"0", "-25", 0, -25, 9.0}),
                         [](const auto& info) { return "Shape" + std::to_string(info.index); });

TEST(LensMerit, ThicknessBoundsAddAHundredPerMillimetre) {
    // A 3 mm thick equi-convex lens: the edge is thinner than the centre by the two sags.
    Lens lens = test::MakeLens({{"N-BK7", "60", "3", "1.5"}, {"Air", "-60", "0", "1"}});
    const double edge = 3 - 2 * SphereSag(60, 5);
    struct Case {
        const char* minimum;
        const char* maximum;
        double penalty;
    };
    ASSERT_GT(edge, 2.5);
    ASSERT_LT(edge, 2.7);
    for (const Case& c :
         {Case{"0", "0", 0}, Case{"2.5", "0", 0}, Case{"2.8", "0", 100 * (2.8 - edge)},
          Case{"0", "2", 100 * (3 - 2.0)}, Case{"3.5", "2.5", 100 * (3.5 - edge) + 100 * (3 - 2.5)}}) {
        lens.SetText(col::MinDistance, 2, c.minimum);
        lens.SetText(col::MaxDistance, 2, c.maximum);
        const Lens prepared = Prepared(lens);
        test::ScriptedHost host;
        LensMerit merit(prepared, MeritConditions{}, host);
        EXPECT_TRUE(Near(merit.ParaxialParts().boundPenalty, c.penalty, 1e-12, 1e-12))
            << c.minimum << " " << c.maximum;
    }
}

TEST(LensMerit, TheToleranceCircleWeighsInsideQuadraticallyAndOutsideLinearly) {
    const double radius = ToleranceRadius(15); // mm
    EXPECT_EQ(SpotPenalty(0.0075 / radius), 1);
    EXPECT_EQ(SpotPenalty(0.015 / radius), 3);
    EXPECT_TRUE(Near(SpotPenalty(0.5), 0.25, 1e-15));
}

TEST(LensMerit, CombinesTheParts) {
    const Lens lens = Sample("cooke-triplet.ldt");
    test::ScriptedHost host;
    // All aberration factors 0: F = 0.1 S.
    LensMerit raysOnly(lens, RaysOnly(), host);
    const double f = raysOnly.FValue(raysOnly.Variables());
    ASSERT_TRUE(raysOnly.Last().valid);
    EXPECT_GT(raysOnly.Last().spot, 0);
    EXPECT_TRUE(Near(f, 0.1 * raysOnly.Last().spot, 1e-12));
    // Each factor multiplies the ray term by its part.
    MeritConditions c = RaysOnly();
    c.sphFactor = 2;
    c.petzvalFactor = 3;
    c.curvFactor = 0.5;
    LensMerit weighted(lens, c, host);
    const double g = weighted.FValue(weighted.Variables());
    const MeritParts& p = weighted.Last();
    EXPECT_TRUE(
        Near(g, (0.1 + 2 * std::fabs(p.sphSum) + 3 * std::fabs(p.petzvalSum) + 0.5 * p.curvatureSum) * p.spot,
             1e-12));
    // AngleFactor 0: F = 0 for a valid lens.
    c.angleFactor = 0;
    LensMerit none(lens, c, host);
    EXPECT_EQ(none.FValue(none.Variables()), 0);
    EXPECT_TRUE(none.Last().valid);
}

TEST(LensMerit, ARadiusShorterThanHalfItsDiameterIsInvalid) {
    const Lens lens = Sample("cooke-triplet.ldt");
    test::ScriptedHost host;
    LensMerit merit(lens, MeritConditions{}, host);
    std::vector<double> x = merit.Variables();
    x[0] = 1 / 15.9; // face 1 is 32 mm across
    EXPECT_EQ(merit.FValue(x), 1e100);
    EXPECT_FALSE(merit.Last().valid);
    x[0] = 1 / 16.1;
    EXPECT_LT(merit.FValue(x), 1e100);
}

// When the first free value is a distance, it is not measured against face 1's diameter as a curvature.
TEST(LensMerit, OnlyACurvatureIsMeasuredAgainstTheFirstDiameter) {
    Lens lens = Sample("cooke-triplet.ldt");
    for (int row = 2; row <= lens.RowCount() - 1; ++row) lens.SetText(col::RFix, row, "x");
    lens = Prepared(std::move(lens));
    test::ScriptedHost host;
    LensMerit merit(lens, MeritConditions{}, host);
    ASSERT_EQ(merit.VariableName(0), "d1");
    EXPECT_LT(merit.FValue(merit.Variables()), 1e100);
    EXPECT_TRUE(merit.Last().valid);
}

TEST(LensMerit, AWavelengthWhoseRaysAllFailCostsTheToleranceRim) {
    const Lens lens = Sample("cooke-triplet.ldt");
    MeritConditions c = RaysOnly();
    c.angles = {MeritAngle{60, 15, 100}}; // far outside the field: every ray is vignetted
    test::ScriptedHost host;
    LensMerit merit(lens, c, host);
    const double f = merit.FValue(merit.Variables());
    double weights = 0;
    for (double w : c.wavelengthWeight) weights += w;
    EXPECT_TRUE(std::isfinite(f));
    EXPECT_TRUE(Near(f, 0.1 * weights, 1e-12));
}

TEST(LensMerit, APerfectLensHasStrehlRatioOne) {
    const Lens lens = Prepared(test::MakeLens({{"Ideal Lens", "50", "0", "1"}}));
    MeritConditions c = RaysOnly();
    c.mode = MeritMode::Strehl;
    c.angles = {MeritAngle{0, 15, 100}, MeritAngle{3, 15, 50}};
    test::ScriptedHost host;
    LensMerit merit(lens, c, host);
    const double f = merit.FValue(merit.Variables());
    // Each angle adds (1.01 - 1) / 100 times its weight.
    EXPECT_TRUE(Near(merit.Last().spot, 0.01 + 0.005, 1e-6));
    EXPECT_TRUE(Near(f, 0.1 * 0.015, 1e-6));
}

TEST(LensMerit, KeepsTheFocalLengthAndFollowsCoupledFaces) {
    Lens lens = Sample("cooke-triplet.ldt");
    lens.SetText(col::RFix, 7, "1"); // face 6 takes face 1's radius
    lens.SetText(col::LFix, 7, "1"); // and face 1's thickness
    lens.SetText(col::RFix, 6, "x"); // the stop stays plane
    lens = Prepared(std::move(lens));
    test::ScriptedHost host;
    LensMerit merit(lens, MeritConditions{}, host);
    EXPECT_TRUE(merit.KeepsFocalLength());
    std::vector<double> x = merit.Variables();
    ASSERT_EQ(merit.VariableName(0), "r1");
    for (int k = 0; k < merit.VariableCount(); ++k)
        if (merit.VariableName(k)[0] == 'r') x[k] *= 1.05;
    const std::vector<double> adjusted = merit.SetVariables(x);
    const SurfaceArrays& a = merit.Arrays();
    EXPECT_TRUE(Near(merit.FocalLength(), merit.TargetFocalLength(), 1e-9));
    EXPECT_NE(adjusted, x); // the restoration rescaled the free values
    EXPECT_EQ(a.surfaces[6].curvature, a.surfaces[1].curvature);
    EXPECT_EQ(a.surfaces[6].distance, a.surfaces[1].distance);
    EXPECT_EQ(a.surfaces[5].curvature, 0);

    MeritConditions loose;
    loose.constFL = false;
    LensMerit free(lens, loose, host);
    free.SetVariables(x);
    EXPECT_GT(std::fabs(free.FocalLength() / free.TargetFocalLength() - 1), 0.01);
}

TEST(LensMerit, WritesTheValuesInTheTableFormats) {
    Lens lens = Sample("cooke-triplet.ldt");
    lens.SetText(col::RFix, 7, "1");
    lens.SetText(col::LFix, 4, "x");
    lens = Prepared(std::move(lens));
    test::ScriptedHost host;
    LensMerit merit(lens, MeritConditions{}, host);
    std::vector<double> x = merit.Variables();
    ASSERT_EQ(merit.VariableName(0), "r1");
    x[0] = 1 / 41.234567;
    const int d2 = merit.VariableCount() - 4; // d1 d2 d4 d5 d6 are free; d3 is fixed
    ASSERT_EQ(merit.VariableName(d2), "d2");
    x[d2] = 9.87654;
    WriteOptimisedValues(lens, x);
    EXPECT_EQ(lens.Text(col::R, 2), "41.2346");
    EXPECT_EQ(lens.Text(col::Distance, 3), "9.877");
    EXPECT_EQ(lens.Text(col::R, 7), "41.2346");  // coupled to face 1
    EXPECT_EQ(lens.Text(col::R, 3), "-1790.2");  // unchanged values keep their text
    EXPECT_EQ(lens.Text(col::Distance, 4), "2"); // fixed
    EXPECT_TRUE(lens.DataModified());
}

// The triplet with its radii 5 % off is brought back to a merit no worse than 1.1 times the design's.
class PerturbedTriplet : public ::testing::TestWithParam<MinimiserMethod> {};

TEST_P(PerturbedTriplet, IsBroughtBack) {
    const Lens design = Sample("cooke-triplet.ldt");
    test::ScriptedHost host;
    LensMerit reference(design, MeritConditions{}, host);
    const double designMerit = reference.FValue(reference.Variables());

    Lens perturbed = design;
    for (int row = 2; row <= perturbed.RowCount() - 1; ++row) {
        const auto r = ParseNumber(perturbed.Text(col::R, row));
        if (r && *r != 0) perturbed.SetText(col::R, row, FormatGeneral(*r * (row % 2 ? 1.05 : 0.95), 15));
    }
    perturbed.MarkChanged();
    perturbed = Prepared(std::move(perturbed));
    OptimisationJob job;
    job.conditions.method = GetParam();
    const OptimisationResult result = Optimise(perturbed, job, host);
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_GT(result.meritStart, designMerit);
    EXPECT_LE(result.run.value, 1.1 * designMerit);
    EXPECT_TRUE(Near(result.focalLengthEnd, result.focalLengthStart, 1e-9));
    EXPECT_TRUE(Near(result.focalLengthStart, perturbed.FocalLength(), 1e-15));
    // The value reported is the merit of the vector returned.
    LensMerit check(perturbed, MeritConditions{}, host);
    EXPECT_TRUE(Near(check.FValue(result.run.x), result.run.value, 1e-9));
}

INSTANTIATE_TEST_SUITE_P(Methods, PerturbedTriplet,
                         ::testing::Values(MinimiserMethod::Simplex, MinimiserMethod::Dfp),
                         [](const auto& info) {
                             return info.param == MinimiserMethod::Dfp ? "Dfp" : "Simplex";
                         });

// Short runs from the perturbed triplet with 1, 2 and 5 threads: the same merit values in the same
// order, the same best vector and the same table, to the last bit. The Strehl merit splits its work
// over the angles (two angles) or over the wavelengths (one angle); the geometrical one stays serial.
struct ThreadedRun {
    const char* name;
    MinimiserMethod method;
    MeritMode mode;
    std::vector<MeritAngle> angles;
    long long evaluations; // the run's limit
};

void PrintTo(const ThreadedRun& k, std::ostream* os) {
    *os << k.name;
}

class RunsWithThreads : public ::testing::TestWithParam<ThreadedRun> {};

TEST_P(RunsWithThreads, AreTheSameBitForBit) {
    const ThreadedRun& k = GetParam();
    Lens perturbed = Sample("cooke-triplet.ldt");
    for (int row = 2; row <= perturbed.RowCount() - 1; ++row) {
        const auto r = ParseNumber(perturbed.Text(col::R, row));
        if (r && *r != 0) perturbed.SetText(col::R, row, FormatGeneral(*r * (row % 2 ? 1.05 : 0.95), 15));
    }
    // Four free curvatures (faces 1, 3, 4, 6; the focal length kept): short runs that still move.
    for (int row = 2; row <= perturbed.RowCount() - 1; ++row) {
        perturbed.SetText(col::LFix, row, "x");
        if (row != 2 && row != 4 && row != 5 && row != 7) perturbed.SetText(col::RFix, row, "x");
    }
    perturbed.MarkChanged();
    perturbed = Prepared(std::move(perturbed));

    struct Run {
        std::vector<double> merits; // every valid evaluation, in order
        std::vector<long long> evaluations;
        OptimisationResult result;
        LensTable table;
    };
    const auto run = [&](int threads) {
        Run r;
        test::ScriptedHost host;
        OptimisationJob job;
        job.conditions.method = k.method;
        job.conditions.mode = k.mode;
        job.conditions.angles = k.angles;
        job.maxEvaluations = k.evaluations;
        job.threads = threads;
        job.observer = [&r](const MeritReport& report) {
            r.merits.push_back(report.parts.merit);
            r.evaluations.push_back(report.evaluation);
        };
        r.result = Optimise(perturbed, job, host);
        Lens written = perturbed;
        WriteOptimisedValues(written, r.result.run.x);
        r.table = written.Table();
        return r;
    };
    const Run one = run(1);
    ASSERT_TRUE(one.result.Ok()) << one.result.error;
    ASSERT_GE(one.merits.size(), 4u);
    // The run tried other lenses, not the start again and again.
    EXPECT_NE(*std::min_element(one.merits.begin(), one.merits.end()),
              *std::max_element(one.merits.begin(), one.merits.end()));
    for (const int threads : {2, 5}) {
        SCOPED_TRACE(threads);
        const Run other = run(threads);
        ASSERT_TRUE(other.result.Ok()) << other.result.error;
        EXPECT_EQ(other.result.meritStart, one.result.meritStart);
        EXPECT_EQ(other.merits, one.merits);
        EXPECT_EQ(other.evaluations, one.evaluations);
        EXPECT_EQ(other.result.run.x, one.result.run.x);
        EXPECT_EQ(other.result.run.value, one.result.run.value);
        EXPECT_EQ(other.result.run.evaluations, one.result.run.evaluations);
        EXPECT_EQ(other.result.focalLengthEnd, one.result.focalLengthEnd);
        EXPECT_EQ(other.table, one.table);
    }
}

const std::vector<MeritAngle> kOneAngle{MeritAngle{}};
const std::vector<MeritAngle> kTwoAngles{MeritAngle{0, 15, 100}, MeritAngle{14, 30, 40}};

INSTANTIATE_TEST_SUITE_P(
    Threads, RunsWithThreads,
    ::testing::Values(
        ThreadedRun{"SimplexStrehlOneAngle", MinimiserMethod::Simplex, MeritMode::Strehl, kOneAngle, 5},
        ThreadedRun{"DfpStrehlOneAngle", MinimiserMethod::Dfp, MeritMode::Strehl, kOneAngle, 8},
        ThreadedRun{"DfpStrehlTwoAngles", MinimiserMethod::Dfp, MeritMode::Strehl, kTwoAngles, 6},
        ThreadedRun{"DfpGeometrical", MinimiserMethod::Dfp, MeritMode::Geometrical, kTwoAngles, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Optimise, ASingletLosesSphericalAberrationAndKeepsItsFocalLength) {
    const Lens lens = Sample("singlet.ldt");
    test::ScriptedHost host;
    OptimisationJob job;
    job.conditions.sphFactor = 1;
    const OptimisationResult result = Optimise(lens, job, host);
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_LT(result.run.value, result.meritStart);
    EXPECT_TRUE(Near(result.focalLengthEnd, lens.FocalLength(), 1e-9));

    LensMerit before(lens, job.conditions, host), after(lens, job.conditions, host);
    before.FValue(before.Variables());
    after.FValue(result.run.x);
    EXPECT_LT(std::fabs(after.Last().sphSum), std::fabs(before.Last().sphSum));
}

TEST(Optimise, RefusesALensWithoutFreeValues) {
    Lens lens = Sample("singlet.ldt");
    for (int row = 2; row <= lens.RowCount() - 1; ++row) {
        lens.SetText(col::RFix, row, "x");
        lens.SetText(col::LFix, row, "x");
    }
    lens = Prepared(std::move(lens));
    test::ScriptedHost host;
    const OptimisationJob job;
    const OptimisationResult result = Optimise(lens, job, host);
    EXPECT_EQ(result.error, kNoFreeValueText);
    EXPECT_EQ(result.run.evaluations, 0);
}

TEST(MeritConditions, ReadBackWhatTheyWrite) {
    MeritConditions c;
    c.angleFactor = 2;
    c.sphFactor = 0.5;
    c.wavelengthWeight[5] = 3;
    c.angles = {MeritAngle{0, 10, 90}, MeritAngle{14.5, 30, 60}};
    c.constFL = false;
    c.mode = MeritMode::Strehl;
    IniFile settings;
    c.Write(settings);
    EXPECT_EQ(settings.ReadString(kCorrFactorSection, "d-line", ""), "3");
    EXPECT_EQ(settings.ReadString(kCorrFactorSection, "Angle-2", ""), "14.5");
    const MeritConditions back = MeritConditions::Read(IniFile::FromText(settings.Text()));
    EXPECT_EQ(back.angleFactor, 2);
    EXPECT_EQ(back.sphFactor, 0.5);
    EXPECT_EQ(back.wavelengthWeight, c.wavelengthWeight);
    ASSERT_EQ(back.angles.size(), 2u);
    EXPECT_EQ(back.angles[1].angle, 14.5);
    EXPECT_EQ(back.angles[1].tolerance, 30);
    EXPECT_EQ(back.angles[1].strehlWeight, 60);
    EXPECT_FALSE(back.constFL);
    EXPECT_EQ(back.mode, MeritMode::Strehl);
}

TEST(MeritConditions, DefaultsWithoutASectionAndRefuseBadNumbers) {
    const MeritConditions d = MeritConditions::Read(IniFile{});
    EXPECT_EQ(d.angleFactor, 1);
    EXPECT_EQ(d.curvFactor, 1);
    EXPECT_EQ(d.WeightSum(), 0.4 + 5 + 0.1);
    ASSERT_EQ(d.angles.size(), 1u);
    EXPECT_EQ(d.angles[0].tolerance, 15);
    EXPECT_TRUE(d.constFL);
    std::string error;
    const MeritConditions bad = MeritConditions::Read(IniFile::FromText("[CorrFactor]\nd-line=-1\n"), &error);
    EXPECT_NE(error.find("d-line"), std::string::npos);
    EXPECT_EQ(bad.wavelengthWeight[5], 1);
    error.clear();
    const MeritConditions word =
        MeritConditions::Read(IniFile::FromText("[CorrFactor]\nComa=lots\n"), &error);
    EXPECT_NE(error.find("Coma"), std::string::npos);
    EXPECT_EQ(word.comaFactor, 0);
}

} // namespace
} // namespace vitrimo
