// Bending: changing the shape of a lens step by step while its aberrations are watched.
//
// A session works on a copy of the lens's surface arrays; the lens itself is only read until the caller
// writes the bent shape back (WriteBentLens). The user chooses one or two faces ("planes"):
//  - two-face bending moves surface power from plane 1 to plane 2, so that the sum of their powers stays
//    what it was (the classical bending of an element);
//  - single-face bending changes the power of one face (the focal length changes), or one distance.
// Faces whose "rFix" (for a distance: "lFix") holds a chosen face's number are coupled to it and follow.
//
// Powers: the surface power (n_i - n_(i-1)) c_i in 1/mm, with the signed indices of the reference
// wavelength (negative after an odd number of mirrors); the table shows it normalised, times the focal
// length f. One step of the scroll bar moves a power by Interval / f, so positions are in units of the
// normalised power whatever the size of the lens.
#pragma once

#include "engine/ParaxialTrace.h"
#include "model/Lens.h"

#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

enum class BendMode { TwoFace, SingleFace };

// What a single-face bend changes: the face's curvature or the distance after it.
enum class BendTarget { Curvature, Distance };

enum class PlaneChoice {
    Chosen,        // the face became the next plane
    NeedsCtrl,     // its radius (distance) is linked or fixed: it can be chosen only with Ctrl held
    NoIndexChange, // the same index on both sides: it has no power to give ("You cannot choose this plane!")
    Refused,       // not a face, the object row, or the selection is already complete
};

enum class StepResult {
    Moved,     // the shape changed
    Unchanged, // the same position, or no complete selection
    LostImage, // the step would leave the lens without a real image: refused, the shape is as it was
};

// A chosen face and the faces coupled to it.
struct BendPlane {
    int face = -1; // -1: none chosen
    std::vector<int> coupled;
};

// One row of the bending table, as the window shows it.
struct BendingRow {
    std::string number;   // "No."
    std::string glass;    // " Glass": the face's glass name
    std::string radius;   // "1/r   ": 1/c, fixed with 3 decimals ("0" for a plane face)
    std::string power;    // "Power ": (n_i - n_(i-1)) c_i f, fixed with 4 decimals
    std::string distance; // "distance ": fixed with 3 decimals
};

class BendingSession {
public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 10000;
    static constexpr int kStart = 5000;
    // The band in which f/f0 counts as unchanged (OK asks nothing).
    static constexpr double kUnchangedLow = 0.9999999999;
    static constexpr double kUnchangedHigh = 1.0000000001;

    // Starts from the lens's arrays, which must be current. The start focal length f0 is the lens's
    // paraxial focal length now.
    explicit BendingSession(const Lens& lens);

    const Lens& LensData() const { return lens_; }
    // The bent shape and its paraxial trace (the image plane follows the paraxial focus as the lens's own
    // does), for the plots and the third-order table.
    const SurfaceArrays& Arrays() const { return arrays_; }
    const ParaxialTrace& Paraxial() const { return paraxial_; }
    int SurfaceCount() const { return n_; }

    // ---- Mode and interval ----
    BendMode Mode() const { return mode_; }
    // Switching the mode forgets the planes and takes the mode's default interval.
    void SetMode(BendMode mode);
    static double DefaultInterval(BendMode mode) { return mode == BendMode::TwoFace ? 0.00001 : 0.0001; }
    double Interval() const { return interval_; }
    void SetInterval(double interval);
    // The interval arrows: up (+1) doubles, down (-1) halves; the result is rounded to two significant
    // digits, or to one decimal when it is 1 or more.
    static double SteppedInterval(double interval, int direction);
    // The interval as its edit shows it.
    static std::string IntervalText(double interval);

    // ---- Choosing planes ----
    // A double-click or Enter on face `face` of the bending table; `target` is the column (single-face
    // mode), `ctrl` whether Ctrl is held.
    PlaneChoice Choose(int face, BendTarget target, bool ctrl);
    bool SelectionComplete() const;
    const BendPlane& Plane(int k) const { return planes_[k]; }
    BendTarget Target() const { return target_; }
    // Forgets the planes; the scroll position returns to the start.
    void ClearSelection();

    // ---- Bending ----
    // The last scroll position seen.
    int Position() const { return position_; }
    // Moves to a scroll position: (position - last) steps of Interval / f. A step that would leave the lens
    // without a real image is refused and the last position kept.
    StepResult ScrollTo(int position);
    // The faces whose rows the last change rewrote.
    const std::vector<int>& ChangedFaces() const { return changed_; }

    // "Undo": the curvatures and distances as they were when the planes were chosen.
    void Undo();
    // "Fl Adjust": brings the focal length back to f0 by scaling the free radii and distances; the image
    // plane moves to the new focus. False when the lens has no real image to scale (nothing changes).
    bool AdjustFocalLength();
    // Cancel: every curvature read back from the lens's "r" column (distances stay as bent).
    void RestoreCurvaturesFromTable();

    // ---- Focal length ----
    double StartFocalLength() const { return startFocalLength_; }
    double FocalLength() const { return paraxial_.FocalLength(); }
    bool HasImage() const { return paraxial_.ImageValid(); }
    // OK asks whether to keep the old focal length when f/f0 left the band above.
    bool FocalLengthChanged() const;

    // ---- Texts ----
    BendingRow Row(int face) const;
    // The texts OK writes: "r" as 1/c fixed with 4 decimals ("0" for a plane), "Distance" fixed with 4
    // decimals (the table holds distances without the mirror sign).
    std::string RadiusText(int face) const;
    std::string DistanceText(int face) const;
    // The normalised power of face i: (n_i - n_(i-1)) c_i f.
    double NormalisedPower(int face) const;

private:
    double IndexStep(int face) const; // n_i - n_(i-1) at the reference wavelength
    void Trace();                     // the paraxial trace of the bent shape; the image plane follows it
    std::vector<int> Coupled(int face, BendTarget target) const;
    void AllFacesChanged();

    const Lens& lens_;
    SurfaceArrays arrays_;
    SurfaceArrays undo_;
    ParaxialTrace paraxial_;
    int n_ = 0;
    int reference_ = 0;
    double startFocalLength_ = 0;
    BendMode mode_ = BendMode::TwoFace;
    BendTarget target_ = BendTarget::Curvature;
    double interval_ = DefaultInterval(BendMode::TwoFace);
    BendPlane planes_[2];
    int position_ = kStart;
    std::vector<int> changed_;
};

// Writes a bent shape into the lens table as OK does: every face's "r" and "Distance" (RadiusText,
// DistanceText), the object row left alone. Marks the lens changed.
void WriteBentLens(Lens& lens, const BendingSession& session);

} // namespace vitrimo
