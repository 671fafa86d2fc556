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

CurveResult EvaluateCurve(const RayTracer& tracer, CurveKind kind, const CurveSettings& settings) {
    CurveResult result;
    result.kind = kind;
    result.steps = settings.steps;
    const TraceContext& context = tracer.Context();
    const RayBundle& bundle = tracer.Bundle();
    const int slot = context.slot;
    const int wavelengths = bundle.WavelengthCount();
    const int s = settings.steps;
    const double image = tracer.ParaxialImageDistance();
    const double focalLength = tracer.Bound() ? tracer.FocalLength() : 0;
    const double radius = (context.entrancePupilDiameter - Margin(tracer)) / 2;
    // Focus positions are reported along the light: after an odd number of mirrors the light travels
    // towards -x, and a focus short of the paraxial one is negative there too.
    const double along = tracer.ImageSideSign();
    result.values.assign(wavelengths, {});

    switch (kind) {
    case CurveKind::Longitudinal: {
        const double delta = kOffAxis * PupilUnit(tracer);
        for (int j = 0; j <= s; ++j) result.abscissa.push_back(radius * j / s + delta);
        for (int w = 0; w < wavelengths; ++w) {
            for (int j = 0; j <= s; ++j) {
                const RayRecord ray = bundle.Record(j + 1, w, slot);
                if (bundle.Vignetted(j + 1, w, slot) || ray.M == 0) {
                    result.values[w].push_back(std::nullopt);
                    continue;
                }
                result.values[w].push_back(along * (ray.x - ray.y * ray.L / ray.M - image));
            }
        }
        // The sine condition, for the reference wavelength.
        // Each ray's own pupil height: the one it was started at.
        const int w = tracer.ReferenceTraced();
        const double P = context.entrancePupilDistance;
        for (int j = 0; j <= s; ++j) {
            const RayRecord ray = bundle.Record(j + 1, w, slot);
            if (w >= wavelengths || bundle.Vignetted(j + 1, w, slot) || ray.M == 0) {
                result.sineCondition.push_back(std::nullopt);
                continue;
            }
            const double h = result.abscissa[j];
            const double sineFactor = std::sqrt(ray.L * ray.L + ray.M * ray.M) / ray.M;
            if (context.firstSurface == 1) {
                result.sineCondition.push_back(-h * sineFactor - focalLength);
            } else {
                const double sinU = h / std::sqrt(h * h + P * P);
                result.sineCondition.push_back(sinU * tracer.InverseStartAngle() * sineFactor - focalLength);
            }
        }
        break;
    }
    case CurveKind::Transverse: {
        for (int j = 0; j <= 2 * s; ++j) result.abscissa.push_back(radius * (static_cast<double>(j) / s - 1));
        for (int j = 0; j <= 2 * s; ++j) result.abscissa.push_back(radius * (static_cast<double>(j) / s - 1));
        for (int w = 0; w < wavelengths; ++w) {
            const auto chief = tracer.ImageSurfacePoint(0, w);
            for (int k = 0; k < 2 * (2 * s + 1); ++k) {
                const bool meridional = k <= 2 * s;
                const int r = meridional ? 1 + k : 2 * s + 2 + (k - (2 * s + 1));
                const auto point = tracer.ImageSurfacePoint(r, w);
                if (!chief || !point || bundle.Vignetted(r, w, slot)) {
                    result.values[w].push_back(std::nullopt);
                    continue;
                }
                result.values[w].push_back(meridional ? (*point)[0] - (*chief)[0]
                                                      : (*point)[1] - (*chief)[1]);
            }
        }
        break;
    }
    case CurveKind::Astigmatism:
    case CurveKind::Distortion: {
        result.sagittal.assign(wavelengths, {});
        for (int j = 0; j <= s; ++j) result.abscissa.push_back(settings.maxAngle * j / s);
        for (int w = 0; w < wavelengths; ++w) {
            for (int j = 0; j <= s; ++j) {
                const int chiefRay = j + 1, meridionalRay = s + 2 + j, sagittalRay = 2 * s + 3 + j;
                const RayRecord c = bundle.Record(chiefRay, w, slot);
                if (kind == CurveKind::Distortion) {
                    const double theta = FieldAngle(settings, j) * kDegree;
                    // The chief ray's height on the image surface gives the sag there.
                    const double plane = image;
                    const double heightAtPlane = c.L != 0 ? c.y + (plane - c.x) * c.M / c.L : c.y;
                    const double sag = tracer.ImageSag(heightAtPlane);
                    const double ideal = (along * sag + focalLength) * std::tan(theta);
                    const double at = image + sag;
                    const double real = c.L != 0 ? std::fabs(c.y + (at - c.x) * c.M / c.L) : 0;
                    if (bundle.Vignetted(chiefRay, w, slot) || c.L == 0 || ideal == 0)
                        result.values[w].push_back(std::nullopt);
                    else
                        result.values[w].push_back((real - ideal) * 100 / ideal);
                    continue;
                }
                const auto focus = [&](int neighbourRay, bool meridional) -> std::optional<double> {
                    const RayRecord n = bundle.Record(neighbourRay, w, slot);
                    if (bundle.Vignetted(chiefRay, w, slot) || bundle.Vignetted(neighbourRay, w, slot) ||
                        n.L == 0)
                        return std::nullopt;
                    const double cm = meridional ? c.M : c.N, nm = meridional ? n.M : n.N;
                    const double cy = meridional ? c.y : c.z, ny = meridional ? n.y : n.z;
                    const double t = nm / n.L;
                    const double denominator = c.L * t - cm;
                    if (denominator == 0) return std::nullopt;
                    const double x = c.x + ((n.x - c.x) * t + cy - ny) * c.L / denominator;
                    const double chiefHeight = c.L != 0 ? c.y + (x - c.x) * c.M / c.L : c.y;
                    const double value = along * (x - tracer.ImageSag(chiefHeight) - image);
                    if (!std::isfinite(value)) return std::nullopt;
                    return value;
                };
                result.values[w].push_back(focus(meridionalRay, true));
                result.sagittal[w].push_back(focus(sagittalRay, false));
            }
        }
        break;
    }
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
