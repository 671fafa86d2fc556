#include "design/CrossSection.h"

#include "engine/Calculation.h"
#include "model/LensFile.h"
#include "support/ReferenceTrace.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace vitrimo {
namespace {

using test::Face;
using test::MakeLens;
using test::Near;
using test::ScriptedHost;

constexpr double kDegree = std::numbers::pi / 180;

// A lens brought up to date and a tracer bound to it, as the window and vitrimo-cli do before drawing.
struct Drawn {
    Lens lens;
    ParaxialTrace paraxial;
    RayTracer tracer;
    ScriptedHost host;

    explicit Drawn(Lens l) : lens(std::move(l)) {
        EXPECT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::Ready);
        tracer.Bind(lens, paraxial);
        tracer.EntrancePupilDiameter(host);
    }
    CrossSectionResult Draw(const CrossSectionSettings& settings = {}) {
        return ComputeCrossSection(lens, tracer, settings, host);
    }
};

Surface Sphere(double r) {
    Surface s;
    s.curvature = 1 / r;
    return s;
}

Surface Asphere(double r, double k, std::array<double, 6> a) {
    Surface s = Sphere(r);
    s.conic = k;
    s.aspheric = a;
    s.isAspheric = true;
    return s;
}

const FaceOutline& OutlineOf(const CrossSectionResult& result, int face) {
    for (const FaceOutline& outline : result.faces)
        if (outline.face == face) return outline;
    throw std::runtime_error("no outline of face " + std::to_string(face));
}

const DrawnRay& RayOf(const CrossSectionResult& result, int angle, int ray) {
    for (const DrawnRay& drawn : result.rays)
        if (drawn.angle == angle && drawn.ray == ray) return drawn;
    throw std::runtime_error("no ray " + std::to_string(ray));
}

// Distance of point p from the segment a-b.
double DistanceToSegment(DrawPoint p, DrawPoint a, DrawPoint b) {
    const double dz = b.z - a.z, dy = b.y - a.y, length2 = dz * dz + dy * dy;
    double t = length2 > 0 ? ((p.z - a.z) * dz + (p.y - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.z - (a.z + t * dz), p.y - (a.y + t * dy));
}

double DistanceToLine(DrawPoint p, const DrawLine& line) {
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t k = 1; k < line.size(); ++k)
        best = std::min(best, DistanceToSegment(p, line[k - 1], line[k]));
    return best;
}

// ---- The profile ----

// Sags from the closed forms: the sphere's 1/c - sign(c) sqrt(1/c^2 - h^2) and the conic with its
// polynomial, written out here.
TEST(CrossSectionProfile, SagsFollowTheClosedForms) {
    struct Case {
        const char* name;
        Surface face;
        double h;
        double expected;
    };
    const auto sphere = [](double r, double h) { return r - (r > 0 ? 1 : -1) * std::sqrt(r * r - h * h); };
    // The same sag without the cancellation of r - sqrt(r^2 - h^2) for a weak curvature.
    const auto weak = [](double r, double h) { return h * h / (r + std::sqrt(r * r - h * h)); };
    Surface plane;
    plane.isAspheric = true;
    plane.aspheric = {1e-4, -2e-7, 3e-10, -4e-13, 0, 0};
    const Case cases[] = {
        {"convex sphere", Sphere(50), 10, sphere(50, 10)},
        {"concave sphere", Sphere(-50), 10, sphere(-50, 10)},
        {"hemisphere at its rim", Sphere(20), -20, 20},
        {"concave hemisphere at its rim", Sphere(-0.3), 0.3, -0.3},
        {"weak sphere", Sphere(1e6), 12, weak(1e6, 12)},
        {"paraboloid", Asphere(100, -1, {}), 30, 30.0 * 30 / 200},
        {"hyperboloid", Asphere(40, -2.25, {}), 8,
         (64 / 40.0) / (1 + std::sqrt(1 - (1 - 2.25) * 64 / 1600.0))},
        {"polynomial on a plane", plane, 5, 1e-4 * 625 - 2e-7 * 15625 + 3e-10 * 390625 - 4e-13 * 9765625},
        // A12 and A14 are not drawn.
        {"A12 and A14 left out", Asphere(60, 0.5, {2e-5, 0, 0, 0, 1e-3, 1e-3}), 7,
         (49 / 60.0) / (1 + std::sqrt(1 - 1.5 * 49 / 3600.0)) + 2e-5 * 2401},
    };
    for (const Case& c : cases) {
        bool failed = false;
        EXPECT_TRUE(Near(ProfileSag(c.face, c.h, failed), c.expected, 1e-12, 1e-14)) << c.name;
        EXPECT_FALSE(failed) << c.name;
    }
}

