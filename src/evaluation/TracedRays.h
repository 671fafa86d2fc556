// The rays of one evaluation after the last surface, copied out of the ray tracer as plain values.
//
// Spot diagrams, wavefronts and the point spread function are evaluated from this copy, so the same
// rays can be met on a moved image plane or measured against another reference point without tracing
// again, on any thread, while the tracer goes on with other work.
//
// Frames and units as in the tracer: x along the axis from the vertex of the last surface, y meridional,
// z sagittal, mm. Paths are relative to ray 0 (the chief ray) of the same wavelength, mm. Defocus is the
// shift of the image plane from the lens's last distance, mm, as the tracer's context holds it.
#pragma once

#include "engine/RayBundle.h"
#include "engine/RayTracer.h"
#include "model/Colour.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

// A point in the frame of the last surface: x, y, z in mm.
using Point3 = std::array<double, 3>;

// Where the image surface lies: the plane at the last distance plus the defocus, or the sphere of a
// curved focal plane whose vertex lies at the last distance plus its "dx" plus the defocus.
struct ImageSurface {
    double distance = 0;    // the signed last distance, mm
    double curvature = 0;   // 1/mm, 0 for a flat image
    double vertexShift = 0; // "dx" of a curved focal plane, mm
};

// The rays of one traced wavelength.
struct TracedWavelength {
    int listPosition = 0; // in the lens's wavelength list
    std::string name;     // line letter ("d") or the title of an added wavelength ("532nm")
    double nanometres = 0;
    Colour colour = 0;
    bool calculated = false;     // marked for calculation; the reference is traced even when it is not
    std::vector<RayRecord> rays; // after the last surface; ray 0 is the chief ray
    std::vector<double> path;    // optical path relative to ray 0, mm
    std::vector<std::uint8_t> vignetted;

    bool Passes(int r) const { return vignetted[r] == 0; }
    double Millimetres() const { return nanometres * 1e-6; }
};

struct TracedRays {
    std::vector<TracedWavelength> wavelengths; // in the order of the wavelength list
    int reference = 0;                         // index into `wavelengths` of the reference wavelength
    int firstPupilRay = 1;                     // the rays that sample the pupil: first ... last; ray 0 is
    int lastPupilRay = 0;                      // the chief ray, and an ideal lens adds one after the last
    // Per ray, its point in the entrance pupil relative to the chief ray's (y, z), mm.
    std::vector<std::array<double, 2>> pupil;
    ImageSurface image;
    double fieldAngle = 0;            // degrees
    double entrancePupilDiameter = 0; // mm
    double focalLength = 0;           // the paraxial focal length, mm
    // The working F-number: image-side focal distance per entrance pupil diameter. A paraxial ray through
    // the entrance pupil at height h leaves the lens at a slope h / (workingFNumber D); for an object at
    // infinity this is f / D, for a near object the image distance counts instead of f.
    double workingFNumber = 0;
    // The defocus at which the image plane is the paraxial image.
    double paraxialDefocus = 0;

    int RayCount() const { return wavelengths.empty() ? 0 : static_cast<int>(wavelengths[0].rays.size()); }
    int WavelengthCount() const { return static_cast<int>(wavelengths.size()); }
    // The traced wavelengths an evaluation shows: the calculated ones, or the only one traced.
    bool Shown(int w) const { return wavelengths[w].calculated || wavelengths.size() == 1; }

    // Where ray r of traced wavelength w meets the image surface moved by `defocus`; nullopt when it
    // cannot reach it (parallel to a plane, or missing the sphere).
    std::optional<Point3> Intercept(int r, int w, double defocus) const;
};

// Copies the current slot of the tracer's bundle. `lens` is the lens the tracer is bound to; it is read
// during the call only.
TracedRays CaptureRays(const RayTracer& tracer, const Lens& lens);

// The working F-number of the bound lens, measured with a near-axial real ray on axis (the tracer's
// bundle is reused for it). Falls back to f / D when that ray cannot be traced. Returns nullopt when the
// host stopped the calculation.
std::optional<double> MeasureWorkingFNumber(RayTracer& tracer, Host& host);

// The text shown when no ray of the reference wavelength reaches the image.
inline constexpr const char* kNoPointText = "No point exist!  Maybe the angle is too large.";
// The text of a calculation the user stopped.
inline constexpr const char* kStoppedText = "The calculation was stopped.";

} // namespace vitrimo
