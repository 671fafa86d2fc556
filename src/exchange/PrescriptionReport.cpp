#include "exchange/PrescriptionReport.h"

#include "engine/RayTracer.h"
#include "engine/ThirdOrder.h"
#include "glass/GlassCatalogue.h"
#include "model/Angles.h"
#include "model/NumberFormat.h"
#include "model/TextLines.h"
#include "model/Texts.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vitrimo {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// A word in place of a number that the text and HTML both show.
const std::string kNotApplicable = "-";

std::optional<double> CellNumber(const Lens& lens, std::string_view column, int row) {
    return lens.Column(column) >= 0 ? ParseNumber(lens.Text(column, row)) : std::nullopt;
}

bool NonZeroCell(const Lens& lens, std::string_view column, int row) {
    const auto value = CellNumber(lens, column, row);
    return value && *value != 0;
}

// An index cell: its number, or why there is none. "0" and an empty cell both mean "no index".
std::optional<double> IndexCell(const Lens& lens, std::string_view column, int row, std::string& why) {
    const std::string& text = lens.Text(column, row);
    if (IsBlank(text)) {
        why = "none (no " + std::string(column) + " index)";
        return std::nullopt;
    }
    const auto value = ParseNumber(text);
    if (!value) {
        why = "none (" + std::string(column) + " is not a number)";
        return std::nullopt;
    }
    if (*value == 0) {
        why = "none (no " + std::string(column) + " index)";
        return std::nullopt;
    }
    return value;
}

// The d-line index as the table holds it, or the reason it is missing.
std::string IndexText(const Lens& lens, int row) {
    std::string why;
    return IndexCell(lens, col::Nd, row, why) ? std::string(TrimBlanks(lens.Text(col::Nd, row))) : why;
}

// vd = (nd - 1) / (nF - nC) from the row's own indices.
std::string AbbeText(const Lens& lens, int row) {
    std::string why;
    const auto nd = IndexCell(lens, col::Nd, row, why);
    if (!nd) return why;
    const auto nF = IndexCell(lens, "nF", row, why);
    if (!nF) return why;
    const auto nC = IndexCell(lens, "nC", row, why);
    if (!nC) return why;
    if (*nF == *nC) return "none (nF = nC: no dispersion)";
    const double abbe = (*nd - 1) / (*nF - *nC);
    return std::isfinite(abbe) ? FormatFixed(abbe, 2) : "none (not finite)";
}

bool IsMirror(const std::string& glass) {
    return glass.find("Mirror") != std::string::npos;
}

// Faces whose "GlassName" names a glass: not air, a mirror, an ideal lens, a screen or the object.
bool NamesAGlass(const Lens& lens, int row) {
    const std::string glass(TrimBlanks(lens.Text(col::GlassName, row)));
    if (glass.empty() || glass == "Air" || glass == "Object" || IsMirror(glass)) return false;
    const SurfaceType type = lens.RowType(row);
    return type != SurfaceType::IdealLens && type != SurfaceType::Screen;
}

std::string JoinNotes(const std::vector<std::string>& notes) {
    std::string text;
    for (const std::string& note : notes) text += (text.empty() ? "" : ", ") + note;
    return text;
}

ReportSurface SurfaceRow(const Lens& lens, int row, int stop) {
    ReportSurface s;
    s.face = row - 1;
    s.glass = lens.Text(col::GlassName, row);
    const SurfaceType type = lens.RowType(row);
    const std::string& radiusText = lens.Text(col::R, row);
    if (const auto r = ParseNumber(radiusText))
        s.radius = *r == 0 && type != SurfaceType::IdealLens ? "plane" : FormatFixed(*r, 4);
    else
        s.radius = IsBlank(radiusText) ? "plane" : radiusText;
    const auto distance = CellNumber(lens, col::Distance, row);
    s.distance = distance ? FormatFixed(std::fabs(*distance), 4) : "none (not a number)";
    s.nd = IndexText(lens, row);
    const auto nd = ParseNumber(lens.Text(col::Nd, row));
    s.abbe = NamesAGlass(lens, row) || (nd && *nd != 1 && !IsMirror(s.glass)) ? AbbeText(lens, row)
                                                                              : kNotApplicable;
    const auto diameter = CellNumber(lens, col::EffectiveDiameter, row);
    s.clearDiameter = diameter && *diameter > 0 ? FormatFixed(*diameter * (lens.RadiusMode() ? 2 : 1), 4)
                                                : "none (not given)";

    std::vector<std::string> notes;
    if (s.face == stop || type == SurfaceType::Stop) notes.push_back("stop");
    if (IsMirror(s.glass)) notes.push_back("mirror");
    if (type == SurfaceType::IdealLens) notes.push_back("ideal lens (r is its focal length)");
    if (type == SurfaceType::Screen) notes.push_back("screen");
    if (const auto k = CellNumber(lens, col::K, row); k && *k != 0)
        notes.push_back("conic k=" + FormatGeneral(*k, 8));
    bool asphere = false;
    for (std::string_view a : col::Aspheric) asphere = asphere || NonZeroCell(lens, a, row);
    if (asphere) notes.push_back("asphere");
    bool moved = false;
    for (std::string_view c : {col::Y, col::Z, col::Dx, col::Dy, col::Dz, col::Theta, col::DTheta})
        moved = moved || NonZeroCell(lens, c, row);
    if (moved) notes.push_back("decentred/tilted");
    s.notes = JoinNotes(notes);
    return s;
}