TEST(CrossSectionProfile, AHeightBeyondTheSurfaceIsDrawnFlatAndReported) {
    for (const Surface& face : {Sphere(10), Sphere(-10), Asphere(10, 3, {})}) {
        bool failed = false;
        EXPECT_EQ(ProfileSag(face, 10.001, failed), 0);
        EXPECT_TRUE(failed);
    }
    bool failed = false;
    EXPECT_EQ(ProfileSag(Surface{}, 1e9, failed), 0);
    EXPECT_FALSE(failed);
}

// ---- The ray fan across the entrance pupil ----

TEST(CrossSectionFan, RaysSpreadEvenlyJustInsideThePupil) {
    // Seven rays over D: the outer ones 3 (6.95 / 42) D from the chief ray, the middle one on it.
    const double D = 12;
    EXPECT_TRUE(Near(FanOffset(7, 7, D), 3 * 6.95 * D / 42, 1e-15));
    EXPECT_TRUE(Near(FanOffset(1, 7, D), -3 * 6.95 * D / 42, 1e-15));
    EXPECT_EQ(FanOffset(4, 7, D), 0);
    for (int n : {2, 3, 10, 100}) {
        const double step = FanOffset(2, n, D) - FanOffset(1, n, D);
        for (int r = 1; r < n; ++r)
            EXPECT_TRUE(Near(FanOffset(r + 1, n, D) - FanOffset(r, n, D), step, 1e-12));
        EXPECT_LT(FanOffset(n, n, D), D / 2);
        EXPECT_TRUE(Near(FanOffset(n, n, D), (n - 0.05) * D / (2 * n), 1e-14)); // (N - 0.05) / 2N of D
        EXPECT_TRUE(Near(FanOffset(1, n, D), -FanOffset(n, n, D), 1e-14));
    }
    EXPECT_EQ(FanOffset(1, 1, D), 0); // one ray is the chief ray alone
}

// ---- The view ----

TEST(CrossSectionView, AShortWideLensWidensTheAxialRangeEqually) {
    // 10 mm long, 40 mm across, on a 400 x 300 canvas: ratio (40/10)(4/3) = 16/3.
    const CrossSectionView view = FitView(5, 15, 20, 400, 300);
    const double ratio = 16.0 / 3;
    EXPECT_TRUE(Near(view.left, 5 - 10 * (ratio - 1) / 2, 1e-14));
    EXPECT_TRUE(Near(view.right, 15 + 10 * (ratio - 1) / 2, 1e-14));
    EXPECT_TRUE(Near(view.halfWidth, 10 * ratio / 2, 1e-14));
    EXPECT_EQ(view.centre, 0);
    // The full diameter fits in height: 300 px show 300 / (400 / (right - left)) mm.
    EXPECT_TRUE(Near(300 * (view.right - view.left) / 400, 40, 1e-12));

    // A long thin lens keeps its axial range.
    const CrossSectionView longLens = FitView(-10, 190, 5, 400, 300);
    EXPECT_EQ(longLens.left, -10);
    EXPECT_EQ(longLens.right, 190);
    EXPECT_EQ(longLens.halfWidth, 100);
}

TEST(CrossSectionView, TheCanvasMappingAndTheZoomRectangle) {
    CanvasMapping m;
    m.view = {10, 50, 20, 3};
    m.left = 100;
    m.top = 40;
    m.width = 400;
    m.height = 300;
    // x = left + (z - view.left) W / (right - left); y = top + H/2 - W (y - centre) / (2 halfWidth).
    EXPECT_DOUBLE_EQ(m.X(30), 100 + 20 * 10);
    EXPECT_DOUBLE_EQ(m.Y(3), 40 + 150);
    EXPECT_DOUBLE_EQ(m.Y(8), 40 + 150 - 400 * 5 / 40.0);
    EXPECT_DOUBLE_EQ(m.ModelZ(m.X(17.5)), 17.5);
    EXPECT_DOUBLE_EQ(m.ModelY(m.Y(-4.25)), -4.25);

    // A rectangle from (200, 100) to (300, 160), dragged either way: its axial range, its middle height,
    // one scale for both axes.
    for (const auto& [x0, y0, x1, y1] :
         {std::array{200.0, 100.0, 300.0, 160.0}, std::array{300.0, 160.0, 200.0, 100.0}}) {
        const CrossSectionView zoom = ZoomView(m, x0, y0, x1, y1);
        EXPECT_DOUBLE_EQ(zoom.left, 10 + 100 / 10.0);
        EXPECT_DOUBLE_EQ(zoom.right, 10 + 200 / 10.0);
        EXPECT_DOUBLE_EQ(zoom.halfWidth, 5);
        EXPECT_DOUBLE_EQ(zoom.centre, 3 + (190 - 130) / 10.0);
    }
    // A click without width keeps the view.
    const CrossSectionView same = ZoomView(m, 250, 100, 250, 200);
    EXPECT_EQ(same.left, m.view.left);
    EXPECT_EQ(same.right, m.view.right);
}

