#include "engine/RayTracer.h"

#include "engine/AberrationCurves.h"
#include "engine/Calculation.h"
#include "model/NumberFormat.h"
#include "support/ReferenceTrace.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace vitrimo {
namespace {

using test::Face;
using test::MakeLens;
using test::Near;
using test::ScriptedHost;

// A lens with its arrays, its paraxial data and a tracer bound to it.
struct Traced {
    Lens lens;
    ParaxialTrace paraxial;
    RayTracer tracer;
    ScriptedHost host;

    explicit Traced(Lens l) : lens(std::move(l)) {
        EXPECT_NE(EnsureArraysCurrent(lens, paraxial, host), Readiness::Cancelled);
        tracer.Bind(lens, paraxial);
        tracer.EntrancePupilDiameter(host);
    }

    // Traces one ray per start through the whole lens at the d line; returns its final record.
    std::vector<RayRecord> Trace(const std::vector<RayRecord>& starts) {
        tracer.SetTracedWavelengths({lens.Wavelengths().Find("d")});
        tracer.AllocateBundle(static_cast<int>(starts.size()));
        for (int r = 0; r < static_cast<int>(starts.size()); ++r) tracer.SetStart(r, starts[r]);
        EXPECT_TRUE(tracer.TraceAll(host).completed);
        std::vector<RayRecord> out;
        for (int r = 0; r < static_cast<int>(starts.size()); ++r)
            out.push_back(tracer.Bundle().Record(r, 0, 0));
        return out;
    }
    bool Vignetted(int r) const { return tracer.Bundle().Vignetted(r, 0, 0); }
};

RayRecord Parallel(double y, double z = 0) {
    RayRecord ray;
    ray.y = y;
    ray.z = z;
    return ray;
}

// A ray from (y, z) at `angle` radians to the axis, inclined in the direction (m, n) (m^2 + n^2 = 1).
RayRecord Oblique(double y, double z, double angle, double m, double n) {
    RayRecord ray = Parallel(y, z);
    ray.L = std::cos(angle);
    ray.M = std::sin(angle) * m;
    ray.N = std::sin(angle) * n;
    return ray;
}

// Where a meridional ray crosses the axis, from the last vertex.
double AxisCrossing(const RayRecord& ray) {
    return ray.x - ray.y * ray.L / ray.M;
}

TEST(RayTracer, PlaneSurfaceIsAPlainTransfer) {
    Traced t(MakeLens({{"Air", "0", "25", "1"}, {"Air", "0", "10", "1"}}));
    const RayRecord start = Oblique(1, -2, 0.3, 0.6, 0.8);
    const auto out = t.Trace({start, start})[1];
    // Surface 2 lies 25 mm on: t = 25 / L along the ray; the record is measured from its vertex.
    const double travel = 25 / start.L;
    EXPECT_TRUE(Near(out.x, 0, 0, 1e-13));
    EXPECT_TRUE(Near(out.y, 1 + travel * start.M, 1e-14));
    EXPECT_TRUE(Near(out.z, -2 + travel * start.N, 1e-14));
    EXPECT_EQ(out.L, start.L);
    EXPECT_EQ(out.M, start.M);
}

TEST(RayTracer, ParaboloidMirrorFocusesAxialRaysPerfectly) {
    Lens lens = MakeLens({{"Mirror", "-400", "0", "-1", "", "200"}});
    lens.SetText(col::K, 2, "-1");
    lens.SetText(col::EffectiveDiameter, 1, "200");
    Traced t(std::move(lens));
    std::vector<RayRecord> starts;
    for (double h : {1e-3, 10.0, 30.0, 60.0, 99.0}) starts.push_back(Parallel(h));
    const auto out = t.Trace(starts);
    for (std::size_t k = 0; k < out.size(); ++k) {
        EXPECT_FALSE(t.Vignetted(static_cast<int>(k)));
        EXPECT_TRUE(Near(AxisCrossing(out[k]), -200, 0, 1e-9)) << "height " << starts[k].y;
        EXPECT_LT(out[k].L, 0); // reflected
    }
}

TEST(RayTracer, SphericalMirrorMatchesItsClosedForm) {
    // A ray at height h meets a sphere of radius R at angle u, sin u = h / R, and crosses the axis
    // R / (2 cos u) from the centre of curvature.
    const double R = 400;
    Lens lens = MakeLens({{"Mirror", "-400", "0", "-1", "", "200"}});
    lens.SetText(col::EffectiveDiameter, 1, "200");
    Traced t(std::move(lens));
    for (double h : {5.0, 40.0, 90.0}) {
        const auto out = t.Trace({Parallel(h)});
        const double u = std::asin(h / R);
        const double expected = -R + R / (2 * std::cos(u));
        EXPECT_TRUE(Near(AxisCrossing(out[0]), expected, 1e-13)) << h;
    }
    // The curve module reports the same against the paraxial focus, measured along the reflected light
    // (towards -x): the marginal focus lies short of the paraxial one, so the aberration is negative, as
    // an undercorrected positive lens's is.
    CurveSettings settings;
    settings.steps = 4;
    const CurveResult curve = ComputeCurve(t.tracer, CurveKind::Longitudinal, settings, t.host);
    ASSERT_TRUE(curve.Ok()) << curve.error;
    const int last = settings.steps;
    const double h = curve.abscissa[last];
    const double u = std::asin(h / R);
    for (const auto& values : curve.values) {
        ASSERT_TRUE(values[last]);
        EXPECT_TRUE(Near(*values[last], -(-R + R / (2 * std::cos(u)) + R / 2), 1e-9, 1e-12));
        EXPECT_LT(*values[last], 0);
    }
}

TEST(RayTracer, SingletAgreesWithAnIndependentTrace) {
    Traced t(MakeLens({{"N-BK7", "51.5", "6", "1.5168", "", "40"}, {"Air", "-80", "0", "1", "", "40"}}));
    const std::vector<RayRecord> starts = {Oblique(0, 0, 0, 0.8, 0.6), Oblique(12, 0, 0, 0.8, 0.6),
                                           Oblique(-7, 9, 0.1, 0.8, 0.6), Oblique(3, -15, -0.2, 0.8, 0.6)};
    const auto out = t.Trace(starts);
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const auto [hit, d] = test::ReferenceSinglet(
            {0, starts[k].y, starts[k].z}, {starts[k].L, starts[k].M, starts[k].N}, 51.5, -80, 6, 1.5168);
        const std::tuple<double, double, double> checks[] = {
            {out[k].x, hit.x - 6, 1e-9}, {out[k].y, hit.y, 1e-9}, {out[k].z, hit.z, 1e-9},
            {out[k].L, d.x, 1e-12},      {out[k].M, d.y, 1e-12},  {out[k].N, d.z, 1e-12}};
        for (const auto& [got, want, tolerance] : checks)
            EXPECT_TRUE(Near(got, want, 0, tolerance)) << "ray " << k;
    }
}

