#include "design/CrossSection.h"

#include "engine/SphereIntersection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace vitrimo {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr int kProfileSegments = 200;       // each curved face is drawn through 201 points
constexpr double kPlaneExtension = 1.0 / 7; // a dummy plane reaches beyond its diameter by this much of
                                            // the object row's diameter
constexpr double kRimTolerance = 1e-12;     // how far below zero rounding may take the root at a rim point
constexpr double kMarkSize = 0.025;         // hatching and arrow heads, of the largest face diameter

using Vec3 = std::array<double, 3>;

// The direction of a ray after the tracer's tilt transform: by phi about the axis, theta in the x-y
// plane, back by phi (the same steps, in the same order, as RayTracer's rotation).
Vec3 RotateDirection(double phiDegrees, double thetaDegrees, const Vec3& v) {
    const double cp = std::cos(phiDegrees * kDegree), sp = std::sin(phiDegrees * kDegree);
    const double ct = std::cos(thetaDegrees * kDegree), st = std::sin(thetaDegrees * kDegree);
    const double L = v[0], M = v[1], N = v[2];
    const double M1 = M * cp + N * sp, N1 = -M * sp + N * cp;
    const double L2 = L * ct + M1 * st, M2 = -L * st + M1 * ct;
    return {L2, M2 * cp - N1 * sp, M2 * sp + N1 * cp};
}

// The frame in which the tracer holds its rays at some point of the trace: a ray point p of that frame
// lies at origin + R p in the drawing's global frame (x the axis of the start plane).
//   - a shift s of the rays (p' = p - s) moves the origin by R s;
//   - a rotation p' = Q (p - c) + c about the pivot c turns R into R Q^T and moves the origin by
//     R (c - Q^T c).
struct Frame {
    Vec3 origin{0, 0, 0};
    std::array<Vec3, 3> R{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}; // R[row][column]

    Vec3 Apply(const Vec3& p) const {
        Vec3 g = origin;
        for (int a = 0; a < 3; ++a) g[a] += R[a][0] * p[0] + R[a][1] * p[1] + R[a][2] * p[2];
        return g;
    }
    Vec3 Turn(const Vec3& v) const {
        Vec3 g{0, 0, 0};
        for (int a = 0; a < 3; ++a) g[a] = R[a][0] * v[0] + R[a][1] * v[1] + R[a][2] * v[2];
        return g;
    }
    void Shift(const Vec3& s) {
        const Vec3 moved = Turn(s);
        for (int a = 0; a < 3; ++a) origin[a] += moved[a];
    }
    void Rotate(double phiDegrees, double thetaDegrees, double pivot) {
        // q[k] = Q e_k, the k-th column of Q; so Q^T has rows q[k].
        const std::array<Vec3, 3> q = {RotateDirection(phiDegrees, thetaDegrees, {1, 0, 0}),
                                       RotateDirection(phiDegrees, thetaDegrees, {0, 1, 0}),
                                       RotateDirection(phiDegrees, thetaDegrees, {0, 0, 1})};
        // Q^T c for c = (pivot, 0, 0): pivot times the first column of Q^T, (q[0][0], q[1][0], q[2][0]).
        const Vec3 move{pivot - pivot * q[0][0], -pivot * q[1][0], -pivot * q[2][0]};
        Shift(move);
        std::array<Vec3, 3> turned{};
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b)
                turned[a][b] = R[a][0] * q[0][b] + R[a][1] * q[1][b] + R[a][2] * q[2][b];
        R = turned;
    }
};

// Where the trace holds its rays: the start frame, the frame of every face (its vertex at the origin, as
// a ray's x after the face is measured from it) and the frame of the image surface.
struct Frames {
    std::vector<Frame> face; // 0 ... n; first - 1 is the start frame
    Frame image;
};

double TiltOf(const Surface& s) {
    return s.tilt + s.tiltDelta;
}
double AzimuthOf(const Surface& s) {
    return s.azimuth + s.azimuthDelta;
}

