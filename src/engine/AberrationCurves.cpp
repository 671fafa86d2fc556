#include "engine/AberrationCurves.h"

#include <cmath>
#include <numbers>

namespace vitrimo {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// The small offsets of the ray set-ups are lengths in the pupil: they scale with the entrance pupil, so
// that a lens scaled by 1e-3 or 1e3 draws the same curves, scaled. They have their nominal millimetre
// values for a pupil 10 mm across.
double PupilUnit(const RayTracer& tracer) {
    const double diameter = tracer.Context().entrancePupilDiameter;
    return diameter > 0 && std::isfinite(diameter) ? diameter / 10 : 1.0;
}

// The edge margin of the pupil: rays stop just inside the pupil's rim.
double Margin(const RayTracer& tracer) {
    return (tracer.Context().firstSurface == 1 ? 0.001 : 0.0001) * PupilUnit(tracer);
}

// The field angle of angle step j in the field curves: a small offset keeps the first one off the axis.
double FieldAngle(const CurveSettings& settings, int j) {
    return settings.maxAngle * j / settings.steps + kOffAxis / kDegree;
}

} // namespace

int CurveRayCount(CurveKind kind, int steps, bool idealLens) {
    int rays = 0;
    switch (kind) {
    case CurveKind::Longitudinal:
        rays = steps + 2;
        break;
    case CurveKind::Transverse:
        rays = 4 * steps + 3;
        break;
    case CurveKind::Astigmatism:
    case CurveKind::Distortion:
        rays = 3 * steps + 4;
        break;
    }
    return rays + (idealLens ? 1 : 0);
}

void StartCurveRays(RayTracer& tracer, CurveKind kind, const CurveSettings& settings) {
    TraceContext& context = tracer.Context();
    const int s = settings.steps;
    const double radius = (context.entrancePupilDiameter - Margin(tracer)) / 2;
    const bool infinite = context.firstSurface == 1;
    const int extra = tracer.Bundle().RayCount() - 1;
    const double delta = kOffAxis * PupilUnit(tracer);

    if (kind == CurveKind::Astigmatism || kind == CurveKind::Distortion) {
        context.mode = TraceMode::Field;
        context.fieldAngle = 0;
        tracer.SetStart(0, infinite ? tracer.StartRay(delta, 0, 0)
                                    : tracer.StartRay(delta, 0, kOffAxis / kDegree));
        for (int j = 0; j <= s; ++j) {
            const double angle = FieldAngle(settings, j);
            tracer.SetStart(j + 1, tracer.StartRay(delta, 0, angle));
            tracer.SetStart(s + 2 + j, tracer.StartRay((infinite ? 2 : 5) * delta, 0, angle));
            tracer.SetStart(2 * s + 3 + j, tracer.StartRay(delta, delta, angle));
        }
        if (context.idealLensPresent)
            tracer.SetStart(extra, tracer.StartRay(1.1 * delta, 0, FieldAngle(settings, 0)));
        return;
    }

    context.mode = kind == CurveKind::Longitudinal ? TraceMode::Longitudinal : TraceMode::Transverse;
    context.fieldAngle = kind == CurveKind::Longitudinal ? 0 : settings.fieldAngle;
    // The plane wave tilted by the field angle reaches the start plane late by sin(theta) times the height.
    const double sine = infinite ? std::sin(context.fieldAngle * kDegree) : 0;
    const auto start = [&](int r, double yp, double zp) {
        tracer.SetStart(r, tracer.StartRay(yp, zp), sine * (yp - delta));
    };
    start(0, delta, delta);
    if (kind == CurveKind::Longitudinal) {
        for (int j = 0; j <= s; ++j) start(j + 1, radius * j / s + delta, delta);
    } else {
        for (int j = 0; j <= 2 * s; ++j) {
            const double pupil = radius * (static_cast<double>(j) / s - 1);
            start(1 + j, delta + pupil, delta);
            start(2 * s + 2 + j, delta, delta + pupil);
        }
    }
    if (context.idealLensPresent) start(extra, 1.1 * delta, delta);
}