// The image surface named by a "Focal Plane" row after the last face: never refracted, flat or curved,
// against an independent trace of the singlet and the plane or sphere it meets.
TEST(RayTracer, FocalPlaneRowIsTheImageSurface) {
    struct Case {
        const char* radius;
        double defocus;
    };
    for (const Case& c : {Case{"0", 0.0}, Case{"0", 0.7}, Case{"-30", 0.0}, Case{"45", -0.4}}) {
        Traced t(MakeLens({{"N-BK7", "51.5", "6", "1.5168", "", "40"},
                           {"Air", "-80", "0", "1", "", "40"},
                           {"Air", c.radius, "0", "1", "Focal Plane", "40"}}));
        ASSERT_EQ(t.tracer.SurfaceCount(), 2) << c.radius;
        const double R = *ParseNumber(c.radius);
        EXPECT_TRUE(Near(t.tracer.ImageCurvature(), R == 0 ? 0 : 1 / R, 1e-15)) << c.radius;
        const double last = t.lens.Arrays().surfaces[2].distance;
        ASSERT_GT(last, 40); // the paraxial focus of the singlet
        t.tracer.Context().defocus = c.defocus;

        const RayRecord start = Oblique(9, -4, 0.05, 0.6, 0.8);
        t.Trace({start});
        ASSERT_FALSE(t.Vignetted(0));
        const auto point = t.tracer.ImageSurfacePoint(0, 0);
        ASSERT_TRUE(point) << c.radius;

        const auto [hit, d] =
            test::ReferenceSinglet({0, 9, -4}, {start.L, start.M, start.N}, 51.5, -80, 6, 1.5168);
        const double vertex = 6 + last + c.defocus;
        double s = 0; // distance along the ray from the back face to the image surface
        if (R == 0) {
            s = (vertex - hit.x) / d.x;
        } else {
            const test::Vec centre{vertex + R, 0, 0};
            const test::Vec oc = hit - centre;
            const double b = test::Dot(oc, d), q = test::Dot(oc, oc) - R * R;
            s = R > 0 ? -b - std::sqrt(b * b - q) : -b + std::sqrt(b * b - q);
        }
        EXPECT_TRUE(Near((*point)[0], hit.y + s * d.y, 0, 1e-9)) << c.radius << " " << c.defocus;
        EXPECT_TRUE(Near((*point)[1], hit.z + s * d.z, 0, 1e-9)) << c.radius << " " << c.defocus;
    }
}

