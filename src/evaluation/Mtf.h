// The modulation transfer function (MTF) of the lens, meridional and sagittal, against spatial frequency,
// field angle and focus position, and the Strehl ratio against the same; what the MTF window shows and
// saves and what vitrimo-cli mtf prints.
//
// Two sources of the optical transfer function (OTF) per calculated wavelength:
//  - geometrical: the OTF of the spot diagram's points (all unvignetted rays of the spot grid), taken
//    where they lie on the image surface, so its phase is kept: a spot off the axis shows as an
//    oscillating real part;
//  - diffraction: the transform of the line spread functions of the point spread function. The PSF of M
//    samples of pitch Delta has the frequency step 1 / (M Delta) = 1.1 / (lambda F N) lines/mm for pupil
//    division N, so a perfect lens's OTF falls to zero at the incoherent cutoff 1 / (lambda F), F the
//    working F-number (D / (lambda f) for an object at infinity).
//
// Each wavelength's OTF table is resampled with a natural cubic spline onto the frequency axis
// j F_max / 100, j = 0 ... 100, F_max the maximum spatial frequency (lines/mm). The spectrally weighted
// MTF there is sum_w g_w MTF_w / sum_w g_w over the calculated wavelengths that have light, so it is 1
// at frequency 0 whatever the weights (equal weights when those weights add up to 0). The weights are
// given per position of the lens's wavelength list, as they are stored.
//
// In the Strehl-ratio mode each wavelength's RMS wavefront error sigma_w (waves, over the spot grid) gives
// S_w = exp(-(2 pi sigma_w)^2) and the weighted sum_w g_w S_w / sum_w g_w.
//
// Defocus values are the shift of the image plane from the lens's last distance (mm), as the tracer's
// context holds it. Every calculation leaves the tracer's context (field angle, defocus, mode, slot) as
// it found it, so the window that traced last can carry on; the rays in the bundle are this calculation's.
#pragma once

#include "engine/RayTracer.h"
#include "evaluation/Fft.h"
#include "evaluation/SpectralWeights.h"
#include "model/Colour.h"
#include "model/Host.h"
#include "model/Lens.h"
#include "model/WavelengthList.h"

#include <array>
#include <complex>
#include <string>
#include <vector>

namespace vitrimo {

enum class OtfSource { Geometric, Diffraction };
// What a curve shows: "MTF" is |OTF|; "OTF'" is Re OTF = MTF cos(PTF), the phase transfer kept.
enum class OtfPart { Modulus, Real };
// The three tabs: one field angle and focus against frequency, or a sweep over angles or focus positions.
enum class MtfSweepKind { Frequency, Angle, Focus };

inline constexpr int kMtfIntervals = 100;           // the frequency axis has kMtfIntervals + 1 samples
inline constexpr double kDefaultMaxFrequency = 200; // lines/mm
inline constexpr int kMtfDirections = 2;            // 0 meridional (frequency along y), 1 sagittal (along z)

// The settings keys of the eleven lines' weights, in list order t ... i (defaults: kDefaultLineWeights).
inline constexpr std::array<const char*, WavelengthList::kLineCount> kSpectralWeightKeys = {
    "ntFactor", "nsFactor", "nAFactor", "nrFactor", "nCFactor", "ndFactor",
    "neFactor", "nFFactor", "ngFactor", "nhFactor", "niFactor"};

struct MtfSettings {
    OtfSource source = OtfSource::Diffraction;
    bool strehl = false;    // the Strehl-ratio mode: the RMS wavefront error instead of the OTF
    double fieldAngle = 0;  // degrees
    double defocus = 0;     // mm from the last distance
    int spotSteps = 15;     // geometrical source and Strehl mode: spot grid steps per pupil radius
    int fftSize = 256;      // diffraction source: FFT size M
    int pupilDivision = 32; // diffraction source: pupil division N, even, at most M / 2
    double maxFrequency = kDefaultMaxFrequency; // F_max, lines/mm
    std::vector<double> weights;                // per wavelength list position; empty: the default weights
    Fft::Planning planning = Fft::Planning::Measure;
};

// One calculated wavelength at one sweep point.
struct OtfWavelength {
    int listPosition = 0;
    std::string name;
    double nanometres = 0;
    Colour colour = 0;
    double weight = 0; // the spectral weight as given
    int samples = 0;   // spot points or lit pupil cells; 0: no light at this wavelength
    double cutoff = 0; // the incoherent cutoff 1 / (lambda F), lines/mm
    // The OTF table: frequencies (lines/mm, ascending from 0) and the OTF there, normalised to 1 at 0.
    // Only the frequency tab keeps it; a sweep keeps the values on the frequency axis below.
    std::vector<double> frequencies;
    std::vector<std::complex<double>> meridional;
    std::vector<std::complex<double>> sagittal;
    // The table resampled onto the frequency axis (kMtfIntervals + 1 values), [direction].
    std::array<std::vector<double>, 2> modulus;
    std::array<std::vector<double>, 2> real;
    // Strehl mode: the RMS wavefront error (waves) and its Strehl estimate.
    double rms = 0;
    double strehl = 0;

