#include "evaluation/SpotDiagram.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace vitrimo {

std::array<double, 2> SpotCentroid(const std::vector<std::array<double, 2>>& points) {
    if (points.empty()) return {kNoPoint, kNoPoint};
    long double y = 0, z = 0;
    for (const auto& p : points) {
        y += p[0];
        z += p[1];
    }
    const long double n = static_cast<long double>(points.size());
    return {static_cast<double>(y / n), static_cast<double>(z / n)};
}

double RmsRadius(const std::vector<std::array<double, 2>>& points, const std::array<double, 2>& centre) {
    if (points.empty()) return 0;
    long double sum = 0;
    for (const auto& p : points) {
        const long double dy = p[0] - centre[0], dz = p[1] - centre[1];
        sum += dy * dy + dz * dz;
    }
    return static_cast<double>(std::sqrt(sum / static_cast<long double>(points.size())));
}

SpotResult ComputeSpot(RayTracer& tracer, const Lens& lens, const SpotSettings& settings, Host& host) {
    SpotResult result;
    result.defocus = settings.defocus;
    if (settings.steps < 1) {
        result.status = "The number of steps must be at least 1.";
        return result;
    }
    TraceContext& context = tracer.Context();
    const auto fNumber = MeasureWorkingFNumber(tracer, host);
    if (!fNumber) {
        result.status = kStoppedText;
        return result;
    }
    context.fieldAngle = settings.fieldAngle;
    context.defocus = settings.defocus;
    const SpotGrid grid = MakeSpotGrid(context.entrancePupilDiameter, settings.steps);
    context.mode = TraceMode::Spot;
    auto rays = TracePupilPoints(tracer, lens, grid.coordinates, host, result.status);
    if (!rays) return result;
    rays->workingFNumber = *fNumber;
    return EvaluateSpot(std::move(rays), grid, settings.defocus);
}

SpotResult EvaluateSpot(std::shared_ptr<const TracedRays> rays, const SpotGrid& grid, double defocus) {
    SpotResult result;
    result.grid = grid;
    result.defocus = defocus;
    result.rays = rays;
    if (!rays || rays->wavelengths.empty()) {
        result.status = kNoPointText;
        return result;
    }
    result.reference = rays->reference;
    for (int w = 0; w < rays->WavelengthCount(); ++w) {
        SpotWavelength spot;
        for (int r = rays->firstPupilRay; r <= rays->lastPupilRay; ++r) {
            if (!rays->wavelengths[w].Passes(r)) continue;
            const auto point = rays->Intercept(r, w, defocus);
            if (!point || !std::isfinite((*point)[1]) || !std::isfinite((*point)[2])) continue;
            spot.points.push_back({(*point)[1], (*point)[2]});
            spot.rays.push_back(r);
        }
        const auto centroid = SpotCentroid(spot.points);
        spot.centroidY = centroid[0];
        spot.centroidZ = centroid[1];
        spot.rmsRadius = RmsRadius(spot.points, centroid);
        result.wavelengths.push_back(std::move(spot));
    }
    const SpotWavelength& reference = result.Reference();
    result.centroidY = reference.centroidY;
    result.centroidZ = reference.centroidZ;
    result.rmsRadius = reference.rmsRadius;
    if (const auto chief = rays->Intercept(0, rays->reference, defocus))
        result.chief = {(*chief)[1], (*chief)[2]};
    // The constant is 1.22 x 587 nm in mm: the disk does not follow the selected wavelengths.
    result.airyRadius = 0.00071614 * rays->workingFNumber;
    result.valid = reference.Count() > 0;
    if (!result.valid) result.status = kNoPointText;
    return result;
}

std::vector<double> SpotOtfFrequencies(int intervals) {
    std::vector<double> frequencies;
    for (int k = 0; k <= intervals; ++k) frequencies.push_back(2.0 * k);
    return frequencies;
}