// The arrays and the one wavelength whose signed indices tell the mirrors, as the trace sees them.
struct Geometry {
    const SurfaceArrays& arrays;
    int first = 1;
    int n = 0;
    int wavelength = 0; // list position
    bool focalRow = false;

    const Surface& At(int i) const { return arrays.surfaces[i]; }
    double Index(int i) const { return arrays.Index(i, wavelength); }
    bool Mirror(int i) const { return i >= 1 && Index(i - 1) * Index(i) < 0; }
};

// Follows the trace's frames surface by surface: the turn after a tilted mirror, the lateral shift, the
// tilt about the face's vertex, and the move of the origin onto that vertex (RefractAtSurface), then the
// last mirror's turn and the focal-plane row's shift and tilt (TraceAll).
Frames FollowFrames(const Geometry& g) {
    Frames frames;
    frames.face.resize(g.n + 1);
    Frame frame;
    for (int k = 0; k < g.first - 1; ++k) frame.origin[0] += g.At(k).distance;
    frames.face[g.first - 1] = frame;
    const auto shiftAndTilt = [&frame](const Surface& s, double pivot) {
        const double dy = s.decenterY + s.shiftY, dz = s.decenterZ + s.shiftZ;
        if (dy != 0 || dz != 0) frame.Shift({0, dy, dz});
        if (TiltOf(s) != 0) frame.Rotate(AzimuthOf(s), TiltOf(s), pivot);
    };
    for (int i = g.first; i <= g.n; ++i) {
        const Surface& previous = g.At(i - 1);
        if (i > g.first && g.Mirror(i - 1) && TiltOf(previous) != 0)
            frame.Rotate(AzimuthOf(previous), TiltOf(previous), 0);
        const double pivot = previous.distance + g.At(i).shiftX;
        shiftAndTilt(g.At(i), pivot);
        frame.Shift({pivot, 0, 0});
        frames.face[i] = frame;
    }
    if (g.Mirror(g.n) && TiltOf(g.At(g.n)) != 0) frame.Rotate(AzimuthOf(g.At(g.n)), TiltOf(g.At(g.n)), 0);
    if (g.focalRow) shiftAndTilt(g.At(g.n + 1), g.At(g.n).distance + g.At(g.n + 1).shiftX);
    frames.image = frame;
    return frames;
}

// The drawing's point of a point (x, y, z) of a frame.
DrawPoint Draw(const Frame& frame, double x, double y, double z, double axialShift) {
    const Vec3 g = frame.Apply({x, y, z});
    return {g[0] + axialShift, g[1]};
}

bool Finite(const DrawPoint& p) {
    return std::isfinite(p.z) && std::isfinite(p.y);
}

// The heights -radius ... radius in `segments` equal steps, less those the hidden diameter leaves open
// (|h| at most half of it), as runs of consecutive heights.
std::vector<std::vector<double>> HeightRuns(double radius, int segments, double hiddenRadius) {
    std::vector<std::vector<double>> runs(1);
    for (int k = 0; k <= segments; ++k) {
        // radius (2k - segments) / segments, written so that the middle and the ends are exact.
        const double h = radius * (2 * k - segments) / segments;
        if (hiddenRadius > 0 && std::fabs(h) <= hiddenRadius) {
            if (!runs.back().empty()) runs.emplace_back();
            continue;
        }
        runs.back().push_back(h);
    }
    if (runs.back().empty()) runs.pop_back();
    return runs;
}

// A straight line across a plane from -outer to outer, open where the hidden diameter leaves it open.
std::vector<std::pair<double, double>> PlaneRuns(double outer, double hiddenRadius) {
    if (hiddenRadius <= 0) return {{-outer, outer}};
    if (hiddenRadius >= outer) return {};
    return {{-outer, -hiddenRadius}, {hiddenRadius, outer}};
}