// ---- The drawing of a lens ----

// An equi-convex singlet, r = 50, 5 mm thick, n = 1.5, Diameter 20, focused (last distance 0).
Lens Singlet(const std::string& front = "20", const std::string& back = "20") {
    Lens lens = MakeLens({{"Glass", "50", "5", "1.5", "", "20"}, {"Air", "-50", "0", "1", "", "20"}});
    lens.SetText(col::Diameter, 2, front);
    lens.SetText(col::Diameter, 3, back);
    lens.SetDataModified(false);
    return lens;
}

TEST(CrossSectionDrawing, RaysFollowAnIndependentTraceToTheParaxialImage) {
    Drawn d(Singlet());
    const double n = 1.5, t = 5, c1 = 1 / 50.0, c2 = -1 / 50.0;
    // The thick lens: 1/f = (n - 1)(c1 - c2 + (n - 1) t c1 c2 / n), BFD = f (1 - (n - 1) t c1 / n).
    const double f = 1 / ((n - 1) * (c1 - c2 + (n - 1) * t * c1 * c2 / n));
    const double bfd = f * (1 - (n - 1) * t * c1 / n);
    for (double angle : {0.0, 3.0}) {
        CrossSectionSettings settings;
        settings.angles = {{angle, colours::Black}};
        const CrossSectionResult result = d.Draw(settings);
        ASSERT_TRUE(result.valid);
        ASSERT_TRUE(result.error.empty());
        EXPECT_TRUE(Near(result.focalLength, f, 1e-9));
        const double shift = 0.1 * f; // the start plane and the first vertex lie 0.1 f along
        ASSERT_GT(result.pupilDiameter, 0);
        // The image plane at the paraxial focus.
        ASSERT_FALSE(result.imagePlane.empty());
        for (const DrawPoint& p : result.imagePlane) EXPECT_TRUE(Near(p.z, shift + t + bfd, 1e-9));

        for (int r = 0; r <= 7; ++r) {
            const DrawnRay& ray = RayOf(result, 0, r);
            ASSERT_EQ(ray.points.size(), 4u) << r; // start, two faces, image
            EXPECT_FALSE(ray.lost);
            EXPECT_TRUE(ray.reachedImage);
            const double chief = RayOf(result, 0, 0).points[0].y;
            const double offset =
                r == 0 ? 0 : (7 - 0.05) * (r - 4.0) * result.pupilDiameter / (7 * 6); // spread over the pupil
            EXPECT_TRUE(Near(ray.points[0].y, chief + offset, 1e-12, 1e-12)) << r;
            EXPECT_TRUE(Near(ray.points[0].z, shift, 1e-12));
            // Drawn coming in from 0.1 f before the start plane, along its direction.
            ASSERT_TRUE(ray.leadIn.has_value());
            EXPECT_TRUE(Near(ray.leadIn->z, 0, 0, 1e-12));
            EXPECT_TRUE(
                Near(ray.leadIn->y, ray.points[0].y - shift * std::tan(angle * kDegree), 1e-12, 1e-12));
            const test::Vec start{0, ray.points[0].y, 0};
            const test::Vec direction{std::cos(angle * kDegree), std::sin(angle * kDegree), 0};
            // The front face from the ray and the sphere, then the back face and the image plane.
            const test::Vec oc = start - test::Vec{50, 0, 0};
            const double b = test::Dot(oc, direction), cc = test::Dot(oc, oc) - 2500;
            const test::Vec front = start + (-b - std::sqrt(b * b - cc)) * direction;
            const auto [back, after] = test::ReferenceSinglet(start, direction, 50, -50, t, n);
            const double s = (t + bfd - back.x) / after.x;
            const test::Vec image = back + s * after;
            EXPECT_TRUE(Near(ray.points[1].z, shift + front.x, 1e-10, 1e-10)) << r;
            EXPECT_TRUE(Near(ray.points[1].y, front.y, 1e-10, 1e-10)) << r;
            EXPECT_TRUE(Near(ray.points[2].z, shift + back.x, 1e-10, 1e-10)) << r;
            EXPECT_TRUE(Near(ray.points[2].y, back.y, 1e-10, 1e-10)) << r;
            EXPECT_TRUE(Near(ray.points[3].z, shift + image.x, 1e-10, 1e-10)) << r;
            EXPECT_TRUE(Near(ray.points[3].y, image.y, 1e-9, 1e-9)) << r;
        }
    }
}