namespace {

// Whether the frequencies are f0 + j step (to rounding), with at least two of them.
bool EquallySpaced(const std::vector<double>& frequencies) {
    const std::size_t count = frequencies.size();
    if (count < 2) return false;
    const double first = frequencies.front(), step = (frequencies.back() - first) / (count - 1);
    const double tolerance = 1e-12 * std::max(std::fabs(first), std::fabs(frequencies.back()));
    if (!(std::fabs(step) > tolerance)) return false;
    for (std::size_t j = 0; j < count; ++j)
        if (!(std::fabs(frequencies[j] - (first + j * step)) <= tolerance)) return false;
    return true;
}

// Equally spaced frequencies: exp(i k_j p) is computed from its sine and cosine at every kAnchor-th
// frequency and carried to the next ones by multiplying with exp(i k_step p), an error of a few units in
// the last place at most, for a sine and cosine per kAnchor frequencies instead of one per frequency.
constexpr std::size_t kAnchor = 8;

} // namespace

Otf GeometricalOtf(const std::vector<std::array<double, 2>>& points, const std::vector<double>& frequencies) {
    Otf otf;
    otf.frequencies = frequencies;
    otf.rays = static_cast<int>(points.size());
    const long double n = std::max<long double>(static_cast<long double>(points.size()), 1);
    const std::size_t count = frequencies.size();
    const bool spaced = EquallySpaced(frequencies);
    const double stepK =
        spaced ? 2 * std::numbers::pi * (frequencies.back() - frequencies.front()) / (count - 1) : 0;
    // Per frequency, the sums over the points: in double over blocks of kBlock points (an error of at most
    // kBlock units in the last place of a block's sum), the blocks' sums in long double.
    constexpr std::size_t kBlock = 32;
    std::vector<long double> cosY(count, 0), sinY(count, 0), cosZ(count, 0), sinZ(count, 0);
    std::vector<double> blockSums(4 * count);
    for (std::size_t first = 0; first < points.size(); first += kBlock) {
        std::fill(blockSums.begin(), blockSums.end(), 0.0);
        double* const sums = blockSums.data();
        for (std::size_t point = first; point < std::min(points.size(), first + kBlock); ++point) {
            const auto& p = points[point];
            const std::complex<double> stepY = spaced ? std::polar(1.0, stepK * p[0]) : 0.0;
            const std::complex<double> stepZ = spaced ? std::polar(1.0, stepK * p[1]) : 0.0;
            std::complex<double> y, z;
            for (std::size_t j = 0; j < count; ++j) {
                if (!spaced || j % kAnchor == 0) {
                    const double k = 2 * std::numbers::pi * frequencies[j];
                    y = {std::cos(k * p[0]), std::sin(k * p[0])};
                    z = {std::cos(k * p[1]), std::sin(k * p[1])};
                } else {
                    y *= stepY;
                    z *= stepZ;
                }
                sums[4 * j] += y.real();
                sums[4 * j + 1] += y.imag();
                sums[4 * j + 2] += z.real();
                sums[4 * j + 3] += z.imag();
            }
        }
        for (std::size_t j = 0; j < count; ++j) {
            cosY[j] += sums[4 * j];
            sinY[j] += sums[4 * j + 1];
            cosZ[j] += sums[4 * j + 2];
            sinZ[j] += sums[4 * j + 3];
        }
    }
    for (std::size_t j = 0; j < count; ++j) {
        otf.meridional.emplace_back(static_cast<double>(cosY[j] / n), static_cast<double>(-sinY[j] / n));
        otf.sagittal.emplace_back(static_cast<double>(cosZ[j] / n), static_cast<double>(-sinZ[j] / n));
    }
    return otf;
}

std::vector<Otf> SpotOtf(const SpotResult& spot, const std::vector<double>& frequencies, double halfWidth) {
    std::vector<Otf> otfs;
    for (const SpotWavelength& wavelength : spot.wavelengths) {
        if (halfWidth <= 0 || !spot.valid) {
            otfs.push_back(GeometricalOtf(wavelength.points, frequencies));
            continue;
        }
        std::vector<std::array<double, 2>> inside;
        for (const auto& p : wavelength.points)
            if (std::fabs(p[0] - spot.centroidY) <= halfWidth &&
                std::fabs(p[1] - spot.centroidZ) <= halfWidth)
                inside.push_back(p);
        otfs.push_back(GeometricalOtf(inside, frequencies));
    }
    return otfs;
}

} // namespace vitrimo
