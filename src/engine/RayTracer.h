// The exact (real) ray trace.
//
// One RayTracer exists in the program. It owns the RayBundle and the TraceContext; the analysis windows
// start their rays in the bundle, call TraceAll, and read the rays back. Before a calculation the tracer
// is bound to a lens whose arrays are current (Bind), which also takes the paraxial data it needs.
//
// Frames and signs: x is the optical axis, y meridional, z sagittal, lengths in mm. A record's x is
// measured from the vertex of the surface processed last. Decenters shift, tilts rotate the frame of all
// later surfaces; after an odd number of mirrors distances and indices are negative and the rays travel
// towards -x. The relative optical path of every ray is its path minus that of ray 0 of the same
// wavelength and slot. Spherical and plane faces are traced in double precision in a form where no large
// lengths cancel (within about 1e-14 mm of an extended-precision trace); aspheric faces, the rotations and
// the ideal lens keep extended-precision intermediates.
//
// A ray that misses a surface, is blocked by an aperture or an obscuration, is totally reflected, or
// does not converge on an asphere is flagged vignetted; the trace goes on with the others.
//
// A large bundle is traced in chunks of rays spread over Threads() threads, one surface at a time; every
// ray's arithmetic is its own, so the rays come out the same, bit for bit, whatever the thread count. The
// host is asked whether to go on between chunks, one call at a time (StopSignal).
#pragma once

#include "engine/Parallel.h"
#include "engine/ParaxialTrace.h"
#include "engine/RayBundle.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

// What the rays of the bundle are for; set by each analysis's ray set-up.
enum class TraceMode {
    Longitudinal,  // longitudinal spherical aberration
    Transverse,    // transverse ray fans
    Field,         // astigmatism and distortion: all-ray mode
    Spot,          // spot diagram
    WavefrontLine, // wavefront fans (the transverse set-up)
    WavefrontFace, // wavefront map (the spot set-up)
    Diffraction,   // point spread function
    CrossSection,  // rays for the lens drawing
};

struct TraceContext {
    double indexBefore = 1; // signed: negative after an odd number of mirrors
    double indexAfter = 1;
    int firstSurface = 1;          // 1 for an object at infinity, 2 at a limited distance
    bool mirrorFollowed = false;   // the surface processed last reflected the rays
    bool run = true;               // cleared to abandon the trace
    bool idealLensPresent = false; // the last ray is then the extra reference ray
    bool screenPresent = false;
    bool allRayMode = false; // flagged rays go on being traced; no obscuration test
    double entrancePupilDiameter = 0;
    double entrancePupilDistance = 0; // from the paraxial trace
    int stopSurface = -1;
    double defocus = 0;    // image-plane shift along the axis, mm
    double fieldAngle = 0; // degrees
    int slot = 0;          // the field-angle slot being traced
    TraceMode mode = TraceMode::Longitudinal;
};

// Told after every surface a trace processes, for each traced wavelength: the rays of the current slot as
// they leave surface i (x measured from its vertex, in the frame the trace has reached there). The
// cross-section drawing records the rays' paths with it. The call costs the trace one test per surface
// and wavelength; an observer must not change the rays.
class SurfaceObserver {
public:
    virtual void AfterSurface(int surface, int w, const RayBlock& rays) = 0;

protected:
    ~SurfaceObserver() = default;
};

// The outcome of a trace that could not complete.
struct TraceOutcome {
    bool completed = true; // false: stopped by the user, or failed (error holds why)
    std::string error;
};

class RayTracer {
public:
    RayBundle& Bundle() { return bundle_; }
    const RayBundle& Bundle() const { return bundle_; }
    TraceContext& Context() { return context_; }
    const TraceContext& Context() const { return context_; }

    // Takes the surface data of a lens whose arrays are current, and the paraxial results. Sets the
    // first traced surface, the ideal-lens flag, the stop and the paraxial entrance pupil distance.
    void Bind(const Lens& lens, const ParaxialTrace& paraxial);
    // The same for other arrays than the lens's own (a working copy an optimisation changes): the lens
    // gives the object, the wavelengths and their flags; the focal length and the back focal distance are
    // those of `paraxial`, run on these arrays. The arrays must outlive the binding.
    void Bind(const Lens& lens, const SurfaceArrays& arrays, const ParaxialTrace& paraxial);
    bool Bound() const { return lens_ != nullptr; }

