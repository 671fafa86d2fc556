// Wavefront aberration: the optical path difference (OPD) of traced rays against a reference sphere, in
// waves, along the two sections of the pupil (the line) and over the whole pupil (the map), with the
// peak-to-valley (L-V) and RMS values and the Strehl ratio estimated from the RMS.
//
// The reference point R is where the chief ray (ray 0) of the evaluated wavelength meets the image
// surface at the given defocus, moved across by the reference shift (mm). The path of a ray to R is
//     E(ray) = |Q - R| + P,
// Q the ray's point after the last surface and P its path relative to the chief ray, image space taken
// as index 1. The OPD is W = (E(ray) - E(chief)) / lambda: the aberration against the sphere about R
// through the chief ray's point; positive W is a longer path than the chief ray's. Both figures evaluate
// the reference wavelength.
#pragma once

#include "engine/RayTracer.h"
#include "evaluation/PupilGrid.h"
#include "evaluation/TracedRays.h"
#include "model/Colour.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

struct WavefrontReference {
    double defocus = 0; // mm from the last distance
    double shiftY = 0;  // the reference point moved across, mm
    double shiftZ = 0;
};

// The reference point of traced wavelength w; nullopt when its chief ray cannot reach the image surface.
std::optional<Point3> ReferencePoint(const TracedRays& rays, int w, const WavefrontReference& reference);

// E(ray) = |Q - R| + P of ray r of traced wavelength w, mm.
double PathToPoint(const TracedRays& rays, int r, int w, const Point3& point);

// The L-V and RMS of a set of OPD samples (waves).
struct OpdSpread {
    bool valid = false; // false without samples of positive weight
    double peakToValley = 0;
    double rms = 0;
    int samples = 0;
};

// L-V = largest minus smallest value; RMS = the smallest root-mean-square about a constant, found by a
// parabolic search from the middle of the range (steps stop once moving the constant by the current
// step changes the RMS by less than 0.005 waves, or the step falls below L-V / 1000). `weights` may be
// empty (all 1); samples of weight 0 do not count.
OpdSpread SpreadOf(const std::vector<double>& values, const std::vector<double>& weights = {});

// The Marechal estimate of the Strehl ratio from the RMS OPD in waves: exp(-(2 pi rms)^2).
double StrehlEstimate(double rms);

struct WavefrontSettings {
    double fieldAngle = 0; // degrees
    double defocus = 0;    // mm from the last distance
    double shiftY = 0;     // reference shift, mm
    double shiftZ = 0;
    int steps = 15; // the map: spot grid steps (window default 15); the line: fan steps (default 30)
};

// The map over the pupil: the spot grid's rays.
struct WavefrontMap {
    bool valid = false;
    std::string status;
    std::shared_ptr<const TracedRays> rays;
    SpotGrid grid;
    WavefrontReference reference;
    std::string wavelengthName;
    double nanometres = 0;
    std::vector<std::optional<double>> opd; // per grid point (ray number - 1), waves; nullopt: no ray
    double peakToValley = 0;                // waves
    double rms = 0;                         // waves
    double strehl = 0;                      // exp(-(2 pi rms)^2)
    int samples = 0;                        // the rays with an OPD
};

WavefrontMap ComputeWavefrontMap(RayTracer& tracer, const Lens& lens, const WavefrontSettings& settings,
                                 Host& host);
// The map of the same rays against another reference point, without tracing again. `wavelength` picks
// another traced wavelength than the reference one (measured against its own chief ray), as the Strehl
// ratio per wavelength needs; -1 is the reference wavelength.
WavefrontMap EvaluateWavefrontMap(std::shared_ptr<const TracedRays> rays, const SpotGrid& grid,
                                  const WavefrontReference& reference, int wavelength = -1);

// The line: the transverse fans of the aberration curves. Point j = 0 ... 2S of a fan lies at the pupil
// coordinate (j / S - 1) times the pupil radius, meridional fan along y, sagittal fan along z.
struct WavefrontLine {
    bool valid = false;
    std::string status;
    std::shared_ptr<const TracedRays> rays;
    int steps = 0;
    double pupilRadius = 0; // mm
    WavefrontReference reference;
    std::string wavelengthName;
    double nanometres = 0;
    std::vector<std::optional<double>> meridional; // 2S + 1 values, waves
    std::vector<std::optional<double>> sagittal;   // 2S + 1 values, waves
    bool sagittalShown = false;                    // off axis only: on axis both fans are the same
    // L-V and RMS of the upper meridional half, each radius weighted by the points of its square ring
    // on a (2S + 1)^2 grid (1 at the centre, 8 r at radius r): the pupil taken as rotationally symmetric.
    double peakToValley = 0;
    double rms = 0;
    double strehl = 0;
    int samples = 0;
};

WavefrontLine ComputeWavefrontLine(RayTracer& tracer, const Lens& lens, const WavefrontSettings& settings,
                                   Host& host);
WavefrontLine EvaluateWavefrontLine(std::shared_ptr<const TracedRays> rays, int steps,
                                    const WavefrontReference& reference);

// The shade of a wavefront-map cell for v = W / scale: grey (136 in each channel) at 0, blended towards
// white (255) for v > 0 and towards black for v < 0 in proportion to |v|; beyond the scale (|v| > 1) full
// white or full black.
Colour WavefrontShade(double v);

} // namespace vitrimo
