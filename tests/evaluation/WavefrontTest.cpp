#include "evaluation/Wavefront.h"

#include "evaluation/EvaluationSetup.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numeric>

namespace vitrimo {
namespace {

using test::EvaluationSetup;
using test::kDLine;
using test::Near;
using test::PerfectLens;

// The weighted standard deviation and the range of values, computed directly.
struct Moments {
    double rms, pv;
};
Moments MomentsOf(const std::vector<double>& v, const std::vector<double>& w = {}) {
    double total = 0, mean = 0;
    for (std::size_t k = 0; k < v.size(); ++k) total += w.empty() ? 1 : w[k];
    for (std::size_t k = 0; k < v.size(); ++k) mean += (w.empty() ? 1 : w[k]) * v[k] / total;
    double sum = 0;
    for (std::size_t k = 0; k < v.size(); ++k) sum += (w.empty() ? 1 : w[k]) * (v[k] - mean) * (v[k] - mean);
    return {std::sqrt(sum / total),
            *std::max_element(v.begin(), v.end()) - *std::min_element(v.begin(), v.end())};
}

// The search stops within a few thousandths of a wave of the best constant.
::testing::AssertionResult NearRms(double actual, double expected) {
    return Near(actual, expected, 5e-3, 3e-3);
}

TEST(Wavefront, SpreadFindsTheStandardDeviationAboutTheMean) {
    std::vector<std::pair<std::vector<double>, std::vector<double>>> cases = {
        {{5, 5, 5}, {}},
        {{0, 1}, {}},
        {{0, 0, 0, 1}, {}},
        {{-3.2, 0.4, 7.9, 2.2, 2.3, -0.1}, {}},
        {{0, 0, 0, 0.004}, {}}, // tiny: the search stops at once, off the mean by less than its tolerance
        {{1, 2, 3, 4}, {1, 8, 16, 24}},
        {{0.3, -0.2, 0.9}, {0, 8, 16}}, // a sample of weight 0 does not count
    };
    std::vector<double> uniform, skewed, large;
    for (int k = 0; k <= 1000; ++k) {
        uniform.push_back(k / 1000.0);
        skewed.push_back(std::exp(k / 200.0) / 20);
        large.push_back(80 * std::sin(k * 0.37) + 3 * k / 1000.0);
    }
    cases.push_back({uniform, {}});
    cases.push_back({skewed, {}});
    cases.push_back({large, {}});
    for (const auto& [values, weights] : cases) {
        const OpdSpread spread = SpreadOf(values, weights);
        std::vector<double> counted, countedWeights;
        for (std::size_t k = 0; k < values.size(); ++k)
            if (weights.empty() || weights[k] > 0) {
                counted.push_back(values[k]);
                countedWeights.push_back(weights.empty() ? 1 : weights[k]);
            }
        const Moments expected = MomentsOf(counted, countedWeights);
        ASSERT_TRUE(spread.valid);
        EXPECT_EQ(spread.samples, static_cast<int>(counted.size()));
        EXPECT_TRUE(Near(spread.peakToValley, expected.pv, 1e-12, 1e-15)) << values.size();
        EXPECT_TRUE(NearRms(spread.rms, expected.rms)) << values.size() << " values from " << values[0];
    }
    // Values wholly beyond 100 waves: the L-V is their own range.
    const OpdSpread far = SpreadOf({150, 151, 153});
    EXPECT_TRUE(Near(far.peakToValley, 3, 1e-12));
    // No sample: no value, never a division by zero.
    for (const auto& [values, weights] :
         std::vector<std::pair<std::vector<double>, std::vector<double>>>{{{}, {}}, {{1, 2}, {0, 0}}}) {
        const OpdSpread none = SpreadOf(values, weights);
        EXPECT_FALSE(none.valid);
        EXPECT_EQ(none.rms, 0);
        EXPECT_EQ(none.samples, 0);
    }
}

TEST(Wavefront, MarechalEstimate) {
    EXPECT_EQ(StrehlEstimate(0), 1);
    EXPECT_TRUE(Near(StrehlEstimate(1 / 14.0), std::exp(-std::pow(2 * M_PI / 14, 2)), 1e-15));
    EXPECT_TRUE(Near(StrehlEstimate(0.0707), 0.8212, 1e-3)); // the lambda / 14 criterion: about 0.8
}

TEST(Wavefront, PerfectLensHasNoAberrationOnAndOffAxis) {
    for (const double angle : {0.0, 4.0, -15.0}) {
        EvaluationSetup setup(PerfectLens(100, 10));
        WavefrontSettings settings;
        settings.fieldAngle = angle;
        const WavefrontMap map = ComputeWavefrontMap(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(map.valid) << map.status;
        // Off axis the ideal lens's paths agree to some 1e-5 waves (a few nm of a 100 mm path).
        for (const auto& w : map.opd) {
            if (w) {
                EXPECT_LT(std::fabs(*w), 1e-4) << angle;
            }
        }
        EXPECT_LT(map.peakToValley, 1e-4);
        EXPECT_LT(map.rms, 1e-4);
        EXPECT_TRUE(Near(map.strehl, 1, 1e-8));
        EXPECT_EQ(map.wavelengthName, "d");
        settings.steps = 30;
        const WavefrontLine line = ComputeWavefrontLine(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(line.valid) << line.status;
        for (const auto& fan : {line.meridional, line.sagittal})
            for (const auto& w : fan) {
                ASSERT_TRUE(w);
                EXPECT_LT(std::fabs(*w), 1e-4);
            }
        EXPECT_LT(line.rms, 1e-4);
        EXPECT_EQ(line.sagittalShown, angle != 0);
    }
}

// The OPD of a perfect lens (focal length f) whose reference point lies dz beyond its focus and dy
// across, for a ray through the lens at (y, z): the path from the lens to the reference point less the
// path to the focus, relative to the chief ray's.
double DefocusOpd(double f, double dz, double dy, double y, double z) {
    const auto path = [&](double py, double pz) {
        return std::sqrt((f + dz) * (f + dz) + (py - dy) * (py - dy) + pz * pz) -
               std::sqrt(f * f + py * py + pz * pz);
    };
    return (path(y, z) - path(0, 0)) / kDLine;
}

TEST(Wavefront, PureDefocusGivesTheAnalyticRms) {
    // F/10: W020 = dz / (8 F^2) = 1.06 waves; RMS = W020 / (2 sqrt 3) over the whole pupil.
    const double f = 100, d = 10, dz = 0.5;
    const double w020 = dz * d * d / (8 * f * (f + dz)) / kDLine;
    double previousError = 1;
    for (const int steps : {15, 40}) {
        EvaluationSetup setup(PerfectLens(f, d));
        WavefrontSettings settings;
        settings.defocus = dz;
        settings.steps = steps;
        const WavefrontMap map = ComputeWavefrontMap(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(map.valid);
        // The grid's own points, evaluated by the closed form.
        const double pupil = setup.tracer.Context().entrancePupilDiameter;
        const double pitch = 1.1 * pupil / 2 / steps;
        std::vector<double> expected;
        for (int i = -steps; i <= steps; ++i)
            for (int j = -steps; j <= steps; ++j) {
                const double y = i * pitch - 1e-6, z = j * pitch;
                if (y * y + z * z <= pupil * pupil / 4) expected.push_back(DefocusOpd(f, dz, 0, y, z));
            }
        ASSERT_EQ(map.samples, static_cast<int>(expected.size()));
        const Moments moments = MomentsOf(expected);
        EXPECT_TRUE(Near(map.peakToValley, moments.pv, 1e-6));
        EXPECT_TRUE(NearRms(map.rms, moments.rms));
        EXPECT_TRUE(Near(map.peakToValley, w020, 0.03)) << steps; // the grid reaches nearly to the rim
        const double error = std::fabs(map.rms - w020 / (2 * std::sqrt(3.0))) / (w020 / (2 * std::sqrt(3.0)));
        EXPECT_LT(error, steps == 40 ? 0.02 : 0.05) << steps;
        EXPECT_LT(error, previousError);
        previousError = error;
        EXPECT_TRUE(Near(map.strehl, StrehlEstimate(map.rms), 1e-15));
    }
}

TEST(Wavefront, EachWavelengthInItsOwnWaves) {
    // Without dispersion every wavelength has the same path differences; in waves they scale as 1 / lambda.
    EvaluationSetup setup(PerfectLens(100, 10));
    WavefrontSettings settings;
    settings.defocus = 0.4;
    const WavefrontMap d = ComputeWavefrontMap(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(d.valid);
    ASSERT_EQ(d.rays->WavelengthCount(), 7);
    for (int w = 0; w < d.rays->WavelengthCount(); ++w) {
        const WavefrontMap map = EvaluateWavefrontMap(d.rays, d.grid, d.reference, w);
        ASSERT_TRUE(map.valid);
        EXPECT_EQ(map.wavelengthName, d.rays->wavelengths[w].name);
        EXPECT_TRUE(Near(map.peakToValley, d.peakToValley * 587.6 / map.nanometres, 1e-9))
            << map.wavelengthName;
        EXPECT_TRUE(NearRms(map.rms, d.rms * 587.6 / map.nanometres));
    }
    EXPECT_FALSE(EvaluateWavefrontMap(d.rays, d.grid, d.reference, 7).valid);
}

TEST(Wavefront, ReferenceShiftAddsATiltWhateverItsSign) {
    const double f = 100, d = 10, dz = 0.3, shift = 0.01;
    EvaluationSetup setup(PerfectLens(f, d));
    WavefrontSettings settings;
    settings.defocus = dz;
    settings.steps = 30;
    const WavefrontMap traced = ComputeWavefrontMap(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(traced.valid);
    const WavefrontMap up = EvaluateWavefrontMap(traced.rays, traced.grid, {dz, shift, 0});
    const WavefrontMap down = EvaluateWavefrontMap(traced.rays, traced.grid, {dz, -shift, 0});
    const WavefrontMap side = EvaluateWavefrontMap(traced.rays, traced.grid, {dz, 0, shift});
    EXPECT_TRUE(Near(up.rms, down.rms, 1e-4));
    EXPECT_TRUE(Near(up.rms, side.rms, 1e-4));
    // Defocus and tilt are orthogonal: the squares of their RMS add, tilt a (D/2) / f across the pupil
    // giving a / 2.
    const double tilt = shift * d / 2 / f / kDLine / 2;
    EXPECT_TRUE(Near(up.rms, std::hypot(traced.rms, tilt), 0.02));
    // Point by point, the closed form of the shifted reference.
    for (int k = 0; k < up.grid.PointCount(); ++k) {
        if (!up.opd[k]) continue;
        const auto [y, z] = up.grid.coordinates[k];
        EXPECT_TRUE(Near(*up.opd[k], DefocusOpd(f, dz, shift, y - 1e-6, z), 0, 1e-5)) << k;
    }
}

TEST(Wavefront, LineFollowsTheClosedFormAndWeighsItsRings) {
    const double f = 100, d = 10, dz = -0.4;
    EvaluationSetup setup(PerfectLens(f, d));
    WavefrontSettings settings;
    settings.defocus = dz;
    settings.steps = 12;
    const WavefrontLine line = ComputeWavefrontLine(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(line.valid);
    const int s = settings.steps;
    const double radius = (setup.tracer.Context().entrancePupilDiameter - 0.001) / 2;
    EXPECT_TRUE(Near(line.pupilRadius, radius, 1e-12));
    std::vector<double> ring, weights;
    for (int j = 0; j <= 2 * s; ++j) {
        const double pupil = radius * (static_cast<double>(j) / s - 1);
        ASSERT_TRUE(line.meridional[j] && line.sagittal[j]);
        EXPECT_TRUE(Near(*line.meridional[j], DefocusOpd(f, dz, 0, pupil + 1e-6, 1e-6), 0, 1e-5)) << j;
        EXPECT_TRUE(Near(*line.sagittal[j], DefocusOpd(f, dz, 0, 1e-6, pupil + 1e-6), 0, 1e-5)) << j;
        if (j >= s) {
            ring.push_back(DefocusOpd(f, dz, 0, pupil + 1e-6, 1e-6));
            weights.push_back(j == s ? 1 : 8.0 * (j - s));
        }
    }
    const Moments expected = MomentsOf(ring, weights);
    EXPECT_TRUE(Near(line.peakToValley, expected.pv, 1e-6));
    EXPECT_TRUE(NearRms(line.rms, expected.rms));
    EXPECT_FALSE(line.sagittalShown);
}

TEST(Wavefront, NoPassingRayLeavesTheReadOutsEmpty) {
    // A stop 20 mm before a perfect lens of 10 mm: at 60 degrees nothing reaches the lens.
    Lens lens = test::MakeLens(
        {{"Air", "0", "20", "1", "Stop Plane", "10"}, {"Ideal Lens", "100", "100", "1", "", "10"}});
    EvaluationSetup setup(std::move(lens));
    WavefrontSettings settings;
    settings.fieldAngle = 60;
    const WavefrontMap map = ComputeWavefrontMap(setup.tracer, setup.lens, settings, setup.host);
    EXPECT_FALSE(map.valid);
    EXPECT_EQ(map.status, "No point exist!  Maybe the angle is too large.");
    EXPECT_EQ(map.samples, 0);
    EXPECT_EQ(map.rms, 0);
    EXPECT_EQ(map.strehl, 0);
    settings.steps = 10;
    const WavefrontLine line = ComputeWavefrontLine(setup.tracer, setup.lens, settings, setup.host);
    EXPECT_FALSE(line.valid);
    EXPECT_EQ(line.rms, 0);
}

TEST(Wavefront, ShadesRunFromBlackThroughGreyToWhiteAndClampBeyondTheScale) {
    struct Case {
        double v;
        unsigned level;
    };
    for (const Case& c :
         std::vector<Case>{{0, 136}, {1, 255}, {-1, 0}, {0.5, 196}, {-0.5, 68}, {2.5, 255}, {-40, 0}}) {
        const Colour shade = WavefrontShade(c.v);
        EXPECT_EQ(RedOf(shade), c.level) << c.v;
        EXPECT_EQ(GreenOf(shade), c.level);
        EXPECT_EQ(BlueOf(shade), c.level);
    }
}

} // namespace
} // namespace vitrimo
