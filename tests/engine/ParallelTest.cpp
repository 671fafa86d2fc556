// Work spread over threads: every task runs once, nesting and exceptions behave, and the trace, the spot
// diagram, the PSF and an MTF focus sweep of a sample lens come out the same, bit for bit, with 1, 2 and
// more threads than the machine has cores.
#include "engine/Parallel.h"

#include "engine/Calculation.h"
#include "engine/RayTracer.h"
#include "evaluation/Fft.h"
#include "evaluation/Mtf.h"
#include "evaluation/PointSpread.h"
#include "evaluation/SpotDiagram.h"
#include "model/LensFile.h"
#include "support/CliRunner.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <atomic>
#include <cmath>
#include <complex>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace vitrimo {
namespace {

TEST(ParallelFor, RunsEveryTaskExactlyOnceWhateverTheThreadCount) {
    for (const int threads : {1, 2, 3, 8, 64}) {
        for (const int count : {0, 1, 2, 5, 1000}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
            ParallelFor(threads, count, [&](int k) { runs[k].fetch_add(1); });
            for (int k = 0; k < count; ++k)
                EXPECT_EQ(runs[k].load(), 1)
                    << "threads " << threads << ", count " << count << ", task " << k;
        }
    }
}

TEST(ParallelFor, NestedCallsRunInlineAndFinish) {
    std::vector<std::atomic<int>> runs(100);
    ParallelFor(4, 10, [&](int outer) {
        ParallelFor(4, 10, [&](int inner) { runs[outer * 10 + inner].fetch_add(1); });
    });
    for (const auto& run : runs) EXPECT_EQ(run.load(), 1);
}

TEST(ParallelFor, AThrowingTaskIsReportedOnTheCallingThreadAndThePoolStaysUsable) {
    EXPECT_THROW(ParallelFor(3, 20,
                             [](int k) {
                                 if (k == 7) throw std::runtime_error("task 7");
                             }),
                 std::runtime_error);
    std::atomic<int> sum{0};
    ParallelFor(3, 20, [&](int k) { sum += k; });
    EXPECT_EQ(sum.load(), 190);
}

TEST(ParallelFor, ThreadCountsOutsideTheRangeAreRefused) {
    EXPECT_FALSE(ValidThreadCount(0));
    EXPECT_FALSE(ValidThreadCount(-1));
    EXPECT_FALSE(ValidThreadCount(kMaxThreads + 1));
    EXPECT_TRUE(ValidThreadCount(1));
    EXPECT_TRUE(ValidThreadCount(kMaxThreads));
    EXPECT_GE(DefaultThreadCount(), 1);
    RayTracer tracer;
    tracer.SetThreads(0);
    EXPECT_EQ(tracer.Threads(), 1);
    tracer.SetThreads(100000);
    EXPECT_EQ(tracer.Threads(), kMaxThreads);
}

// A stop asked on the calling thread ends a trace whose chunks run on several threads.
class StopAfter : public test::ScriptedHost {
public:
    explicit StopAfter(int allowed) : allowed_(allowed) {}
    bool KeepGoing() override { return ++asked_ <= allowed_; }

private:
    int allowed_;
    int asked_ = 0;
};

// The double Gauss, ready to trace.
struct DoubleGauss {
    Lens lens;
    ParaxialTrace paraxial;
    RayTracer tracer;
    test::ScriptedHost host;

    explicit DoubleGauss(int threads) {
        const auto read = ReadLensFile(lens, test::SourcePath("data/Lens/double-gauss.ldt"));
        EXPECT_TRUE(read.Ok()) << read.error;
        EXPECT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::Ready);
        tracer.SetThreads(threads);
        tracer.Bind(lens, paraxial);
        tracer.EntrancePupilDiameter(host);
    }
};

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// Every traced record of a spot diagram: positions, directions, paths and flags.
std::vector<double> Flatten(const TracedRays& rays) {
    std::vector<double> values;
    for (const TracedWavelength& w : rays.wavelengths) {
        for (std::size_t r = 0; r < w.rays.size(); ++r) {
            const RayRecord& ray = w.rays[r];
            values.insert(values.end(), {ray.x, ray.y, ray.z, ray.L, ray.M, ray.N, w.path[r],
                                         static_cast<double>(w.vignetted[r])});
        }
    }
    return values;
}