struct Extent {
    double zMin = std::numeric_limits<double>::infinity();
    double zMax = -std::numeric_limits<double>::infinity();
    double yMax = 0;
    void Add(const DrawPoint& p) {
        if (!Finite(p)) return;
        zMin = std::min(zMin, p.z);
        zMax = std::max(zMax, p.z);
        yMax = std::max(yMax, std::fabs(p.y));
    }
    void Add(const DrawLine& line) {
        for (const DrawPoint& p : line) Add(p);
    }
};

// Records each drawn ray's point on every face as the trace passes it. A ray stops being drawn at the face
// where it is lost (in all-ray mode it goes on), and at a point whose numbers are not finite.
class RayRecorder : public SurfaceObserver {
public:
    RayRecorder(const Frames& frames, double axialShift, bool allRays)
        : frames_(frames), shift_(axialShift), allRays_(allRays) {}

    // A drawn ray of traced wavelength w.
    void Watch(int w, DrawnRay* ray) { watched_.push_back({w, ray, false}); }
    void Clear() { watched_.clear(); }
    // Whether the k-th ray watched is still drawn on.
    bool Drawing(std::size_t k) const { return !watched_[k].stopped; }

    void AfterSurface(int surface, int w, const RayBlock& rays) override {
        const Frame& frame = frames_.face[surface];
        for (Watched& watched : watched_) {
            if (watched.w != w || watched.stopped) continue;
            DrawnRay& ray = *watched.ray;
            const int r = ray.ray;
            const DrawPoint p = Draw(frame, rays.x[r], rays.y[r], rays.z[r], shift_);
            if (!Finite(p)) {
                watched.stopped = true;
                ray.lost = true;
                continue;
            }
            ray.points.push_back(p);
            if (rays.vignetted[r] != 0) {
                ray.lost = true;
                if (!allRays_) watched.stopped = true;
            }
        }
    }

private:
    struct Watched {
        int w;
        DrawnRay* ray;
        bool stopped;
    };
    const Frames& frames_;
    double shift_;
    bool allRays_;
    std::vector<Watched> watched_;
};

// Keeps the tracer as the drawing found it: the other windows read their rays from it later.
class TracerState {
public:
    explicit TracerState(RayTracer& tracer)
        : tracer_(tracer), bundle_(std::move(tracer.Bundle())), context_(tracer.Context()) {}
    ~TracerState() {
        tracer_.SetObserver(nullptr);
        tracer_.Bundle() = std::move(bundle_);
        tracer_.Context() = context_;
    }
    TracerState(const TracerState&) = delete;
    TracerState& operator=(const TracerState&) = delete;

private:
    RayTracer& tracer_;
    RayBundle bundle_;
    TraceContext context_;
};

// The kind of face i as the drawing shows it.
FaceKind KindOf(const Geometry& g, int i, int stop, bool curved) {
    const Surface& s = g.At(i);
    if (s.type == SurfaceType::IdealLens) return FaceKind::IdealLens;
    if (g.Mirror(i)) return FaceKind::Mirror;
    if (!curved && g.Index(i - 1) == g.Index(i)) return i == stop ? FaceKind::Stop : FaceKind::DummyPlane;
    return FaceKind::Refracting;
}

bool Curved(const Surface& s) {
    if (s.type == SurfaceType::IdealLens) return false;
    if (s.curvature != 0) return true;
    return s.isAspheric &&
           std::any_of(s.aspheric.begin(), s.aspheric.begin() + 4, [](double a) { return a != 0; });
}

double OuterDiameter(const Surface& s) {
    return s.outerDiameter > 0 ? s.outerDiameter : s.effectiveDiameter;
}

} // namespace

double FanOffset(int r, int rayCount, double pupilDiameter) {
    if (rayCount < 2) return 0;
    const double n = rayCount;
    return (n - 0.05) * (r - (n + 1) / 2) * pupilDiameter / (n * (n - 1));
}