std::vector<ReportGlass> Glasses(const Lens& lens, int faces) {
    std::vector<ReportGlass> glasses;
    for (int row = 2; row <= faces + 1; ++row) {
        if (!NamesAGlass(lens, row)) continue;
        const std::string name(TrimBlanks(lens.Text(col::GlassName, row)));
        const auto maker = MakerFromRemarks(TrimBlanks(lens.Text(col::Remarks, row)));
        auto known = std::find_if(glasses.begin(), glasses.end(),
                                  [&](const ReportGlass& g) { return g.name == name; });
        if (known != glasses.end()) {
            known->faces += ", " + std::to_string(row - 1);
            if (known->maker.empty() && maker) known->maker = std::string(MakerName(*maker));
            continue;
        }
        ReportGlass glass;
        glass.name = name;
        if (maker) glass.maker = std::string(MakerName(*maker));
        std::string why;
        const auto nd = IndexCell(lens, col::Nd, row, why);
        glass.nd = nd ? FormatFixed(*nd, 5) : why;
        glass.abbe = AbbeText(lens, row);
        glass.faces = std::to_string(row - 1);
        glasses.push_back(std::move(glass));
    }
    return glasses;
}

ReportQuantity Quantity(std::string label, std::optional<double> value, std::string unit, int decimals,
                        std::string missing, std::string note = {}) {
    if (value && !std::isfinite(*value)) {
        value.reset();
        if (missing.empty()) missing = "not finite";
    }
    return {std::move(label), value, std::move(unit), decimals, std::move(missing), std::move(note), {}};
}

// The chief ray of a field angle traced to the paraxial image plane in the reference wavelength: its
// distance from the axis there. The tracer's rays and context are put back as they were, so a window
// that re-evaluates its stored rays finds them unchanged.
std::optional<double> RealChiefHeight(RayTracer& tracer, double angle, Host& host, std::string& why) {
    TraceContext& context = tracer.Context();
    const TraceContext savedContext = context;
    RayBundle savedRays = std::move(tracer.Bundle());
    const bool infinite = context.firstSurface == 1;
    context.fieldAngle = angle;
    context.slot = 0;
    context.mode = TraceMode::CrossSection;
    const bool extra = context.idealLensPresent;
    tracer.AllocateBundle(extra ? 2 : 1, 1);
    const auto aimed = tracer.AimChiefRay(host);
    const double chief = aimed ? *aimed : (infinite ? tracer.ChiefHeight(angle) : 0);
    const auto start = [&](double height) { return tracer.FanStartRay(height, angle); };
    tracer.SetStart(0, start(chief));
    if (extra) tracer.SetStart(1, start(chief + 1.1e-6));
    context.defocus = tracer.ParaxialImageDistance() - tracer.LastDistance();
    const TraceOutcome outcome = tracer.TraceAll(host);
    std::optional<double> height;
    const int w = tracer.ReferenceTraced();
    if (!outcome.completed) {
        why = outcome.error.empty() ? "the trace was stopped" : outcome.error;
    } else if (w >= tracer.TracedWavelengthCount() || tracer.Bundle().Vignetted(0, w, 0)) {
        why = "the chief ray is vignetted or obscured";
    } else if (const auto point = tracer.ImageSurfacePoint(0, w)) {
        height = std::hypot((*point)[0], (*point)[1]);
    } else {
        why = "the chief ray does not reach the image plane";
    }
    tracer.Bundle() = std::move(savedRays);
    context = savedContext;
    return height;
}

