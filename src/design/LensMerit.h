// The merit function F of a lens: how good a candidate prescription is, as one number to minimise.
//
// F combines a paraxial pass (third-order sums, a curvature sum, thickness-bound penalties) with real
// rays traced at every field angle of the conditions and every wavelength with a weight: the spot size
// against a tolerance circle (geometrical mode) or the Strehl ratio (Strehl mode), and an axial
// sine-condition measure that stands for coma. The image plane is free: F is the least value over the
// focus shift, found by a parabolic search; in geometrical mode each angle's spot is also measured about
// the reference height that makes it least, in Strehl mode about the best lateral reference point.
//
// A LensMerit works on its own copy of the lens, its own trial arrays, its own paraxial trace and its own
// ray tracer, so an optimisation never touches the program's lens or tracer while it runs. In Strehl mode
// the field angles, or with one angle its wavelengths, are evaluated as parallel tasks (engine/Parallel.h)
// and their parts added in the one-thread order, so F is the same for every thread count. The vector of
// free values lists the curvatures (1/mm) of the faces 1 ... n whose "rFix" is empty, then the signed
// distances (mm) after the faces 1 ... n - 1 whose "lFix" is empty: the object row and the image distance
// are not the lens's to vary. A fix cell holding a face number couples the value to that face's.
//
// An invalid vector (a radius shorter than half its face's effective diameter, no real image, rays that
// cannot be started) has F = 1e100.
#pragma once

#include "design/MeritConditions.h"
#include "design/Objective.h"
#include "engine/ParaxialTrace.h"
#include "engine/RayTracer.h"
#include "model/Colour.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

struct TracedRays;

// The parts of F from one evaluation.
struct MeritParts {
    bool valid = false; // false: F = 1e100 (or the evaluation was stopped)
    double merit = 1e100;
    double spot = 0; // S: the ray term before AngleFactor, at the best focus
    double sphSum = 0;
    double comaSum = 0; // computed, not part of F
    double astSum = 0;
    double distSum = 0; // computed, not part of F
    double petzvalSum = 0;
    double curvatureSum = 0;
    double boundPenalty = 0;
    double sineComa = 0;
    double focus = 0; // the best focus shift from the paraxial image, mm
};

// The spot diagrams of the progress window: per angle (the first six), every ray of every weighted
// wavelength at the best focus, relative to the angle's weighted centroid (mm).
struct MeritSpotDot {
    double dy = 0;
    double z = 0;
    Colour colour = 0;
};

struct MeritReport {
    MeritParts parts;
    double fmin = 0; // the least F so far
    long long evaluation = 0;
    std::vector<std::vector<MeritSpotDot>> spots; // filled when graphics are on
};

class LensMerit : public TFVForm {
public:
    static constexpr int kGeometricalSteps = 8;
    static constexpr int kStrehlSteps = 10;
    static constexpr int kSpotBoxes = 6;

    // `lens` must have current arrays and a real paraxial image; its focal length is the one kept when
    // the conditions say so. The host is asked whether to go on while rays are traced.
    LensMerit(const Lens& lens, const MeritConditions& conditions, Host& host);
    ~LensMerit() override;

    // Empty when the merit can be evaluated; else why not.
    const std::string& Error() const { return error_; }
    // Weighted lines that cannot be traced (a face has no index for them): left out of F.
    const std::vector<std::string>& SkippedWavelengths() const { return skipped_; }

    // The free values as the lens stands now.
    std::vector<double> Variables() const;
    int VariableCount() const { return static_cast<int>(free_.size()); }
    // The name of free value k, like "r3" (curvature of face 3) or "d2" (distance after face 2).
    std::string VariableName(int k) const;

    double FValue(const std::vector<double>& x) override;
    std::vector<double> SetVariables(const std::vector<double>& x) override;

    const MeritParts& Last() const { return last_; }
    // The paraxial sums and penalties of the lens as it stands (no rays traced); valid when it forms a
    // real image.
    MeritParts ParaxialParts();
    long long EvaluationCount() const { return evaluations_; }
    // The focal length kept by the conditions (the start's) and the one of the trial arrays now (0 when they
    // form no real image).
    double TargetFocalLength() const { return target_; }
    double FocalLength() const;
    const SurfaceArrays& Arrays() const { return arrays_; }
    // Whether the focal length is kept: asked by the conditions, and possible with two free values or more.
    bool KeepsFocalLength() const { return keepFocalLength_; }