    const std::vector<std::complex<double>>& Direction(int direction) const {
        return direction == 0 ? meridional : sagittal;
    }
};

// One point of a sweep: a field angle and a focus position.
struct MtfPoint {
    double fieldAngle = 0; // degrees
    double defocus = 0;    // mm from the last distance
    bool lit = false;      // some calculated wavelength has light here
    std::vector<OtfWavelength> wavelengths;
    // The weighted values on the frequency axis (kMtfIntervals + 1 each), [direction]; empty when not lit
    // or in the Strehl mode.
    std::array<std::vector<double>, kMtfDirections> modulus;
    std::array<std::vector<double>, kMtfDirections> real;
    double strehl = 0; // Strehl mode: the weighted Strehl ratio

    const std::vector<double>& Values(int direction, OtfPart part) const {
        return part == OtfPart::Modulus ? modulus[direction] : real[direction];
    }
};

struct MtfResult {
    bool valid = false;
    std::string status; // why the result is not valid: no light, stopped, a trace error
    MtfSweepKind kind = MtfSweepKind::Frequency;
    MtfSettings settings;
    std::vector<double> axis;     // j F_max / 100, j = 0 ... 100
    std::vector<MtfPoint> points; // one for the frequency tab; the angles or focus positions in order
    // The diffraction source: some wavelength's wavefront changes by more than half a wave between
    // neighbouring pupil cells; a larger pupil division is needed.
    bool undersampled = false;
    double paraxialDefocus = 0; // the defocus at which the image plane is the paraxial image
};

// The frequency axis j F_max / 100, j = 0 ... 100.
std::vector<double> MtfFrequencyAxis(double maxFrequency);

// The frequencies at which the geometrical OTF is sampled: steps of 2 lines/mm (those of the spot
// diagram's OTF), finer when F_max is below 200, and at least up to F_max.
std::vector<double> GeometricOtfFrequencies(double maxFrequency);

// One wavelength's OTF table resampled onto `axis` with a natural cubic spline: |OTF| for the modulus
// (kept within 0 ... 1), Re OTF for the real part (within -1 ... 1). Beyond the table's last frequency
// the value is 0 (the diffraction table runs past the cutoff).
std::vector<double> ResampleOtf(const std::vector<double>& frequencies,
                                const std::vector<std::complex<double>>& otf, const std::vector<double>& axis,
                                OtfPart part);

// Resamples a wavelength's OTF table onto the axis (its modulus and real arrays).
void ResampleWavelength(OtfWavelength& wavelength, const std::vector<double>& axis);

// The weighted values of a point from its wavelengths' values on the axis and their weights (sets lit,
// modulus, real and strehl). New weights are applied this way without tracing again.
void WeighPoint(MtfPoint& point, const std::vector<double>& axis, bool strehl);

// The frequency tab (or, in the Strehl mode, the Strehl tab): one point at the settings' field angle and
// defocus. Traces through `tracer`, bound to `lens` with its entrance pupil found.
MtfResult ComputeMtf(RayTracer& tracer, const Lens& lens, const MtfSettings& settings, Host& host);

// The angle sweep: one point per field angle (degrees), at the settings' defocus.
MtfResult ComputeMtfAngleSweep(RayTracer& tracer, const Lens& lens, const MtfSettings& settings,
                               const std::vector<double>& angles, Host& host);

// The focus sweep: `count` points at the defocus start + i interval (mm from the last distance), at the
// settings' field angle. The rays are traced once and met on each moved image plane.
struct FocusSweep {
    double start = 0;
    double interval = 0.01;
    int count = 1;
};
MtfResult ComputeMtfFocusSweep(RayTracer& tracer, const Lens& lens, const MtfSettings& settings,
                               const FocusSweep& focus, Host& host);

// The sample of the frequency axis that stands for a listed frequency: the smallest j in 1 ... 100 with
// j F_max / 100 >= the frequency (100 beyond F_max).
int SampleOfFrequency(double frequency, double maxFrequency);

// The text "Save" writes: tab-separated, CR LF line ends. The header "line/mm", then per point
// "MTF(Mer)" and "MTF(Sag)" with the point's label (the angle with two decimals and the degree mark, the
// single byte 0xDF, on the angle tab; the focus position with two decimals on the focus tab; nothing on
// the frequency tab); then 100 rows r = 1 ... 100: the frequency r F_max / 100 and per point the weighted
// meridional and sagittal MTF, in general format with up to 7 significant digits (empty cells for a
// point without light).
std::string MtfSaveText(const MtfResult& result);

} // namespace vitrimo