void FirstOrder(Workbench& bench, Readiness readiness, const std::vector<double>& fieldAngles, Host& host,
                PrescriptionReport& report) {
    Lens& lens = bench.LensData();
    const ParaxialTrace& paraxial = bench.Paraxial();
    auto& q = report.firstOrder;
    const bool infinite = report.objectAtInfinity;
    if (readiness == Readiness::Cancelled || !lens.ArraysCurrent()) {
        report.firstOrderRemark =
            "none: the lens data is incomplete (a value the calculation needs is missing)";
        return;
    }
    if (!paraxial.Traced()) {
        report.firstOrderRemark = lens.SurfaceCount() < 1
                                      ? "none: the lens has no faces"
                                      : "none: the paraxial trace cannot run (a face has no d-line index)";
        return;
    }
    const bool afocal = paraxial.Afocal();
    const bool image = readiness == Readiness::Ready && paraxial.ImageValid();
    const int n = paraxial.SurfaceCount();
    const SurfaceArrays& arrays = lens.Arrays();

    q.push_back(Quantity("Effective focal length (EFL)",
                         afocal ? std::nullopt : std::optional(lens.FocalLength()), "mm", -1, "afocal"));
    if (infinite)
        q.push_back(Quantity("Back focal distance (BFL)",
                             afocal ? std::nullopt : std::optional(paraxial.BackFocalDistance()), "mm", 4,
                             "afocal", "from the last face"));
    else
        q.push_back(Quantity("Image distance",
                             image ? std::optional(paraxial.BackFocalDistance()) : std::nullopt, "mm", 4,
                             "no real image", "from the last face"));
    // An object at a limited distance stands on face 1's plane (the light-source dialog makes the face
    // after the object row the object plane): its distance is the way to the first lens face.
    const double objectDistance =
        n >= 1 ? std::fabs(arrays.surfaces[0].distance) + std::fabs(arrays.surfaces[1].distance) : 0;
    ReportQuantity object = Quantity("Object distance", std::nullopt, "mm", 4, "");
    if (infinite)
        object.word = "infinity";
    else
        object.value = objectDistance;
    if (!infinite) object.note = "object plane to the first lens face";
    q.push_back(object);

    const int stop = lens.StopSurfaceIndex();
    const double entrance = ParaxialTrace::EntrancePupilDistance(lens, stop);
    q.push_back(
        Quantity("Entrance pupil position", stop < 1 ? std::nullopt : std::optional(entrance), "mm", 4,
                 stop < 1 ? "no stop" : "the stop is imaged to infinity",
                 infinite ? "from face 1, positive after it" : "from the object plane, positive after it"));
    bench.BindTracer(host);
    RayTracer& tracer = bench.Tracer();
    const double epd = tracer.Context().entrancePupilDiameter;
    const bool pupil = epd > 0 && std::isfinite(epd);
    q.push_back(Quantity("Entrance pupil diameter (EPD)", pupil ? std::optional(epd) : std::nullopt, "mm", 4,
                         "no clear diameter at the stop", "real rays aimed at the rim of the stop"));
    const auto exit = paraxial.ExitPupil(arrays, stop);
    const std::string noExit = stop < 1 ? "no stop" : "at infinity (telecentric in image space)";
    q.push_back(Quantity("Exit pupil position", exit ? std::optional(exit->distance) : std::nullopt, "mm", 4,
                         noExit, "from the last face, positive after it"));
    q.push_back(Quantity("Exit pupil diameter",
                         exit && pupil ? std::optional(epd * exit->magnification) : std::nullopt, "mm", 4,
                         exit ? "no entrance pupil diameter" : noExit, "paraxial pupil magnification x EPD"));

    const double f = lens.FocalLength();
    q.push_back(Quantity("F-number", !afocal && pupil ? std::optional(std::fabs(f) / epd) : std::nullopt, "",
                         3, afocal ? "afocal" : "no entrance pupil diameter",
                         "EFL / EPD, object at infinity"));
    // The marginal ray of the last run has height 1 in the entrance pupil: its reduced angle in image space
    // per mm of pupil radius gives the working F-number 1 / (2 n'u').
    const double alphaN = paraxial.Angles()[n];
    if (!infinite)
        q.push_back(Quantity("Working F-number",
                             image && pupil && alphaN != 0 ? std::optional(1 / (std::fabs(alphaN) * epd))
                                                           : std::nullopt,
                             "", 3, image ? "no entrance pupil diameter" : "no real image",
                             "paraxial, 1 / (2 n'u') at the image"));

    // The largest field angle of the angle table, and where its chief ray meets the image.
    double largest = 0;
    for (double a : fieldAngles)
        if (std::fabs(a) > std::fabs(largest)) largest = a;
    const bool field = !fieldAngles.empty();
    ReportQuantity angle =
        Quantity("Largest field angle", field ? std::optional(std::fabs(largest)) : std::nullopt, "deg", 4,
                 "no field angle in the angle table");
    if (field) {
        const auto [degrees, minutes] = DegreesAndMinutes(std::fabs(largest));
        angle.note = degrees + "\xC2\xB0 " + minutes + "'";
    }
    q.push_back(angle);
    // The Lagrange invariant carries tan(theta) per unit entrance pupil height to n'u' y' in the image.
    const std::string noHeight =
        !field ? "no field angle in the angle table" : (!image ? "no real image" : "afocal");
    const bool paraxialHeight = field && image && !afocal && alphaN != 0;
    q.push_back(Quantity("Image height (paraxial)",
                         paraxialHeight
                             ? std::optional(std::tan(std::fabs(largest) * kDegree) / std::fabs(alphaN))
                             : std::nullopt,
                         "mm", 4, noHeight, infinite ? "EFL x tan(angle)" : "magnification x object height"));
    std::string why = noHeight;
    std::optional<double> real;
    if (paraxialHeight) real = RealChiefHeight(tracer, std::fabs(largest), host, why);
    q.push_back(Quantity("Image height (real chief ray)", real, "mm", 4, why,
                         "at the paraxial image plane, reference wavelength"));

    // From the first lens face: face 1, or face 2 after the object plane of a limited-distance object.
    const int first = infinite ? 1 : 2;
    double length = 0;
    for (int i = first; i < n; ++i) length += arrays.surfaces[i].distance;
    const std::string from = infinite ? "face 1" : "face 2";
    q.push_back(Quantity("Lens length", n >= first ? std::optional(std::fabs(length)) : std::nullopt, "mm", 4,
                         "no lens faces", from + " to the last face, along the axis"));
    const double track = std::fabs(length + arrays.surfaces[n].distance) + (infinite ? 0 : objectDistance);
    q.push_back(Quantity("Total track", image ? std::optional(track) : std::nullopt, "mm", 4, "no real image",
                         infinite ? "face 1 to the image plane, along the axis"
                                  : "object plane to the image plane, along the axis"));
}

