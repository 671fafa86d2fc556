#include "design/Bending.h"

#include "engine/FocalLengthScaling.h"
#include "model/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace vitrimo {

BendingSession::BendingSession(const Lens& lens)
    : lens_(lens), arrays_(lens.Arrays()),
      n_(std::max(0, std::min(lens.SurfaceCount(), lens.Arrays().Count() - 1))),
      reference_(lens.Wavelengths().Reference()) {
    Trace();
    undo_ = arrays_;
    startFocalLength_ = paraxial_.FocalLength();
}

// ---- Mode and interval ----

void BendingSession::SetMode(BendMode mode) {
    mode_ = mode;
    interval_ = DefaultInterval(mode);
    ClearSelection();
}

void BendingSession::SetInterval(double interval) {
    if (std::isfinite(interval) && interval > 0) interval_ = interval;
}

double BendingSession::SteppedInterval(double interval, int direction) {
    const double raw = direction > 0 ? interval * 2 : direction < 0 ? interval / 2 : interval;
    if (!std::isfinite(raw) || raw <= 0) return interval;
    if (raw >= 1) return std::round(raw * 10) / 10;
    // Two significant digits, through the decimal text so that 0.000015 stays exactly that number.
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, raw, std::chars_format::scientific, 1);
    double rounded = raw;
    std::from_chars(text, written.ptr, rounded);
    return rounded > 0 ? rounded : interval;
}

std::string BendingSession::IntervalText(double interval) {
    return FormatShortest(interval);
}

// ---- Choosing planes ----

double BendingSession::IndexStep(int face) const {
    if (face < 1 || face > n_) return 0;
    if (arrays_.wavelengthCount > reference_ && reference_ >= 0) {
        const double after = arrays_.Index(face, reference_), before = arrays_.Index(face - 1, reference_);
        if (after != 0 && before != 0) return after - before;
    }
    return arrays_.surfaces[face].indexD - arrays_.surfaces[face - 1].indexD;
}

std::vector<int> BendingSession::Coupled(int face, BendTarget target) const {
    const std::string_view column = target == BendTarget::Curvature ? col::RFix : col::LFix;
    std::vector<int> coupled;
    for (int i = 1; i <= n_; ++i) {
        const auto link = ParseInteger(lens_.Text(column, i + 1));
        if (i != face && link && *link == face) coupled.push_back(i);
    }
    return coupled;
}

PlaneChoice BendingSession::Choose(int face, BendTarget target, bool ctrl) {
    if (mode_ == BendMode::TwoFace) target = BendTarget::Curvature;
    const int last = target == BendTarget::Distance ? n_ - 1 : n_;
    if (SelectionComplete() || face < 1 || face > last || face == planes_[0].face)
        return PlaneChoice::Refused;
    const std::string_view fix = target == BendTarget::Curvature ? col::RFix : col::LFix;
    if (!lens_.Text(fix, face + 1).empty() && !ctrl) return PlaneChoice::NeedsCtrl;
    if (IndexStep(face) == 0) return PlaneChoice::NoIndexChange;

    BendPlane& plane = planes_[0].face < 0 ? planes_[0] : planes_[1];
    plane.face = face;
    plane.coupled = Coupled(face, target);
    target_ = target;
    if (SelectionComplete()) undo_ = arrays_;
    return PlaneChoice::Chosen;
}

bool BendingSession::SelectionComplete() const {
    return planes_[0].face >= 0 && (mode_ == BendMode::SingleFace || planes_[1].face >= 0);
}

void BendingSession::ClearSelection() {
    planes_[0] = BendPlane{};
    planes_[1] = BendPlane{};
    target_ = BendTarget::Curvature;
    position_ = kStart;
}

// ---- Bending ----

void BendingSession::Trace() {
    // The image plane follows the paraxial focus of the bent shape, as it follows an edited lens.
    if (n_ >= 1) arrays_.surfaces[n_].distance = 0;
    paraxial_.Run(lens_, arrays_);
    if (n_ >= 1 && paraxial_.RefocusDistance()) arrays_.surfaces[n_].distance = *paraxial_.RefocusDistance();
}

