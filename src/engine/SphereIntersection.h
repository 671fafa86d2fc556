// Where a ray meets a sphere through the origin: the one intersection formula of the trace, used by the
// surfaces, the curved image surface and the curved object surface alike.
#pragma once

#include <cmath>

namespace vitrimo {

// Distance along the ray from (X, y, z) to the sphere of curvature c through the origin (X measured from
// the vertex): the root nearest the vertex. False when the ray misses the sphere.
//   t0 = -(X L + y M + z N), the foot of the perpendicular from the vertex;
//   F = c (X^2 + y^2 + z^2 - t0^2) - 2 (X + t0 L);
//   t = t0 + F / (L (1 + sqrt(1 - c F / L^2))) = t0 + F / (L + sign(L) sqrt(L^2 - c F)),
// the second form with one division instead of two.
inline bool SphereDistance(long double c, long double X, long double y, long double z, long double L,
                           long double M, long double N, long double& t) {
    using Real = long double;
    if (L == 0) return false;
    const Real t0 = -(X * L + y * M + z * N);
    const Real F = c * (X * X + y * y + z * z - t0 * t0) - 2 * (X + t0 * L);
    const Real root = L * L - c * F;
    if (root < 0) return false;
    const Real sqrtRoot = std::sqrt(root);
    t = t0 + F / (L < 0 ? L - sqrtRoot : L + sqrtRoot);
    return true;
}

} // namespace vitrimo