double ProfileSag(const Surface& face, double h, bool& failed) {
    using Real = long double;
    const Real c = face.curvature, h2 = Real(h) * h;
    if (!face.isAspheric && c == 0) return 0;
    const Real k1 = face.isAspheric ? 1 + Real(face.conic) : 1;
    Real root = 1 - k1 * c * c * h2;
    // At the rim of a hemisphere (a diameter of exactly 2 |r|) rounding leaves the root a hair below zero:
    // that point lies on the surface. Only a height clearly beyond it cannot be drawn.
    if (root < 0 && root > -kRimTolerance) root = 0;
    if (root < 0) {
        failed = true;
        return 0;
    }
    // c h^2 / (1 + sqrt(1 - (1 + k) c^2 h^2)): for a sphere the same as 1/c - sign(c) sqrt(1/c^2 - h^2),
    // without the cancellation of a weak curvature.
    Real sag = c * h2 / (1 + std::sqrt(root));
    if (face.isAspheric) {
        const auto& a = face.aspheric;
        sag += h2 * h2 * (a[0] + h2 * (a[1] + h2 * (a[2] + h2 * a[3])));
    }
    return static_cast<double>(sag);
}

CrossSectionResult ComputeCrossSection(const Lens& lens, RayTracer& tracer,
                                       const CrossSectionSettings& settings, Host& host) {
    CrossSectionResult result;
    result.settings = settings;
    result.settings.rayCount = std::clamp(settings.rayCount, 1, 100);
    if (result.settings.angles.empty()) result.settings.angles.push_back(CrossSectionAngle{});
    const SurfaceArrays& arrays = lens.Arrays();
    if (!tracer.Bound() || arrays.Count() < 2 || tracer.SurfaceCount() < 1 ||
        tracer.TracedWavelengthCount() == 0) {
        result.error = tracer.TracedWavelengthCount() == 0 && tracer.Bound()
                           ? "No wavelength can be traced: some face has no refractive index."
                           : "The lens has no faces to draw.";
        return result;
    }
    const CrossSectionSettings& s = result.settings;
    const TraceContext& bound = tracer.Context();
    const int n = std::min(tracer.SurfaceCount(), arrays.Count() - 1);
    const Geometry g{arrays, std::clamp(bound.firstSurface, 1, n), n,
                     tracer.ListWavelength(tracer.ReferenceTraced()),
                     n + 1 < arrays.Count() && arrays.surfaces[n + 1].type == SurfaceType::FocalPlane};
    const Frames frames = FollowFrames(g);

    result.focalLength = lens.FocalLength();
    const double shift = 0.1 * std::fabs(result.focalLength);
    for (const Surface& surface : arrays.surfaces)
        result.maxDiameter = std::max(result.maxDiameter, surface.effectiveDiameter);
    result.stopSurface = bound.stopSurface;
    result.pupilDiameter = bound.entrancePupilDiameter;
    double largest = 0; // the largest face diameter: the size of the marks
    for (int i = g.first; i <= n; ++i) largest = std::max(largest, OuterDiameter(g.At(i)));
    const double mark = kMarkSize * (largest > 0 ? largest : 1);
    const double objectDiameter =
        OuterDiameter(g.At(0)) > 0 ? OuterDiameter(g.At(0)) : OuterDiameter(g.At(1));
    const double extension = kPlaneExtension * objectDiameter;

    // ---- The axis ----
    result.axis.push_back(Draw(frames.face[g.first - 1], -shift, 0, 0, shift));
    result.axis.push_back(Draw(frames.face[g.first - 1], 0, 0, 0, shift));
    for (int i = g.first; i <= n; ++i) result.axis.push_back(Draw(frames.face[i], 0, 0, 0, shift));
    result.axis.push_back(Draw(frames.image, tracer.LastDistance(), 0, 0, shift));
    result.axis.push_back(
        Draw(frames.image, tracer.LastDistance() + tracer.ImageSideSign() * shift, 0, 0, shift));

    // ---- The faces ----
    for (int i = g.first; i <= n; ++i) {
        const Surface& face = g.At(i);
        const Frame& frame = frames.face[i];
        const bool curved = Curved(face);
        FaceOutline outline;
        outline.face = i;
        outline.kind = KindOf(g, i, result.stopSurface, curved);
        const double radius = OuterDiameter(face) / 2;
        const double hidden = s.allRays ? 0 : face.hideDiameter / 2;
        const auto point = [&](double x, double h) { return Draw(frame, x, h, 0, shift); };
        bool failed = false;
        if (curved) {
            for (const auto& run : HeightRuns(radius, kProfileSegments, hidden)) {
                DrawLine piece;
                for (double h : run) piece.push_back(point(ProfileSag(face, h, failed), h));
                if (piece.size() >= 2) outline.pieces.push_back(std::move(piece));
            }
        } else if (outline.kind == FaceKind::Stop) {
            // The stop's rim: from the clear aperture outwards.
            const double inner = face.effectiveDiameter / 2;
            const double outer = std::max(radius, inner) + extension;
            for (double side : {1.0, -1.0})
                outline.pieces.push_back({point(0, side * inner), point(0, side * outer)});
        } else {
            const double outer = radius + (outline.kind == FaceKind::DummyPlane ? extension : 0);
            for (const auto& [low, high] : PlaneRuns(outer, hidden))
                outline.pieces.push_back({point(0, low), point(0, high)});
        }
        if (failed) result.cannotDraw = true;

        if (outline.kind == FaceKind::Mirror && radius > 0) {
            // Hatching on the back: the side the light came from lies at -x when it travelled along +x.
            const double back = g.Index(i - 1) > 0 ? 1 : -1;
            const int strokes = std::clamp(static_cast<int>(std::lround(2 * radius / mark)), 4, 60);
            for (int k = 0; k < strokes; ++k) {
                const double h = -radius + (k + 0.5) * 2 * radius / strokes;
                if (hidden > 0 && std::fabs(h) <= hidden) continue;
                bool ignored = false;
                const double x = ProfileSag(face, h, ignored);
                outline.marks.push_back({point(x, h), point(x + back * mark, h + mark)});
            }
        } else if (outline.kind == FaceKind::IdealLens && radius > 0) {
            // Arrow heads: outwards for a converging lens, inwards for a diverging one.
            const double towards = face.curvature >= 0 ? 1 : -1;
            for (double side : {1.0, -1.0}) {
                const double tip = side * radius;
                const double foot = tip - side * towards * mark;
                outline.marks.push_back({point(-mark * 0.6, foot), point(0, tip), point(mark * 0.6, foot)});
            }
        }
        result.faces.push_back(std::move(outline));
    }

    // ---- Edges: the rims of an element's two faces joined, the smaller face stepped out flat ----
    for (int i = g.first; i < n; ++i) {
        const Surface& a = g.At(i);
        const Surface& b = g.At(i + 1);
        if (std::fabs(g.Index(i)) == 1 || a.type == SurfaceType::IdealLens ||
            b.type == SurfaceType::IdealLens)
            continue;
        const double ha = OuterDiameter(a) / 2, hb = OuterDiameter(b) / 2;
        if (ha <= 0 || hb <= 0) continue;
        bool ignored = false;
        const double sa = ProfileSag(a, ha, ignored), sb = ProfileSag(b, hb, ignored);
        for (double side : {1.0, -1.0}) {
            DrawLine edge{Draw(frames.face[i], sa, side * ha, 0, shift)};
            if (ha < hb) edge.push_back(Draw(frames.face[i], sa, side * hb, 0, shift));
            if (ha > hb) edge.push_back(Draw(frames.face[i + 1], sb, side * ha, 0, shift));
            edge.push_back(Draw(frames.face[i + 1], sb, side * hb, 0, shift));
            result.edges.push_back(std::move(edge));
        }
    }

    // ---- The rays ----
    const WavelengthList& list = lens.Wavelengths();
    std::vector<int> drawn; // traced wavelength numbers
    if (s.multiColour)
        for (int w = 0; w < tracer.TracedWavelengthCount(); ++w)
            if (list.At(tracer.ListWavelength(w)).calculate) drawn.push_back(w);
    if (drawn.empty()) drawn.push_back(tracer.ReferenceTraced());
    for (int w : drawn) {
        const Wavelength& wavelength = list.At(tracer.ListWavelength(w));
        result.wavelengths.push_back(
            {tracer.ListWavelength(w), wavelength.name, wavelength.nanometres, wavelength.colour});
    }

    const int fan = s.rayCount >= 2 ? s.rayCount : 0; // one ray: the chief ray alone
    double startHeight = 0; // the largest start height of a chief ray: the object's size
    double imageHeight = 0; // the largest height of a ray that was not lost, on the image surface
    {
        TracerState keep(tracer);
        TraceContext& context = tracer.Context();
        context.mode = TraceMode::CrossSection;
        context.allRayMode = s.allRays;
        context.defocus = 0;
        context.slot = 0;
        const bool extra = context.idealLensPresent;
        const int count = 1 + fan + (extra ? 1 : 0);
        const bool infinite = context.firstSurface == 1;
        const double pupil = context.entrancePupilDiameter;
        RayRecorder recorder(frames, shift, s.allRays);
        tracer.SetObserver(&recorder);

        for (int a = 0; a < static_cast<int>(s.angles.size()); ++a) {
            if (!host.KeepGoing()) {
                result.stopped = true;
                break;
            }
            const double theta = s.angles[a].degrees;
            context.fieldAngle = theta;
            tracer.AllocateBundle(count, 1);
            // The chief ray through the centre of the stop: its start height (object at infinity) or the
            // height it is aimed at in the entrance pupil (limited distance).
            const auto aimed = tracer.AimChiefRay(host);
            const double chief = aimed ? *aimed : (infinite ? tracer.ChiefHeight(theta) : 0);
            const auto start = [&](double height) { return tracer.FanStartRay(height, theta); };
            for (int r = 0; r <= fan; ++r)
                tracer.SetStart(r, start(chief + (r == 0 ? 0 : FanOffset(r, fan, pupil))));
            if (extra) tracer.SetStart(count - 1, start(chief + 1.1e-6));
            startHeight = std::max(startHeight, std::fabs(tracer.Bundle().Record(0, 0, 0).y));

            const std::size_t firstRay = result.rays.size();
            for (int w : drawn)
                for (int r = 0; r <= fan; ++r) {
                    DrawnRay ray;
                    ray.angle = a;
                    ray.wavelength = tracer.ListWavelength(w);
                    ray.ray = r;
                    ray.colour = s.multiColour ? list.At(ray.wavelength).colour : s.angles[a].colour;
                    const RayRecord at = tracer.Bundle().Record(r, w, 0);
                    ray.points.push_back(Draw(frames.face[g.first - 1], at.x, at.y, at.z, shift));
                    if (infinite && at.L > 0) {
                        const double back = shift / at.L; // lengthened to the fitted range below
                        const DrawPoint from = Draw(frames.face[g.first - 1], at.x - back * at.L,
                                                    at.y - back * at.M, at.z - back * at.N, shift);
                        if (Finite(from)) ray.leadIn = from;
                    }
                    result.rays.push_back(std::move(ray));
                }
            recorder.Clear();
            for (std::size_t k = firstRay; k < result.rays.size(); ++k)
                recorder.Watch(drawn[(k - firstRay) / (fan + 1)], &result.rays[k]);

            const TraceOutcome outcome = tracer.TraceAll(host);
            if (!outcome.completed) {
                recorder.Clear();
                result.rays.resize(firstRay); // an angle traced part of the way is not drawn
                if (outcome.error.empty())
                    result.stopped = true;
                else
                    result.error = outcome.error;
                break;
            }
            // The end on the image surface moved by the display shift, in the image's frame.
            const double vertex = tracer.LastDistance() + s.displayShift;
            const double curvature = tracer.ImageCurvature();
            const double curvedVertex = vertex + (g.focalRow ? g.At(n + 1).shiftX : 0);
            for (std::size_t k = firstRay; k < result.rays.size(); ++k) {
                DrawnRay& ray = result.rays[k];
                const int w = drawn[(k - firstRay) / (fan + 1)];
                if (tracer.Bundle().Vignetted(ray.ray, w, 0)) ray.lost = true;
                if (!recorder.Drawing(k - firstRay)) continue;
                const RayRecord at = tracer.Bundle().Record(ray.ray, w, 0);
                long double t = 0;
                bool meets = false;
                if (curvature != 0)
                    meets = SphereDistance(curvature, at.x - curvedVertex, at.y, at.z, at.L, at.M, at.N, t);
                else if (at.L != 0) {
                    t = (vertex - at.x) / at.L;
                    meets = true;
                }
                if (!meets) continue;
                const double d = static_cast<double>(t);
                const DrawPoint end =
                    Draw(frames.image, at.x + d * at.L, at.y + d * at.M, at.z + d * at.N, shift);
                if (!Finite(end)) continue;
                ray.points.push_back(end);
                ray.reachedImage = true;
                if (!ray.lost) imageHeight = std::max(imageHeight, std::fabs(at.y + d * at.M));
            }
            recorder.Clear();
        }
    }

    // ---- The image surface, the object plane, the pupil's rim ----
    const double fallback = result.maxDiameter > 0 ? result.maxDiameter : (largest > 0 ? largest : 1);
    const double imageHalf = std::max(1.15 * imageHeight, fallback / 10);
    {
        const double curvature = tracer.ImageCurvature();
        const double vertex = tracer.LastDistance() + (g.focalRow ? g.At(n + 1).shiftX : 0);
        const int steps = curvature != 0 ? 40 : 1;
        for (int k = 0; k <= steps; ++k) {
            const double h = imageHalf * (2 * k - steps) / steps;
            const double x = curvature != 0 ? vertex + tracer.ImageSag(h) : tracer.LastDistance();
            result.imagePlane.push_back(Draw(frames.image, x, h, 0, shift));
        }
    }
    if (g.first == 2) {
        const double half = std::max({1.15 * startHeight, g.At(0).effectiveDiameter / 2, fallback / 10});
        const double c = g.At(0).curvature;
        const int steps = c != 0 ? 40 : 1;
        for (int k = 0; k <= steps; ++k) {
            const double h = half * (2 * k - steps) / steps;
            bool ignored = false;
            Surface object;
            object.curvature = c;
            result.objectPlane.push_back(Draw(frames.face[1], ProfileSag(object, h, ignored), h, 0, shift));
        }
    }
    bool stopFace = false;
    for (int i = g.first; i <= n; ++i) stopFace = stopFace || g.At(i).type == SurfaceType::Stop;
    if (!stopFace) {
        // No stop face (the aperture is then the first face that refracts, or nothing): the rim of the
        // entrance pupil is marked, in the entrance pupil plane of the start frame.
        const Frame& start = frames.face[g.first - 1];
        const double P = bound.entrancePupilDistance;
        for (double side : {1.0, -1.0}) {
            const Vec3 out = start.Turn({0, side, 0});
            const double length = std::hypot(out[0], out[1]);
            result.pupilTicks.push_back({Draw(start, P, side * result.pupilDiameter / 2, 0, shift),
                                         {out[0] / length, out[1] / length}});
        }
    }

    // ---- The fitted view's extents: the drawing, and 0.1 f either side along the axis ----
    Extent extent;
    for (const FaceOutline& face : result.faces)
        for (const DrawLine& piece : face.pieces) extent.Add(piece);
    for (const DrawLine& edge : result.edges) extent.Add(edge);
    extent.Add(result.imagePlane);
    extent.Add(result.objectPlane);
    for (const DrawnRay& ray : result.rays) {
        if (!ray.points.empty()) extent.Add(ray.points.front());
        if (!ray.lost) extent.Add(ray.points);
    }
    for (const PupilTick& tick : result.pupilTicks) extent.Add(tick.base);
    if (!(extent.zMax >= extent.zMin)) extent.zMin = extent.zMax = shift;
    result.zMin = extent.zMin - shift;
    result.zMax = extent.zMax + shift;
    result.halfHeight = std::max(result.maxDiameter / 2, extent.yMax);
    if (!(result.zMax > result.zMin)) {
        const double half = result.halfHeight > 0 ? result.halfHeight : 1;
        result.zMin -= half;
        result.zMax += half;
    }
    if (!(result.halfHeight > 0)) result.halfHeight = (result.zMax - result.zMin) / 4;
    // The rays from infinity come in from the left end of the fitted range (past a secondary mirror that
    // stands before the start plane, say), at least 0.1 f.
    for (DrawnRay& ray : result.rays) {
        if (!ray.leadIn || ray.points.empty()) continue;
        const DrawPoint start = ray.points.front();
        const double dz = start.z - ray.leadIn->z, dy = start.y - ray.leadIn->y;
        const double reach = start.z - result.zMin;
        if (dz > 0 && reach > dz) ray.leadIn = DrawPoint{start.z - reach, start.y - dy * reach / dz};
    }
    result.valid = true;
    return result;
}