TEST(RayTracer, RealRaysTendToTheParaxialFocus) {
    Traced t(MakeLens({{"N-BK7", "51.5", "6", "1.5168", "", "40"}, {"Air", "-80", "0", "1", "", "40"}}));
    for (double h : {1.0, 0.1, 0.01}) {
        const double aberration = AxisCrossing(t.Trace({Parallel(h)})[0]) - t.lens.BackFocalDistance();
        EXPECT_LT(std::fabs(aberration), 0.05 * h * h) << h; // third order: grows as h^2
    }
}

TEST(RayTracer, IdealLensFocusesPerfectlyWithEqualPaths) {
    // An ideal lens of 100 mm and a plane at its focus.
    Lens lens = MakeLens({{"Ideal Lens", "100", "100", "1", "", "30"}, {"Air", "0", "0", "1", "", "200"}});
    lens.SetText(col::EffectiveDiameter, 1, "30");
    Traced t(std::move(lens));
    ASSERT_TRUE(t.tracer.Context().idealLensPresent);
    std::vector<RayRecord> starts = {Parallel(1e-6), Parallel(5), Parallel(-12, 3), Parallel(0, 14),
                                     Parallel(1.1e-6)};
    const auto out = t.Trace(starts);
    for (std::size_t k = 0; k < out.size(); ++k) {
        EXPECT_TRUE(Near(out[k].y, 0, 0, 1e-9)) << k;
        EXPECT_TRUE(Near(out[k].z, 0, 0, 1e-9)) << k;
        EXPECT_TRUE(Near(t.tracer.Bundle().Path(static_cast<int>(k), 0, 0), 0, 0, 1e-9)) << k;
    }
    // Field curves of an ideal lens: no distortion at any angle.
    CurveSettings settings;
    settings.steps = 5;
    settings.maxAngle = 20;
    t.tracer.SetTracedWavelengths(t.lens.Wavelengths().CalculatedWavelengths());
    const CurveResult distortion = ComputeCurve(t.tracer, CurveKind::Distortion, settings, t.host);
    ASSERT_TRUE(distortion.Ok()) << distortion.error;
    for (const auto& values : distortion.values)
        for (const auto& value : values) {
            ASSERT_TRUE(value);
            EXPECT_LT(std::fabs(*value), 1e-7);
        }
}

TEST(RayTracer, TotalInternalReflectionFlagsTheRayAndKeepsItsDirection) {
    // Inside glass of index 1.5, towards a plane: beyond 41.8 degrees the ray cannot leave.
    Lens lens = MakeLens({{"N-BK7", "0", "10", "1.5", "", "100"}, {"Air", "0", "10", "1", "", "100"}});
    lens.SetText(col::EffectiveDiameter, 1, "100");
    Traced t(std::move(lens));
    const auto inside = [](double degrees) {
        RayRecord ray; // refracted at the first plane already: start just inside it
        ray.L = std::cos(degrees * M_PI / 180);
        ray.M = std::sin(degrees * M_PI / 180);
        return ray;
    };
    // Start in glass: trace from surface 2 only, with glass before it.
    t.tracer.SetTracedWavelengths({t.lens.Wavelengths().Find("d")});
    t.tracer.AllocateBundle(2);
    t.tracer.SetStart(0, inside(30));
    t.tracer.SetStart(1, inside(45));
    t.tracer.Context().indexBefore = 1.5;
    t.tracer.Context().indexAfter = 1;
    t.tracer.Context().mirrorFollowed = false;
    ASSERT_TRUE(t.tracer.RefractAtSurface(2, 0));
    EXPECT_FALSE(t.Vignetted(0));
    EXPECT_TRUE(t.Vignetted(1));
    const RayRecord blocked = t.tracer.Bundle().Record(1, 0, 0);
    EXPECT_TRUE(Near(blocked.L, inside(45).L, 1e-15));
    EXPECT_TRUE(Near(blocked.M, inside(45).M, 1e-15));
    // The one that leaves obeys Snell's law.
    EXPECT_TRUE(Near(t.tracer.Bundle().Record(0, 0, 0).M, 1.5 * std::sin(30 * M_PI / 180), 1e-14));
}