    // Whether a wavelength (list position) has an index on every traced face; one without cannot be
    // traced.
    bool Traceable(int listPosition) const;
    // The marked wavelengths that Bind left out because a face has no index for them (list positions).
    const std::vector<int>& Untraceable() const { return untraceable_; }
    // The traced wavelengths, in list order: the marked ones and the reference one.
    int TracedWavelengthCount() const { return static_cast<int>(wavelengthOf_.size()); }
    // The list position (WavelengthList) of traced wavelength w.
    int ListWavelength(int w) const { return wavelengthOf_.at(w); }
    // The traced wavelength number of the reference wavelength.
    int ReferenceTraced() const { return referenceTraced_; }
    // Traces only these list positions instead (for a single-wavelength calculation).
    void SetTracedWavelengths(std::vector<int> listPositions);

    // n, the last face. A focal-plane row after it is the image surface, not a face: it is never refracted.
    int SurfaceCount() const { return faceCount_; }
    // Bundle sized for `rays` rays at every traced wavelength and `slots` field angles; flags cleared.
    void AllocateBundle(int rays, int slots = 1);

    // ---- Ray starts ----
    // Where the chief ray of the current field angle crosses the start plane: -P tan(theta).
    double ChiefHeight() const { return ChiefHeight(context_.fieldAngle); }
    // A ray through pupil point (yp, zp) of the entrance pupil plane (mm from the axis), started by the
    // object's rules: parallel at the field angle for an object at infinity, from the object point
    // otherwise. The optical path at the start is 0; the caller adds the plane-wave delay.
    RayRecord StartRay(double yp, double zp) const { return StartRay(yp, zp, context_.fieldAngle); }
    // The same for another field angle (degrees).
    RayRecord StartRay(double yp, double zp, double fieldAngleDegrees) const;
    // Where the chief ray of a field angle (degrees) crosses the start plane.
    double ChiefHeight(double fieldAngleDegrees) const;
    // A ray of the meridional fan of a field angle (degrees) at `height` mm in the start plane: for an
    // object at infinity parallel at the field angle from that height, otherwise from the object point
    // through that height of the entrance pupil plane (StartRay(height, 0)).
    RayRecord FanStartRay(double height, double fieldAngleDegrees) const;
    // Puts the same ray into every traced wavelength of the current slot.
    void SetStart(int r, const RayRecord& ray, double path = 0);
    // Sizes the bundle and starts ray 0 through the pupil centre, ray k + 1 through pupil point k (y, z in
    // mm from the centre of the entrance pupil plane), and the ideal lens's extra reference ray 1.1e-6 mm
    // above the centre, at the context's field angle; every ray moved by `shift` mm in y (off the
    // symmetry of a grid). For an object at infinity each ray starts with the delay of the plane wave
    // tilted by the field angle, relative to ray 0.
    void StartPupilRays(const std::vector<std::array<double, 2>>& points, double shift = 0);

    // ---- Tracing ----
    // One surface for traced wavelength w, with the context's index before and after.
    bool RefractAtSurface(int i, int w);
    // Rotates the rays of w: by phi about the axis, theta in the x-y plane about x0, back by phi.
    void RotateBundle(int w, double phiDegrees, double thetaDegrees, double pivot);
    // The whole trace of the current slot: every traced wavelength through the first ... last surface,
    // then the image surface. Calls host.KeepGoing() before each surface.
    TraceOutcome TraceAll(Host& host);
    // Traces surfaces first ... last only (the cross-section draws faces on the way).
    TraceOutcome TraceSurfaces(Host& host, int first, int last);
    // The observer TraceSurfaces (and so TraceAll) tells after each surface; nullptr for none. The caller
    // keeps it alive while it is set. Ray aiming does not tell it.
    void SetObserver(SurfaceObserver* observer) { observer_ = observer; }

    // ---- The image ----
    // Where ray r of w meets the image surface (the plane at the last distance plus the defocus, or the
    // curved focal plane), as (y, z); nullopt when the ray cannot reach it or its numbers are not finite.
    std::optional<std::array<double, 2>> ImageSurfacePoint(int r, int w) const;
    // The index after the last surface at the d line carries the image side's sign (mirrors).
    double ImageSideSign() const;
    // The signed distance of the last surface to the image plane, and the paraxial one.
    double LastDistance() const { return surfaces_[SurfaceCount()].distance; }
    double ParaxialImageDistance() const;
    // The paraxial focal length as the main window shows it, and 1/alpha_0 of a limited-distance object.
    double FocalLength() const;
    double InverseStartAngle() const { return paraxial_ ? paraxial_->InverseStartAngle() : 0; }
    // The sag of the curved image surface at height h; 0 for a flat one.
    double ImageSag(double h) const;
    // The curvature of the image surface (the focal-plane row after the last surface), 0 when flat.
    double ImageCurvature() const;

