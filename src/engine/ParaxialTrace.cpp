#include "engine/ParaxialTrace.h"

#include "model/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

// The power of face i: (n_i - n_(i-1)) c_i; an ideal lens has n_i / f whatever the media.
long double Power(const SurfaceArrays& arrays, int i) {
    const Surface& s = arrays.surfaces[i];
    if (s.type == SurfaceType::IdealLens) return static_cast<long double>(s.curvature) * s.indexD;
    return (static_cast<long double>(s.indexD) - arrays.surfaces[i - 1].indexD) * s.curvature;
}

bool Finite(long double x) {
    return std::isfinite(static_cast<double>(x));
}

// Whether the last reduced angle is zero within the rounding of the sum that produced it: the sum of
// the magnitudes of the face contributions h phi. A Kepler telescope leaves ~1e-18 instead of 0.
bool LeavesParallel(const std::vector<double>& alpha, const std::vector<double>& height,
                    const std::vector<double>& power) {
    long double contributions = std::fabs(alpha.front());
    for (std::size_t i = 1; i < alpha.size(); ++i) contributions += std::fabs(height[i - 1] * power[i]);
    return std::fabs(alpha.back()) <= 1e-12L * contributions;
}

} // namespace

void ParaxialTrace::TraceMarginal(const SurfaceArrays& arrays, long double alpha0, long double height0) {
    const int n = surfaceCount_;
    alpha_.assign(n + 1, 0.0);
    height_.assign(n + 1, 0.0);
    reduced_.assign(n + 1, 0.0);
    power_.assign(n + 1, 0.0);
    long double alpha = alpha0, height = height0;
    alpha_[0] = static_cast<double>(alpha);
    height_[0] = static_cast<double>(height);
    reduced_[0] = arrays.surfaces[0].distance / arrays.surfaces[0].indexD;
    for (int i = 1; i <= n; ++i) {
        const long double phi = Power(arrays, i);
        const long double e =
            static_cast<long double>(arrays.surfaces[i].distance) / arrays.surfaces[i].indexD;
        alpha += height * phi;
        height -= e * alpha;
        power_[i] = static_cast<double>(phi);
        reduced_[i] = static_cast<double>(e);
        alpha_[i] = static_cast<double>(alpha);
        height_[i] = static_cast<double>(height);
    }
}

void ParaxialTrace::Run(const Lens& lens) {
    Run(lens, lens.Arrays());
}

void ParaxialTrace::Run(const Lens& lens, const SurfaceArrays& arrays) {
    surfaceCount_ = std::max(0, std::min(lens.SurfaceCount(), arrays.Count() - 1));
    const int n = surfaceCount_;
    traced_ = false;
    imageValid_ = false;
    afocal_ = false;
    rawFocalLength_ = 0;
    inverseStartAngle_ = 0;
    focalLength_ = 0;
    backFocalDistance_ = 0;
    refocus_.reset();
    imageOnLastFace_ = false;
    alpha_.assign(n + 1, 0.0);
    height_.assign(n + 1, 0.0);
    reduced_.assign(n + 1, 0.0);
    power_.assign(n + 1, 0.0);
    if (arrays.Count() == 0 || n < 1) return;
    for (int i = 0; i <= n; ++i)
        if (arrays.surfaces[i].indexD == 0 || !std::isfinite(arrays.surfaces[i].indexD))
            return; // a face without an index cannot be traced
    traced_ = true;

    const Surface& last = arrays.surfaces[n];
    const double imageIndex = last.indexD;
    const double imageSign = imageIndex < 0 ? -1.0 : 1.0;
    // The back focal distance is measured along the light: n_n h_(n-1) / alpha_n in the image medium.
    const auto backDistance = [&]() -> long double {
        return n >= 1 ? std::fabs(imageIndex) * static_cast<long double>(height_[n - 1]) / alpha_[n] : 0.0L;
    };
    const auto refocus = [&](long double bfd) {
        refocus_ = static_cast<double>(imageSign * bfd);
        imageOnLastFace_ = false;
    };

    // Object at infinity.
    TraceMarginal(arrays, 0.0L, 1.0L);
    afocal_ = LeavesParallel(alpha_, height_, power_);
    const long double f = afocal_ ? 0.0L : 1.0L / alpha_[n];
    const long double bfd = afocal_ ? 0.0L : backDistance();
    afocal_ = afocal_ || !Finite(f) || !Finite(bfd);
    if (!afocal_) {
        rawFocalLength_ = static_cast<double>(f);
        focalLength_ = static_cast<double>(f);
        backFocalDistance_ = static_cast<double>(bfd);
        if (last.distance == 0 || lens.DataModified()) refocus(bfd);
        imageValid_ = true;
        if (f < 0) {
            if (bfd >= 0) {
                focalLength_ = static_cast<double>(-f);
            } else {
                imageValid_ = false;
                imageOnLastFace_ = true;
            }
        }
    }

    // Object at a limited distance: the image distance replaces the back focal distance.
    const bool objectInAir = lens.Text(col::GlassName, 1) == "Air";
    if (objectInAir || lens.DataRowCount() <= 2) return;
    const long double pupil = EntrancePupilDistance(arrays, StopSurfaceIndex(arrays, n));
    if (pupil == 0 || !Finite(pupil)) {
        imageValid_ = false;
        return;
    }
    const long double alpha0 = -1.0L / pupil;
    TraceMarginal(arrays, alpha0, arrays.surfaces[0].distance / pupil);
    inverseStartAngle_ = static_cast<double>(1.0L / alpha0);
    const bool imageAtInfinity = LeavesParallel(alpha_, height_, power_);
    const long double imageDistance = imageAtInfinity ? 0.0L : backDistance();
    if (imageAtInfinity || !Finite(imageDistance)) {
        imageValid_ = false;
        return;
    }
    backFocalDistance_ = static_cast<double>(imageDistance);
    refocus(imageDistance);
    imageValid_ = !(inverseStartAngle_ < 0 && imageDistance < 0);
    if (!imageValid_) imageOnLastFace_ = true;
}