TEST(CrossSectionDrawing, ProfilesSpanTheDiameterAtTheirSags) {
    Drawn d(Singlet("20", "16"));
    const CrossSectionResult result = d.Draw();
    const double shift = 0.1 * result.focalLength;
    const FaceOutline& front = OutlineOf(result, 1);
    const FaceOutline& back = OutlineOf(result, 2);
    ASSERT_EQ(front.pieces.size(), 1u);
    ASSERT_EQ(front.pieces[0].size(), 201u); // 200 segments
    EXPECT_EQ(front.kind, FaceKind::Refracting);
    for (const DrawPoint& p : front.pieces[0]) {
        EXPECT_LE(std::fabs(p.y), 10 + 1e-12);
        EXPECT_TRUE(Near(p.z, shift + 50 - std::sqrt(2500 - p.y * p.y), 1e-12, 1e-12));
    }
    EXPECT_TRUE(Near(front.pieces[0].front().y, -10, 1e-15));
    EXPECT_TRUE(Near(front.pieces[0].back().y, 10, 1e-15));
    ASSERT_EQ(back.pieces.size(), 1u);
    EXPECT_TRUE(Near(back.pieces[0].back().y, 8, 1e-15));
    for (const DrawPoint& p : back.pieces[0])
        EXPECT_TRUE(Near(p.z, shift + 5 - 50 + std::sqrt(2500 - p.y * p.y), 1e-12, 1e-12));

    // The edges join the rims, above and below, stepping out to the larger diameter: from the front
    // rim (height 10) across to the back face's rim plane, then down to the back rim (height 8).
    ASSERT_EQ(result.edges.size(), 2u);
    for (const DrawLine& edge : result.edges) {
        ASSERT_EQ(edge.size(), 3u);
        const double side = edge.front().y > 0 ? 1 : -1;
        const double frontRim = shift + 50 - std::sqrt(2500 - 100.0);
        const double backRim = shift + 5 - 50 + std::sqrt(2500 - 64.0);
        EXPECT_TRUE(Near(edge[0].z, frontRim, 1e-12));
        EXPECT_TRUE(Near(edge[0].y, side * 10, 1e-15));
        EXPECT_TRUE(Near(edge[1].z, backRim, 1e-12));
        EXPECT_TRUE(Near(edge[1].y, side * 10, 1e-15));
        EXPECT_TRUE(Near(edge[2].z, backRim, 1e-12));
        EXPECT_TRUE(Near(edge[2].y, side * 8, 1e-15));
    }
}

TEST(CrossSectionDrawing, TheHiddenDiameterIsLeftOpenExceptInAllRayMode) {
    // Diameter 40, HideDiam. 10: drawn only for 5 < |h| <= 20.
    Lens lens = MakeLens({{"Glass", "80", "6", "1.5", "", "40"}, {"Air", "-80", "0", "1", "", "40"}});
    lens.SetText(col::Diameter, 2, "40");
    lens.SetText(col::HideDiameter, 2, "10");
    lens.SetDataModified(false);
    Drawn d(std::move(lens));
    const CrossSectionResult result = d.Draw();
    const FaceOutline& face = OutlineOf(result, 1);
    ASSERT_EQ(face.pieces.size(), 2u);
    std::size_t points = 0;
    for (const DrawLine& piece : face.pieces) {
        points += piece.size();
        for (const DrawPoint& p : piece) {
            EXPECT_GT(std::fabs(p.y), 5);
            EXPECT_LE(std::fabs(p.y), 20 + 1e-12);
        }
    }
    // 201 heights 0.2 mm apart; |h| <= 5 leaves out 51 of them.
    EXPECT_EQ(points, 201u - 51u);

    CrossSectionSettings allRays;
    allRays.allRays = true;
    const CrossSectionResult open = d.Draw(allRays);
    ASSERT_EQ(OutlineOf(open, 1).pieces.size(), 1u);
    EXPECT_EQ(OutlineOf(open, 1).pieces[0].size(), 201u);
}

