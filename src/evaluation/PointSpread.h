// The point spread function (PSF): the diffraction image of a point, computed by Fourier transform of the
// pupil function sampled on the PSF grid, per calculated wavelength; its Strehl ratio, profiles, 16-bit
// image planes and the diffraction optical transfer function along both axes.
//
// The pupil function of wavelength w is A exp(2 pi i W) on the cells whose ray passes, W the OPD in waves
// of w against the reference point of the reference wavelength's chief ray (so lateral colour shows as a
// displaced image, and the constant path difference between wavelengths has no effect), A = 1, or the
// square root of the transmission where the lens has a screen. Its transform with the sign
// exp(-2 pi i ...) puts image point (y, z) = (j1, j2) times the pixel size at element (j1, j2) (wrapped),
// so the picture is the right way up: a ray aberration towards +y moves the image towards +y.
//
// Pixel size Delta = lambda F_w / 1.1 x N / M for FFT size M and pupil division N (F_w the working
// F-number). The diffraction-limited reference of a wavelength is the same pupil without aberration:
// its peak P0 = (number of passing cells)^2 lies at the reference point and its energy is E0 = M^2 times
// the number of passing cells (Parseval); the Strehl ratio is I(reference point) / P0.
#pragma once

#include "engine/RayTracer.h"
#include "evaluation/Fft.h"
#include "evaluation/PupilGrid.h"
#include "evaluation/ScreenMap.h"
#include "evaluation/SpectralWeights.h"
#include "evaluation/TracedRays.h"
#include "model/Host.h"
#include "model/Lens.h"
#include "model/WavelengthList.h"

#include <complex>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

// How the 16-bit image planes map intensity: as it is, its square root ("Linear <-> Root") or its natural
// logarithm, values up to 1 giving 0 ("Linear <-> Log").
enum class BrightnessScale { Linear, Root, Log };

// The 16-bit levels of `count` complex values (interleaved) on `scale`: round(T(I) / top x 65535) within
// 0 ... 65535, I = re^2 + im^2, T the scale's map and top = T(P0) > 0; halves round up, a NaN gives 0.
void ImageLevels(const double* values, std::uint16_t* levels, int count, double top, BrightnessScale scale);

// Neighbouring pupil cells whose OPDs differ by more than this (waves) alias: the rays through them land
// beyond the half-width of the computed image, which then folds back into it.
inline constexpr double kLargestSampledStep = 0.5;

// The sizes the FFT size dialog allows: M = 2^m, m = 6 ... 13.
inline constexpr int kMinFftSize = 64;
inline constexpr int kMaxFftSize = 8192;
bool ValidFftSize(int fftSize);
// The pupil division the dialog keeps: an odd number goes up to the next even one, at most M / 2, at
// least 2.
int NormalisedPupilDivision(int division, int fftSize);
// The memory a calculation of FFT size M needs by the dialog's rule, M^2 x 24 bytes.
double FftMemoryBytes(int fftSize);

struct PsfSettings {
    double fieldAngle = 0;  // degrees
    double defocus = 0;     // mm from the last distance
    int fftSize = 256;      // M
    int pupilDivision = 32; // N, even, at most M / 2
    // The plot half-width (mm): the stored images cover it for every wavelength (M >= 512), and the
    // intensity line spans it.
    double halfWidth = 0.05;
    BrightnessScale brightness = BrightnessScale::Root;
    bool images = true; // the image planes and profiles
    bool otf = false;   // the diffraction OTF along both axes
    // Spectral weight per wavelength list position; empty: DefaultSpectralWeights of the lens's list.
    std::vector<double> weights;
    // A screen face of the lens with its map, if it has one.
    std::optional<ScreenFace> screen;
    Fft::Planning planning = Fft::Planning::Measure;
    // Threads for the wavelengths' transforms; 0: the tracer's count (ComputePsf), DefaultThreadCount()
    // (EvaluatePsf). The result does not depend on it.
    int threads = 0;
};