TEST(RayTracer, TiltedPlaneMirrorFoldsTheAxis) {
    Lens lens = MakeLens({{"Mirror", "0", "50", "-1", "", "40"}, {"Air", "0", "20", "1", "", "40"}});
    lens.SetText(col::Theta, 2, "45");
    Traced t(std::move(lens));
    const auto out = t.Trace({Parallel(0), Parallel(3), Parallel(0, -4)});
    // After the fold the rays run along the new axis, back towards -x in its frame, 50 mm on.
    for (const auto& ray : out) {
        EXPECT_TRUE(Near(ray.L, -1, 0, 1e-15));
        EXPECT_TRUE(Near(ray.M, 0, 0, 1e-15));
        EXPECT_TRUE(Near(ray.N, 0, 0, 1e-15));
    }
    EXPECT_TRUE(Near(out[0].y, 0, 0, 1e-12));
    EXPECT_TRUE(Near(std::fabs(out[1].y), 3, 1e-12));
    EXPECT_TRUE(Near(std::fabs(out[2].z), 4, 1e-12));
}

TEST(RayTracer, OppositeDecentersRestoreTheFrame) {
    // A lens decentered by +0.7 between two planes at -0.7 and 0: the same rays as a centred lens met
    // 0.7 mm lower.
    const Lens centred = MakeLens({{"Air", "0", "5", "1", "", "40"},
                                   {"N-BK7", "40", "6", "1.5168", "", "40"},
                                   {"Air", "-60", "5", "1", "", "40"},
                                   {"Air", "0", "0", "1", "", "40"}});
    Lens decentred = centred;
    decentred.SetText(col::Y, 3, "0.7");
    decentred.SetText(col::Y, 5, "-0.7");
    Traced a(std::move(decentred)), b(centred);
    for (double h : {0.0, 4.0, -9.0}) {
        const RayRecord shifted = a.Trace({Parallel(h)})[0];
        const RayRecord reference = b.Trace({Parallel(h - 0.7)})[0];
        EXPECT_TRUE(Near(shifted.y, reference.y + 0.7, 0, 1e-12)) << h;
        EXPECT_TRUE(Near(shifted.M, reference.M, 0, 1e-15)) << h;
    }
}

TEST(RayTracer, ApertureAndObscuration) {
    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5", "", "20"}, {"Air", "-50", "0", "1", "", "20"}});
    lens.SetText(col::HideDiameter, 2, "4");
    Traced t(std::move(lens));
    t.Trace({Parallel(0), Parallel(11), Parallel(1), Parallel(5)});
    EXPECT_TRUE(t.Vignetted(0)); // ray 0 on the axis, inside the obscuration
    EXPECT_TRUE(t.Vignetted(1)); // beyond the 20 mm aperture
    EXPECT_TRUE(t.Vignetted(2)); // inside the obscuration
    EXPECT_FALSE(t.Vignetted(3));
    // Ray 0 is never stopped by the aperture, and in all-ray mode nothing by the obscuration.
    t.Trace({Parallel(15), Parallel(1)});
    EXPECT_FALSE(t.Vignetted(0));
    t.tracer.Context().mode = TraceMode::Field;
    t.Trace({Parallel(5), Parallel(1)});
    EXPECT_FALSE(t.Vignetted(1));
}