TEST(CrossSectionDrawing, LostRaysStopWhereTheyAreLostUnlessAllRaysGoOn) {
    // The back face's clear aperture (4 mm across) blocks the outer rays of a 10 mm beam.
    Lens lens = MakeLens({{"Glass", "50", "5", "1.5", "", "10"}, {"Air", "-50", "0", "1", "", "4"}});
    Drawn d(std::move(lens));
    const CrossSectionResult real = d.Draw();
    const DrawnRay& outer = RayOf(real, 0, 7);
    EXPECT_TRUE(outer.lost);
    EXPECT_FALSE(outer.reachedImage);
    ASSERT_EQ(outer.points.size(), 3u); // start, front face, the back face where it was lost
    const DrawnRay& chief = RayOf(real, 0, 0);
    EXPECT_FALSE(chief.lost);
    EXPECT_EQ(chief.points.size(), 4u);

    CrossSectionSettings settings;
    settings.allRays = true;
    const CrossSectionResult all = d.Draw(settings);
    const DrawnRay& goesOn = RayOf(all, 0, 7);
    EXPECT_TRUE(goesOn.lost);
    EXPECT_TRUE(goesOn.reachedImage);
    EXPECT_EQ(goesOn.points.size(), 4u);
}

TEST(CrossSectionDrawing, RaysMeetTheDecentredAndTiltedFacesWhereTheyAreDrawn) {
    // A singlet, then a dummy plane in air before the image; one face tilted or decentred.
    struct Case {
        const char* name;
        int row; // 3: the singlet's back face, 4: the dummy plane
        std::string_view column;
        const char* value;
    };
    const Case cases[] = {{"plane tilted 8 degrees", 4, col::Theta, "8"},
                          {"plane tilted -15 degrees", 4, col::Theta, "-15"},
                          {"plane decentred 1.5 mm", 4, col::Y, "1.5"},
                          {"plane decentred -2 mm", 4, col::Y, "-2"},
                          {"back face tilted 8 degrees", 3, col::Theta, "8"},
                          {"back face tilted -5 degrees", 3, col::Theta, "-5"},
                          {"back face decentred 0.7 mm", 3, col::Y, "0.7"}};
    for (const Case& c : cases) {
        Lens lens = MakeLens({{"Glass", "60", "5", "1.5", "", "20"},
                              {"Air", "-60", "20", "1", "", "20"},
                              {"Air", "0", "0", "1", "", "20"}});
        lens.SetText(c.column, c.row, c.value);
        lens.SetDataModified(false);
        Drawn d(std::move(lens));
        CrossSectionSettings settings;
        settings.angles = {{0, colours::Black}, {4, colours::Red}};
        const CrossSectionResult result = d.Draw(settings);
        ASSERT_TRUE(result.valid) << c.name;
        const int face = c.row - 1;
        const FaceOutline& outline = OutlineOf(result, face);
        ASSERT_EQ(outline.pieces.size(), 1u) << c.name;
        const DrawLine& line = outline.pieces[0];
        const double shift = 0.1 * result.focalLength;
        const double value = std::atof(c.value);
        if (face == 3) {
            ASSERT_EQ(line.size(), 2u) << c.name;
            const DrawPoint centre{(line[0].z + line[1].z) / 2, (line[0].y + line[1].y) / 2};
            const double vertex = shift + 5 + 20;
            // A dummy plane reaches one seventh of the object row's diameter (10) beyond its own (20).
            const double half = 10 + 10.0 / 7;
            EXPECT_TRUE(Near(std::hypot(line[1].z - line[0].z, line[1].y - line[0].y), 2 * half, 1e-12))
                << c.name;
            if (c.column == col::Theta) {
                // Turned about its vertex by the tilt.
                EXPECT_TRUE(Near(centre.z, vertex, 1e-12)) << c.name;
                EXPECT_TRUE(Near(centre.y, 0, 0, 1e-12)) << c.name;
                EXPECT_TRUE(Near(std::fabs(line[1].z - line[0].z),
                                 2 * half * std::sin(std::fabs(value) * kDegree), 1e-12))
                    << c.name;
            } else {
                EXPECT_TRUE(Near(centre.y, value, 1e-12)) << c.name;
                EXPECT_TRUE(Near(line[0].z, vertex, 1e-12)) << c.name;
                EXPECT_TRUE(Near(line[1].z, vertex, 1e-12)) << c.name;
            }
        } else {
            // The profile keeps its shape: its rim points 20 mm apart, the vertex (middle point) where the
            // face stands, its chord turned by the tilt.
            ASSERT_EQ(line.size(), 201u) << c.name;
            EXPECT_TRUE(
                Near(std::hypot(line.back().z - line.front().z, line.back().y - line.front().y), 20, 1e-12))
                << c.name;
            const DrawPoint vertex = line[100];
            if (c.column == col::Theta) {
                EXPECT_TRUE(Near(vertex.z, shift + 5, 1e-12)) << c.name;
                EXPECT_TRUE(Near(vertex.y, 0, 0, 1e-12)) << c.name;
                const double chordAngle =
                    std::atan2(line.front().z - line.back().z, line.back().y - line.front().y) / kDegree;
                EXPECT_TRUE(Near(std::fabs(chordAngle), std::fabs(value), 1e-9)) << c.name;
            } else {
                EXPECT_TRUE(Near(vertex.z, shift + 5, 1e-12)) << c.name;
                EXPECT_TRUE(Near(vertex.y, value, 1e-12)) << c.name;
            }
        }
        // Every ray's point on the face lies on the drawn face (within the chords of the 200 segments);
        // a ray lost there may meet the surface beyond the diameter drawn.
        int checked = 0;
        for (const DrawnRay& ray : result.rays) {
            if (ray.points.size() <= static_cast<std::size_t>(face + 1)) continue;
            EXPECT_LT(DistanceToLine(ray.points[face], line), 1e-4) << c.name << " ray " << ray.ray;
            ++checked;
        }
        EXPECT_GE(checked, 10) << c.name;
    }
}