const std::vector<int> kThreadCounts = {1, 2, 7};

TEST(ParallelTrace, SpotDiagramIsTheSameWithAnyThreadCount) {
    // 80 steps: some 16 000 rays per wavelength, several chunks; at 12 degrees some rays are vignetted.
    std::vector<std::vector<double>> traced;
    std::vector<double> rms;
    for (const int threads : kThreadCounts) {
        DoubleGauss lens(threads);
        const SpotResult spot = ComputeSpot(lens.tracer, lens.lens, {12, -0.2, 80}, lens.host);
        ASSERT_TRUE(spot.valid) << spot.status;
        ASSERT_GT(spot.rays->wavelengths[0].rays.size(), 8000u);
        traced.push_back(Flatten(*spot.rays));
        rms.push_back(spot.rmsRadius);
    }
    for (std::size_t k = 1; k < traced.size(); ++k) {
        EXPECT_TRUE(SameBits(traced[0], traced[k])) << kThreadCounts[k] << " threads";
        EXPECT_EQ(rms[0], rms[k]);
    }
}

TEST(ParallelTrace, StopOnTheCallingThreadEndsAParallelTrace) {
    DoubleGauss lens(4);
    StopAfter host(3);
    const SpotResult spot = ComputeSpot(lens.tracer, lens.lens, {0, 0, 80}, host);
    EXPECT_FALSE(spot.valid);
    EXPECT_EQ(spot.status, kStoppedText);
}

// The double-precision trace of spherical faces against the extended-precision one, ray by ray, on the
// double Gauss at three field angles and three wavelengths: every ray that passes the lens arrives
// within 1e-13 mm, with direction cosines within 1e-14 and optical paths within 1e-12 mm.
TEST(SphericalTrace, DoublePrecisionAgreesWithExtendedPrecision) {
    double worstPosition = 0, worstDirection = 0, worstPath = 0;
    for (const double angle : {0.0, 10.0, 20.0}) {
        std::vector<std::vector<double>> traced;
        for (const bool extended : {false, true}) {
            DoubleGauss lens(2);
            lens.tracer.SetExtendedPrecision(extended);
            lens.tracer.SetTracedWavelengths({lens.lens.Wavelengths().Find("C"),
                                              lens.lens.Wavelengths().Find("d"),
                                              lens.lens.Wavelengths().Find("g")});
            const SpotResult spot = ComputeSpot(lens.tracer, lens.lens, {angle, 0, 40}, lens.host);
            ASSERT_TRUE(spot.valid) << spot.status;
            traced.push_back(Flatten(*spot.rays));
        }
        ASSERT_EQ(traced[0].size(), traced[1].size());
        int passing = 0;
        for (std::size_t k = 0; k < traced[0].size(); k += 8) {
            ASSERT_EQ(traced[0][k + 7], traced[1][k + 7]) << "the same rays pass, ray record " << k / 8;
            if (traced[0][k + 7] != 0) continue;
            ++passing;
            for (int f = 0; f < 3; ++f)
                worstPosition = std::max(worstPosition, std::fabs(traced[0][k + f] - traced[1][k + f]));
            for (int f = 3; f < 6; ++f)
                worstDirection = std::max(worstDirection, std::fabs(traced[0][k + f] - traced[1][k + f]));
            worstPath = std::max(worstPath, std::fabs(traced[0][k + 6] - traced[1][k + 6]));
        }
        EXPECT_GT(passing, 1000) << angle;
    }
    EXPECT_LT(worstPosition, 1e-13);
    EXPECT_LT(worstDirection, 1e-14);
    EXPECT_LT(worstPath, 1e-12);
    std::cout << "worst differences: position " << worstPosition << " mm, direction " << worstDirection
              << ", path " << worstPath << " mm\n";
}

