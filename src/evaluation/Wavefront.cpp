#include "evaluation/Wavefront.h"

#include "engine/AberrationCurves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vitrimo {
namespace {

// The parabolic search ends when moving the constant by the current step changes the RMS by less than
// this (waves), or after this many rounds (it converges in a few dozen).
constexpr double kSearchTolerance = 0.005;
constexpr int kSearchRounds = 10000;

// The pupil margin of the transverse fans: their rays stop just inside the rim (as the curves do).
double FanRadius(const TracedRays& rays, bool objectAtInfinity) {
    return (rays.entrancePupilDiameter - (objectAtInfinity ? 0.001 : 0.0001)) / 2;
}

// W of ray r (waves) against R, with E of the chief ray e0; nullopt for a ray that does not pass.
std::optional<double> Opd(const TracedRays& rays, int r, int w, const Point3& R, double e0) {
    const TracedWavelength& wavelength = rays.wavelengths[w];
    if (!wavelength.Passes(r) || wavelength.nanometres <= 0) return std::nullopt;
    const double value = (PathToPoint(rays, r, w, R) - e0) / wavelength.Millimetres();
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

} // namespace

std::optional<Point3> ReferencePoint(const TracedRays& rays, int w, const WavefrontReference& reference) {
    auto point = rays.Intercept(0, w, reference.defocus);
    if (!point) return std::nullopt;
    (*point)[1] += reference.shiftY;
    (*point)[2] += reference.shiftZ;
    return point;
}

double PathToPoint(const TracedRays& rays, int r, int w, const Point3& point) {
    const TracedWavelength& wavelength = rays.wavelengths[w];
    const RayRecord& q = wavelength.rays[r];
    const long double dx = q.x - point[0], dy = q.y - point[1], dz = q.z - point[2];
    return static_cast<double>(std::sqrt(dx * dx + dy * dy + dz * dz) + wavelength.path[r]);
}

OpdSpread SpreadOf(const std::vector<double>& values, const std::vector<double>& weights) {
    OpdSpread spread;
    const auto weightOf = [&](std::size_t k) { return weights.empty() ? 1.0 : weights[k]; };
    long double total = 0;
    double high = 0, low = 0;
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (!(weightOf(k) > 0)) continue;
        if (spread.samples == 0 || values[k] > high) high = values[k];
        if (spread.samples == 0 || values[k] < low) low = values[k];
        total += weightOf(k);
        ++spread.samples;
    }
    if (spread.samples == 0) return spread; // nothing to measure: no value, never a division by zero
    spread.valid = true;
    spread.peakToValley = high - low;

    const auto rmsAbout = [&](double c) {
        long double sum = 0;
        for (std::size_t k = 0; k < values.size(); ++k) {
            const double weight = weightOf(k);
            if (!(weight > 0)) continue;
            const long double d = values[k] - c;
            sum += weight * d * d;
        }
        return static_cast<double>(std::sqrt(sum / total));
    };

    const double lv = spread.peakToValley;
    double c = (high + low) / 2, h = lv;
    double f0 = rmsAbout(c);
    for (int round = 0; round < kSearchRounds && h > 0; ++round) {
        f0 = rmsAbout(c);
        const double fPlus = rmsAbout(c + h), fMinus = rmsAbout(c - h);
        if (fPlus - f0 < kSearchTolerance && fMinus - f0 < kSearchTolerance) break;
        const double q = fMinus - 2 * f0 + fPlus;
        if (q > 0)
            c += h * (fMinus - fPlus) / (2 * q);
        else
            c += fMinus >= fPlus ? 1.5 * h : -1.5 * h;
        if (fPlus - f0 > 0 && fMinus - f0 > 0) h /= 2;
        if (h < lv / 1000 || f0 > 1000) break;
    }
    spread.rms = f0;
    return spread;
}

Colour WavefrontShade(double v) {
    constexpr double kGrey = 136;
    const double t = std::isfinite(v) ? std::clamp(v, -1.0, 1.0) : 0.0;
    const double level = t >= 0 ? kGrey + (255 - kGrey) * t : kGrey * (1 + t);
    const unsigned channel = static_cast<unsigned>(std::lround(level));
    return RgbColour(channel, channel, channel);
}

double StrehlEstimate(double rms) {
    const double phase = 2 * std::numbers::pi * rms;
    return std::exp(-phase * phase);
}

// ---------------------------------------------------------------------------------------------------
// The map

WavefrontMap ComputeWavefrontMap(RayTracer& tracer, const Lens& lens, const WavefrontSettings& settings,
                                 Host& host) {
    WavefrontMap result;
    if (settings.steps < 1) {
        result.status = "The number of steps must be at least 1.";
        return result;
    }
    TraceContext& context = tracer.Context();
    context.fieldAngle = settings.fieldAngle;
    context.defocus = settings.defocus;
    const SpotGrid grid = MakeSpotGrid(context.entrancePupilDiameter, settings.steps);
    context.mode = TraceMode::WavefrontFace;
    auto rays = TracePupilPoints(tracer, lens, grid.coordinates, host, result.status);
    if (!rays) return result;
    return EvaluateWavefrontMap(std::move(rays), grid, {settings.defocus, settings.shiftY, settings.shiftZ});
}

