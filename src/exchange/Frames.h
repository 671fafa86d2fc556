// Rigid frames for the decentered and tilted faces of exchanged lens files.
//
// Vectors are in the lens table's frame: x along the optical axis, y meridional, z sagittal. A frame is
// its origin and its three axes, both given in the frame it is placed in; the axes are the columns of
// `axes`. The other design programs' files put the axis along their z, the meridional direction along
// their y and their x across; with the right-hand rule kept their (x, y, z) is our (-z, y, x).
#pragma once

#include <array>
#include <cmath>
#include <numbers>

namespace vitrimo::frames {

using Vec = std::array<double, 3>;
using Mat = std::array<std::array<double, 3>, 3>; // m[row][column]

inline Mat Identity() {
    return {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
}

inline Mat Multiply(const Mat& a, const Mat& b) {
    Mat m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) m[i][j] += a[i][k] * b[k][j];
    return m;
}

inline Vec Apply(const Mat& a, const Vec& v) {
    Vec r{};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) r[i] += a[i][k] * v[k];
    return r;
}

inline Mat Transpose(const Mat& a) {
    Mat m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = a[j][i];
    return m;
}

inline double Radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}
inline double Degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

// A right-hand rotation by `degrees` about one axis (0 x, 1 y, 2 z): the axes of the rotated frame.
inline Mat AxisRotation(int axis, double degrees) {
    const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
    Mat m = Identity();
    const int p = (axis + 1) % 3, q = (axis + 2) % 3;
    m[p][p] = c;
    m[q][q] = c;
    m[q][p] = s;
    m[p][q] = -s;
    return m;
}

// The axes of a face tilted by theta about the azimuth phi, as the ray trace turns its frame: the axis
// leans by theta towards the direction (cos phi, sin phi) of the (y, z) plane, with no turn about the
// axis itself. (The trace turns ray coordinates by the transpose of this matrix.)
inline Mat TiltRotation(double thetaDegrees, double phiDegrees) {
    const double ct = std::cos(Radians(thetaDegrees)), st = std::sin(Radians(thetaDegrees));
    const double cp = std::cos(Radians(phiDegrees)), sp = std::sin(Radians(phiDegrees));
    // Turn by phi about the axis, tilt in the x-y plane, turn back.
    const Mat turn{{{1, 0, 0}, {0, cp, -sp}, {0, sp, cp}}};
    const Mat tilt{{{ct, -st, 0}, {st, ct, 0}, {0, 0, 1}}};
    return Multiply(turn, Multiply(tilt, Transpose(turn)));
}

// A vector or frame of the other programs' coordinates (x, y, z) in ours, and back.
inline Vec FromForeign(const Vec& v) {
    return {v[2], v[1], -v[0]};
}
inline Vec ToForeign(const Vec& v) {
    return {-v[2], v[1], v[0]};
}
// The change of basis for rotation matrices: P maps foreign components to ours.
inline Mat ForeignBasis() {
    return {{{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}};
}
inline Mat RotationFromForeign(const Mat& foreign) {
    const Mat p = ForeignBasis();
    return Multiply(p, Multiply(foreign, Transpose(p)));
}
inline Mat RotationToForeign(const Mat& ours) {
    const Mat p = ForeignBasis();
    return Multiply(Transpose(p), Multiply(ours, p));
}

} // namespace vitrimo::frames
