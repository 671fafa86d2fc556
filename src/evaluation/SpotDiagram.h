// The spot diagram: where the rays of the spot grid meet the image surface, per traced wavelength, with
// the centroid and RMS radius, and the geometrical optical transfer function of those points.
//
// Points are (y, z) on the image surface in mm, y meridional; the defocus moves the image surface along
// the axis from the lens's last distance (mm). The centroid is that of the reference wavelength's points.
#pragma once

#include "engine/RayTracer.h"
#include "evaluation/PupilGrid.h"
#include "evaluation/TracedRays.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <array>
#include <complex>
#include <memory>
#include <string>
#include <vector>

namespace vitrimo {

// A centroid coordinate of this size or more means that no ray reached the image.
inline constexpr double kNoPoint = 1e299;

struct SpotSettings {
    double fieldAngle = 0; // degrees
    double defocus = 0;    // mm from the last distance
    int steps = 15;        // grid steps per 1.1 pupil radii; the window offers 2 ... 40
};

struct SpotWavelength {
    std::vector<std::array<double, 2>> points; // (y, z), mm, of the pupil rays that reach the image
    std::vector<int> rays;                     // the ray number of each point
    double centroidY = kNoPoint;               // mean of the points; kNoPoint when there are none
    double centroidZ = kNoPoint;
    double rmsRadius = 0; // root-mean-square distance of the points from their centroid, mm

    int Count() const { return static_cast<int>(points.size()); }
};

// The centroid (y, z) of points, or (kNoPoint, kNoPoint) for none.
std::array<double, 2> SpotCentroid(const std::vector<std::array<double, 2>>& points);
// The root-mean-square distance of points from a centre; 0 for none.
double RmsRadius(const std::vector<std::array<double, 2>>& points, const std::array<double, 2>& centre);

struct SpotResult {
    bool valid = false;
    std::string status; // why the result is not valid: no point, stopped, a trace error
    std::shared_ptr<const TracedRays> rays;
    SpotGrid grid;
    double defocus = 0;
    std::vector<SpotWavelength> wavelengths; // per traced wavelength, as in rays->wavelengths
    int reference = 0;
    // The reference wavelength's centroid and RMS radius (kNoPoint when no ray reaches the image).
    double centroidY = kNoPoint;
    double centroidZ = kNoPoint;
    double rmsRadius = 0;
    // The chief ray's point at the reference wavelength; (kNoPoint, kNoPoint) when it cannot reach it.
    std::array<double, 2> chief{kNoPoint, kNoPoint};
    // The radius of the Airy disk of 587 nm light, 1.22 lambda times the working F-number, mm.
    double airyRadius = 0;

    const SpotWavelength& Reference() const { return wavelengths[reference]; }
};

// Starts the spot grid in the tracer (bound to `lens`, its entrance pupil found), traces it and
// evaluates the spot. host.KeepGoing() is asked before each surface.
SpotResult ComputeSpot(RayTracer& tracer, const Lens& lens, const SpotSettings& settings, Host& host);

// The same rays met on the image surface moved by another defocus, without tracing again.
SpotResult EvaluateSpot(std::shared_ptr<const TracedRays> rays, const SpotGrid& grid, double defocus);

// ---- Geometrical OTF ----

// One wavelength's optical transfer function along two azimuths: meridional (frequency along y) and
// sagittal (along z), OTF(nu) = sum_k exp(-2 pi i nu y_k) / n over the spot points, unnormalised phase:
// the points are taken where they lie, not about their centroid.
struct Otf {
    std::vector<double> frequencies; // lines/mm
    std::vector<std::complex<double>> meridional;
    std::vector<std::complex<double>> sagittal;
    int rays = 0; // the points summed
};

// The frequencies 0, 2, 4, ... 2K lines/mm at which the spot tab samples the OTF (K = 100).
std::vector<double> SpotOtfFrequencies(int intervals = 100);

// The OTF of a set of points at the given frequencies. No points give all zeros.
Otf GeometricalOtf(const std::vector<std::array<double, 2>>& points, const std::vector<double>& frequencies);

// Per traced wavelength, the OTF of the spot's points. With halfWidth > 0 only the points inside the
// square plot of that half-width about the reference centroid count, as the window draws them.
std::vector<Otf> SpotOtf(const SpotResult& spot, const std::vector<double>& frequencies,
                         double halfWidth = 0);

} // namespace vitrimo
