#include "evaluation/Mtf.h"

#include "evaluation/EvaluationSetup.h"
#include "model/LensFile.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace vitrimo {
namespace {

using test::EvaluationSetup;
using test::kDLine;
using test::Near;
using test::PerfectLens;

// The incoherent MTF of an aberration-free circular pupil at frequency nu for the cutoff nu_c:
// (2 / pi) (phi - cos phi sin phi) with cos phi = nu / nu_c, 0 beyond the cutoff.
double CircularPupilMtf(double nu, double cutoff) {
    const double x = nu / cutoff;
    if (x >= 1) return 0;
    const double phi = std::acos(x);
    return 2 / M_PI * (phi - std::cos(phi) * std::sin(phi));
}

MtfSettings Diffraction(int fftSize, int division) {
    MtfSettings settings;
    settings.source = OtfSource::Diffraction;
    settings.fftSize = fftSize;
    settings.pupilDivision = division;
    settings.planning = Fft::Planning::Estimate;
    return settings;
}

MtfSettings Geometric(int steps = 15) {
    MtfSettings settings;
    settings.source = OtfSource::Geometric;
    settings.spotSteps = steps;
    return settings;
}

class StoppingHost : public test::ScriptedHost {
public:
    explicit StoppingHost(int allowed) : allowed_(allowed) {}
    bool KeepGoing() override { return ++asked_ <= allowed_; }

private:
    int allowed_, asked_ = 0;
};

// ---------------------------------------------------------------------------------------------------
// The diffraction MTF of a perfect lens

TEST(Mtf, DiffractionMtfOfAPerfectLensIsThatOfACircularPupil) {
    // f 100 mm, D 10 mm: the cutoff at the d line is D / (lambda f) = 170.2 lines/mm. The axis runs to
    // 250 lines/mm, past the cutoff, where the MTF must be 0.
    EvaluationSetup setup(PerfectLens(100, 10));
    setup.OnlyLine("d");
    MtfSettings settings = Diffraction(256, 128);
    settings.maxFrequency = 250;
    const MtfResult result = ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(result.valid) << result.status;
    ASSERT_EQ(result.points.size(), 1u);
    const MtfPoint& point = result.points.front();
    const double cutoff = 10 / (kDLine * 100);
    EXPECT_TRUE(Near(point.wavelengths[0].cutoff, cutoff, 1e-3));
    ASSERT_EQ(result.axis.size(), 101u);
    for (int j = 0; j <= 100; ++j) {
        const double nu = 2.5 * j;
        EXPECT_TRUE(Near(result.axis[j], nu, 1e-12));
        for (int d = 0; d < 2; ++d)
            EXPECT_TRUE(Near(point.modulus[d][j], CircularPupilMtf(nu, cutoff), 0, 0.01)) << nu << " " << d;
    }
    EXPECT_TRUE(Near(point.modulus[0][0], 1, 1e-6));
    EXPECT_EQ(point.modulus[0][100], 0.0);
}

TEST(Mtf, WeightedMtfIsNormalisedByTheWeightsOfTheCalculatedWavelengths) {
    // Seven lines r ... h, each with its own cutoff D / (lambda f); weights that add up to neither 1 nor
    // the same sum over the calculated lines as over the list.
    EvaluationSetup setup(PerfectLens(100, 10));
    const WavelengthList& list = setup.lens.Wavelengths();
    for (const std::vector<double>& weights : std::vector<std::vector<double>>{
             {9, 9, 0, 2, 3, 0.5, 1, 4, 0.25, 1.5, 9}, std::vector<double>(11, 0.0)}) {
        MtfSettings settings = Diffraction(256, 128);
        settings.weights = weights;
        const MtfResult result = ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(result.valid) << result.status;
        const MtfPoint& point = result.points.front();
        ASSERT_EQ(point.wavelengths.size(), 7u);
        double sum = 0;
        for (int w = 0; w < list.Count(); ++w)
            if (list.At(w).calculate) sum += weights[w];
        for (int j = 0; j <= 100; ++j) {
            double expected = 0;
            for (int w = 0; w < list.Count(); ++w) {
                if (!list.At(w).calculate) continue;
                const double g = sum > 0 ? weights[w] / sum : 1.0 / 7;
                expected += g * CircularPupilMtf(result.axis[j], 10 / (list.At(w).nanometres * 1e-6 * 100));
            }
            EXPECT_TRUE(Near(point.modulus[0][j], expected, 0, 0.01)) << result.axis[j];
            EXPECT_TRUE(Near(point.modulus[1][j], expected, 0, 0.01)) << result.axis[j];
        }
        EXPECT_TRUE(Near(point.modulus[0][0], 1, 1e-6));
        // The weights are kept as they were given.
        for (const OtfWavelength& w : point.wavelengths) EXPECT_EQ(w.weight, weights[w.listPosition]);
    }
}

TEST(Mtf, StrehlRatioOfAPerfectLensIsOneWhateverTheWeights) {
    EvaluationSetup setup(PerfectLens(100, 10));
    for (const std::vector<double>& weights :
         std::vector<std::vector<double>>{{},
                                          std::vector<double>(11, 0.3),
                                          std::vector<double>(11, 0.0),
                                          {0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0}}) {
        MtfSettings settings;
        settings.strehl = true;
        settings.weights = weights;
        const MtfResult result = ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(result.valid) << result.status;
        EXPECT_TRUE(Near(result.points.front().strehl, 1, 1e-9));
        EXPECT_TRUE(result.points.front().modulus[0].empty()); // no MTF in this mode
    }
}

TEST(Mtf, StrehlRatioOfADefocusedLensIsTheWeightedMarechalEstimate) {
    // A defocus dz on a perfect F/10 lens: W = W20 rho^2 with W20 = dz / (8 F^2) (to the order that
    // matters here), whose RMS over the disc is W20 / sqrt(12); S = exp(-(2 pi RMS)^2) per wavelength.
    EvaluationSetup setup(PerfectLens(100, 10));
    const double dz = 0.05, w20 = dz / 800;
    MtfSettings settings;
    settings.strehl = true;
    settings.defocus = dz;
    settings.spotSteps = 30;
    settings.weights = {0, 0, 0, 1, 2, 3, 1, 0.5, 2, 1, 0};
    const MtfResult result = ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(result.valid);
    double sum = 0, weighted = 0;
    for (const OtfWavelength& w : result.points.front().wavelengths) {
        const double rms = w20 / std::sqrt(12.0) / (w.nanometres * 1e-6);
        EXPECT_TRUE(Near(w.rms, rms, 0.03)) << w.name;
        sum += settings.weights[w.listPosition];
        weighted += settings.weights[w.listPosition] * std::exp(-std::pow(2 * M_PI * rms, 2));
    }
    EXPECT_EQ(result.points.front().wavelengths.size(), 7u);
    EXPECT_TRUE(Near(result.points.front().strehl, weighted / sum, 0.005));
    EXPECT_LT(result.points.front().strehl, 0.97);
}

// ---------------------------------------------------------------------------------------------------
// The geometrical MTF

TEST(Mtf, GeometricalMtfOfAOnePointSpotIsOne) {
    // A perfect lens at its focus gathers every ray of the spot grid in one point.
    EvaluationSetup setup(PerfectLens(100, 10));
    for (const double maxFrequency : {200.0, 75.0, 1000.0}) {
        MtfSettings settings = Geometric();
        settings.maxFrequency = maxFrequency;
        const MtfResult result = ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(result.valid) << result.status;
        for (int d = 0; d < 2; ++d)
            for (int j = 0; j <= 100; ++j)
                EXPECT_TRUE(Near(result.points.front().modulus[d][j], 1, 1e-6)) << maxFrequency << " " << j;
    }
}

TEST(Mtf, OtfRealPartOscillatesForADisplacedSpotWhileTheMtfDoesNot) {
    // The field angle puts the perfect lens's point at y' = f tan(theta) = 5 um: the OTF is then
    // exp(-2 pi i nu y'), whose real part runs through cos(2 pi nu y'), once down and up over 200
    // lines/mm; its modulus stays 1. Across (sagittal) the point is not displaced.
    const double y = 0.005;
    EvaluationSetup setup(PerfectLens(100, 10));
    setup.OnlyLine("d");
    MtfSettings settings = Geometric();
    settings.fieldAngle = std::atan(y / 100) * 180 / M_PI;
    const MtfResult result = ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(result.valid);
    const MtfPoint& point = result.points.front();
    double lowest = 1;
    for (int j = 0; j <= 100; ++j) {
        const double nu = result.axis[j];
        EXPECT_TRUE(Near(point.real[0][j], std::cos(2 * M_PI * nu * y), 0, 1e-5)) << nu;
        EXPECT_TRUE(Near(point.modulus[0][j], 1, 1e-6)) << nu;
        EXPECT_TRUE(Near(point.real[1][j], 1, 1e-6)) << nu;
        lowest = std::min(lowest, point.real[0][j]);
    }
    EXPECT_LT(lowest, -0.99);
}

TEST(Mtf, GeometricalOtfSamplesHoldEveryPointOfTheAxis) {
    // The table's frequencies contain every sample j F / 100 (so the real part is the sum itself there)
    // in steps of at most 2 lines/mm.
    for (const double maxFrequency : {200.0, 60.0, 300.0, 1234.0}) {
        const auto table = GeometricOtfFrequencies(maxFrequency);
        EXPECT_EQ(table.front(), 0.0);
        EXPECT_TRUE(Near(table.back(), maxFrequency, 1e-12));
        EXPECT_LE(table[1], 2.0 + 1e-12);
        const auto axis = MtfFrequencyAxis(maxFrequency);
        for (const double nu : axis)
            EXPECT_TRUE(
                std::any_of(table.begin(), table.end(), [nu](double f) { return std::fabs(f - nu) < 1e-9; }))
                << maxFrequency << " " << nu;
    }
    EXPECT_EQ(GeometricOtfFrequencies(200).size(), 101u); // the spot diagram's 0, 2, ... 200
}

// ---------------------------------------------------------------------------------------------------
// Resampling and weights

TEST(Mtf, ResamplingFollowsTheTableAndEndsAtItsLastFrequency) {
    // An OTF (1 - x) + 0.2 i x, x = nu / 300, tabulated every 10 lines/mm up to 300 (a natural spline
    // reproduces the straight real part), read at 4 lines/mm steps up to 400.
    std::vector<double> table;
    std::vector<std::complex<double>> otf;
    for (int k = 0; k <= 30; ++k) {
        table.push_back(10.0 * k);
        otf.emplace_back(1 - k / 30.0, 0.2 * k / 30.0);
    }
    const auto axis = MtfFrequencyAxis(400);
    const auto modulus = ResampleOtf(table, otf, axis, OtfPart::Modulus);
    const auto real = ResampleOtf(table, otf, axis, OtfPart::Real);
    for (int j = 0; j <= 100; ++j) {
        const double nu = axis[j];
        if (nu <= 300) {
            EXPECT_TRUE(Near(real[j], 1 - nu / 300, 0, 1e-6)) << nu;
            EXPECT_TRUE(Near(modulus[j], std::hypot(1 - nu / 300, 0.2 * nu / 300), 0, 1e-3)) << nu;
        } else {
            EXPECT_EQ(real[j], 0.0) << nu;
            EXPECT_EQ(modulus[j], 0.0) << nu;
        }
    }
    // A modulus above 1 (a table that was not normalised) is kept at 1, a real part within -1 ... 1.
    const auto high = ResampleOtf({0, 100}, {1.5, -1.5}, {0, 100}, OtfPart::Modulus);
    EXPECT_EQ(high, (std::vector<double>{1, 1}));
    EXPECT_EQ(ResampleOtf({0, 100}, {1.5, -1.5}, {0, 100}, OtfPart::Real), (std::vector<double>{1, -1}));
    // A table that cannot be used gives zeros, not a failure.
    EXPECT_EQ(ResampleOtf({0, 1}, {1.0}, axis, OtfPart::Modulus), std::vector<double>(101, 0.0));
}

TEST(Mtf, AddedWavelengthsTakeTheWeightBetweenTheLinesBesideThem) {
    Lens lens;
    ASSERT_TRUE(lens.Wavelengths().Insert("532nm"));
    ASSERT_TRUE(lens.Wavelengths().Insert("1200nm"));
    const WavelengthList& list = lens.Wavelengths();
    std::array<double, 11> lines{};
    for (int k = 0; k < 11; ++k) lines[k] = 0.1 * (k + 1);
    const auto weights = SpectralWeightsOfList(list, lines);
    ASSERT_EQ(weights.size(), 13u);
    // e (546.1 nm) is the seventh line, F (486.1 nm) the eighth.
    const double expected = 0.7 + (0.8 - 0.7) * (546.1 - 532) / (546.1 - 486.1);
    EXPECT_TRUE(Near(weights[list.Find("532nm")], expected, 1e-12));
    EXPECT_TRUE(Near(weights[list.Find("1200nm")], 0.1, 1e-12)); // beyond t: t's weight
    EXPECT_TRUE(Near(weights[list.Find("d")], 0.6, 1e-12));
    // The defaults are the table of the MTF window.
    const auto defaults = SpectralWeightsOfList(WavelengthList(), kDefaultLineWeights);
    EXPECT_EQ(defaults, (std::vector<double>{0, 0, 0.1, 0.4, 0.7, 0.95, 0.98, 1.0, 0.7, 0.2, 0}));
}

TEST(Mtf, ListedFrequenciesRoundUpToTheNextSample) {
    struct Case {
        double frequency, maxFrequency;
        int sample;
    };
    for (const Case& c : {Case{10, 200, 5}, Case{10.5, 200, 6}, Case{0, 200, 1}, Case{2, 200, 1},
                          Case{3, 200, 2}, Case{250, 200, 100}, Case{200, 200, 100}, Case{30, 150, 20}})
        EXPECT_EQ(SampleOfFrequency(c.frequency, c.maxFrequency), c.sample)
            << c.frequency << " " << c.maxFrequency;
}

// ---------------------------------------------------------------------------------------------------
// Sweeps

TEST(Mtf, SweepsLeaveTheTracerAsTheyFoundIt) {
    EvaluationSetup setup(PerfectLens(100, 10));
    TraceContext& context = setup.tracer.Context();
    for (const OtfSource source : {OtfSource::Geometric, OtfSource::Diffraction}) {
        for (const bool strehl : {false, true}) {
            setup.tracer.AllocateBundle(5, 3);
            context.fieldAngle = 3.5;
            context.defocus = 0.02;
            context.mode = TraceMode::Transverse;
            context.slot = 2;
            MtfSettings settings = source == OtfSource::Geometric ? Geometric(8) : Diffraction(64, 16);
            settings.strehl = strehl;
            const MtfResult angles =
                ComputeMtfAngleSweep(setup.tracer, setup.lens, settings, {0, 5, 10}, setup.host);
            ASSERT_TRUE(angles.valid);
            ASSERT_EQ(angles.points.size(), 3u);
            EXPECT_EQ(angles.points[2].fieldAngle, 10.0);
            const MtfResult focus =
                ComputeMtfFocusSweep(setup.tracer, setup.lens, settings, {-0.02, 0.01, 5}, setup.host);
            ASSERT_TRUE(focus.valid);
            ASSERT_EQ(focus.points.size(), 5u);
            EXPECT_TRUE(Near(focus.points[4].defocus, 0.02, 1e-12));
            ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
            EXPECT_EQ(context.fieldAngle, 3.5);
            EXPECT_EQ(context.defocus, 0.02);
            EXPECT_EQ(context.mode, TraceMode::Transverse);
            EXPECT_LT(context.slot, setup.tracer.Bundle().SlotCount());
        }
    }
    // A stopped sweep too.
    context.fieldAngle = -2;
    StoppingHost host(3);
    const MtfResult stopped = ComputeMtfAngleSweep(setup.tracer, setup.lens, Geometric(), {0, 5}, host);
    EXPECT_FALSE(stopped.valid);
    EXPECT_EQ(stopped.status, "The calculation was stopped.");
    EXPECT_EQ(context.fieldAngle, -2.0);
}

TEST(Mtf, SweepPointsAreTheSingleCalculationsAtTheirAngleAndFocus) {
    Lens lens;
    ASSERT_TRUE(ReadLensFile(lens, test::SourcePath("data/Lens/cooke-triplet.ldt")).Ok());
    EvaluationSetup setup(std::move(lens));
    for (const MtfSettings& base : {Geometric(10), Diffraction(128, 32)}) {
        const std::vector<double> angles = {14, 0, 7};
        const MtfResult sweep = ComputeMtfAngleSweep(setup.tracer, setup.lens, base, angles, setup.host);
        ASSERT_TRUE(sweep.valid);
        for (std::size_t k = 0; k < angles.size(); ++k) {
            MtfSettings single = base;
            single.fieldAngle = angles[k];
            const MtfResult one = ComputeMtf(setup.tracer, setup.lens, single, setup.host);
            for (int d = 0; d < 2; ++d) EXPECT_EQ(sweep.points[k].modulus[d], one.points[0].modulus[d]) << k;
        }
        // The focus sweep traces once and meets the rays on each image plane: the same as a new trace.
        MtfSettings off = base;
        off.fieldAngle = 7;
        const MtfResult focus =
            ComputeMtfFocusSweep(setup.tracer, setup.lens, off, {-0.1, 0.05, 4}, setup.host);
        ASSERT_TRUE(focus.valid);
        for (int i = 0; i < 4; ++i) {
            MtfSettings single = off;
            single.defocus = -0.1 + 0.05 * i;
            const MtfResult one = ComputeMtf(setup.tracer, setup.lens, single, setup.host);
            for (int d = 0; d < 2; ++d)
                for (int j = 0; j <= 100; ++j)
                    EXPECT_TRUE(Near(focus.points[i].modulus[d][j], one.points[0].modulus[d][j], 0, 1e-9))
                        << i;
        }
    }
}

TEST(Mtf, SettingsThatCannotBeCalculatedAreRefused) {
    EvaluationSetup setup(PerfectLens(100, 10));
    MtfSettings odd = Diffraction(128, 31);
    MtfSettings small = Diffraction(100, 32);
    MtfSettings none = Geometric();
    none.maxFrequency = 0;
    for (const MtfSettings& settings : {odd, small, none}) {
        const MtfResult result = ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
        EXPECT_FALSE(result.valid);
        EXPECT_FALSE(result.status.empty());
    }
    EXPECT_FALSE(ComputeMtfAngleSweep(setup.tracer, setup.lens, Geometric(), {}, setup.host).valid);
    EXPECT_FALSE(ComputeMtfFocusSweep(setup.tracer, setup.lens, Geometric(), {0, 0.01, 0}, setup.host).valid);
}

// ---------------------------------------------------------------------------------------------------
// Save

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()); // every line ends in CR LF
    return lines;
}

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream stream(line);
    for (std::string cell; std::getline(stream, cell, '\t');) cells.push_back(cell);
    if (!line.empty() && line.back() == '\t') cells.emplace_back();
    return cells;
}

