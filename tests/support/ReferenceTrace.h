// An exact ray trace written independently of the engine, for tests: a singlet in global coordinates,
// sphere centres, a quadratic for each intersection, Snell's law as t = mu i + (mu cos_i - cos_t) n
// with the normal n facing the incoming ray.
#pragma once

#include <cmath>
#include <utility>

namespace vitrimo::test {

struct Vec {
    double x, y, z;
};
inline Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec operator*(double s, Vec a) {
    return {s * a.x, s * a.y, s * a.z};
}
inline double Dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The ray from p in unit direction d through a singlet in air: front radius r1 at x = 0, back radius r2
// at x = thickness, index n. Returns the point on the back face and the direction after it.
inline std::pair<Vec, Vec> ReferenceSinglet(Vec p, Vec d, double r1, double r2, double thickness, double n) {
    const auto refract = [](Vec p, Vec d, double vertex, double r, double n1, double n2) {
        const Vec centre{vertex + r, 0, 0};
        const Vec oc = p - centre;
        const double b = Dot(oc, d), c = Dot(oc, oc) - r * r;
        const double root = std::sqrt(b * b - c);
        const double t = r > 0 ? -b - root : -b + root; // the cap facing the light
        const Vec hit = p + t * d;
        Vec normal = (1 / std::fabs(r)) * (hit - centre);
        if (Dot(normal, d) > 0) normal = -1.0 * normal;
        const double mu = n1 / n2, cosI = -Dot(normal, d);
        const double cosT = std::sqrt(1 - mu * mu * (1 - cosI * cosI));
        return std::pair{hit, mu * d + (mu * cosI - cosT) * normal};
    };
    auto [p1, d1] = refract(p, d, 0, r1, 1, n);
    return refract(p1, d1, thickness, r2, n, 1);
}

} // namespace vitrimo::test