    // The threads an evaluation may use, the merit's own tracer's too: DefaultThreadCount() unless set,
    // clamped to 1 ... kMaxThreads. F does not depend on it, to the last bit.
    void SetThreads(int threads) { tracer_.SetThreads(threads); }
    int Threads() const { return tracer_.Threads(); }

    // Called after every valid evaluation (on the thread that evaluates).
    void SetObserver(std::function<void(const MeritReport&)> observer) { observer_ = std::move(observer); }
    // Spot diagrams for the observer while the switch is on; the switch may be flipped from another thread.
    void SetGraphicsSwitch(std::shared_ptr<const std::atomic<bool>> on) { graphics_ = std::move(on); }

    // How a face's radius or distance takes part: free (in the vector), fixed ("x"), or linked to a face.
    struct Link {
        enum Kind { Free, Fixed, Linked } kind = Free;
        int face = 0;
    };

private:
    struct FreeValue {
        bool curvature = true;
        int face = 0;
    };
    struct AngleRays; // the rays of one field angle

    bool Bind();
    void ParaxialPass(MeritParts& parts) const;
    bool TraceGeometrical(MeritParts& parts);
    bool TraceStrehl(MeritParts& parts);
    double SineComa(const TracedRays& rays, int firstRay, int lastRay, int setCount) const;
    double SpotTerm(double z) const;
    double StrehlTerm(double z) const;
    double StrehlAt(const AngleRays& angle, double z, double dy, double dz) const;
    double Combine(const MeritParts& parts, double s) const;
    std::vector<std::vector<MeritSpotDot>> Spots(double z) const;

    Lens lens_;
    MeritConditions conditions_;
    Host& host_;
    SurfaceArrays arrays_;
    ParaxialTrace paraxial_;
    RayTracer tracer_;
    int n_ = 0;
    std::vector<FreeValue> free_;
    std::vector<Link> radiusLink_, distanceLink_;
    int curvatureCount_ = 0;
    double target_ = 0;
    bool keepFocalLength_ = false;
    int reference_ = 0;          // list position of the reference wavelength
    std::vector<int> active_;    // list positions of the weighted lines, in line order
    std::vector<double> weight_; // their weights
    double weightSum_ = 0;       // of all eleven weights
    bool objectInAir_ = true;
    bool hasDecenter_ = false;
    double pupil_ = 0; // entrance pupil diameter, mm
    std::vector<AngleRays> angles_;
    bool invalid_ = false;
    std::shared_ptr<const std::atomic<bool>> graphics_;
    double fmin_ = 1e100;
    long long evaluations_ = 0;
    MeritParts last_;
    std::string error_;
    std::vector<std::string> skipped_;
    std::function<void(const MeritReport&)> observer_;
};

// The vertex of the parabola through three points (rule of the searches): `minimum` is false when the
// parabola has no minimum, and `z` is then the next point to try, half a spacing beyond the lower end.
struct ParabolaVertex {
    bool minimum = false;
    double z = 0;
};
// The spot penalty of a ray at q tolerance radii from the reference: q^2 inside the tolerance circle,
// 2q - 1 outside (continuous, with slope 2 at the rim).
double SpotPenalty(double q);
// The radius (mm) of a tolerance circle whose diameter is given in micrometres.
inline double ToleranceRadius(double diameterMicrometres) {
    return diameterMicrometres / 2000;
}

ParabolaVertex VertexOf(double z1, double f1, double z2, double f2, double z3, double f3);

// The number of free values of a lens: empty "rFix" cells of the faces 1 ... n and empty "lFix" cells of
// the faces 1 ... n - 1.
int CountFreeValues(const Lens& lens);

// Writes optimised free values into the table: each free curvature as its radius with 4 decimals, each
// free distance unsigned with 3 decimals; a value coupled to another face takes that face's text. Values
// equal to what the cell already holds keep their text. Marks the lens changed.
void WriteOptimisedValues(Lens& lens, const std::vector<double>& x);

} // namespace vitrimo