MtfPoint LinearPoint(double angle, double defocus, double slope) {
    MtfPoint point;
    point.fieldAngle = angle;
    point.defocus = defocus;
    point.lit = true;
    for (int d = 0; d < 2; ++d)
        for (int j = 0; j <= 100; ++j) point.modulus[d].push_back(1 - slope * (d + 1) * j / 100);
    return point;
}

TEST(Mtf, SaveWritesTheHeaderAndOneHundredRows) {
    MtfResult result;
    result.valid = true;
    result.settings.maxFrequency = 150;
    result.points = {LinearPoint(5, 0, 0.5), LinearPoint(-2.5, 0.01, 0.25)};
    struct Case {
        MtfSweepKind kind;
        std::string header;
    };
    for (const Case& c :
         {Case{MtfSweepKind::Angle,
               "line/mm\tMTF(Mer)5.00\xDF\tMTF(Sag)5.00\xDF\tMTF(Mer)-2.50\xDF\tMTF(Sag)-2.50\xDF"},
          Case{MtfSweepKind::Focus, "line/mm\tMTF(Mer)0.00\tMTF(Sag)0.00\tMTF(Mer)0.01\tMTF(Sag)0.01"},
          Case{MtfSweepKind::Frequency, "line/mm\tMTF(Mer)\tMTF(Sag)\tMTF(Mer)\tMTF(Sag)"}}) {
        result.kind = c.kind;
        const auto lines = Lines(MtfSaveText(result));
        ASSERT_EQ(lines.size(), 101u);
        EXPECT_EQ(lines[0], c.header);
        EXPECT_EQ(lines[1], "1.5\t0.995\t0.99\t0.9975\t0.995");
        EXPECT_EQ(lines[2], "3\t0.99\t0.98\t0.995\t0.99");
        EXPECT_EQ(lines[100], "150\t0.5\t0\t0.75\t0.5");
        for (std::size_t r = 1; r < lines.size(); ++r) EXPECT_EQ(Cells(lines[r]).size(), 5u) << r;
    }
    // A point without light writes empty cells, never a made-up number.
    result.points[1] = MtfPoint{};
    const auto lines = Lines(MtfSaveText(result));
    EXPECT_EQ(lines[1], "1.5\t0.995\t0.99\t\t");
    EXPECT_EQ(lines.size(), 101u);
}

TEST(Mtf, SaveOfACalculationHasOneHundredRowsWhateverTheTable) {
    EvaluationSetup setup(PerfectLens(100, 10));
    for (const MtfSettings& settings : {Geometric(), Diffraction(128, 16)}) {
        const MtfResult result = ComputeMtf(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(result.valid);
        const auto lines = Lines(MtfSaveText(result));
        EXPECT_EQ(lines.size(), 101u);
        EXPECT_EQ(Cells(lines[100]).front(), "200");
    }
}

} // namespace
} // namespace vitrimo