// The optical transfer function along one axis from the PSF: the Fourier transform (sign -1) of the
// line spread function, normalised to 1 at frequency 0; element k at k / (M Delta) lines/mm.
struct DiffractionOtf {
    std::vector<double> frequencies;              // lines/mm, N values
    std::vector<std::complex<double>> meridional; // frequency along y
    std::vector<std::complex<double>> sagittal;   // frequency along z
};

struct PsfWavelength {
    int traced = 0; // index into the traced rays' wavelengths
    std::string name;
    double nanometres = 0;
    Colour colour = 0;
    double weight = 0;          // spectral weight as the settings give it
    double pixelSize = 0;       // mm
    int passing = 0;            // pupil cells with light
    double peakReference = 0;   // P0
    double energyReference = 0; // E0
    double strehl = 0;          // I(reference point) / P0; 0 without light
    double largestOpdStep = 0;  // waves between neighbouring pupil cells
    // K x K, row k at y = (k - K/2) Delta, column k at z = (k - K/2) Delta: round(T(I) / T(P0) x 65535),
    // T the brightness scale.
    std::vector<std::uint16_t> image;
    std::vector<double> rowProfile;    // K values along z through the reference point, I / P0
    std::vector<double> columnProfile; // K values along y through the reference point, I / P0
    DiffractionOtf otf;
};

// What the PSF needs from the trace, kept so that another defocus is a new transform, not a new trace.
struct PsfTrace {
    std::shared_ptr<const TracedRays> rays;
    PsfGrid grid;
    std::vector<std::vector<double>> amplitude; // [traced wavelength][ray]; empty without a screen
    double sizingNanometres = 0;                // the last wavelength of the list: it sizes the stored images
    std::vector<double> defaultWeights;         // DefaultSpectralWeights of the lens's list
};

struct PsfResult {
    bool valid = false;
    std::string status;
    std::shared_ptr<const PsfTrace> trace;
    PsfSettings settings;
    int imageSize = 0;                      // K
    std::vector<PsfWavelength> wavelengths; // the calculated wavelengths, in list order
    double referencePixelSize = 0;          // mm, at the reference wavelength
    // Some wavelength's pupil function changes by more than kLargestSampledStep between neighbouring
    // cells: the image is aliased and a larger pupil division (and FFT size) is needed.
    bool undersampled = false;
    // Sum of weight x Strehl ratio over the wavelengths with light, divided by the sum of their weights
    // (equal weights when those sum to 0): a perfect lens reads 1 whatever the weights.
    double strehl = 0;
};

// Traces the PSF grid (the tracer bound to `lens`, its entrance pupil found) and computes the PSF.
// host.KeepGoing() is asked before each surface, each block of an FFT and each wavelength; after each
// wavelength host.ReportProgress() hears the percentage of the wavelengths done.
PsfResult ComputePsf(RayTracer& tracer, const Lens& lens, const PsfSettings& settings, Host& host);

// The PSF of traced rays with other settings (defocus, brightness scale, what to compute); the FFT size
// and pupil division must be those of the trace.
PsfResult EvaluatePsf(std::shared_ptr<const PsfTrace> trace, const PsfSettings& settings, Host& host);

// The intensity line: the profiles of every wavelength, relative to its diffraction-limited peak,
// resampled onto one axis of at most 512 samples across the plot half-width, weighted and summed (and
// divided by the sum of the weights). `peak` is the value at the reference point.
struct IntensityLine {
    std::vector<double> positions; // mm from the reference point
    std::vector<double> row;       // along z
    std::vector<double> column;    // along y
    double peak = 0;
};
IntensityLine MakeIntensityLine(const PsfResult& psf, double halfWidth);

// The picture of the tab: every wavelength's plane in its colour, scaled by its own pixel size, added
// channel by channel with saturation. `pixels` x `pixels` colours (0x00BBGGRR) covering +-halfWidth
// about the reference point, row 0 at the top (+y), column 0 at the left (-z). Brightness divisor B
// (1 by default): a level u shows as u / B, or as 1.5 u / B - 32767.5 for the logarithmic scale.
std::vector<Colour> MixPsfColours(const PsfResult& psf, int pixels, double halfWidth, double brightness = 1);

} // namespace vitrimo