CurveResult ComputeCurve(RayTracer& tracer, CurveKind kind, const CurveSettings& settings, Host& host) {
    CurveResult result;
    result.kind = kind;
    result.steps = settings.steps;
    if (settings.steps < 1) {
        result.error = "The number of steps must be at least 1.";
        return result;
    }
    TraceContext& context = tracer.Context();
    tracer.AllocateBundle(CurveRayCount(kind, settings.steps, context.idealLensPresent));
    StartCurveRays(tracer, kind, settings);
    SetCurveDefocus(tracer, kind, settings);
    const TraceOutcome outcome = tracer.TraceAll(host);
    if (!outcome.completed) {
        result.error = outcome.error.empty() ? "The calculation was stopped." : outcome.error;
        return result;
    }
    return EvaluateCurve(tracer, kind, settings);
}

void SetCurveDefocus(RayTracer& tracer, CurveKind kind, const CurveSettings& settings) {
    // The curves refer to the paraxial image plane, whatever the last distance holds; the fans may be
    // shifted from it by the defocus.
    tracer.Context().defocus = tracer.ParaxialImageDistance() - tracer.LastDistance() +
                               (kind == CurveKind::Transverse ? settings.defocus : 0);
}

namespace {

// What every evaluation of the stored rays reads.
struct Evaluation {
    const RayTracer& tracer;
    const RayBundle& bundle;
    int slot;
    int wavelengths;
    int steps;
    double image;       // the paraxial image plane, mm from the last face along x
    double focalLength; // mm
    double radius;      // of the pupil the rays fill, mm
    // Focus positions are reported along the light: after an odd number of mirrors the light travels
    // towards -x, and a focus short of the paraxial one is negative there too.
    double along;

    Evaluation(const RayTracer& t, const CurveSettings& settings)
        : tracer(t), bundle(t.Bundle()), slot(t.Context().slot), wavelengths(t.Bundle().WavelengthCount()),
          steps(settings.steps), image(t.ParaxialImageDistance()),
          focalLength(t.Bound() ? t.FocalLength() : 0),
          radius((t.Context().entrancePupilDiameter - Margin(t)) / 2), along(t.ImageSideSign()) {}

