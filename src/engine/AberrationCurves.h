// The classical aberration curves from real rays: longitudinal spherical aberration with the offence
// against the sine condition, transverse ray fans, astigmatic field curves and distortion.
//
// Each curve starts its own rays in the tracer's current slot, traces them, and evaluates the final
// records. Pupil coordinates are in mm in the entrance pupil plane; field angles in degrees; focus
// positions in mm from the paraxial image plane along the light; distortion in percent.
#pragma once

#include "engine/RayTracer.h"
#include "model/Host.h"

#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

enum class CurveKind { Longitudinal, Transverse, Astigmatism, Distortion };

struct CurveSettings {
    int steps = 30;        // rays per pupil radius, or angles up to the maximum angle
    double fieldAngle = 0; // degrees; the transverse fans
    double maxAngle = 0;   // degrees; astigmatism and distortion
    double defocus = 0;    // mm from the paraxial image plane; the transverse fans
};

// A small offset that keeps rays off the axis and off exact symmetry.
inline constexpr double kOffAxis = 1e-6;

// How many rays a curve traces: ray 0, the curve's rays, and the extra reference ray of an ideal lens.
int CurveRayCount(CurveKind kind, int steps, bool idealLens);

// Starts the rays of a curve in the tracer's current slot (the tracer must be bound, with its entrance
// pupil diameter found). The field angle of the context is set from the settings.
void StartCurveRays(RayTracer& tracer, CurveKind kind, const CurveSettings& settings);

struct CurveResult {
    std::string error; // empty when the curve was computed
    CurveKind kind = CurveKind::Longitudinal;
    int steps = 0;
    // Abscissa of each point: pupil height (longitudinal), pupil coordinate of the fan (transverse:
    // points 0 ... 2 steps are the meridional fan, 2 steps + 1 ... 4 steps + 1 the sagittal one), or field
    // angle (astigmatism, distortion).
    std::vector<double> abscissa;
    // values[w][point] per traced wavelength; nullopt where the ray was vignetted. Longitudinal
    // aberration, transverse aberration (dy for the meridional fan, dz for the sagittal one), meridional
    // focus, or distortion.
    std::vector<std::vector<std::optional<double>>> values;
    // Astigmatism: the sagittal focus, [w][point].
    std::vector<std::vector<std::optional<double>>> sagittal;
    // Longitudinal: the offence against the sine condition of the reference wavelength (mm).
    std::vector<std::optional<double>> sineCondition;

    bool Ok() const { return error.empty(); }
};

// Traces and evaluates one curve. The tracer must be bound to the lens and have found its entrance pupil
// diameter; the paraxial image must exist.
CurveResult ComputeCurve(RayTracer& tracer, CurveKind kind, const CurveSettings& settings, Host& host);

// The image plane of a curve: the paraxial one, for the transverse fans shifted by the settings' defocus.
void SetCurveDefocus(RayTracer& tracer, CurveKind kind, const CurveSettings& settings);

// Evaluates the rays ComputeCurve traced last, without tracing again: after the defocus changed, the
// transverse fans are the same rays met on the moved image plane (call SetCurveDefocus first).
CurveResult EvaluateCurve(const RayTracer& tracer, CurveKind kind, const CurveSettings& settings);

// Which points of a curve are drawn, as pieces of consecutive points, given each point's pixel position
// (nullopt for a vignetted ray) and the plot width W. A vignetted ray ends a piece and the next ray that
// passes starts another (a central obscuration splits a fan in two); points outside the band
// (-W/2, 1.5 W) are skipped without ending a piece.
std::vector<std::vector<int>> DrawnPieces(const std::vector<std::optional<double>>& pixels, double width);

} // namespace vitrimo