WavefrontMap EvaluateWavefrontMap(std::shared_ptr<const TracedRays> rays, const SpotGrid& grid,
                                  const WavefrontReference& reference, int wavelength) {
    WavefrontMap result;
    result.rays = rays;
    result.grid = grid;
    result.reference = reference;
    result.status = kNoPointText;
    if (!rays || rays->wavelengths.empty() || wavelength >= rays->WavelengthCount()) return result;
    const int w = wavelength < 0 ? rays->reference : wavelength;
    result.wavelengthName = rays->wavelengths[w].name;
    result.nanometres = rays->wavelengths[w].nanometres;
    const auto R = ReferencePoint(*rays, w, reference);
    result.opd.assign(grid.PointCount(), std::nullopt);
    if (!R) return result;
    const double e0 = PathToPoint(*rays, 0, w, *R);
    std::vector<double> values;
    for (int k = 0; k < grid.PointCount() && k + 1 <= rays->lastPupilRay; ++k) {
        result.opd[k] = Opd(*rays, k + 1, w, *R, e0);
        if (result.opd[k]) values.push_back(*result.opd[k]);
    }
    const OpdSpread spread = SpreadOf(values);
    if (!spread.valid) return result;
    result.valid = true;
    result.status.clear();
    result.peakToValley = spread.peakToValley;
    result.rms = spread.rms;
    result.strehl = StrehlEstimate(spread.rms);
    result.samples = spread.samples;
    return result;
}

// ---------------------------------------------------------------------------------------------------
// The line

WavefrontLine ComputeWavefrontLine(RayTracer& tracer, const Lens& lens, const WavefrontSettings& settings,
                                   Host& host) {
    WavefrontLine result;
    if (settings.steps < 1) {
        result.status = "The number of steps must be at least 1.";
        return result;
    }
    TraceContext& context = tracer.Context();
    CurveSettings fans;
    fans.steps = settings.steps;
    fans.fieldAngle = settings.fieldAngle;
    tracer.AllocateBundle(CurveRayCount(CurveKind::Transverse, settings.steps, context.idealLensPresent));
    StartCurveRays(tracer, CurveKind::Transverse, fans);
    context.mode = TraceMode::WavefrontLine;
    context.defocus = settings.defocus;
    const TraceOutcome outcome = tracer.TraceAll(host);
    if (!outcome.completed) {
        result.status = outcome.error.empty() ? kStoppedText : outcome.error;
        return result;
    }
    auto rays = std::make_shared<TracedRays>(CaptureRays(tracer, lens));
    const int s = settings.steps;
    const double radius = FanRadius(*rays, context.firstSurface == 1);
    rays->pupil.assign(rays->RayCount(), {0, 0});
    for (int j = 0; j <= 2 * s; ++j) {
        const double coordinate = radius * (static_cast<double>(j) / s - 1);
        rays->pupil[1 + j] = {coordinate, 0};
        rays->pupil[2 * s + 2 + j] = {0, coordinate};
    }
    return EvaluateWavefrontLine(std::move(rays), s, {settings.defocus, settings.shiftY, settings.shiftZ});
}

WavefrontLine EvaluateWavefrontLine(std::shared_ptr<const TracedRays> rays, int steps,
                                    const WavefrontReference& reference) {
    WavefrontLine result;
    result.rays = rays;
    result.steps = steps;
    result.reference = reference;
    result.status = kNoPointText;
    const int s = steps;
    if (!rays || rays->wavelengths.empty() || s < 1 || rays->RayCount() < 4 * s + 3) return result;
    const int w = rays->reference;
    result.wavelengthName = rays->wavelengths[w].name;
    result.nanometres = rays->wavelengths[w].nanometres;
    result.pupilRadius = std::fabs(rays->pupil[1][0]);
    result.sagittalShown = rays->fieldAngle != 0;
    result.meridional.assign(2 * s + 1, std::nullopt);
    result.sagittal.assign(2 * s + 1, std::nullopt);
    const auto R = ReferencePoint(*rays, w, reference);
    if (!R) return result;
    const double e0 = PathToPoint(*rays, 0, w, *R);
    for (int j = 0; j <= 2 * s; ++j) {
        result.meridional[j] = Opd(*rays, 1 + j, w, *R, e0);
        result.sagittal[j] = Opd(*rays, 2 * s + 2 + j, w, *R, e0);
    }
    // The upper meridional half, r = 0 ... S, each radius standing for its square ring of the grid.
    std::vector<double> values, weights;
    for (int r = 0; r <= s; ++r) {
        const auto& value = result.meridional[s + r];
        values.push_back(value.value_or(0));
        weights.push_back(value ? (r == 0 ? 1.0 : 8.0 * r) : 0.0);
    }
    const OpdSpread spread = SpreadOf(values, weights);
    if (!spread.valid) return result;
    result.valid = true;
    result.status.clear();
    result.peakToValley = spread.peakToValley;
    result.rms = spread.rms;
    result.strehl = StrehlEstimate(spread.rms);
    result.samples = spread.samples;
    return result;
}

} // namespace vitrimo