TEST(CrossSectionDrawing, ATiltedFaceTurnsTheRaysAsSnellsLawSays) {
    // A plate whose back face is tilted (a wedge), then a singlet to form an image: the rays leave the
    // wedge's back face in the direction Snell's law gives for the drawn face's normal.
    Lens lens = MakeLens({{"Glass", "0", "10", "1.5", "", "20"},
                          {"Air", "0", "10", "1", "", "20"},
                          {"Glass", "60", "5", "1.5", "", "30"},
                          {"Air", "-60", "0", "1", "", "30"}});
    lens.SetText(col::Theta, 3, "10");
    lens.SetDataModified(false);
    Drawn d(std::move(lens));
    CrossSectionSettings settings;
    settings.angles = {{0, colours::Black}, {3, colours::Red}};
    const CrossSectionResult result = d.Draw(settings);
    const DrawLine& face = OutlineOf(result, 2).pieces.at(0);
    // The face's direction and its unit normal in the drawing.
    const double fz = face[1].z - face[0].z, fy = face[1].y - face[0].y, length = std::hypot(fz, fy);
    EXPECT_TRUE(Near(std::fabs(std::atan2(fz, fy)) / kDegree, 10, 1e-9));
    const double nz = fy / length, ny = -fz / length;
    int checked = 0;
    for (const DrawnRay& ray : result.rays) {
        if (ray.lost) continue;
        ASSERT_GE(ray.points.size(), 4u);
        const double iz = ray.points[2].z - ray.points[1].z, iy = ray.points[2].y - ray.points[1].y;
        const double oz = ray.points[3].z - ray.points[2].z, oy = ray.points[3].y - ray.points[2].y;
        // sin of the angle to the normal: the cross product of unit vectors.
        const double sinIn = (iz * ny - iy * nz) / std::hypot(iz, iy);
        const double sinOut = (oz * ny - oy * nz) / std::hypot(oz, oy);
        EXPECT_TRUE(Near(1.5 * sinIn, sinOut, 1e-9, 1e-12)) << ray.angle << " " << ray.ray;
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

TEST(CrossSectionDrawing, MirrorsStopsAndThePupilMark) {
    // A lens without a stop face gets the rim of its entrance pupil marked (its aperture is the first
    // face that refracts); one with a stop face gets none.
    Drawn plain(Singlet());
    const CrossSectionResult without = plain.Draw();
    EXPECT_EQ(without.stopSurface, 1);
    ASSERT_EQ(without.pupilTicks.size(), 2u);
    EXPECT_TRUE(Near(without.pupilDiameter, 20, 1e-9)); // face 1's clear aperture
    for (const PupilTick& tick : without.pupilTicks) {
        EXPECT_TRUE(Near(std::fabs(tick.base.y), without.pupilDiameter / 2, 1e-12));
        EXPECT_TRUE(Near(tick.base.z, 0.1 * without.focalLength, 1e-12)); // the pupil lies on face 1
        EXPECT_GT(tick.outward.y * tick.base.y, 0);                       // away from the axis
    }

    Lens stopped = MakeLens({{"Air", "0", "5", "1", "Stop Plane", "8"},
                             {"Glass", "50", "5", "1.5", "", "20"},
                             {"Air", "-50", "0", "1", "", "20"}});
    Drawn withStop(std::move(stopped));
    const CrossSectionResult stopResult = withStop.Draw();
    EXPECT_EQ(stopResult.stopSurface, 1);
    EXPECT_TRUE(stopResult.pupilTicks.empty());
    EXPECT_EQ(OutlineOf(stopResult, 1).kind, FaceKind::Stop);
    // The stop's rim stands outside its opening: nothing drawn within 4 mm of the axis.
    for (const DrawLine& piece : OutlineOf(stopResult, 1).pieces)
        for (const DrawPoint& p : piece) EXPECT_GE(std::fabs(p.y), 4 - 1e-12);
    // The stop limits the beam: the outer rays pass inside its opening.
    for (const DrawnRay& ray : stopResult.rays) EXPECT_LT(std::fabs(ray.points.at(1).y), 4 + 1e-9);
}

// The classical Cassegrain of the samples: the light goes back from the primary to the secondary and
// forward again through the primary's hole. The rays meet both mirrors on their conics and focus without
// spherical aberration (a paraboloid with the hyperboloid k = -((m + 1)/(m - 1))^2, m = 5); the fitted
// range holds the secondary in front of the start plane and the focus behind the primary.
TEST(CrossSectionDrawing, ACassegrainsRaysGoBackAndForthWithinTheFittedView) {
    Lens lens;
    ASSERT_TRUE(ReadLensFile(lens, test::SourcePath("data/Lens/cassegrain.ldt")).Ok());
    Drawn d(std::move(lens));
    const CrossSectionResult result = d.Draw();
    ASSERT_TRUE(result.valid);
    ASSERT_TRUE(result.error.empty());
    EXPECT_TRUE(Near(result.focalLength, 2000, 1e-9));
    const double primary = 0.1 * result.focalLength, secondary = primary - 300, image = secondary + 500;
    EXPECT_EQ(OutlineOf(result, 1).kind, FaceKind::Mirror);
    EXPECT_EQ(OutlineOf(result, 2).kind, FaceKind::Mirror);
    const auto conic = [](double c, double k, double h) {
        return c * h * h / (1 + std::sqrt(1 - (1 + k) * c * c * h * h));
    };
    double zMin = result.zMin, zMax = result.zMax;
    int traced = 0;
    for (const DrawnRay& ray : result.rays) {
        if (ray.lost) continue;
        ASSERT_EQ(ray.points.size(), 4u) << ray.ray;
        const DrawPoint onPrimary = ray.points[1], onSecondary = ray.points[2], end = ray.points[3];
        EXPECT_TRUE(Near(onPrimary.z, primary + conic(-1 / 800.0, -1, onPrimary.y), 1e-9, 1e-9)) << ray.ray;
        EXPECT_TRUE(Near(onSecondary.z, secondary + conic(-1 / 250.0, -2.25, onSecondary.y), 1e-9, 1e-9))
            << ray.ray;
        EXPECT_LT(onSecondary.z, onPrimary.z); // backwards to the secondary
        EXPECT_GT(end.z, onSecondary.z);       // and forwards to the focus
        EXPECT_TRUE(Near(end.z, image, 1e-9));
        EXPECT_TRUE(Near(end.y, 0, 0, 1e-7)) << ray.ray; // a perfect axial focus
        for (const DrawPoint& p : ray.points) {
            EXPECT_GE(p.z, zMin);
            EXPECT_LE(p.z, zMax);
        }
        ++traced;
    }
    EXPECT_GE(traced, 6);
    EXPECT_LT(result.zMin, secondary); // the view reaches beyond the secondary and the focus
    EXPECT_GT(result.zMax, image);
}

// A plane mirror tilted 45 degrees folds the beam: the profile is a straight line at 45 degrees, every ray
// meets it on that line and leaves as the law of reflection says for its normal; the axial chief ray goes
// on at right angles to the axis.
TEST(CrossSectionDrawing, AFoldMirrorTurnsItsProfileAndTheRays) {
    Lens lens = MakeLens({{"Glass", "60", "5", "1.5", "", "20"},
                          {"Air", "-60", "30", "1", "", "20"},
                          {"Mirror", "0", "70", "-1", "", "40"}});
    lens.SetText(col::Theta, 4, "45"); // face 3
    lens.SetDataModified(false);
    Drawn d(std::move(lens));
    CrossSectionSettings settings;
    settings.angles = {{0, colours::Black}, {3, colours::Red}};
    const CrossSectionResult result = d.Draw(settings);
    ASSERT_TRUE(result.valid);
    ASSERT_TRUE(result.error.empty());
    const FaceOutline& mirror = OutlineOf(result, 3);
    EXPECT_EQ(mirror.kind, FaceKind::Mirror);
    const DrawLine& line = mirror.pieces.at(0);
    const double uz = line.back().z - line.front().z, uy = line.back().y - line.front().y;
    const double length = std::hypot(uz, uy);
    EXPECT_TRUE(Near(std::fabs(std::atan2(uz, uy)) / kDegree, 45, 1e-9));
    const double nz = uy / length, ny = -uz / length; // the unit normal of the drawn face
    int checked = 0;
    for (const DrawnRay& ray : result.rays) {
        if (ray.lost) continue;
        ASSERT_EQ(ray.points.size(), 5u);
        EXPECT_LT(DistanceToLine(ray.points[3], line), 1e-9);
        const double iz = ray.points[3].z - ray.points[2].z, iy = ray.points[3].y - ray.points[2].y;
        const double oz = ray.points[4].z - ray.points[3].z, oy = ray.points[4].y - ray.points[3].y;
        const double in = std::hypot(iz, iy), out = std::hypot(oz, oy);
        const double dot = (iz * nz + iy * ny) / in;
        EXPECT_TRUE(Near(oz / out, iz / in - 2 * dot * nz, 0, 1e-9)) << ray.angle << " " << ray.ray;
        EXPECT_TRUE(Near(oy / out, iy / in - 2 * dot * ny, 0, 1e-9)) << ray.angle << " " << ray.ray;
        if (ray.angle == 0 && ray.ray == 0) {
            EXPECT_TRUE(Near(oz / out, 0, 0, 1e-12));
        }
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

TEST(CrossSectionDrawing, TheTracerIsLeftAsItWasFound) {
    Drawn d(Singlet());
    d.tracer.Context().fieldAngle = 2.5;
    d.tracer.Context().mode = TraceMode::Spot;
    d.tracer.AllocateBundle(5, 2);
    CrossSectionSettings settings;
    settings.angles = {{0, colours::Black}, {5, colours::Blue}};
    settings.rayCount = 11;
    settings.multiColour = true;
    const CrossSectionResult result = d.Draw(settings);
    EXPECT_EQ(result.rays.size(), 2u * 12u * result.wavelengths.size());
    EXPECT_EQ(d.tracer.Context().fieldAngle, 2.5);
    EXPECT_EQ(d.tracer.Context().mode, TraceMode::Spot);
    EXPECT_EQ(d.tracer.Bundle().RayCount(), 5);
    EXPECT_EQ(d.tracer.Bundle().SlotCount(), 2);
}

TEST(CrossSectionDrawing, ColoursFollowTheAnglesOrTheWavelengths) {
    Drawn d(Singlet());
    CrossSectionSettings settings;
    settings.angles = {{0, colours::Red}, {2, colours::Blue}};
    const CrossSectionResult single = d.Draw(settings);
    ASSERT_EQ(single.wavelengths.size(), 1u);
    EXPECT_EQ(single.wavelengths[0].listPosition, d.lens.Wavelengths().Reference());
    for (const DrawnRay& ray : single.rays)
        EXPECT_EQ(ray.colour, ray.angle == 0 ? colours::Red : colours::Blue);

    settings.multiColour = true;
    const CrossSectionResult multi = d.Draw(settings);
    int marked = 0;
    for (int w = 0; w < d.lens.Wavelengths().Count(); ++w)
        marked += d.lens.Wavelengths().At(w).calculate ? 1 : 0;
    EXPECT_EQ(static_cast<int>(multi.wavelengths.size()), marked);
    for (const DrawnRay& ray : multi.rays)
        EXPECT_EQ(ray.colour, d.lens.Wavelengths().At(ray.wavelength).colour);
}

TEST(CrossSectionDrawing, TheDisplayShiftMovesTheRaysEnds) {
    Drawn d(Singlet());
    CrossSectionSettings settings;
    const CrossSectionResult focused = d.Draw(settings);
    settings.displayShift = 3;
    const CrossSectionResult shifted = d.Draw(settings);
    for (int r = 0; r <= 7; ++r) {
        const DrawnRay& a = RayOf(focused, 0, r);
        const DrawnRay& b = RayOf(shifted, 0, r);
        ASSERT_EQ(b.points.size(), 4u);
        EXPECT_TRUE(Near(b.points[3].z - a.points[3].z, 3, 1e-12));
        // Still on the same straight line after the back face.
        const DrawPoint p = a.points[2], q = a.points[3], s = b.points[3];
        EXPECT_TRUE(Near((q.z - p.z) * (s.y - p.y) - (q.y - p.y) * (s.z - p.z), 0, 0, 1e-9));
    }
    // The image plane stays at the image.
    EXPECT_EQ(shifted.imagePlane.front().z, focused.imagePlane.front().z);
}

} // namespace
} // namespace vitrimo