void ThirdOrderSums(const Lens& lens, Readiness readiness, const ParaxialTrace& paraxial,
                    PrescriptionReport& report) {
    if (readiness != Readiness::Ready || !paraxial.ImageValid()) {
        report.thirdOrderRemark = readiness == Readiness::Cancelled ? "none: the lens data is incomplete"
                                                                    : "none: the lens forms no real image";
        return;
    }
    ThirdOrderTable table;
    if (!table.Compute(lens)) {
        report.thirdOrderRemark = "none: " + table.Error();
        return;
    }
    // The names and the sums exactly as the table's header and "SUM" row show them.
    const auto& header = table.Cells().front();
    const auto& sums = table.Cells().back();
    for (int c = 1; c <= 7; ++c) {
        ReportQuantity q;
        q.label = std::string(TrimBlanks(header[c]));
        q.decimals = c >= 6 ? 5 : 4;
        q.unit = "";
        if (const auto value = ParseNumber(sums[c]))
            q.value = value;
        else
            q.missing = "not finite";
        report.thirdOrder.push_back(std::move(q));
    }
    report.thirdOrderRemark = "normalised to a focal length of 1 and an object at infinity";
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string QuantityText(const ReportQuantity& q) {
    if (!q.word.empty()) return q.word;
    if (!q.value) return q.missing.empty() ? "none" : "none (" + q.missing + ")";
    std::string text = q.decimals < 0 ? FormatFocalLength(*q.value) : FormatFixed(*q.value, q.decimals);
    if (text.empty()) return "none (not finite)";
    return q.unit.empty() ? text : text + " " + q.unit;
}

PrescriptionReport BuildPrescriptionReport(Workbench& bench, Readiness readiness,
                                           const std::vector<double>& fieldAngles, Host& host) {
    Lens& lens = bench.LensData();
    PrescriptionReport report;
    report.title = lens.FileName().empty() ? "Untitled lens" : BaseName(lens.FileName());
    report.memo = lens.Memo();
    const WavelengthList& list = lens.Wavelengths();
    for (int w : list.CalculatedWavelengths())
        report.wavelengths.push_back({list.At(w).name, list.At(w).nanometres, w == list.Reference()});
    report.objectAtInfinity = lens.Text(col::GlassName, 1) == "Air";
    const int faces = lens.SurfaceCount();
    const int stop = readiness != Readiness::Cancelled && lens.ArraysCurrent() ? lens.StopSurfaceIndex() : -1;
    for (int row = 2; row <= faces + 1; ++row) report.surfaces.push_back(SurfaceRow(lens, row, stop));
    report.glasses = Glasses(lens, faces);
    FirstOrder(bench, readiness, fieldAngles, host, report);
    ThirdOrderSums(lens, readiness, bench.Paraxial(), report);
    return report;
}

} // namespace vitrimo