    // ---- Aiming ----
    // The start height (object at infinity) or pupil height (limited distance) whose ray crosses surface
    // `target` at height `height`, for the current field angle. nullopt when the search fails.
    std::optional<double> Aim(Host& host, int target, double height, double start);
    // The entrance pupil diameter: twice the aimed height of the stop's rim; stores it and the stop.
    double EntrancePupilDiameter(Host& host);
    // The chief ray's start for the current field angle, aimed at the centre of the stop.
    std::optional<double> AimChiefRay(Host& host);

    // Why the last trace failed.
    const std::string& LastError() const { return error_; }

    // How many threads a trace of a large bundle (and the calculations given this tracer) may use;
    // DefaultThreadCount() unless set. Results do not depend on it. Clamped to 1 ... kMaxThreads.
    void SetThreads(int threads);
    int Threads() const { return threads_; }

    // Spherical and plane faces are traced in double precision with a cancellation-free formulation;
    // on, they take the extended-precision path of the aspheric faces instead (for comparisons).
    void SetExtendedPrecision(bool on) { extendedPrecision_ = on; }
    // Whether spherical faces may use the processor's fused multiply-add instructions where it has them
    // (the default; the portable loop gives the same bits, more slowly), for every tracer; and whether
    // they are in use now.
    static void AllowFmaInstructions(bool allowed);
    static bool FmaInstructionsInUse();

private:
    // A surface as the trace needs it: sums and trigonometry done once per calculation.
    struct TraceSurface {
        double curvature = 0;
        double distance = 0; // signed
        double shiftX = 0;
        double decenterY = 0; // Y + dy
        double decenterZ = 0; // Z + dz
        double tilt = 0;      // Theta + dTheta, degrees
        double azimuth = 0;   // Phi + dPhi, degrees
        double conic = 0;
        std::array<double, 6> aspheric{};
        bool isAspheric = false;
        double apertureSquared = 0; // (effective diameter / 2)^2
        double obscuredSquared = 0; // (hide diameter / 2)^2
        double effectiveDiameter = 0;
        SurfaceType type = SurfaceType::Plain;
    };

    bool Processed(const RayBlock& block, int r) const;
    // The clear aperture (not for ray 0) and the central obscuration at the ray's point on the surface.
    static void TestApertures(const TraceSurface& s, RayBlock& block, int r, long double radiusSquared,
                              bool obscurationTest);
    void IntersectAndRefract(const TraceSurface& s, RayBlock& block, double pivot);
    bool IdealLens(int i, RayBlock& block);
    void ShiftAndTilt(int w, const TraceSurface& s, double pivot);
    // ImageSurfacePoint before the check that the point is finite.
    std::optional<std::array<double, 2>> ImageSurfaceCrossing(int r, int w) const;

    RayBundle bundle_;
    TraceContext context_;
    void BindArrays(const Lens& lens, const SurfaceArrays& arrays, const ParaxialTrace& paraxial);

    const Lens* lens_ = nullptr;
    const SurfaceArrays* arrays_ = nullptr;
    const ParaxialTrace* paraxial_ = nullptr;
    bool trialArrays_ = false;           // bound to arrays other than the lens's own
    std::vector<TraceSurface> surfaces_; // 0 ... n, and the focal-plane row after n when there is one
    int faceCount_ = 0;                  // n
    bool focalPlaneRow_ = false;
    std::vector<int> wavelengthOf_;
    std::vector<int> untraceable_;
    int referenceTraced_ = 0;
    std::vector<double> indices_; // [i * listCount + j]
    int listCount_ = 0;
    std::string error_;
    Host* host_ = nullptr; // during TraceSurfaces: asked between blocks of rays whether to go on
    SurfaceObserver* observer_ = nullptr;
    int threads_ = DefaultThreadCount();
    bool extendedPrecision_ = false;
};

} // namespace vitrimo