StepResult BendingSession::ScrollTo(int position) {
    position = std::clamp(position, kMinimum, kMaximum);
    const int steps = position - position_;
    if (steps == 0 || !SelectionComplete()) return StepResult::Unchanged;
    const double f = paraxial_.FocalLength();
    if (!(f != 0) || !std::isfinite(f)) return StepResult::Unchanged;

    const SurfaceArrays before = arrays_;
    auto& s = arrays_.surfaces;
    changed_.clear();
    // Power moves in steps of Interval / f: sigma = -1 for plane 1, +1 for plane 2.
    const long double delta = static_cast<long double>(steps) * interval_ / f;
    const auto bend = [&](const BendPlane& plane, long double sigma) {
        s[plane.face].curvature =
            static_cast<double>(s[plane.face].curvature + sigma * delta / IndexStep(plane.face));
        changed_.push_back(plane.face);
        for (int j : plane.coupled) {
            s[j].curvature = s[plane.face].curvature;
            changed_.push_back(j);
        }
    };
    if (mode_ == BendMode::TwoFace) {
        bend(planes_[0], -1);
        bend(planes_[1], +1);
    } else if (target_ == BendTarget::Curvature) {
        bend(planes_[0], -1);
    } else {
        // The distance grows by Interval per position; it cannot pass through zero (the table holds
        // thicknesses without sign). Coupled distances take its length with their own direction.
        Surface& d = s[planes_[0].face];
        const double sign = d.distance < 0 || (d.distance == 0 && d.indexD < 0) ? -1.0 : 1.0;
        const double length = std::fabs(d.distance) + interval_ * steps;
        if (length < 0) {
            arrays_ = before;
            return StepResult::Unchanged;
        }
        d.distance = sign * length;
        changed_.push_back(planes_[0].face);
        for (int j : planes_[0].coupled) {
            s[j].distance = std::copysign(length, s[j].distance != 0 ? s[j].distance : s[j].indexD);
            changed_.push_back(j);
        }
    }
    Trace();
    if (!paraxial_.ImageValid()) {
        // A lens without a real image cannot be shown: the step is refused, the shape stays as it was.
        arrays_ = before;
        Trace();
        changed_.clear();
        return StepResult::LostImage;
    }
    changed_.push_back(n_); // the image distance follows
    position_ = position;
    return StepResult::Moved;
}

void BendingSession::AllFacesChanged() {
    changed_.resize(n_);
    std::iota(changed_.begin(), changed_.end(), 1);
}

void BendingSession::Undo() {
    arrays_ = undo_;
    Trace();
    AllFacesChanged();
}

bool BendingSession::AdjustFocalLength() {
    ParaxialTrace trial;
    const auto scaled = RestoreFocalLength(lens_, arrays_, trial, startFocalLength_);
    if (!scaled) return false;
    arrays_ = *scaled;
    Trace();
    AllFacesChanged();
    return true;
}

void BendingSession::RestoreCurvaturesFromTable() {
    for (int i = 1; i <= n_; ++i) {
        const double radius = ParseNumber(lens_.Text(col::R, i + 1)).value_or(0);
        arrays_.surfaces[i].curvature = radius != 0 && std::isfinite(1 / radius) ? 1 / radius : 0;
    }
    Trace();
    AllFacesChanged();
}

// ---- Focal length and texts ----

bool BendingSession::FocalLengthChanged() const {
    const double r = FocalLength() / startFocalLength_;
    return !(r >= kUnchangedLow && r <= kUnchangedHigh);
}

double BendingSession::NormalisedPower(int face) const {
    if (face < 1 || face > n_) return 0;
    return IndexStep(face) * arrays_.surfaces[face].curvature * FocalLength();
}

BendingRow BendingSession::Row(int face) const {
    BendingRow row;
    if (face < 0 || face > n_) return row;
    const Surface& s = arrays_.surfaces[face];
    row.number = std::to_string(face);
    row.glass = lens_.Text(col::GlassName, face + 1);
    row.radius = s.curvature != 0 ? FormatFixed(1 / s.curvature, 3) : "0";
    row.power = face >= 1 ? FormatFixed(NormalisedPower(face), 4) : "";
    row.distance = FormatFixed(std::fabs(s.distance), 3);
    return row;
}

std::string BendingSession::RadiusText(int face) const {
    const double c = arrays_.surfaces.at(face).curvature;
    return c != 0 ? FormatFixed(1 / c, 4, 14) : "0";
}

std::string BendingSession::DistanceText(int face) const {
    return FormatFixed(std::fabs(arrays_.surfaces.at(face).distance), 4);
}

void WriteBentLens(Lens& lens, const BendingSession& session) {
    const SurfaceArrays& arrays = session.Arrays();
    // Cells whose value the bending did not change keep their text (and its digits).
    for (int i = 1; i <= session.SurfaceCount(); ++i) {
        const int row = i + 1;
        const auto radius = ParseNumber(lens.Text(col::R, row));
        const double typed = radius && *radius != 0 ? 1 / *radius : 0;
        if (typed != arrays.surfaces[i].curvature) lens.SetText(col::R, row, session.RadiusText(i));
        const auto distance = ParseNumber(lens.Text(col::Distance, row));
        if (!distance || std::fabs(*distance) != std::fabs(arrays.surfaces[i].distance))
            lens.SetText(col::Distance, row, session.DistanceText(i));
    }
    lens.MarkChanged();
}

} // namespace vitrimo
