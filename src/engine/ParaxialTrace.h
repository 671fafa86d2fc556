// The paraxial (first-order) trace: focal length, back focal distance, entrance pupil and the heights
// and reduced angles of the paraxial marginal ray at every face.
//
// Conventions: reduced angle alpha = index x angle, positive for a converging ray; heights in mm;
// indices and distances signed by the running mirror sign, so the same formulas hold after mirrors.
// The trace always uses the d line. Intermediate sums are in extended precision.
#pragma once

#include "model/Lens.h"

#include <optional>
#include <vector>

namespace vitrimo {

class ParaxialTrace {
public:
    // Traces the marginal ray through the lens's arrays (which must be built) for faces 0 ... n. The lens
    // is only read; ApplyTo writes the results into it.
    //  - Object at infinity: the ray enters parallel at height 1; f = 1/alpha_n, and the back focal
    //    distance is where the ray crosses the axis behind the last face.
    //  - When the last distance is 0 or the data was modified, the image plane is to follow the paraxial
    //    focus (RefocusDistance), so that it follows the focus while editing.
    //  - A negative f with a real focus (BFD >= 0) is shown as -f; a negative f with a virtual focus
    //    means no real image (the image plane then lies on the last face).
    //  - Object at a limited distance (object row not "Air"): the ray leaves the axial object point
    //    towards height 1 in the entrance pupil; the back distance becomes the image distance; f stays
    //    the one for an object at infinity.
    // An afocal system, a zero index or a stop imaged to infinity give "no image", never NaN or infinity.
    void Run(const Lens& lens);
    // The same through other arrays than the lens's own (a working copy being rescaled).
    void Run(const Lens& lens, const SurfaceArrays& arrays);
    // Writes the results of the last run into the lens: focal length, back focal distance, and the image
    // plane at the focus (last distance) or on the last face.
    void ApplyTo(Lens& lens) const;

    // The focal length as the main window shows it (0 when there is none) and the back focal distance or
    // image distance.
    double FocalLength() const { return focalLength_; }
    double BackFocalDistance() const { return backFocalDistance_; }
    // The signed last distance that puts the image plane at the paraxial focus, when it is to move there.
    std::optional<double> RefocusDistance() const { return refocus_; }

    // The distance from face 1 (from the object plane when the object row has a positive distance) to
    // the paraxial entrance pupil, the image of the stop seen from the object side; positive when the
    // pupil lies after face 1. Without a stop (stopSurface < 1): the object row's distance when positive,
    // else 0. Infinite when the stop is imaged to infinity.
    static double EntrancePupilDistance(const Lens& lens, int stopSurface);
    static double EntrancePupilDistance(const SurfaceArrays& arrays, int stopSurface);

    // The paraxial exit pupil, the image of the stop seen from the image side, from the last run: a ray
    // from the centre of the stop traced forward through the faces after it.
    //  - distance: from the last face to the exit pupil along the light, in the image medium (measured
    //    like the back focal distance); negative when the pupil lies before the last face.
    //  - magnification: exit pupil diameter / entrance pupil diameter, from the marginal ray of the last
    //    run (height 1 in the entrance pupil) met in the exit pupil plane.
    // nullopt without a stop, when the run could not trace the lens, or when the stop is imaged to
    // infinity (a lens telecentric on the image side).
    struct Pupil {
        double distance = 0;
        double magnification = 0;
    };
    std::optional<Pupil> ExitPupil(const SurfaceArrays& arrays, int stopSurface) const;

    // The last run could trace the lens (it has faces, and every face an index at the d line). When it
    // could not, there is no focal length at all: neither a number nor "afocal".
    bool Traced() const { return traced_; }
    bool ImageValid() const { return imageValid_; }
    // Parallel light leaves parallel: there is no finite focal length.
    bool Afocal() const { return afocal_; }
    // The signed focal length 1/alpha_n, before the sign rule (the lens holds the one shown).
    double RawFocalLength() const { return rawFocalLength_; }
    // 1/alpha_0 for an object at a limited distance: minus the entrance pupil distance.
    double InverseStartAngle() const { return inverseStartAngle_; }
    int SurfaceCount() const { return surfaceCount_; }

    // Per face i = 0 ... n, from the last run.
    const std::vector<double>& Angles() const { return alpha_; }             // alpha_i after face i
    const std::vector<double>& Heights() const { return height_; }           // h_i, the height at face i+1
    const std::vector<double>& ReducedDistances() const { return reduced_; } // e_i = d_i / n_i
    const std::vector<double>& Powers() const { return power_; }             // phi_i

private:
    // Runs the marginal ray from (alpha_0, h_0) through faces 1 ... n.
    void TraceMarginal(const SurfaceArrays& arrays, long double alpha0, long double height0);

    std::vector<double> alpha_, height_, reduced_, power_;
    int surfaceCount_ = 0;
    bool traced_ = false;
    bool imageValid_ = false;
    bool afocal_ = false;
    double rawFocalLength_ = 0;
    double inverseStartAngle_ = 0;
    double focalLength_ = 0;
    double backFocalDistance_ = 0;
    std::optional<double> refocus_;
    bool imageOnLastFace_ = false;
};

} // namespace vitrimo