// ---------------------------------------------------------------------------------------------------
// The view

CrossSectionView FitView(double zMin, double zMax, double halfHeight, double width, double height) {
    CrossSectionView view;
    double extent = zMax - zMin;
    if (!(extent > 0) || !std::isfinite(extent)) {
        extent = halfHeight > 0 ? 2 * halfHeight : 1;
        zMin = std::isfinite(zMin) ? zMin : 0;
        zMax = zMin + extent;
    }
    double ratio = 1;
    if (width > 0 && height > 0 && halfHeight > 0) ratio = (2 * halfHeight / extent) * (width / height);
    if (!(ratio >= 1) || !std::isfinite(ratio)) ratio = 1;
    view.left = zMin - extent * (ratio - 1) / 2;
    view.right = zMax + extent * (ratio - 1) / 2;
    view.halfWidth = extent * ratio / 2;
    view.centre = 0;
    return view;
}

CrossSectionView FitView(const CrossSectionResult& result, double width, double height) {
    return FitView(result.zMin, result.zMax, result.halfHeight, width, height);
}

double CanvasMapping::Scale() const {
    return width / (view.right - view.left);
}

double CanvasMapping::X(double z) const {
    return left + (z - view.left) * Scale();
}

double CanvasMapping::Y(double y) const {
    return top + height / 2 - width * (y - view.centre) / (2 * view.halfWidth);
}

double CanvasMapping::ModelZ(double x) const {
    return view.left + (x - left) / Scale();
}

double CanvasMapping::ModelY(double y) const {
    return view.centre - (y - top - height / 2) * (2 * view.halfWidth) / width;
}

CrossSectionView ZoomView(const CanvasMapping& mapping, double x0, double y0, double x1, double y1) {
    const double z0 = mapping.ModelZ(std::min(x0, x1)), z1 = mapping.ModelZ(std::max(x0, x1));
    if (!(z1 > z0) || !std::isfinite(z0) || !std::isfinite(z1)) return mapping.view;
    CrossSectionView view;
    view.left = z0;
    view.right = z1;
    view.halfWidth = (z1 - z0) / 2;
    view.centre = mapping.ModelY((y0 + y1) / 2);
    return view;
}

} // namespace vitrimo
