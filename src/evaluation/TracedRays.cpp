#include "evaluation/TracedRays.h"

#include "engine/SphereIntersection.h"

#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

using Real = long double;

} // namespace

std::optional<Point3> TracedRays::Intercept(int r, int w, double defocus) const {
    const RayRecord& ray = wavelengths[w].rays[r];
    if (image.curvature != 0) {
        const Real vertex = Real(image.distance) + image.vertexShift + defocus;
        Real t = 0;
        if (!SphereDistance(image.curvature, ray.x - vertex, ray.y, ray.z, ray.L, ray.M, ray.N, t))
            return std::nullopt;
        return Point3{static_cast<double>(ray.x + t * ray.L), static_cast<double>(ray.y + t * ray.M),
                      static_cast<double>(ray.z + t * ray.N)};
    }
    if (ray.L == 0) return std::nullopt;
    const Real plane = Real(image.distance) + defocus;
    const Real t = (plane - ray.x) / ray.L;
    return Point3{static_cast<double>(plane), static_cast<double>(ray.y + t * ray.M),
                  static_cast<double>(ray.z + t * ray.N)};
}

TracedRays CaptureRays(const RayTracer& tracer, const Lens& lens) {
    TracedRays rays;
    const RayBundle& bundle = tracer.Bundle();
    const TraceContext& context = tracer.Context();
    const WavelengthList& list = lens.Wavelengths();
    for (int w = 0; w < bundle.WavelengthCount(); ++w) {
        const int position = tracer.ListWavelength(w);
        const Wavelength& wavelength = list.At(position);
        TracedWavelength traced;
        traced.listPosition = position;
        traced.name = wavelength.name;
        traced.nanometres = wavelength.nanometres;
        traced.colour = wavelength.colour;
        traced.calculated = wavelength.calculate;
        const RayBlock block = bundle.Block(w, context.slot);
        traced.rays.reserve(block.count);
        for (int r = 0; r < block.count; ++r) traced.rays.push_back(block.Record(r));
        traced.path.assign(block.path, block.path + block.count);
        traced.vignetted.assign(block.vignetted, block.vignetted + block.count);
        rays.wavelengths.push_back(std::move(traced));
    }
    rays.reference = std::clamp(tracer.ReferenceTraced(), 0, std::max(bundle.WavelengthCount() - 1, 0));
    rays.lastPupilRay = bundle.RayCount() - 1 - (context.idealLensPresent ? 1 : 0);

    rays.image.distance = tracer.LastDistance();
    rays.image.curvature = tracer.ImageCurvature();
    const int n = tracer.SurfaceCount();
    if (rays.image.curvature != 0 && n + 1 < lens.Arrays().Count())
        rays.image.vertexShift = lens.Arrays().surfaces[n + 1].shiftX;
    rays.fieldAngle = context.fieldAngle;
    rays.entrancePupilDiameter = context.entrancePupilDiameter;
    rays.focalLength = tracer.FocalLength();
    rays.paraxialDefocus = tracer.ParaxialImageDistance() - tracer.LastDistance();
    return rays;
}

std::optional<double> MeasureWorkingFNumber(RayTracer& tracer, Host& host) {
    TraceContext& context = tracer.Context();
    const double diameter = context.entrancePupilDiameter;
    const double fallback = diameter > 0 ? std::fabs(tracer.FocalLength()) / diameter : 0;
    if (diameter <= 0) return fallback;

    // A ray through the pupil at a small height beside the axial ray, traced without apertures: the
    // difference of their image-side slopes is the paraxial slope per pupil height.
    const TraceMode mode = context.mode;
    const double angle = context.fieldAngle;
    const double height = 1e-3 * diameter / 2;
    context.mode = TraceMode::Field; // every ray traced to the end: no aperture or obscuration stops it
    context.fieldAngle = 0;
    tracer.AllocateBundle(context.idealLensPresent ? 3 : 2);
    tracer.SetStart(0, tracer.StartRay(0, 0));
    tracer.SetStart(1, tracer.StartRay(height, 0));
    if (context.idealLensPresent) tracer.SetStart(2, tracer.StartRay(1.1e-6, 0));
    const TraceOutcome outcome = tracer.TraceAll(host);
    context.mode = mode;
    context.fieldAngle = angle;
    if (!outcome.completed) return outcome.error.empty() ? std::nullopt : std::optional<double>(fallback);

    const int w = tracer.ReferenceTraced(), slot = context.slot;
    const RayRecord axial = tracer.Bundle().Record(0, w, slot), probe = tracer.Bundle().Record(1, w, slot);
    if (axial.L == 0 || probe.L == 0) return fallback;
    const double slope = std::fabs(probe.M / probe.L - axial.M / axial.L);
    if (!(slope > 0) || !std::isfinite(slope)) return fallback;
    return height / slope / diameter;
}

} // namespace vitrimo