// The spherical faces' loop compiled for fused multiply-add instructions against the portable loop (the
// library's fma): the same bits for every ray, vignetted ones included, at three angles and wavelengths.
TEST(SphericalTrace, FusedMultiplyAddInstructionsGiveThePortableBits) {
    struct Restore {
        ~Restore() { RayTracer::AllowFmaInstructions(true); }
    } restore;
    RayTracer::AllowFmaInstructions(true);
    if (!RayTracer::FmaInstructionsInUse()) GTEST_SKIP() << "this processor has no FMA instructions";
    for (const double angle : {0.0, 12.0, 20.0}) {
        std::vector<std::vector<double>> traced;
        for (const bool fma : {true, false}) {
            RayTracer::AllowFmaInstructions(fma);
            EXPECT_EQ(RayTracer::FmaInstructionsInUse(), fma);
            DoubleGauss lens(2);
            lens.tracer.SetTracedWavelengths({lens.lens.Wavelengths().Find("C"),
                                              lens.lens.Wavelengths().Find("d"),
                                              lens.lens.Wavelengths().Find("g")});
            const SpotResult spot = ComputeSpot(lens.tracer, lens.lens, {angle, -0.1, 40}, lens.host);
            ASSERT_TRUE(spot.valid) << spot.status;
            traced.push_back(Flatten(*spot.rays));
        }
        EXPECT_TRUE(SameBits(traced[0], traced[1])) << angle << " degrees";
    }
}

TEST(ParallelPsf, ImagesAndStrehlRatiosAreTheSameWithAnyThreadCount) {
    std::vector<PsfResult> results;
    for (const int threads : kThreadCounts) {
        DoubleGauss lens(threads);
        PsfSettings settings;
        settings.fieldAngle = 5;
        settings.defocus = -0.3;
        settings.fftSize = 256;
        settings.pupilDivision = 64;
        settings.otf = true;
        settings.planning = Fft::Planning::Estimate;
        results.push_back(ComputePsf(lens.tracer, lens.lens, settings, lens.host));
        ASSERT_TRUE(results.back().valid) << results.back().status;
        EXPECT_EQ(results.back().settings.threads, threads);
    }
    for (std::size_t k = 1; k < results.size(); ++k) {
        const PsfResult &a = results[0], &b = results[k];
        EXPECT_EQ(a.strehl, b.strehl);
        ASSERT_EQ(a.wavelengths.size(), b.wavelengths.size());
        for (std::size_t w = 0; w < a.wavelengths.size(); ++w) {
            EXPECT_EQ(a.wavelengths[w].image, b.wavelengths[w].image) << "wavelength " << w;
            EXPECT_TRUE(SameBits(a.wavelengths[w].rowProfile, b.wavelengths[w].rowProfile));
            EXPECT_TRUE(SameBits(a.wavelengths[w].columnProfile, b.wavelengths[w].columnProfile));
            EXPECT_EQ(a.wavelengths[w].strehl, b.wavelengths[w].strehl);
            EXPECT_EQ(a.wavelengths[w].otf.meridional, b.wavelengths[w].otf.meridional);
        }
    }
}

