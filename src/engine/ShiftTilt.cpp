#include "engine/ShiftTilt.h"

#include <array>
#include <cmath>
#include <numbers>

namespace vitrimo {
namespace {

using Real = long double;
using Vector = std::array<Real, 3>;
using Matrix = std::array<Vector, 3>; // rows

constexpr Real kDegree = std::numbers::pi_v<long double> / 180;

Matrix Identity() {
    return {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) m[r][c] += a[r][k] * b[k][c];
    return m;
}

Matrix Transpose(const Matrix& a) {
    Matrix m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] = a[c][r];
    return m;
}

Vector Apply(const Matrix& a, const Vector& v) {
    Vector out{};
    for (int r = 0; r < 3; ++r) out[r] = a[r][0] * v[0] + a[r][1] * v[1] + a[r][2] * v[2];
    return out;
}

// The trace's tilt of a frame: turn by phi about the axis, tilt by theta in the x-y plane, turn back.
// Ray coordinates in the new frame are this matrix times those in the old one.
Matrix Tilt(Real phiDegrees, Real thetaDegrees) {
    const Real cp = std::cos(phiDegrees * kDegree), sp = std::sin(phiDegrees * kDegree);
    const Real ct = std::cos(thetaDegrees * kDegree), st = std::sin(thetaDegrees * kDegree);
    const Matrix turn{{{1, 0, 0}, {0, cp, sp}, {0, -sp, cp}}};
    const Matrix tilt{{{ct, st, 0}, {-st, ct, 0}, {0, 0, 1}}};
    return Multiply(Transpose(turn), Multiply(tilt, turn));
}

} // namespace

GroupCheck CheckShiftTiltGroup(const std::vector<ShiftTiltGroup>& groups, ShiftTiltGroup candidate,
                               int* existing) {
    const int first = candidate.first, last = candidate.last;
    if (last < first) return GroupCheck::Invalid;
    for (std::size_t j = 0; j < groups.size(); ++j) {
        const ShiftTiltGroup& g = groups[j];
        if (g.first == first && g.last == last) {
            if (existing) *existing = static_cast<int>(j);
            return GroupCheck::SameAsExisting;
        }
        if (g.first == first && g.last != last) return GroupCheck::Invalid;
        if (g.first > first && g.first <= last && last < g.last + 1) return GroupCheck::Invalid;
        if (g.first < first && first <= g.last && last > g.last + 1) return GroupCheck::Invalid;
    }
    return GroupCheck::Valid;
}

std::optional<ReturnTransform> ComputeReturnTransform(const Lens& lens, int first, int last) {
    const SurfaceArrays& arrays = lens.Arrays();
    const int after = last + 1;
    if (first < 1 || last < first || after >= arrays.Count()) return std::nullopt;
    const int reference = lens.Wavelengths().Reference();
    const auto reflects = [&](int i) {
        return i >= 1 && (arrays.Index(i - 1, reference) < 0) != (arrays.Index(i, reference) < 0);
    };
    const auto tiltOf = [&](int i) {
        const Surface& s = arrays.surfaces[i];
        const Real theta = Real(s.tilt) + s.tiltDelta;
        return theta == 0 ? Identity() : Tilt(Real(s.azimuth) + s.azimuthDelta, theta);
    };

    // The frame of each face in the frame of the light before the group: origin and rotation.
    Vector origin{0, 0, 0};
    Matrix frame = Identity();
    for (int i = first; i <= last; ++i) {
        const Surface& s = arrays.surfaces[i];
        Matrix incoming = frame;
        if (i > first && reflects(i - 1) &&
            arrays.surfaces[i - 1].tilt + arrays.surfaces[i - 1].tiltDelta != 0)
            incoming = Multiply(tiltOf(i - 1), frame);
        const Vector step{Real(arrays.surfaces[i - 1].distance) + s.shiftX, Real(s.decenterY) + s.shiftY,
                          Real(s.decenterZ) + s.shiftZ};
        const Vector moved = Apply(Transpose(incoming), step);
        for (int k = 0; k < 3; ++k) origin[k] += moved[k];
        frame = Multiply(tiltOf(i), incoming);
    }
    Matrix before = frame;
    const Surface& lastFace = arrays.surfaces[last];
    if (reflects(last) && lastFace.tilt + lastFace.tiltDelta != 0) before = Multiply(tiltOf(last), frame);

    // Where face `after` would be without the group's shifts and tilts: straight on along the axis.
    Real along = 0;
    for (int i = first; i <= after; ++i) along += arrays.surfaces[i - 1].distance;
    const Vector offset = Apply(before, Vector{along - origin[0], -origin[1], -origin[2]});
    const Vector axis = Apply(before, Vector{1, 0, 0});

    // The tilt that turns that axis back onto the frame's own x axis.
    const Real rho = std::sqrt(axis[1] * axis[1] + axis[2] * axis[2]);
    Real phi = 0, theta = 0;
    if (rho > 1e-15L) {
        phi = std::atan2(axis[2], axis[1]) / kDegree;
        theta = std::atan2(rho, axis[0]) / kDegree;
    } else if (axis[0] < 0) {
        theta = 180;
    }

    const Surface& s = arrays.surfaces[after];
    ReturnTransform result;
    result.dx = static_cast<double>(offset[0] - arrays.surfaces[last].distance);
    result.dy = static_cast<double>(offset[1] - s.decenterY);
    result.dz = static_cast<double>(offset[2] - s.decenterZ);
    result.dTheta = static_cast<double>(theta - s.tilt);
    result.dPhi = static_cast<double>(phi - s.azimuth);
    // Values that are zero but for rounding are written as zero.
    for (double* v : {&result.dx, &result.dy, &result.dz, &result.dTheta, &result.dPhi})
        if (std::fabs(*v) < 1e-13) *v = 0;
    return result;
}

} // namespace vitrimo
