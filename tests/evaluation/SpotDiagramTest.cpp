#include "evaluation/SpotDiagram.h"

#include "evaluation/EvaluationSetup.h"
#include "support/ReferenceTrace.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <numbers>
#include <random>
#include <tuple>

namespace vitrimo {
namespace {

using test::EvaluationSetup;
using test::Face;
using test::MakeLens;
using test::Near;

// An N-BK7 singlet behind a 20 mm stop in its front vertex plane, the image plane 95 mm behind it: the
// stop alone limits the beam, so a ray passes when its start point lies within 10 mm of the axis.
Lens StoppedSinglet() {
    return MakeLens({{"Air", "0", "0", "1", "Stop Plane", "20"},
                     {"N-BK7", "51.5", "6", "1.5168", "", "40"},
                     {"Air", "-80", "95", "1", "", "40"}});
}

TEST(SpotDiagram, AberratedSingletAgreesWithAnIndependentTrace) {
    for (const auto& [angle, steps] : std::vector<std::pair<double, int>>{{0, 15}, {2, 15}, {-3.5, 9}}) {
        EvaluationSetup setup(StoppedSinglet());
        setup.OnlyLine("d");
        const SpotResult spot = ComputeSpot(setup.tracer, setup.lens, {angle, 0, steps}, setup.host);
        ASSERT_TRUE(spot.valid) << spot.status;

        // The same grid, traced by the independent singlet trace to the plane 6 + 95 mm from the stop.
        const double theta = angle * M_PI / 180;
        const double pitch = 1.1 * setup.tracer.Context().entrancePupilDiameter / 2 / steps;
        std::vector<std::array<double, 2>> points;
        for (int i = -steps; i <= steps; ++i)
            for (int j = -steps; j <= steps; ++j) {
                const double y = i * pitch - 1e-6, z = j * pitch;
                if (i * i + j * j > steps * steps || y * y + z * z > 100) continue;
                const auto [hit, d] = test::ReferenceSinglet({0, y, z}, {std::cos(theta), std::sin(theta), 0},
                                                             51.5, -80, 6, 1.5168);
                const double travel = (101 - hit.x) / d.x;
                points.push_back({hit.y + travel * d.y, hit.z + travel * d.z});
            }
        double cy = 0, cz = 0;
        for (const auto& p : points) cy += p[0] / points.size(), cz += p[1] / points.size();
        double sum = 0;
        for (const auto& p : points) sum += (p[0] - cy) * (p[0] - cy) + (p[1] - cz) * (p[1] - cz);
        const double rms = std::sqrt(sum / points.size());

        EXPECT_EQ(spot.Reference().Count(), static_cast<int>(points.size())) << angle;
        EXPECT_TRUE(Near(spot.centroidY, cy, 0, 1e-9)) << angle;
        EXPECT_TRUE(Near(spot.centroidZ, cz, 0, 1e-9)) << angle;
        EXPECT_TRUE(Near(spot.rmsRadius, rms, 1e-9)) << angle;
        EXPECT_GT(rms, 0.01); // a real aberration, not a point
    }
}

TEST(SpotDiagram, PerfectLensImagesAPointAtFTanTheta) {
    for (const double angle : {0.0, 5.0, -12.0}) {
        EvaluationSetup setup(test::PerfectLens(100, 10));
        const SpotResult spot = ComputeSpot(setup.tracer, setup.lens, {angle, 0, 15}, setup.host);
        ASSERT_TRUE(spot.valid) << spot.status;
        for (const SpotWavelength& w : spot.wavelengths) {
            EXPECT_LT(w.rmsRadius, 1e-9) << angle;
            EXPECT_TRUE(Near(w.centroidY, 100 * std::tan(angle * M_PI / 180), 0, 1e-9)) << angle;
            EXPECT_TRUE(Near(w.centroidZ, 0, 0, 1e-12));
        }
        // The chief ray meets the same point; the Airy disk of 587 nm is 1.22 lambda f / D.
        EXPECT_TRUE(Near(spot.chief[0], spot.centroidY, 0, 1e-9));
        EXPECT_TRUE(Near(spot.airyRadius, 1.22 * 587e-6 * 100 / 10, 1e-5));
    }
}

TEST(SpotDiagram, DefocusReevaluatesTheStoredRaysLikeANewTrace) {
    EvaluationSetup setup(StoppedSinglet());
    const SpotResult focused = ComputeSpot(setup.tracer, setup.lens, {2, 0, 12}, setup.host);
    ASSERT_TRUE(focused.valid);
    const SpotResult moved = EvaluateSpot(focused.rays, focused.grid, -1.5);
    const SpotResult traced = ComputeSpot(setup.tracer, setup.lens, {2, -1.5, 12}, setup.host);
    ASSERT_TRUE(moved.valid && traced.valid);
    ASSERT_EQ(moved.wavelengths.size(), traced.wavelengths.size());
    for (std::size_t w = 0; w < moved.wavelengths.size(); ++w) {
        EXPECT_TRUE(Near(moved.wavelengths[w].centroidY, traced.wavelengths[w].centroidY, 0, 1e-12));
        EXPECT_TRUE(Near(moved.wavelengths[w].rmsRadius, traced.wavelengths[w].rmsRadius, 1e-12));
    }
    // A paraxially focused beam grows on either side of its best focus.
    EXPECT_NE(moved.rmsRadius, focused.rmsRadius);
}

TEST(SpotDiagram, NoPassingRayIsReportedWithTheSentinel) {
    // A stop 20 mm before the singlet: at 70 degrees every ray passing it climbs far beyond the lens.
    Lens lens = MakeLens({{"Air", "0", "20", "1", "Stop Plane", "20"},
                          {"N-BK7", "51.5", "6", "1.5168", "", "22"},
                          {"Air", "-80", "95", "1", "", "22"}});
    EvaluationSetup setup(std::move(lens));
    const SpotResult spot = ComputeSpot(setup.tracer, setup.lens, {70, 0, 10}, setup.host);
    EXPECT_FALSE(spot.valid);
    EXPECT_EQ(spot.status, "No point exist!  Maybe the angle is too large.");
    EXPECT_GE(spot.centroidY, kNoPoint);
    EXPECT_GE(spot.centroidZ, kNoPoint);
    EXPECT_EQ(spot.rmsRadius, 0);
    EXPECT_EQ(SpotOtf(spot, {0, 10}).front().meridional[0], std::complex<double>(0, 0));
    // The centroid of nothing is the sentinel, its RMS radius 0.
    EXPECT_EQ(SpotCentroid({})[0], kNoPoint);
    EXPECT_EQ(RmsRadius({}, {0, 0}), 0);
}

TEST(SpotDiagram, GeometricalOtfOfSmallSpotsFollowsItsClosedForms) {
    const std::vector<double> frequencies = {0, 3, 10, 25.5, 100};
    // One point at y0: modulus 1, phase -2 pi nu y0.
    const double y0 = 0.0123;
    const Otf single = GeometricalOtf({{y0, 0}}, frequencies);
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
        EXPECT_TRUE(Near(std::abs(single.meridional[k]), 1, 1e-12));
        EXPECT_TRUE(Near(std::arg(single.meridional[k] * std::polar(1.0, 2 * M_PI * frequencies[k] * y0)), 0,
                         0, 1e-9));
        EXPECT_TRUE(Near(single.sagittal[k].real(), 1, 1e-12));
    }
    // Two points a apart in y: |cos(pi nu a)| along y, 1 along z.
    const double a = 0.02;
    const Otf pair = GeometricalOtf({{-a / 2, 0.001}, {a / 2, 0.001}}, frequencies);
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
        EXPECT_TRUE(Near(pair.meridional[k].real(), std::cos(M_PI * frequencies[k] * a), 0, 1e-12)) << k;
        EXPECT_TRUE(Near(pair.meridional[k].imag(), 0, 0, 1e-12));
        EXPECT_TRUE(Near(std::abs(pair.sagittal[k]), 1, 1e-12));
    }
    const Otf none = GeometricalOtf({}, frequencies);
    EXPECT_EQ(none.rays, 0);
    EXPECT_EQ(none.meridional[2], std::complex<double>(0, 0));
    EXPECT_EQ(SpotOtfFrequencies().size(), 101u);
    EXPECT_EQ(SpotOtfFrequencies()[100], 200);
}

