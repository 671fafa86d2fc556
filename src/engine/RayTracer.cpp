#include "engine/RayTracer.h"

#include "engine/Parallel.h"
#include "engine/SphereIntersection.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>

// GCC and Clang on x86-64 can compile one function for processors with FMA and pick it at run time.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VITRIMO_FMA_CLONE 1
#else
#define VITRIMO_FMA_CLONE 0
#endif

namespace vitrimo {
namespace {

using Real = long double; // intermediate precision of the trace

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr int kNewtonCap = 100; // an asphere that needs more steps does not converge
constexpr double kNewtonTolerance = 1e-12;
constexpr int kAimExpansionCap = 4000;
constexpr int kAimBisectionCap = 200;
constexpr double kAimTolerance = 1e-12; // relative to the size of the aimed-at surface
constexpr int kStopCheckRays = 2048;    // rays of a chunk: the share of one thread, between two questions

// One ray's state while a surface is processed.
struct Ray {
    Real x, y, z, L, M, N, path;
};

[[gnu::always_inline]] inline Ray Load(const RayBlock& b, int r) {
    return {b.x[r], b.y[r], b.z[r], b.L[r], b.M[r], b.N[r], b.path[r]};
}

[[gnu::always_inline]] inline void Store(RayBlock& b, int r, const Ray& ray) {
    b.x[r] = static_cast<double>(ray.x);
    b.y[r] = static_cast<double>(ray.y);
    b.z[r] = static_cast<double>(ray.z);
    b.L[r] = static_cast<double>(ray.L);
    b.M[r] = static_cast<double>(ray.M);
    b.N[r] = static_cast<double>(ray.N);
    b.path[r] = static_cast<double>(ray.path);
}

// A ray whose arithmetic produced NaN or infinity (an index of 0, an extreme asphere) is a lost ray.
[[gnu::always_inline]] inline bool Finite(const Ray& ray) {
    return std::isfinite(static_cast<double>(ray.x + ray.y + ray.z + ray.L + ray.M + ray.N + ray.path));
}

// The rim of an aperture passes: a ray aimed exactly at it (the marginal ray of a pupil sized on the
// stop) must not be lost to the last bit of rounding. The margin is relative to the aperture.
constexpr Real kRimMargin = 1e-12;

// What the rays through a spherical or plane face need of the face and the trace, taken once per face.
struct SphereStep {
    double curvature, mu, mu2, pathIndex, sameSide, apertureLimit, obscured, pivot;
    bool obscurationTest, allRays;
    int extraRay; // the ideal lens's extra reference ray, or -1
};

// Rays [begin, end) through a spherical (or plane) face: double precision, written so that nothing large
// cancels. The ray goes first to the foot of the perpendicular from the vertex, f = P + t0 D (each
// component one fused multiply-add), then on by the small remainder delta: with |D| = 1,
//   X^2 + y^2 + z^2 - t0^2 = |f|^2 and X + t0 L = f_x,
// so F = c |f|^2 - 2 f_x is a sum of small terms, and the new point f + delta D is formed from small
// numbers, where X + t L would subtract two lengths of the order of the face distance. The
// extended-precision form (the aspheric faces' start) agrees with it to about 1e-14 mm on the sample
// lenses, and costs three times as long.
[[gnu::always_inline]] inline void SphereRaysBody(const SphereStep& f, RayBlock& block, int begin, int end) {
    const double cd = f.curvature, muD = f.mu, mu2D = f.mu2, pathIndexD = f.pathIndex;
    for (int r = begin; r < end; ++r) {
        if (block.vignetted[r] != 0 && r != 0 && !f.allRays && r != f.extraRay) continue;
        const double L = block.L[r], M = block.M[r], N = block.N[r];
        const double X = block.x[r] - f.pivot, y = block.y[r], z = block.z[r];
        const double t0 = -std::fma(X, L, std::fma(y, M, z * N));
        const double fx = std::fma(t0, L, X), fy = std::fma(t0, M, y), fz = std::fma(t0, N, z);
        const double F = cd * (fx * fx + fy * fy + fz * fz) - 2 * fx;
        const double root = L * L - cd * F;
        if (L == 0 || !(root >= 0)) {
            block.vignetted[r] = 1; // misses the sphere: stays where it is
            block.x[r] = X;
            continue;
        }
        const double q = std::sqrt(root);
        const double delta = F / (L < 0 ? L - q : L + q);
        const double x1 = std::fma(delta, L, fx), y1 = std::fma(delta, M, fy), z1 = std::fma(delta, N, fz);
        const double path = std::fma(pathIndexD, delta, std::fma(pathIndexD, t0, block.path[r]));
        const double nx = 1 - cd * x1, ny = -cd * y1, nz = -cd * z1;
        // Written so that a NaN radius fails the test.
        const double radiusSquared = y1 * y1 + z1 * z1;
        if (r != 0 && !(radiusSquared <= f.apertureLimit)) block.vignetted[r] = 1;
        if (f.obscurationTest && !(radiusSquared >= f.obscured)) block.vignetted[r] = 1;
        const double cosI = L * nx + M * ny + N * nz;
        const double root2 = 1 - mu2D * (1 - cosI * cosI);
        double L1 = L, M1 = M, N1 = N;
        if (root2 < 0) {
            block.vignetted[r] = 1; // total internal reflection: the direction stays the incident one
        } else {
            const double g = (cosI < 0 ? -f.sameSide : f.sameSide) * std::sqrt(root2) - muD * cosI;
            L1 = muD * L + g * nx;
            M1 = muD * M + g * ny;
            N1 = muD * N + g * nz;
        }
        if (!std::isfinite(x1 + y1 + z1 + L1 + M1 + N1 + path)) block.vignetted[r] = 1;
        block.x[r] = x1;
        block.y[r] = y1;
        block.z[r] = z1;
        block.L[r] = L1;
        block.M[r] = M1;
        block.N[r] = N1;
        block.path[r] = path;
    }
}

void SphereRaysPortable(const SphereStep& f, RayBlock& block, int begin, int end) {
    SphereRaysBody(f, block, begin, end);
}

#if VITRIMO_FMA_CLONE
// The same loop where the processor has fused multiply-add instructions: std::fma becomes one instruction
// instead of a library call. A fused multiply-add is exact before its one rounding whether done by the
// instruction or by the library, and this file is compiled without contracting a * b + c into one, so
// both loops give the same bits.
[[gnu::target("fma")]] void SphereRaysFma(const SphereStep& f, RayBlock& block, int begin, int end) {
    SphereRaysBody(f, block, begin, end);
}
#endif

std::atomic<bool> fmaInstructionsAllowed{true};

void SphereRays(const SphereStep& f, RayBlock& block, int begin, int end) {
#if VITRIMO_FMA_CLONE
    static const bool hasFma = __builtin_cpu_supports("fma");
    if (hasFma && fmaInstructionsAllowed.load(std::memory_order_relaxed))
        return SphereRaysFma(f, block, begin, end);
#endif
    SphereRaysPortable(f, block, begin, end);
}

// Rotates the rays for which `processed(r)` holds.
template <class Processed>
void Rotate(RayBlock& block, Processed processed, double phiDegrees, double thetaDegrees, double pivot) {
    const Real cp = std::cos(phiDegrees * kDegree), sp = std::sin(phiDegrees * kDegree);
    const Real ct = std::cos(thetaDegrees * kDegree), st = std::sin(thetaDegrees * kDegree);
    for (int r = 0; r < block.count; ++r) {
        if (!processed(r)) continue;
        const Real y = block.y[r], z = block.z[r], M = block.M[r], N = block.N[r], L = block.L[r];
        const Real y1 = y * cp + z * sp, z1 = -y * sp + z * cp;
        const Real M1 = M * cp + N * sp, N1 = -M * sp + N * cp;
        const Real X = block.x[r] - pivot;
        const Real x2 = X * ct + y1 * st + pivot, y2 = -X * st + y1 * ct;
        const Real L2 = L * ct + M1 * st, M2 = -L * st + M1 * ct;
        block.x[r] = static_cast<double>(x2);
        block.y[r] = static_cast<double>(y2 * cp - z1 * sp);
        block.z[r] = static_cast<double>(y2 * sp + z1 * cp);
        block.L[r] = static_cast<double>(L2);
        block.M[r] = static_cast<double>(M2 * cp - N1 * sp);
        block.N[r] = static_cast<double>(M2 * sp + N1 * cp);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Binding and set-up

void RayTracer::Bind(const Lens& lens, const ParaxialTrace& paraxial) {
    BindArrays(lens, lens.Arrays(), paraxial);
    trialArrays_ = false;
}

void RayTracer::Bind(const Lens& lens, const SurfaceArrays& arrays, const ParaxialTrace& paraxial) {
    BindArrays(lens, arrays, paraxial);
    trialArrays_ = true;
}

void RayTracer::BindArrays(const Lens& lens, const SurfaceArrays& arrays, const ParaxialTrace& paraxial) {
    lens_ = &lens;
    arrays_ = &arrays;
    paraxial_ = &paraxial;
    const int n = std::max(0, std::min(lens.SurfaceCount(), arrays.Count() - 1));
    focalPlaneRow_ = n + 1 < arrays.Count() && arrays.TypeOf(n + 1) == SurfaceType::FocalPlane;
    surfaces_.clear();
    for (int i = 0; i < arrays.Count() && i <= n + (focalPlaneRow_ ? 1 : 0); ++i) {
        const Surface& a = arrays.surfaces[i];
        TraceSurface s;
        s.curvature = a.curvature;
        s.distance = a.distance;
        s.shiftX = a.shiftX;
        s.decenterY = a.decenterY + a.shiftY;
        s.decenterZ = a.decenterZ + a.shiftZ;
        s.tilt = a.tilt + a.tiltDelta;
        s.azimuth = a.azimuth + a.azimuthDelta;
        s.conic = a.conic;
        s.aspheric = a.aspheric;
        s.isAspheric = a.isAspheric;
        s.apertureSquared = a.effectiveDiameter * a.effectiveDiameter / 4;
        s.obscuredSquared = a.hideDiameter * a.hideDiameter / 4;
        s.effectiveDiameter = a.effectiveDiameter;
        s.type = a.type;
        surfaces_.push_back(s);
    }
    if (surfaces_.empty()) surfaces_.push_back(TraceSurface{});
    focalPlaneRow_ = focalPlaneRow_ && static_cast<int>(surfaces_.size()) == n + 2;
    faceCount_ = static_cast<int>(surfaces_.size()) - 1 - (focalPlaneRow_ ? 1 : 0);
    indices_ = arrays.indices;
    listCount_ = arrays.wavelengthCount;
    if (indices_.empty()) {
        indices_.assign(surfaces_.size(), 1.0);
        listCount_ = 1;
    }

    context_.firstSurface = lens.Text(col::GlassName, 1) == "Air" ? 1 : 2;

    // A wavelength for which some traced face has no index (an empty or zero cell) cannot be traced: it
    // is left out, as the wavelength window leaves it out. When that is the reference wavelength, the d
    // line (or else the first wavelength that can be traced) takes its place.
    const WavelengthList& list = lens.Wavelengths();
    untraceable_.clear();
    wavelengthOf_.clear();
    int reference = list.Reference();
    if (!Traceable(reference)) {
        const int d = list.Find("d");
        reference = Traceable(d) ? d : -1;
        for (int j = 0; reference < 0 && j < list.Count(); ++j)
            if (Traceable(j)) reference = j;
    }
    for (int j = 0; j < list.Count(); ++j) {
        if (!list.At(j).calculate && j != list.Reference() && j != reference) continue;
        if (Traceable(j) && (j == reference || list.At(j).calculate))
            wavelengthOf_.push_back(j);
        else if (!Traceable(j))
            untraceable_.push_back(j);
    }
    const auto found = std::find(wavelengthOf_.begin(), wavelengthOf_.end(), reference);
    referenceTraced_ = found == wavelengthOf_.end() ? 0 : static_cast<int>(found - wavelengthOf_.begin());

    context_.idealLensPresent = false;
    for (int i = context_.firstSurface; i <= SurfaceCount(); ++i)
        if (surfaces_[i].type == SurfaceType::IdealLens) context_.idealLensPresent = true;
    context_.stopSurface = StopSurfaceIndex(arrays, faceCount_);
    const double pupil = ParaxialTrace::EntrancePupilDistance(arrays, context_.stopSurface);
    context_.entrancePupilDistance = std::isfinite(pupil) ? pupil : 0;
}

void RayTracer::SetThreads(int threads) {
    threads_ = std::clamp(threads, 1, kMaxThreads);
}

bool RayTracer::Traceable(int listPosition) const {
    if (listPosition < 0 || listPosition >= listCount_) return false;
    for (int i = std::max(context_.firstSurface - 1, 0); i <= faceCount_; ++i) {
        const double index = indices_[static_cast<std::size_t>(i) * listCount_ + listPosition];
        if (index == 0 || !std::isfinite(index)) return false;
    }
    return true;
}

void RayTracer::SetTracedWavelengths(std::vector<int> listPositions) {
    wavelengthOf_ = std::move(listPositions);
    referenceTraced_ = 0;
    if (lens_) {
        const auto reference =
            std::find(wavelengthOf_.begin(), wavelengthOf_.end(), lens_->Wavelengths().Reference());
        if (reference != wavelengthOf_.end())
            referenceTraced_ = static_cast<int>(reference - wavelengthOf_.begin());
    }
}

void RayTracer::AllocateBundle(int rays, int slots) {
    bundle_.Allocate(rays, TracedWavelengthCount(), std::max(slots, 1));
    context_.slot = std::clamp(context_.slot, 0, std::max(slots, 1) - 1);
}

double RayTracer::ChiefHeight(double fieldAngleDegrees) const {
    const double theta = fieldAngleDegrees * kDegree;
    return -context_.entrancePupilDistance * std::sin(theta) / std::cos(theta);
}

RayRecord RayTracer::FanStartRay(double height, double fieldAngleDegrees) const {
    if (context_.firstSurface != 1) return StartRay(height, 0, fieldAngleDegrees);
    const double theta = fieldAngleDegrees * kDegree;
    RayRecord ray;
    ray.y = height;
    ray.L = std::cos(theta);
    ray.M = std::sin(theta);
    return ray;
}

RayRecord RayTracer::StartRay(double yp, double zp, double fieldAngleDegrees) const {
    const double theta = fieldAngleDegrees * kDegree;
    const double yc = ChiefHeight(fieldAngleDegrees);
    RayRecord ray;
    if (context_.firstSurface == 1) {
        ray.y = yc + yp;
        ray.z = zp;
        ray.L = std::cos(theta);
        ray.M = std::sin(theta);
        ray.N = 0;
        return ray;
    }
    const Real P = context_.entrancePupilDistance;
    const Real dy = yp - yc;
    const Real length = std::sqrt(P * P + dy * dy + Real(zp) * zp);
    ray.y = yc;
    ray.L = static_cast<double>(P / length);
    ray.M = static_cast<double>(dy / length);
    ray.N = static_cast<double>(zp / length);
    // A curved object surface: the ray starts where it meets that sphere.
    const Real c = surfaces_.empty() ? 0 : surfaces_[0].curvature;
    Real t = 0;
    if (c != 0 && SphereDistance(c, 0, ray.y, 0, ray.L, ray.M, ray.N, t)) {
        ray.x = static_cast<double>(t * ray.L);
        ray.y = static_cast<double>(ray.y + t * ray.M);
        ray.z = static_cast<double>(t * ray.N);
    }
    return ray;
}

void RayTracer::SetStart(int r, const RayRecord& ray, double path) {
    for (int w = 0; w < bundle_.WavelengthCount(); ++w) {
        RayBlock block = bundle_.Block(w, context_.slot);
        block.Set(r, ray);
        block.path[r] = path;
        block.vignetted[r] = 0;
    }
}

void RayTracer::StartPupilRays(const std::vector<std::array<double, 2>>& points, double shift) {
    const int count = static_cast<int>(points.size());
    AllocateBundle(1 + count + (context_.idealLensPresent ? 1 : 0));
    const double sine = context_.firstSurface == 1 ? std::sin(context_.fieldAngle * kDegree) : 0;
    SetStart(0, StartRay(shift, 0));
    for (int k = 0; k < count; ++k) {
        const auto [y, z] = points[k];
        SetStart(k + 1, StartRay(y + shift, z), sine * y);
    }
    if (context_.idealLensPresent) SetStart(count + 1, StartRay(1.1e-6 + shift, 0), sine * 1.1e-6);
}

// ---------------------------------------------------------------------------------------------------
// One surface

bool RayTracer::Processed(const RayBlock& block, int r) const {
    return block.vignetted[r] == 0 || r == 0 || context_.allRayMode ||
           (context_.idealLensPresent && r == block.count - 1);
}

void RayTracer::RotateBundle(int w, double phiDegrees, double thetaDegrees, double pivot) {
    RayBlock block = bundle_.Block(w, context_.slot);
    Rotate(
        block, [&](int r) { return Processed(block, r); }, phiDegrees, thetaDegrees, pivot);
}

void RayTracer::ShiftAndTilt(int w, const TraceSurface& s, double pivot) {
    RayBlock block = bundle_.Block(w, context_.slot);
    if (s.decenterY != 0 || s.decenterZ != 0) {
        for (int r = 0; r < block.count; ++r) {
            if (!Processed(block, r)) continue;
            block.y[r] -= s.decenterY;
            block.z[r] -= s.decenterZ;
        }
    }
    if (s.tilt != 0) RotateBundle(w, s.azimuth, s.tilt, pivot);
}

void RayTracer::AllowFmaInstructions(bool allowed) {
    fmaInstructionsAllowed = allowed;
}

bool RayTracer::FmaInstructionsInUse() {
#if VITRIMO_FMA_CLONE
    return fmaInstructionsAllowed && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

void RayTracer::IntersectAndRefract(const TraceSurface& s, RayBlock& block, double pivot) {
    const Real c = s.curvature;
    const Real before = context_.indexBefore, after = context_.indexAfter;
    const Real mu = std::fabs(before / after);
    const Real pathIndex = std::fabs(before);
    const Real sameSide = before * after < 0 ? -1 : 1;
    const bool obscurationTest = !context_.allRayMode && s.obscuredSquared > 0;
    const Real k1 = 1 + s.conic;
    const Real A4 = s.aspheric[0], A6 = s.aspheric[1], A8 = s.aspheric[2], A10 = s.aspheric[3],
               A12 = s.aspheric[4], A14 = s.aspheric[5];

    // What the loop needs of the context and the apertures, taken once (the same values Processed and
    // TestApertures compute per ray).
    const Real mu2 = mu * mu;
    const bool allRays = context_.allRayMode;
    const int extraRay = context_.idealLensPresent ? block.count - 1 : -1;
    const Real apertureLimit = s.apertureSquared * (1 + 2 * kRimMargin);
    const Real obscuredSquared = s.obscuredSquared;

    SphereStep step;
    step.curvature = s.curvature;
    step.mu = static_cast<double>(mu);
    step.mu2 = step.mu * step.mu;
    step.pathIndex = static_cast<double>(pathIndex);
    step.sameSide = static_cast<double>(sameSide);
    step.apertureLimit = static_cast<double>(apertureLimit);
    step.obscured = s.obscuredSquared;
    step.pivot = pivot;
    step.obscurationTest = obscurationTest;
    step.allRays = allRays;
    step.extraRay = extraRay;
    const bool spherical = !s.isAspheric && !extendedPrecision_;

    // Rays [begin, end): each ray's arithmetic depends on that ray alone, so how the bundle is split
    // cannot change a bit of the result.
    const auto trace = [&](int begin, int end) {
        if (spherical) {
            SphereRays(step, block, begin, end);
            return;
        }
        for (int r = begin; r < end; ++r) {
            if (block.vignetted[r] != 0 && r != 0 && !allRays && r != extraRay) continue;
            Ray ray = Load(block, r);
            Real X = ray.x - pivot;
            Real t = 0;
            if (!SphereDistance(c, X, ray.y, ray.z, ray.L, ray.M, ray.N, t)) {
                block.vignetted[r] = 1; // misses the sphere: stays where it is
                ray.x = X;
                Store(block, r, ray);
                continue;
            }
            ray.path += pathIndex * t;
            X += t * ray.L;
            ray.y += t * ray.M;
            ray.z += t * ray.N;

            Real nx, ny, nz;
            if (s.isAspheric) {
                // Newton's method on the sag along the ray, from the point on the vertex sphere.
                Real W = 1, E = c;
                bool converged = false;
                for (int step = 0; step < kNewtonCap; ++step) {
                    const Real s2 = ray.y * ray.y + ray.z * ray.z;
                    const Real w2 = 1 - s2 * c * c * k1;
                    if (w2 < 0) break; // no real sag at this height
                    W = std::sqrt(w2);
                    const Real sag =
                        c * s2 / (1 + W) +
                        s2 * s2 * (A4 + s2 * (A6 + s2 * (A8 + s2 * (A10 + s2 * (A12 + s2 * A14)))));
                    E = c +
                        2 * W * s2 *
                            (2 * A4 +
                             s2 * (3 * A6 + s2 * (4 * A8 + s2 * (5 * A10 + s2 * (6 * A12 + s2 * 7 * A14)))));
                    const Real g = ray.L * W - ray.M * ray.y * E - ray.N * ray.z * E;
                    if (g == 0) break;
                    const Real advance = (sag - X) * W / g;
                    ray.path += pathIndex * advance;
                    X += advance * ray.L;
                    ray.y += advance * ray.M;
                    ray.z += advance * ray.N;
                    if (std::fabs(advance * ray.L) <= kNewtonTolerance) {
                        converged = true;
                        break;
                    }
                }
                if (!converged) {
                    block.vignetted[r] = 1;
                    ray.x = X;
                    Store(block, r, ray);
                    continue;
                }
                const Real norm = std::sqrt(W * W + E * E * (ray.y * ray.y + ray.z * ray.z));
                nx = W / norm;
                ny = -ray.y * E / norm;
                nz = -ray.z * E / norm;
            } else {
                nx = 1 - c * X;
                ny = -c * ray.y;
                nz = -c * ray.z;
            }

            // The apertures are tested where the ray meets the real surface (after the Newton steps on a
            // conic or asphere).
            // Written so that a NaN radius fails the test.
            const Real radiusSquared = ray.y * ray.y + ray.z * ray.z;
            if (r != 0 && !(radiusSquared <= apertureLimit)) block.vignetted[r] = 1;
            if (obscurationTest && !(radiusSquared >= obscuredSquared)) block.vignetted[r] = 1;

            const Real cosI = ray.L * nx + ray.M * ny + ray.N * nz;
            const Real root = 1 - mu2 * (1 - cosI * cosI);
            if (root < 0) {
                block.vignetted[r] = 1; // total internal reflection: the direction stays the incident one
            } else {
                const Real sign = cosI < 0 ? -sameSide : sameSide;
                const Real g = sign * std::sqrt(root) - mu * cosI;
                ray.L = mu * ray.L + g * nx;
                ray.M = mu * ray.M + g * ny;
                ray.N = mu * ray.N + g * nz;
            }
            ray.x = X;
            if (!Finite(ray)) block.vignetted[r] = 1;
            Store(block, r, ray);
        }
    };

    // Paths are kept relative to ray 0: ray 0 goes first, and then each chunk subtracts ray 0's path from
    // its rays' while they are in cache (the same bits as a pass over the bundle afterwards).
    if (block.count == 0) return;
    trace(0, 1);
    const double reference = block.path[0];
    const double subtracted = reference != 0 && std::isfinite(reference) ? reference : 0;
    block.path[0] -= subtracted;
    const auto traceRelative = [&](int begin, int end) {
        trace(begin, end);
        if (subtracted != 0)
            for (int r = begin; r < end; ++r) block.path[r] -= subtracted;
    };

    // A long bundle goes in chunks of kStopCheckRays rays, spread over the threads; between chunks the
    // host is asked whether to go on, so that Stop is felt at once.
    const int chunks = (block.count + kStopCheckRays - 1) / kStopCheckRays;
    if (chunks <= 1 || !host_) {
        traceRelative(1, block.count);
        return;
    }
    StopSignal stop(*host_);
    ParallelFor(threads_, chunks, [&](int k) {
        if (k > 0 && !stop.KeepGoing()) return;
        traceRelative(std::max(k * kStopCheckRays, 1), std::min(block.count, (k + 1) * kStopCheckRays));
    });
    if (stop.Stopped()) context_.run = false;
}

void RayTracer::TestApertures(const TraceSurface& s, RayBlock& block, int r, Real radiusSquared,
                              bool obscurationTest) {
    // Written so that a NaN radius fails the test.
    if (r != 0 && !(radiusSquared <= s.apertureSquared * (1 + 2 * kRimMargin))) block.vignetted[r] = 1;
    if (obscurationTest && !(radiusSquared >= s.obscuredSquared)) block.vignetted[r] = 1;
}

bool RayTracer::IdealLens(int i, RayBlock& block) {
    const TraceSurface& s = surfaces_[i];
    const double pivot = surfaces_[i - 1].distance + s.shiftX;
    const Real power = s.curvature; // 1 / focal length of the ideal lens
    const Real pathIndex = std::fabs(Real(context_.indexBefore));
    const int last = block.count - 1;
    const bool references = block.count > 1;
    const RayRecord chief = block.Record(0), extra = block.Record(last);

    // Where the chief ray and the extra reference ray cross before the lens, from the lens plane.
    Real objectDistance = 0;
    if (references) {
        if (chief.L == 0 || extra.L == 0) {
            error_ =
                "A reference ray runs across the axis at the ideal lens of face " + std::to_string(i) + ".";
            return false;
        }
        const Real delta = Real(extra.M) / extra.L - Real(chief.M) / chief.L;
        if (delta != 0) objectDistance = (Real(chief.y) - extra.y) / delta + chief.x - pivot;
    }

    const bool obscurationTest = !context_.allRayMode && s.obscuredSquared > 0;
    for (int r = 0; r < block.count; ++r) {
        if (!Processed(block, r) && !context_.screenPresent) continue;
        Ray ray = Load(block, r);
        if (ray.L == 0) {
            block.vignetted[r] = 1;
            continue;
        }
        const Real t = -(ray.x - pivot) / ray.L;
        if (references) {
            if (objectDistance == 0)
                ray.path += pathIndex * t - (ray.y - chief.y) * chief.M - (ray.z - chief.z) * chief.N;
            else
                ray.path += pathIndex * t + objectDistance / ray.L - objectDistance / chief.L;
        }
        ray.y += t * ray.M;
        ray.z += t * ray.N;
        TestApertures(s, block, r, ray.y * ray.y + ray.z * ray.z, obscurationTest);
        const Real M = ray.M - ray.y * ray.L * power;
        const Real N = ray.N - ray.z * ray.L * power;
        const Real norm = std::sqrt(ray.L * ray.L + M * M + N * N);
        ray.L /= norm;
        ray.M = M / norm;
        ray.N = N / norm;
        ray.x = 0;
        if (!Finite(ray)) block.vignetted[r] = 1;
        Store(block, r, ray);
    }

    if (references) {
        // The image of the reference point: every path is carried to the sphere about it.
        const Real delta = Real(block.M[last]) / block.L[last] - Real(block.M[0]) / block.L[0];
        if (delta == 0 || !std::isfinite(static_cast<double>(delta))) {
            error_ = "The rays leave the ideal lens of face " + std::to_string(i) +
                     " parallel: its image lies at infinity.";
            return false;
        }
        const Real imageDistance = (Real(block.y[0]) - block.y[last]) / delta;
        const Real chiefL = block.L[0];
        for (int r = 0; r < block.count; ++r) {
            if (!Processed(block, r) && !context_.screenPresent) continue;
            block.path[r] =
                static_cast<double>(block.path[r] + imageDistance / chiefL - imageDistance / block.L[r]);
        }
    }
    return true;
}

bool RayTracer::RefractAtSurface(int i, int w) {
    RayBlock block = bundle_.Block(w, context_.slot);
    const TraceSurface& s = surfaces_[i];
    const TraceSurface& previous = surfaces_[i - 1];

    // A tilted mirror before this surface turned the frame: follow the reflected axis.
    if (context_.mirrorFollowed && previous.tilt != 0) RotateBundle(w, previous.azimuth, previous.tilt, 0);
    const double pivot = previous.distance + s.shiftX; // the vertex of surface i in the current frame
    ShiftAndTilt(w, s, pivot);

    if (s.type == SurfaceType::IdealLens) {
        if (!IdealLens(i, block)) return false;
        // Paths are kept relative to ray 0 (IntersectAndRefract does this itself, chunk by chunk).
        const double reference = block.count > 0 ? block.path[0] : 0;
        if (reference != 0 && std::isfinite(reference))
            for (int r = 0; r < block.count; ++r) block.path[r] -= reference;
    } else {
        IntersectAndRefract(s, block, pivot);
    }
    context_.mirrorFollowed = context_.indexBefore * context_.indexAfter < 0;
    return true;
}

// ---------------------------------------------------------------------------------------------------
// The whole trace

TraceOutcome RayTracer::TraceSurfaces(Host& host, int first, int last) {
    error_.clear();
    if (wavelengthOf_.empty()) {
        error_ = "No wavelength can be traced: some face has no refractive index.";
        return {false, error_};
    }
    context_.run = true;
    context_.screenPresent = false;
    for (int i = context_.firstSurface; i <= SurfaceCount(); ++i)
        if (surfaces_[i].type == SurfaceType::Screen) context_.screenPresent = true;
    if (context_.mode == TraceMode::Field)
        context_.allRayMode = true;
    else if (context_.mode != TraceMode::CrossSection)
        context_.allRayMode = false;

    for (int w = 0; w < TracedWavelengthCount(); ++w) {
        const int j = wavelengthOf_[w];
        context_.mirrorFollowed = false;
        context_.indexAfter = indices_[static_cast<std::size_t>(first - 1) * listCount_ + j];
        for (int i = first; i <= last; ++i) {
            if (!host.KeepGoing() || !context_.run) return {false, {}};
            context_.indexBefore = context_.indexAfter;
            context_.indexAfter = indices_[static_cast<std::size_t>(i) * listCount_ + j];
            host_ = &host;
            const bool refracted = RefractAtSurface(i, w);
            host_ = nullptr;
            if (!refracted) return {false, error_};
            if (!context_.run) return {false, {}};
            if (observer_) observer_->AfterSurface(i, w, bundle_.Block(w, context_.slot));
        }
    }
    return {};
}

TraceOutcome RayTracer::TraceAll(Host& host) {
    const int n = SurfaceCount();
    TraceOutcome outcome = TraceSurfaces(host, context_.firstSurface, n);
    if (!outcome.completed) return outcome;
    for (int w = 0; w < TracedWavelengthCount(); ++w) {
        context_.indexBefore =
            indices_[static_cast<std::size_t>(std::max(n - 1, 0)) * listCount_ + wavelengthOf_[w]];
        context_.indexAfter = indices_[static_cast<std::size_t>(n) * listCount_ + wavelengthOf_[w]];
        const bool reflected = context_.indexBefore * context_.indexAfter < 0;
        if (reflected && surfaces_[n].tilt != 0) RotateBundle(w, surfaces_[n].azimuth, surfaces_[n].tilt, 0);
        if (focalPlaneRow_)
            ShiftAndTilt(w, surfaces_[n + 1], surfaces_[n].distance + surfaces_[n + 1].shiftX);
    }
    return outcome;
}

// ---------------------------------------------------------------------------------------------------
// The image surface

double RayTracer::ImageSideSign() const {
    return arrays_ && arrays_->Count() > SurfaceCount() && arrays_->surfaces[SurfaceCount()].indexD < 0 ? -1.0
                                                                                                        : 1.0;
}

double RayTracer::ParaxialImageDistance() const {
    if (!lens_) return 0;
    return ImageSideSign() * (trialArrays_ ? paraxial_->BackFocalDistance() : lens_->BackFocalDistance());
}

double RayTracer::FocalLength() const {
    if (!lens_) return 0;
    return trialArrays_ ? paraxial_->FocalLength() : lens_->FocalLength();
}

double RayTracer::ImageCurvature() const {
    return focalPlaneRow_ ? surfaces_[SurfaceCount() + 1].curvature : 0;
}

double RayTracer::ImageSag(double h) const {
    const double c = ImageCurvature();
    if (c == 0) return 0;
    const double root = 1 / (c * c) - h * h;
    return 1 / c - std::copysign(1.0, c) * std::sqrt(std::max(root, 0.0));
}

std::optional<std::array<double, 2>> RayTracer::ImageSurfacePoint(int r, int w) const {
    const auto point = ImageSurfaceCrossing(r, w);
    if (point && std::isfinite((*point)[0]) && std::isfinite((*point)[1])) return point;
    return std::nullopt;
}

std::optional<std::array<double, 2>> RayTracer::ImageSurfaceCrossing(int r, int w) const {
    const RayRecord ray = bundle_.Record(r, w, context_.slot);
    const TraceSurface& last = surfaces_[SurfaceCount()];
    const double c = ImageCurvature();
    if (c != 0) {
        const Real vertex = Real(last.distance) + surfaces_[SurfaceCount() + 1].shiftX + context_.defocus;
        Real t = 0;
        if (!SphereDistance(c, ray.x - vertex, ray.y, ray.z, ray.L, ray.M, ray.N, t)) return std::nullopt;
        return std::array<double, 2>{static_cast<double>(ray.y + t * ray.M),
                                     static_cast<double>(ray.z + t * ray.N)};
    }
    if (ray.L == 0) return std::nullopt;
    const Real t = (Real(last.distance) + context_.defocus - ray.x) / ray.L;
    return std::array<double, 2>{static_cast<double>(ray.y + t * ray.M),
                                 static_cast<double>(ray.z + t * ray.N)};
}

// ---------------------------------------------------------------------------------------------------
// Aiming

std::optional<double> RayTracer::Aim(Host& host, int target, double height, double start) {
    if (target < context_.firstSurface || target > SurfaceCount() || wavelengthOf_.empty())
        return std::nullopt;
    // One ray of the reference wavelength, traced in a bundle of its own.
    RayBundle saved = std::move(bundle_);
    const TraceContext savedContext = context_;
    const std::vector<int> savedWavelengths = wavelengthOf_;
    const int j = wavelengthOf_.empty() ? 0 : wavelengthOf_[referenceTraced_];
    wavelengthOf_ = {j};
    bundle_.Allocate(1, 1, 1);
    context_.slot = 0;
    context_.allRayMode = true;
    context_.mode = TraceMode::CrossSection;

    bool stopped = false;
    const auto heightAt = [&](double h) {
        if (!host.KeepGoing()) stopped = true;
        bundle_.SetRecord(0, 0, 0, FanStartRay(h, context_.fieldAngle));
        bundle_.SetVignetted(0, 0, 0, false);
        context_.mirrorFollowed = false;
        context_.indexAfter = indices_[static_cast<std::size_t>(context_.firstSurface - 1) * listCount_ + j];
        for (int i = context_.firstSurface; i <= target; ++i) {
            context_.indexBefore = context_.indexAfter;
            context_.indexAfter = indices_[static_cast<std::size_t>(i) * listCount_ + j];
            RefractAtSurface(i, 0);
        }
        return bundle_.Record(0, 0, 0).y;
    };

    std::optional<double> result;
    const double step = surfaces_[context_.firstSurface].effectiveDiameter > 0
                            ? surfaces_[context_.firstSurface].effectiveDiameter / 20
                            : std::max(std::fabs(height), 1.0) / 10;
    double lo = start - step, hi = start + step;
    const double sigma = heightAt(lo) >= heightAt(hi) ? -1 : 1;
    bool bracketed = true;
    if (sigma * heightAt(lo) < height) {
        int k = 0;
        while (!stopped && sigma * heightAt(hi) < height && ++k < kAimExpansionCap) hi += step;
        bracketed = k < kAimExpansionCap;
    } else {
        int k = 0;
        while (!stopped && sigma * heightAt(lo) >= height && ++k < kAimExpansionCap) lo -= step / 4;
        bracketed = k < kAimExpansionCap;
    }
    // Bisection to a tolerance relative to the size of the target surface (or of the height sought), so
    // that a lens scaled by 1e-3 or 1e3 is aimed as precisely as one of ordinary size.
    const double size = std::max({std::fabs(height), surfaces_[target].effectiveDiameter / 2, std::fabs(step),
                                  std::numeric_limits<double>::min()});
    const double tolerance = kAimTolerance * size;
    double mid = (lo + hi) / 2;
    if (bracketed) {
        for (int k = 0; k < kAimBisectionCap && !stopped; ++k) {
            mid = (lo + hi) / 2;
            const double value = sigma * heightAt(mid);
            if (std::fabs(value - height) <= tolerance || mid == lo || mid == hi) {
                result = mid;
                break;
            }
            (value >= height ? hi : lo) = mid;
        }
    }
    if (stopped) result = mid;

    bundle_ = std::move(saved);
    context_ = savedContext;
    wavelengthOf_ = savedWavelengths;
    return result;
}

double RayTracer::EntrancePupilDiameter(Host& host) {
    const int stop = arrays_ ? StopSurfaceIndex(*arrays_, faceCount_) : -1;
    context_.stopSurface = stop;
    double diameter = 0;
    if (stop < 1 || stop > SurfaceCount()) {
        diameter = surfaces_[0].effectiveDiameter > 0
                       ? surfaces_[0].effectiveDiameter
                       : surfaces_[std::min(1, SurfaceCount())].effectiveDiameter;
    } else {
        const double target = surfaces_[stop].effectiveDiameter / 2;
        const auto& heights = paraxial_->Heights();
        const double paraxialHeight = stop - 1 < static_cast<int>(heights.size()) ? heights[stop - 1] : 0;
        const double start = paraxialHeight != 0 ? target / paraxialHeight : target;
        const double angle = context_.fieldAngle;
        context_.fieldAngle = 0;
        const auto aimed = Aim(host, stop, target, start);
        context_.fieldAngle = angle;
        diameter = aimed ? 2 * std::fabs(*aimed) : 2 * std::fabs(start);
    }
    context_.entrancePupilDiameter = diameter;
    return diameter;
}

std::optional<double> RayTracer::AimChiefRay(Host& host) {
    const int stop = context_.stopSurface;
    if (stop < 1) return ChiefHeight();
    const double start = context_.firstSurface == 1 ? ChiefHeight() : 0;
    return Aim(host, stop, 0, start);
}

} // namespace vitrimo