TEST(RayTracer, AsphereConvergesAndRaysBeyondItsSagAreFlagged) {
    // An ellipsoid of conic -0.5: where 1 - s^2 c^2 (1 + k) < 0 there is no surface.
    Lens lens = MakeLens({{"N-BK7", "20", "5", "1.5", "", "200"}, {"Air", "0", "30", "1", "", "200"}});
    lens.SetText(col::K, 2, "-0.5");
    lens.SetText(col::EffectiveDiameter, 1, "200");
    Traced t(std::move(lens));
    t.Trace({Parallel(0), Parallel(5), Parallel(27)});
    EXPECT_FALSE(t.Vignetted(1));
    EXPECT_TRUE(t.Vignetted(2)); // 27 mm > 20 / sqrt(0.5)
    // The point found lies on the conic: z(s) = c s^2 / (1 + sqrt(1 - (1 + k) c^2 s^2)), checked by a
    // second trace that stops at surface 1.
    t.tracer.AllocateBundle(1);
    t.tracer.SetStart(0, Parallel(5));
    ASSERT_TRUE(t.tracer.TraceSurfaces(t.host, 1, 1).completed);
    const RayRecord hit = t.tracer.Bundle().Record(0, 0, 0);
    const double c = 1.0 / 20, s2 = hit.y * hit.y + hit.z * hit.z;
    EXPECT_TRUE(Near(hit.x, c * s2 / (1 + std::sqrt(1 - 0.5 * c * c * s2)), 0, 1e-12));
}

// The aperture tests use the point where the ray meets the real conic, not the vertex sphere: an oblique
// ray meets a paraboloid and its vertex sphere at different heights, and an aperture between the two
// decides by the paraboloid's.
TEST(RayTracer, ApertureOfAConicIsTestedOnTheConic) {
    const double R = 20, y0 = 8, angle = -0.3;
    const double L = std::cos(angle), M = std::sin(angle);
    // Independent heights: the paraboloid x = y^2 / (2R) and the sphere about (R, 0) along the ray
    // (0, y0) + t (L, M).
    const double a = M * M, b = 2 * y0 * M - 2 * R * L, c = y0 * y0;
    const double tParabola = (-b - std::sqrt(b * b - 4 * a * c)) / (2 * a);
    const double bs = -R * L + y0 * M; // (p - centre) . d
    const double tSphere = -bs - std::sqrt(bs * bs - (R * R + y0 * y0 - R * R));
    const double hParabola = std::fabs(y0 + tParabola * M), hSphere = std::fabs(y0 + tSphere * M);
    ASSERT_GT(std::fabs(hParabola - hSphere), 1e-3);
    for (double aperture : {(hParabola + hSphere) / 2, hParabola * (1 + 1e-9), hParabola * (1 - 1e-9)}) {
        std::ostringstream diameter;
        diameter.precision(17);
        diameter << 2 * aperture;
        Lens lens =
            MakeLens({{"N-BK7", "20", "5", "1.5", "", diameter.str()}, {"Air", "0", "10", "1", "", "40"}});
        lens.SetText(col::K, 2, "-1");
        lens.SetText(col::EffectiveDiameter, 1, "40");
        Traced t(std::move(lens));
        const RayRecord start = Oblique(y0, 0, angle, 1, 0);
        t.tracer.SetTracedWavelengths({t.lens.Wavelengths().Find("d")});
        t.tracer.AllocateBundle(2);
        t.tracer.SetStart(0, Parallel(0));
        t.tracer.SetStart(1, start);
        ASSERT_TRUE(t.tracer.TraceSurfaces(t.host, 1, 1).completed);
        EXPECT_TRUE(Near(std::fabs(t.tracer.Bundle().Record(1, 0, 0).y), hParabola, 1e-12));
        EXPECT_EQ(t.Vignetted(1), hParabola > aperture) << "aperture " << aperture;
    }
}