    bool Lost(int r, int w) const { return bundle.Vignetted(r, w, slot); }
    RayRecord Ray(int r, int w) const { return bundle.Record(r, w, slot); }
};

std::optional<double> FiniteOrNothing(double value) {
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// Where each pupil ray crosses the axis, from the paraxial image; and the offence against the sine
// condition of the reference wavelength, from each ray's own pupil height.
void EvaluateLongitudinal(const Evaluation& e, CurveResult& result) {
    const TraceContext& context = e.tracer.Context();
    const double delta = kOffAxis * PupilUnit(e.tracer);
    for (int j = 0; j <= e.steps; ++j) result.abscissa.push_back(e.radius * j / e.steps + delta);
    for (int w = 0; w < e.wavelengths; ++w) {
        for (int j = 0; j <= e.steps; ++j) {
            const RayRecord ray = e.Ray(j + 1, w);
            result.values[w].push_back(
                e.Lost(j + 1, w) || ray.M == 0
                    ? std::nullopt
                    : FiniteOrNothing(e.along * (ray.x - ray.y * ray.L / ray.M - e.image)));
        }
    }
    const int w = e.tracer.ReferenceTraced();
    const double P = context.entrancePupilDistance;
    for (int j = 0; j <= e.steps; ++j) {
        const RayRecord ray = e.Ray(j + 1, w);
        if (w >= e.wavelengths || e.Lost(j + 1, w) || ray.M == 0) {
            result.sineCondition.push_back(std::nullopt);
            continue;
        }
        const double h = result.abscissa[j];
        const double sineFactor = std::sqrt(ray.L * ray.L + ray.M * ray.M) / ray.M;
        const double value =
            context.firstSurface == 1
                ? -h * sineFactor - e.focalLength
                : h / std::sqrt(h * h + P * P) * e.tracer.InverseStartAngle() * sineFactor - e.focalLength;
        result.sineCondition.push_back(FiniteOrNothing(value));
    }
}

// The meridional fan's dy and the sagittal fan's dz on the image surface, against the chief ray.
void EvaluateTransverse(const Evaluation& e, CurveResult& result) {
    const int s = e.steps;
    for (int fan = 0; fan < 2; ++fan)
        for (int j = 0; j <= 2 * s; ++j)
            result.abscissa.push_back(e.radius * (static_cast<double>(j) / s - 1));
    for (int w = 0; w < e.wavelengths; ++w) {
        const auto chief = e.tracer.ImageSurfacePoint(0, w);
        for (int k = 0; k < 2 * (2 * s + 1); ++k) {
            const bool meridional = k <= 2 * s;
            const int r = meridional ? 1 + k : 2 * s + 2 + (k - (2 * s + 1));
            const auto point = e.tracer.ImageSurfacePoint(r, w);
            if (!chief || !point || e.Lost(r, w)) {
                result.values[w].push_back(std::nullopt);
                continue;
            }
            result.values[w].push_back(meridional ? (*point)[0] - (*chief)[0] : (*point)[1] - (*chief)[1]);
        }
    }
}

// The distortion of the chief ray of angle step j, percent.
std::optional<double> Distortion(const Evaluation& e, const CurveSettings& settings, int j, int w) {
    const int chiefRay = j + 1;
    const RayRecord c = e.Ray(chiefRay, w);
    if (e.Lost(chiefRay, w) || c.L == 0) return std::nullopt;
    const double theta = FieldAngle(settings, j) * kDegree;
    // The chief ray's height on the image surface gives the sag there.
    const double sag = e.tracer.ImageSag(c.y + (e.image - c.x) * c.M / c.L);
    const double ideal = (e.along * sag + e.focalLength) * std::tan(theta);
    const double real = std::fabs(c.y + (e.image + sag - c.x) * c.M / c.L);
    if (ideal == 0) return std::nullopt;
    return FiniteOrNothing((real - ideal) * 100 / ideal);
}

// The meridional (or sagittal) focus of angle step j: where the chief ray and its neighbour cross.
std::optional<double> Focus(const Evaluation& e, int j, int w, bool meridional) {
    const int s = e.steps;
    const int chiefRay = j + 1, neighbourRay = meridional ? s + 2 + j : 2 * s + 3 + j;
    const RayRecord c = e.Ray(chiefRay, w), n = e.Ray(neighbourRay, w);
    if (e.Lost(chiefRay, w) || e.Lost(neighbourRay, w) || n.L == 0) return std::nullopt;
    const double cm = meridional ? c.M : c.N, nm = meridional ? n.M : n.N;
    const double cy = meridional ? c.y : c.z, ny = meridional ? n.y : n.z;
    const double t = nm / n.L;
    const double denominator = c.L * t - cm;
    if (denominator == 0) return std::nullopt;
    const double x = c.x + ((n.x - c.x) * t + cy - ny) * c.L / denominator;
    const double chiefHeight = c.L != 0 ? c.y + (x - c.x) * c.M / c.L : c.y;
    return FiniteOrNothing(e.along * (x - e.tracer.ImageSag(chiefHeight) - e.image));
}

void EvaluateField(const Evaluation& e, CurveKind kind, const CurveSettings& settings, CurveResult& result) {
    result.sagittal.assign(e.wavelengths, {});
    for (int j = 0; j <= e.steps; ++j) result.abscissa.push_back(settings.maxAngle * j / e.steps);
    for (int w = 0; w < e.wavelengths; ++w) {
        for (int j = 0; j <= e.steps; ++j) {
            if (kind == CurveKind::Distortion) {
                result.values[w].push_back(Distortion(e, settings, j, w));
                continue;
            }
            result.values[w].push_back(Focus(e, j, w, true));
            result.sagittal[w].push_back(Focus(e, j, w, false));
        }
    }
}

} // namespace

CurveResult EvaluateCurve(const RayTracer& tracer, CurveKind kind, const CurveSettings& settings) {
    CurveResult result;
    result.kind = kind;
    result.steps = settings.steps;
    const Evaluation e(tracer, settings);
    result.values.assign(e.wavelengths, {});
    switch (kind) {
    case CurveKind::Longitudinal:
        EvaluateLongitudinal(e, result);
        break;
    case CurveKind::Transverse:
        EvaluateTransverse(e, result);
        break;
    case CurveKind::Astigmatism:
    case CurveKind::Distortion:
        EvaluateField(e, kind, settings, result);
        break;
    }
    return result;
}

std::vector<std::vector<int>> DrawnPieces(const std::vector<std::optional<double>>& pixels, double width) {
    std::vector<std::vector<int>> pieces;
    bool open = false; // the last piece goes on with the next point in the band
    for (int k = 0; k < static_cast<int>(pixels.size()); ++k) {
        if (!pixels[k]) {
            open = false;
            continue;
        }
        if (!(*pixels[k] > -width / 2 && *pixels[k] < 1.5 * width)) continue;
        if (!open) pieces.emplace_back();
        open = true;
        pieces.back().push_back(k);
    }
    return pieces;
}

} // namespace vitrimo