TEST(ParallelMtf, FocusAndAngleSweepsAreTheSameWithAnyThreadCount) {
    for (const OtfSource source : {OtfSource::Geometric, OtfSource::Diffraction})
        for (const bool angles : {false, true}) {
            std::vector<MtfResult> results;
            for (const int threads : kThreadCounts) {
                DoubleGauss lens(threads);
                MtfSettings settings;
                settings.source = source;
                settings.fieldAngle = 7;
                settings.spotSteps = 20;
                settings.fftSize = 128;
                settings.pupilDivision = 32;
                settings.planning = Fft::Planning::Estimate;
                // Nine angles: batches of 1, 2 and 7 angles, the last one short.
                results.push_back(angles ? ComputeMtfAngleSweep(lens.tracer, lens.lens, settings,
                                                                {0, 2, 4, 6, 8, 10, 12, 14, 16}, lens.host)
                                         : ComputeMtfFocusSweep(lens.tracer, lens.lens, settings,
                                                                {-0.5, 0.05, 9}, lens.host));
                ASSERT_EQ(results.back().points.size(), 9u) << results.back().status;
            }
            for (std::size_t k = 1; k < results.size(); ++k)
                for (std::size_t p = 0; p < results[0].points.size(); ++p)
                    for (int d = 0; d < kMtfDirections; ++d) {
                        EXPECT_TRUE(
                            SameBits(results[0].points[p].modulus[d], results[k].points[p].modulus[d]))
                            << "point " << p << ", " << kThreadCounts[k] << " threads";
                        EXPECT_EQ(results[0].points[p].defocus, results[k].points[p].defocus);
                        EXPECT_EQ(results[0].points[p].fieldAngle, results[k].points[p].fieldAngle);
                    }
        }
}

// The transform of an array whose middle rows are skipped equals a direct DFT of the array with those
// rows zero, whatever they held.
TEST(FftOccupiedRows, MiddleRowsAreReadAsZero) {
    const int rows = 16, columns = 8;
    for (const int occupied : {2, 4, 6, 8}) {
        std::vector<std::complex<double>> values(static_cast<std::size_t>(rows) * columns);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                const bool kept = r < occupied / 2 || r >= rows - occupied / 2;
                values[r * columns + c] =
                    kept ? std::complex<double>(std::sin(r + 0.3 * c), std::cos(2.0 * r - c))
                         : std::complex<double>(1e6 + r, -c); // must be ignored
            }
        FftBuffer buffer(values.size());
        std::memcpy(buffer.Data(), values.data(), values.size() * sizeof(std::complex<double>));
        test::ScriptedHost host;
        ASSERT_TRUE(
            Fft(Fft::Planning::Estimate).Transform2D(buffer.Data(), rows, columns, -1, host, occupied));
        for (int k1 = 0; k1 < rows; ++k1)
            for (int k2 = 0; k2 < columns; ++k2) {
                std::complex<double> sum = 0;
                for (int r = 0; r < rows; ++r) {
                    if (r >= occupied / 2 && r < rows - occupied / 2) continue;
                    for (int c = 0; c < columns; ++c)
                        sum += values[r * columns + c] *
                               std::polar(1.0, -2 * std::numbers::pi *
                                                   (double(r) * k1 / rows + double(c) * k2 / columns));
                }
                const double* got = buffer.Data() + 2 * (k1 * columns + k2);
                EXPECT_NEAR(got[0], sum.real(), 1e-10) << occupied << " rows, element " << k1 << ", " << k2;
                EXPECT_NEAR(got[1], sum.imag(), 1e-10) << occupied << " rows, element " << k1 << ", " << k2;
            }
    }
}

TEST(CliThreads, TheCountIsCheckedAndDoesNotChangeTheOutput) {
    const std::string lens = test::SourcePath("data/Lens/double-gauss.ldt");
    std::vector<std::string> outputs;
    for (const char* threads : {"1", "2", "5"}) {
        const auto run =
            test::Cli({"spot", lens, "--angle", "10", "--steps", "60", "--threads", threads, "--json"});
        ASSERT_EQ(run.code, 0) << run.err;
        outputs.push_back(run.out);
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_EQ(outputs[0], outputs[2]);
    for (const std::string bad : {"0", "-2", "257", "two", "1.5"}) {
        const auto run = test::Cli({"psf", lens, "--threads", bad});
        EXPECT_EQ(run.code, 2) << bad;
        EXPECT_NE(run.err.find("--threads"), std::string::npos) << run.err;
    }
}

} // namespace
} // namespace vitrimo
