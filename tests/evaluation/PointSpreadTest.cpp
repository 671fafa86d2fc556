#include "evaluation/PointSpread.h"

#include "evaluation/EvaluationSetup.h"
#include "evaluation/SpotDiagram.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <random>

namespace vitrimo {
namespace {

using test::EvaluationSetup;
using test::kDLine;
using test::MakeLens;
using test::Near;
using test::PerfectLens;

PsfSettings Settings(int fftSize, int division) {
    PsfSettings settings;
    settings.fftSize = fftSize;
    settings.pupilDivision = division;
    settings.planning = Fft::Planning::Estimate;
    return settings;
}

// The first dark ring of a profile: its first local minimum outwards from the centre, in mm.
double FirstMinimum(const std::vector<double>& profile, double pixel) {
    const int k = static_cast<int>(profile.size());
    for (int i = k / 2 + 1; i + 1 < k; ++i)
        if (profile[i] <= profile[i - 1] && profile[i] <= profile[i + 1]) return (i - k / 2) * pixel;
    return 0;
}

TEST(PointSpread, ImageLevelsRoundHalvesUpAndClampNaNToBlack) {
    struct Case {
        double re, im;
        BrightnessScale scale;
        int level;
    };
    const double nan = std::nan(""), inf = HUGE_VAL;
    // With top = 65535 the level is T(I) itself.
    const Case cases[] = {
        {1.5, 0.5, BrightnessScale::Linear, 3}, // 2.5 rounds up
        {0.5, 0.5, BrightnessScale::Linear, 1}, // 0.5
        {1.5, 0, BrightnessScale::Linear, 2},   // 2.25
        {0.25, 0, BrightnessScale::Linear, 0},
        {256.5, 0, BrightnessScale::Linear, 65535}, // above the top
        {0.5, 0, BrightnessScale::Root, 1},         // sqrt(0.25) = 0.5
        {2.5, 0, BrightnessScale::Root, 3},
        {0, -2.4375, BrightnessScale::Root, 2},
        {-0.0, 0, BrightnessScale::Root, 0},
        {nan, 0, BrightnessScale::Root, 0},
        {0, nan, BrightnessScale::Linear, 0},
        {inf, 0, BrightnessScale::Root, 65535},
        {1, 0, BrightnessScale::Log, 0}, // log(1) = 0, and up to 1 gives 0
        {std::sqrt(std::exp(2.5)), 0, BrightnessScale::Log, 3},
        {nan, 0, BrightnessScale::Log, 0},
    };
    for (const Case& c : cases) {
        // Alone (the one-value path) and in every position of a run of five.
        for (int position = -1; position < 5; ++position) {
            std::vector<double> values(10, 0.0);
            const int count = position < 0 ? 1 : 5;
            values[2 * std::max(position, 0)] = c.re;
            values[2 * std::max(position, 0) + 1] = c.im;
            std::vector<std::uint16_t> levels(count, 7);
            ImageLevels(values.data(), levels.data(), count, 65535, c.scale);
            EXPECT_EQ(levels[std::max(position, 0)], c.level) << c.re << " + " << c.im << "i at " << position;
        }
    }
    // Random intensities against std::round of the definition, runs of every length up to 9.
    std::mt19937 generator(5);
    std::uniform_real_distribution<double> value(-30, 30);
    for (const BrightnessScale scale : {BrightnessScale::Linear, BrightnessScale::Root, BrightnessScale::Log})
        for (int count = 1; count <= 9; ++count) {
            std::vector<double> values(2 * count);
            for (double& v : values) v = value(generator);
            const double top = scale == BrightnessScale::Linear ? 1800
                               : scale == BrightnessScale::Root ? 42
                                                                : 7.5;
            std::vector<std::uint16_t> levels(count);
            ImageLevels(values.data(), levels.data(), count, top, scale);
            for (int k = 0; k < count; ++k) {
                const double intensity =
                    values[2 * k] * values[2 * k] + values[2 * k + 1] * values[2 * k + 1];
                const double mapped = scale == BrightnessScale::Linear ? intensity
                                      : scale == BrightnessScale::Root
                                          ? std::sqrt(intensity)
                                          : (intensity > 1 ? std::log(intensity) : 0);
                EXPECT_EQ(levels[k], std::lround(std::clamp(mapped / top * 65535, 0.0, 65535.0)));
            }
        }
}

TEST(PointSpread, PerfectLensGivesStrehlOneAndTheAiryRing) {
    for (const double angle : {0.0, 6.0}) {
        EvaluationSetup setup(PerfectLens(100, 10));
        PsfSettings settings = Settings(512, 64);
        settings.fieldAngle = angle;
        const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(psf.valid) << psf.status;
        ASSERT_EQ(psf.wavelengths.size(), 7u); // r C d e F g h
        for (const PsfWavelength& w : psf.wavelengths) {
            EXPECT_TRUE(Near(w.strehl, 1, 1e-9)) << w.name;
            // Dark ring at 1.22 lambda f / D, within one pixel, along both axes.
            const double ring = 1.22 * w.nanometres * 1e-6 * 100 / 10;
            EXPECT_LE(std::fabs(FirstMinimum(w.rowProfile, w.pixelSize) - ring), w.pixelSize) << w.name;
            EXPECT_LE(std::fabs(FirstMinimum(w.columnProfile, w.pixelSize) - ring), w.pixelSize) << w.name;
            EXPECT_EQ(
                w.image[static_cast<std::size_t>(psf.imageSize / 2) * psf.imageSize + psf.imageSize / 2],
                65535);
        }
        EXPECT_TRUE(Near(psf.strehl, 1, 1e-9));
        EXPECT_TRUE(Near(MakeIntensityLine(psf, 0.02).peak, 1, 1e-9)); // "peak=" 1
        EXPECT_TRUE(Near(psf.referencePixelSize, kDLine * 10 / 1.1 * 64 / 512, 1e-6));
    }
}

TEST(PointSpread, ImageDistanceNotFocalLengthScalesANearObjectsImage) {
    // An object 200 mm before a perfect lens of 100 mm is imaged 200 mm behind it, at F/20 for a 10 mm
    // pupil: the ring lies at 1.22 lambda x 20, twice where the focal length alone would put it.
    Lens lens = MakeLens({{"Air", "0", "200", "1", "", "40"}, {"Ideal Lens", "100", "200", "1", "", "10"}});
    lens.SetText(col::GlassName, 1, "Object");
    EvaluationSetup setup(std::move(lens));
    setup.OnlyLine("d");
    const PsfResult psf = ComputePsf(setup.tracer, setup.lens, Settings(512, 64), setup.host);
    ASSERT_TRUE(psf.valid) << psf.status;
    const PsfWavelength& d = psf.wavelengths[0];
    EXPECT_TRUE(Near(d.strehl, 1, 1e-9));
    const double ring = 1.22 * kDLine * 200 / 10;
    EXPECT_LE(std::fabs(FirstMinimum(d.rowProfile, d.pixelSize) - ring), d.pixelSize);
}

TEST(PointSpread, DefocusStrehlMatchesTheDiffractionIntegral) {
    // A quarter wave of defocus on a perfect F/10 lens. The Strehl ratio is |<exp(2 pi i W)>|^2 over
    // the pupil, W the exact OPD of the shifted reference point, integrated here over radius.
    const double f = 100, d = 10, dz = 0.25 * kDLine * 8 * 100;
    const auto opd = [&](double h) {
        return (std::sqrt((f + dz) * (f + dz) + h * h) - std::sqrt(f * f + h * h) - dz) / kDLine;
    };
    std::complex<double> mean = 0;
    const int steps = 20000;
    for (int k = 0; k < steps; ++k) {
        const double rho = (k + 0.5) / steps;
        mean += std::polar(2 * rho / steps, 2 * M_PI * opd(rho * d / 2));
    }
    const double expected = std::norm(mean);
    EXPECT_TRUE(Near(expected, std::pow(std::sin(M_PI / 4) / (M_PI / 4), 2), 0.01)); // sinc^2 of W020

    EvaluationSetup setup(PerfectLens(f, d));
    setup.OnlyLine("d");
    PsfSettings settings = Settings(256, 64);
    settings.defocus = dz;
    const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(psf.valid);
    EXPECT_TRUE(Near(psf.strehl, expected, 0.01));
    // The same rays at another defocus: a new transform, no new trace.
    settings.defocus = 0;
    const PsfResult refocused = EvaluatePsf(psf.trace, settings, setup.host);
    EXPECT_TRUE(Near(refocused.strehl, 1, 1e-9));
}

TEST(PointSpread, CoarsePupilGridsAreFlaggedAsAliased) {
    // Three waves of defocus: the largest step between neighbouring cells lies at the rim.
    const double f = 100, d = 10, dz = 3 * kDLine * 8 * 100;
    const auto opd = [&](double y, double z) {
        const double h2 = y * y + z * z;
        return (std::sqrt((f + dz) * (f + dz) + h2) - std::sqrt(f * f + h2) - dz) / kDLine;
    };
    for (const int n : {8, 16, 64, 128}) {
        EvaluationSetup setup(PerfectLens(f, d));
        setup.OnlyLine("d");
        PsfSettings settings = Settings(std::max(64, 4 * n), n);
        settings.defocus = dz;
        const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(psf.valid);
        const double pitch = 1.1 * setup.tracer.Context().entrancePupilDiameter / n;
        double largest = 0;
        for (int i = -n / 2; i < n / 2; ++i)
            for (int j = -n / 2; j + 1 < n / 2; ++j) {
                const double y = (i + 0.5) * pitch, z = (j + 0.5) * pitch, z2 = z + pitch;
                if (y * y + z * z <= 25 && y * y + z2 * z2 <= 25) // both pass the 10 mm lens
                    largest = std::max(largest, std::fabs(opd(y, z2) - opd(y, z)));
            }
        EXPECT_TRUE(Near(psf.wavelengths[0].largestOpdStep, largest, 1e-4)) << n;
        EXPECT_EQ(psf.undersampled, largest > 0.5) << n;
    }
}

TEST(PointSpread, WeightedStrehlIsNormalisedByTheWeightsOfTheCalculatedWavelengths) {
    EvaluationSetup setup(PerfectLens(100, 10));
    for (const std::vector<double>& weights :
         std::vector<std::vector<double>>{{},
                                          std::vector<double>(11, 0.3),
                                          std::vector<double>(11, 0.0),
                                          {0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0}}) {
        PsfSettings settings = Settings(128, 32);
        settings.weights = weights;
        const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
        ASSERT_TRUE(psf.valid);
        EXPECT_TRUE(Near(psf.strehl, 1, 1e-9)) << weights.size();
        EXPECT_TRUE(Near(MakeIntensityLine(psf, 0.01).peak, 1, 1e-9));
        if (!weights.empty()) {
            EXPECT_EQ(psf.wavelengths[0].weight, weights[psf.wavelengths[0].traced + 3]);
        }
    }
    // An aberrated case: the line's centre is the weighted mean of the wavelengths' Strehl ratios.
    PsfSettings settings = Settings(128, 32);
    settings.defocus = 0.1;
    const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(psf.valid);
    double sum = 0, weights = 0;
    const auto defaults = DefaultSpectralWeights(setup.lens.Wavelengths());
    for (const PsfWavelength& w : psf.wavelengths) {
        sum += defaults[psf.trace->rays->wavelengths[w.traced].listPosition] * w.strehl;
        weights += defaults[psf.trace->rays->wavelengths[w.traced].listPosition];
    }
    EXPECT_TRUE(Near(psf.strehl, sum / weights, 1e-12));
    EXPECT_TRUE(Near(MakeIntensityLine(psf, 0.01).peak, psf.strehl, 1e-12));
    EXPECT_LT(psf.strehl, 0.99);
}

TEST(PointSpread, DiffractionMtfOfAPerfectLensIsThePupilOverlap) {
    EvaluationSetup setup(PerfectLens(100, 10));
    setup.OnlyLine("d");
    PsfSettings settings = Settings(256, 64);
    settings.otf = true;
    const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(psf.valid);
    const DiffractionOtf& otf = psf.wavelengths[0].otf;
    ASSERT_EQ(otf.frequencies.size(), 64u);
    const double cutoff = 10 / (kDLine * 100); // D / (lambda f), lines/mm
    for (std::size_t k = 0; k < otf.frequencies.size(); ++k) {
        const double x = std::min(otf.frequencies[k] / cutoff, 1.0);
        const double mtf = 2 / M_PI * (std::acos(x) - x * std::sqrt(1 - x * x));
        EXPECT_TRUE(Near(std::abs(otf.meridional[k]), mtf, 0, 0.025)) << otf.frequencies[k];
        EXPECT_TRUE(Near(std::abs(otf.sagittal[k]), mtf, 0, 0.025)) << otf.frequencies[k];
    }
    EXPECT_TRUE(Near(otf.meridional[0].real(), 1, 1e-12));
    EXPECT_TRUE(Near(otf.frequencies[1], 1 / (256 * psf.wavelengths[0].pixelSize), 1e-12));
}

TEST(PointSpread, ImageCentroidFollowsTheSpotCentroidTheRightWayUp) {
    // A singlet at 2 degrees: coma moves the spot's centroid off the chief ray; the intensity centroid of
    // the diffraction image lies there too (the centroid of a PSF is the mean wavefront slope), within
    // what the pupil sampling and the singlet's departure from the sine condition allow.
    const auto singlet = [] {
        return MakeLens({{"Air", "0", "0", "1", "Stop Plane", "10"},
                         {"N-BK7", "51.5", "6", "1.5168", "", "40"},
                         {"Air", "-80", "0", "1", "", "40"}});
    };
    EvaluationSetup spotSetup(singlet());
    spotSetup.OnlyLine("d");
    const SpotResult spot = ComputeSpot(spotSetup.tracer, spotSetup.lens, {2, 0, 40}, spotSetup.host);
    ASSERT_TRUE(spot.valid);
    const double offsetY = spot.centroidY - spot.chief[0];

    EvaluationSetup setup(singlet());
    setup.OnlyLine("d");
    PsfSettings settings = Settings(256, 64);
    settings.fieldAngle = 2;
    settings.brightness = BrightnessScale::Linear;
    const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(psf.valid);
    const PsfWavelength& w = psf.wavelengths[0];
    double sum = 0, moment = 0, sideways = 0;
    for (int i = 0; i < psf.imageSize; ++i)
        for (int j = 0; j < psf.imageSize; ++j) {
            const double u = w.image[static_cast<std::size_t>(i) * psf.imageSize + j];
            sum += u;
            moment += u * (i - psf.imageSize / 2) * w.pixelSize;
            sideways += u * (j - psf.imageSize / 2) * w.pixelSize;
        }
    EXPECT_GT(std::fabs(offsetY), 3 * w.pixelSize); // a shift the image can show
    EXPECT_TRUE(Near(moment / sum, offsetY, 0.1)) << "spot " << offsetY << " image " << moment / sum;
    EXPECT_LT(std::fabs(sideways / sum), w.pixelSize);
}

TEST(PointSpread, ScreenTransmissionScalesTheAmplitude) {
    // A screen over the whole pupil: the quadrant y > 0, z > 0 clear, the other three at level 64.
    Lens lens = MakeLens({{"Screen", "0", "0", "1", "", "10"}, {"Ideal Lens", "100", "100", "1", "", "10"}});
    EvaluationSetup setup(std::move(lens));
    setup.OnlyLine("d");
    PsfSettings settings = Settings(128, 32);
    settings.screen = ScreenFace{1, 10, ParseScreenMap("1\t4\n1\t1\n").map};
    const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
    ASSERT_TRUE(psf.valid) << psf.status;
    // The peak is (sum of amplitudes)^2 against the clear pupil's (number of cells)^2. (The rays run
    // 1e-6 mm off the quadrants' edges, which the averaging rectangles feel at the 1e-7 level.)
    const double dim = std::sqrt(64 / 255.0);
    EXPECT_TRUE(Near(psf.strehl, std::pow((1 + 3 * dim) / 4, 2), 1e-6));
}

TEST(PointSpread, NoLightGivesABlackImageAndNoDivision) {
    Lens lens =
        MakeLens({{"Air", "0", "20", "1", "Stop Plane", "10"}, {"Ideal Lens", "100", "100", "1", "", "10"}});
    EvaluationSetup setup(std::move(lens));
    PsfSettings settings = Settings(64, 16);
    settings.fieldAngle = 60;
    const PsfResult psf = ComputePsf(setup.tracer, setup.lens, settings, setup.host);
    EXPECT_FALSE(psf.valid);
    EXPECT_EQ(psf.status, "No point exist!  Maybe the angle is too large.");
    EXPECT_EQ(psf.strehl, 0);
    for (const PsfWavelength& w : psf.wavelengths) {
        EXPECT_EQ(w.passing, 0);
        EXPECT_EQ(w.strehl, 0);
        for (const auto level : w.image) EXPECT_EQ(level, 0);
    }
    for (const Colour c : MixPsfColours(psf, 8, 0.01)) EXPECT_EQ(c, 0u);
    EXPECT_TRUE(MakeIntensityLine(psf, 0.01).positions.empty());
}

// A host that lets `allowed` questions through.
class StoppingHost : public test::ScriptedHost {
public:
    explicit StoppingHost(int allowed) : allowed_(allowed) {}
    bool KeepGoing() override { return ++asked_ <= allowed_; }

private:
    int allowed_, asked_ = 0;
};

TEST(PointSpread, StopEndsTheCalculationWithoutAResult) {
    EvaluationSetup setup(PerfectLens(100, 10));
    const PsfResult traced = ComputePsf(setup.tracer, setup.lens, Settings(128, 32), setup.host);
    ASSERT_TRUE(traced.valid);
    for (const int allowed : {0, 1, 5, 20}) {
        StoppingHost host(allowed);
        const PsfResult stopped = EvaluatePsf(traced.trace, Settings(128, 32), host);
        EXPECT_FALSE(stopped.valid) << allowed;
        EXPECT_EQ(stopped.status, "The calculation was stopped.");
        StoppingHost tracing(allowed);
        EXPECT_FALSE(ComputePsf(setup.tracer, setup.lens, Settings(128, 32), tracing).valid);
    }
}

TEST(PointSpread, ColoursMixWithSaturationAndTheBrightnessDivisor) {
    PsfResult psf;
    psf.valid = true;
    psf.imageSize = 2;
    for (const Colour colour : {RgbColour(255, 0, 0), RgbColour(200, 100, 0)}) {
        PsfWavelength w;
        w.colour = colour;
        w.pixelSize = 1;
        w.image = {65535, 21845, 0, 0}; // row 0 (y = -1): z = -1 and z = 0
        psf.wavelengths.push_back(w);
    }
    // Three picture pixels over +-1.5 mm sit at -1, 0, 1 mm: the bottom row is image row 0 (y = -1), its
    // first two pixels image columns 0 and 1; the top row lies beyond the image.
    const auto full = MixPsfColours(psf, 3, 1.5, 1);
    EXPECT_EQ(full[6], RgbColour(255, 100, 0)); // 255 + 200 saturates, 0 + 100
    EXPECT_EQ(full[7], RgbColour(152, 33, 0));  // 255/3 + 200/3 (rounded each), 100/3
    EXPECT_EQ(full[0], 0u);
    const auto dimmer = MixPsfColours(psf, 3, 1.5, 4);
    EXPECT_EQ(dimmer[6], RgbColour(114, 25, 0)); // 64 + 50, 25
    psf.settings.brightness = BrightnessScale::Log;
    const auto log = MixPsfColours(psf, 3, 1.5, 1); // 1.5 u - 32767.5: full stays full, a third is black
    EXPECT_EQ(log[6], RgbColour(255, 100, 0));
    EXPECT_EQ(log[7], 0u);
}

TEST(PointSpread, SizesAndWeights) {
    for (const int m : {64, 128, 256, 512, 1024, 2048, 4096, 8192}) EXPECT_TRUE(ValidFftSize(m)) << m;
    for (const int m : {0, 32, 100, 16384, -256}) EXPECT_FALSE(ValidFftSize(m)) << m;
    struct Case {
        int n, m, expected;
    };
    for (const Case& c : std::vector<Case>{
             {32, 256, 32}, {33, 256, 34}, {31, 256, 32}, {200, 256, 128}, {1, 64, 2}, {0, 64, 2}})
        EXPECT_EQ(NormalisedPupilDivision(c.n, c.m), c.expected) << c.n;
    EXPECT_EQ(FftMemoryBytes(1024), 1024.0 * 1024 * 24);

    WavelengthList list;
    EXPECT_EQ(DefaultSpectralWeights(list),
              (std::vector<double>{0, 0, 0.1, 0.4, 0.7, 0.95, 0.98, 1.0, 0.7, 0.2, 0}));
    const int added = *list.Insert("532nm"); // between e (546.1 nm, 0.98) and F (486.1 nm, 1.0)
    EXPECT_TRUE(
        Near(DefaultSpectralWeights(list)[added], 0.98 + 0.02 * (546.1 - 532) / (546.1 - 486.1), 1e-12));
    const int beyond = *list.Insert("1200nm");
    EXPECT_EQ(DefaultSpectralWeights(list)[beyond], 0);
}

TEST(PointSpread, MismatchedSizesAreRefused) {
    EvaluationSetup setup(PerfectLens(100, 10));
    EXPECT_FALSE(ComputePsf(setup.tracer, setup.lens, Settings(100, 32), setup.host).valid);
    EXPECT_FALSE(ComputePsf(setup.tracer, setup.lens, Settings(128, 33), setup.host).valid);
    EXPECT_FALSE(ComputePsf(setup.tracer, setup.lens, Settings(128, 66), setup.host).valid);
    const PsfResult psf = ComputePsf(setup.tracer, setup.lens, Settings(128, 32), setup.host);
    ASSERT_TRUE(psf.valid);
    EXPECT_FALSE(EvaluatePsf(psf.trace, Settings(256, 64), setup.host).valid);
}

} // namespace
} // namespace vitrimo