// Arithmetic that is not finite never passes as a traced ray: a wavelength without an index on some face
// is not traced (the reference moves to the d line), and if it is traced anyway, or an asphere's numbers
// overflow, its rays are lost rays with no image point.
TEST(RayTracer, NonFiniteRaysAreLostRays) {
    Lens lens = MakeLens({{"N-BK7", "40", "6", "1.5168", "", "30"}, {"Air", "-60", "0", "1", "", "30"}});
    const int e = lens.Wavelengths().Find("e"), F = lens.Wavelengths().Find("F"),
              d = lens.Wavelengths().Find("d");
    lens.SetText(lens.IndexColumn(e), 2, "");
    lens.SetText(lens.IndexColumn(F), 3, "0");
    lens.Wavelengths().SetCalculate(e, true);
    lens.Wavelengths().SetCalculate(F, true);
    lens.Wavelengths().SetReference(e);
    Traced t(std::move(lens));
    EXPECT_FALSE(t.tracer.Traceable(e));
    EXPECT_FALSE(t.tracer.Traceable(F));
    EXPECT_TRUE(t.tracer.Traceable(d));
    EXPECT_EQ(t.tracer.Untraceable(), (std::vector<int>{e, F}));
    for (int w = 0; w < t.tracer.TracedWavelengthCount(); ++w) {
        EXPECT_NE(t.tracer.ListWavelength(w), e);
        EXPECT_NE(t.tracer.ListWavelength(w), F);
    }
    EXPECT_EQ(t.tracer.ListWavelength(t.tracer.ReferenceTraced()), d);

    // Traced regardless: the zero index makes infinities, and every ray is lost.
    t.tracer.SetTracedWavelengths({F});
    t.tracer.AllocateBundle(3);
    for (int r = 0; r < 3; ++r) t.tracer.SetStart(r, Parallel(3.0 * r));
    ASSERT_TRUE(t.tracer.TraceAll(t.host).completed);
    for (int r = 0; r < 3; ++r) {
        EXPECT_TRUE(t.Vignetted(r)) << r;
        if (const auto point = t.tracer.ImageSurfacePoint(r, 0)) {
            EXPECT_TRUE(std::isfinite((*point)[0]) && std::isfinite((*point)[1])) << r;
        }
    }

    // Extreme aspheric coefficients: each ray is either lost or finite.
    for (const char* a4 : {"1E150", "-1E150", "1E300", "1E-300", "-3E200"}) {
        Lens asphere =
            MakeLens({{"N-BK7", "40", "6", "1.5168", "", "30"}, {"Air", "-60", "0", "1", "", "30"}});
        asphere.SetText(col::A4, 2, a4);
        asphere.SetText(col::A14, 3, a4);
        Traced u(std::move(asphere));
        std::vector<RayRecord> starts;
        for (double h : {1e-6, 0.5, 3.0, 9.0, 14.9}) starts.push_back(Parallel(h));
        const auto out = u.Trace(starts);
        for (std::size_t k = 0; k < out.size(); ++k) {
            if (u.Vignetted(static_cast<int>(k))) continue;
            for (double v : {out[k].x, out[k].y, out[k].z, out[k].L, out[k].M, out[k].N})
                EXPECT_TRUE(std::isfinite(v)) << a4 << " ray " << k;
            EXPECT_TRUE(u.tracer.ImageSurfacePoint(static_cast<int>(k), 0)) << a4 << " ray " << k;
        }
    }
}

TEST(RayTracer, EntrancePupilOfTheStopBehindALens) {
    // Stop 10 mm behind an ideal lens of 100 mm, 9 mm across: the pupil is the stop seen through the
    // lens, 100 / 90 times larger.
    Lens lens =
        MakeLens({{"Ideal Lens", "100", "10", "1", "", "30"}, {"Air", "0", "80", "1", "Stop Plane", "9"}});
    lens.SetText(col::EffectiveDiameter, 1, "30");
    Traced t(std::move(lens));
    // The rim ray is refined to 1e-12 of the stop's size, and it passes the stop.
    EXPECT_TRUE(Near(t.tracer.Context().entrancePupilDiameter, 10.0, 2e-12));
    t.tracer.SetTracedWavelengths({t.lens.Wavelengths().Find("d")});
    t.tracer.AllocateBundle(3);
    t.tracer.SetStart(0, Parallel(0));
    t.tracer.SetStart(1, Parallel(t.tracer.Context().entrancePupilDiameter / 2));
    t.tracer.SetStart(2, Parallel(1e-6));
    ASSERT_TRUE(t.tracer.TraceSurfaces(t.host, 1, 2).completed);
    EXPECT_FALSE(t.Vignetted(1));
    EXPECT_TRUE(Near(t.tracer.Bundle().Record(1, 0, 0).y, 4.5, 1e-12));
    EXPECT_EQ(t.tracer.Context().stopSurface, 2);
    EXPECT_TRUE(Near(t.tracer.Context().entrancePupilDistance, 1000.0 / 90, 1e-13));
    // The chief ray of 5 degrees aimed at the centre of the stop starts where the paraxial pupil says.
    t.tracer.Context().fieldAngle = 5;
    const auto chief = t.tracer.AimChiefRay(t.host);
    ASSERT_TRUE(chief);
    EXPECT_TRUE(Near(*chief, -1000.0 / 90 * std::tan(5 * M_PI / 180), 1e-5));
}

} // namespace
} // namespace vitrimo