std::optional<ParaxialTrace::Pupil> ParaxialTrace::ExitPupil(const SurfaceArrays& arrays,
                                                             int stopSurface) const {
    const int n = surfaceCount_;
    if (!traced_ || stopSurface < 1 || stopSurface > n || arrays.Count() <= n) return std::nullopt;
    // The ray leaves the centre of the stop with reduced angle 1; the stop's own face does not bend it.
    long double alpha = 1, height = 0, contributions = 1;
    for (int i = stopSurface + 1; i <= n; ++i) {
        height -= reduced_[i - 1] * alpha;
        alpha += height * power_[i];
        contributions += std::fabs(height * power_[i]);
    }
    // Parallel to the axis within the rounding of the sum: the pupil lies at infinity.
    if (std::fabs(alpha) <= 1e-12L * contributions) return std::nullopt;
    // Where the ray crosses the axis after the last face, as a reduced distance, then in the medium.
    const long double reduced = height / alpha;
    const long double marginal = height_[n - 1] - reduced * alpha_[n];
    const double distance = static_cast<double>(std::fabs(arrays.surfaces[n].indexD) * reduced);
    const double magnification = static_cast<double>(std::fabs(marginal));
    if (!std::isfinite(distance) || !std::isfinite(magnification)) return std::nullopt;
    return Pupil{distance, magnification};
}

void ParaxialTrace::ApplyTo(Lens& lens) const {
    lens.SetParaxialResults(focalLength_, backFocalDistance_);
    if (refocus_) lens.RefocusLastDistance(*refocus_);
    if (imageOnLastFace_) lens.PlaceImageOnLastFace();
}

double ParaxialTrace::EntrancePupilDistance(const Lens& lens, int stopSurface) {
    return EntrancePupilDistance(lens.Arrays(), stopSurface);
}

double ParaxialTrace::EntrancePupilDistance(const SurfaceArrays& arrays, int stopSurface) {
    if (arrays.Count() == 0) return 0;
    const double objectDistance = arrays.surfaces[0].distance;
    if (stopSurface < 1 || stopSurface >= arrays.Count()) return objectDistance > 0 ? objectDistance : 0;
    // Trace backwards from the centre of the stop towards the object.
    long double alpha = -1, height = 0;
    for (int i = stopSurface - 1; i >= 1; --i) {
        height -= static_cast<long double>(arrays.surfaces[i].distance) / arrays.surfaces[i].indexD * alpha;
        alpha += height * Power(arrays, i);
    }
    if (objectDistance > 0) height -= objectDistance * alpha;
    return static_cast<double>(-height / alpha);
}

} // namespace vitrimo