TEST(SpotDiagram, GeometricalOtfAtEquallySpacedFrequenciesMatchesTheDirectSum) {
    // Phases up to some 500 radians, more points than a block, axes starting at 0 and elsewhere.
    std::mt19937 generator(11);
    std::uniform_real_distribution<double> coordinate(-0.2, 0.2);
    std::vector<std::array<double, 2>> points(1001);
    for (auto& p : points) p = {coordinate(generator), 0.3 * coordinate(generator)};
    for (const auto& [first, step, count] : {std::tuple{0.0, 4.0, 101}, {5.0, 2.5, 37}, {0.0, 0.1, 2}}) {
        std::vector<double> frequencies(count);
        for (int j = 0; j < count; ++j) frequencies[j] = first + j * step;
        const Otf otf = GeometricalOtf(points, frequencies);
        double worst = 0;
        for (int j = 0; j < count; ++j) {
            // The definition, in long double: the mean of exp(-2 pi i nu y) over the points.
            std::complex<long double> y = 0, z = 0;
            const long double k = 2 * std::numbers::pi_v<long double> * frequencies[j];
            for (const auto& p : points) {
                y += std::polar(1.0L, -k * p[0]);
                z += std::polar(1.0L, -k * p[1]);
            }
            y /= static_cast<long double>(points.size());
            z /= static_cast<long double>(points.size());
            worst = std::max({worst, std::abs(std::complex<double>(y) - otf.meridional[j]),
                              std::abs(std::complex<double>(z) - otf.sagittal[j])});
        }
        EXPECT_LT(worst, 1e-13) << first << " + j " << step;
    }
}

TEST(SpotDiagram, PlotWindowLimitsTheOtfToTheDrawnPoints) {
    EvaluationSetup setup(StoppedSinglet());
    setup.OnlyLine("d");
    const SpotResult spot = ComputeSpot(setup.tracer, setup.lens, {0, 0, 10}, setup.host);
    ASSERT_TRUE(spot.valid);
    const auto all = SpotOtf(spot, {0, 20});
    const auto inner = SpotOtf(spot, {0, 20}, spot.rmsRadius / 2);
    EXPECT_EQ(all[0].rays, spot.Reference().Count());
    EXPECT_LT(inner[0].rays, all[0].rays);
    EXPECT_GT(inner[0].rays, 0);
    // A tighter spot transfers more contrast.
    EXPECT_GT(std::abs(inner[0].meridional[1]), std::abs(all[0].meridional[1]));
}

} // namespace
} // namespace vitrimo
