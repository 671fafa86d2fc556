#include "model/Lens.h"

#include "model/ClipboardBlock.h"
#include "model/NumberFormat.h"
#include "model/Texts.h"

#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

bool Contains(const std::string& text, const Wording& word) {
    return text.find(word.english) != std::string::npos || text.find(word.japanese) != std::string::npos;
}

bool IsZeroOrEmpty(const std::string& text) {
    const auto value = ParseNumber(text);
    return text.empty() || (value && *value == 0);
}

} // namespace

Lens::Lens() : table_(0, 2), columns_(ColumnMap::Default()) {
    table_.SetColumnCount(columns_.Count());
    ResetTable();
    tableReset_ = false;
}

int Lens::SurfaceCount() const {
    const int m = RowCount() - 2;
    if (m <= 0) return 0;
    return RowType(m + 1) == SurfaceType::FocalPlane ? m - 1 : m;
}

double Lens::CellValue(int column, int row) {
    if (const auto value = ParseNumber(Text(column, row))) return *value;
    // "rFix" and "lFix" hold "x" or a face number, not a value: their text is never repaired.
    if (column >= 0 && (column == Column(col::RFix) || column == Column(col::LFix))) return 0;
    if (column >= 0 && column == Column(col::Diameter)) {
        const int effective = Column(col::EffectiveDiameter);
        const double value = CellValue(effective, row);
        SetText(column, row, Text(effective, row));
        return value;
    }
    SetText(column, row, "0");
    return 0;
}

SurfaceType Lens::RowType(int row) const {
    const std::string& remarks = Text(col::Remarks, row);
    const std::string& glass = Text(col::GlassName, row);
    if (Contains(remarks, texts::FocalPlane)) return SurfaceType::FocalPlane;
    if (Contains(remarks, texts::StopPlane)) return SurfaceType::Stop;
    if (glass.find(texts::IdealLens.english) != std::string::npos ||
        remarks.find(texts::IdealLens.japanese) != std::string::npos)
        return SurfaceType::IdealLens;
    if (glass.find(texts::Screen.english) != std::string::npos ||
        remarks.find(texts::Screen.japanese) != std::string::npos)
        return SurfaceType::Screen;
    return SurfaceType::Plain;
}

std::optional<int> Lens::InsertWavelengthColumn(std::string_view title) {
    const int first = FirstIndexColumn();
    const auto position = wavelengths_.Insert(title);
    if (!position) return std::nullopt;
    const int column = first + *position;
    columns_.Insert(column, std::string(title));
    table_.InsertColumn(column);
    table_.SetCell(column, 0, std::string(title));
    return column;
}

void Lens::SetRadiusMode(bool on) {
    if (on == radiusMode_) return;
    radiusMode_ = on;
    ConvertDiameterCells(on);
    WriteTitles();
    arraysCurrent_ = false;
}

void Lens::ConvertDiameterCells(bool toRadii) {
    for (int row = 1; row < RowCount(); ++row) {
        // Repair first: a "Diameter" that is not a number takes the effective diameter's text, which
        // may itself have been repaired to "0"; then every cell that has a text is converted.
        for (auto name : col::Diameters)
            if (!Text(name, row).empty()) CellValue(name, row);
        for (auto name : col::Diameters) {
            if (Text(name, row).empty()) continue;
            const double value = CellValue(name, row);
            SetText(name, row, FormatFixed(toRadii ? value / 2 : value * 2, 4));
        }
    }
}

void Lens::WriteTitles() {
    for (int column = 0; column < columns_.Count(); ++column)
        table_.SetCell(column, 0, columns_.Name(column));
    if (radiusMode_) {
        for (std::size_t k = 0; k < col::Diameters.size(); ++k)
            table_.SetCell(Column(col::Diameters[k]), 0, std::string(col::RadiusTitles[k]));
    }
}

void Lens::ResetTable() {
    // The object row keeps the texts of the default columns it already had (its indices among them).
    std::vector<std::pair<std::string, std::string>> objectRow;
    for (int column = 0; column < columns_.Count(); ++column)
        objectRow.emplace_back(columns_.Name(column), Text(column, 1));

    columns_ = ColumnMap::Default();
    wavelengths_.RemoveInserted();
    table_ = LensTable(columns_.Count(), 2);
    for (const auto& [name, text] : objectRow) SetText(name, 1, text);
    WriteTitles();

    SetText(col::No, 1, "0");
    SetText(col::GlassName, 1, "Air");
    SetText(col::Remarks, 1, "");
    SetText(col::R, 1, "0");
    SetText(col::EffectiveDiameter, 1, "");
    SetText(col::Diameter, 1, "");
    for (auto name : {col::HideDiameter, col::Distance, col::MinDistance, col::MaxDistance})
        SetText(name, 1, "0");
    for (int column = Column(col::Dx); column <= Column(col::A14); ++column) SetText(column, 1, "0");
    RepairObjectRow();

    memo_.clear();
    shiftTiltGroups_.clear();
    dataModified_ = false;
    arraysCurrent_ = false;
    tableReset_ = true;
}

// The object space is air unless the user says otherwise: an object row without indices gets "1".
void Lens::RepairObjectRow() {
    for (int w = 0; w < wavelengths_.Count(); ++w)
        if (Text(IndexColumn(w), 1).empty()) SetText(IndexColumn(w), 1, "1");
}

void Lens::AddFace() {
    table_.SetRowCount(RowCount() + 1);
    SetText(col::No, RowCount() - 1, std::to_string(RowCount() - 2));
    MarkChanged();
}

void Lens::InsertFace(int row) {
    if (row < 1 || row >= RowCount()) return;
    const int noColumn = Column(col::No);
    table_.SetRowCount(RowCount() + 1);
    SetText(noColumn, RowCount() - 1, std::to_string(RowCount() - 2));
    for (int r = RowCount() - 1; r > row; --r)
        for (int c = 0; c < table_.ColumnCount(); ++c)
            if (c != noColumn) table_.SetCell(c, r, Text(c, r - 1));
    for (int c = 0; c < table_.ColumnCount(); ++c)
        if (c != noColumn) table_.SetCell(c, row, "");
    const int face = row - 1;
    for (auto& group : shiftTiltGroups_) {
        if (group.first >= face) ++group.first;
        if (group.last >= face) ++group.last;
    }
    MarkChanged();
}

void Lens::DeleteFace(int row) {
    if (row < 1 || row >= RowCount() || RowCount() <= 2) return;
    const int noColumn = Column(col::No);
    // Rows move up under their "No" cells, so the numbering stays in place.
    for (int r = row; r < RowCount() - 1; ++r)
        for (int c = 0; c < table_.ColumnCount(); ++c)
            if (c != noColumn) table_.SetCell(c, r, Text(c, r + 1));
    table_.SetRowCount(RowCount() - 1);
    const int face = row - 1;
    std::erase_if(shiftTiltGroups_,
                  [&](const ShiftTiltGroup& g) { return g.first == face || g.last == face; });
    for (auto& group : shiftTiltGroups_) {
        if (group.first > face) --group.first;
        if (group.last > face) --group.last;
    }
    MarkChanged();
}

std::vector<int> Lens::FacesWithoutIndices() const {
    std::vector<int> faces;
    const int nd = Column(col::Nd);
    for (int row = 2; row < RowCount(); ++row)
        if (IsZeroOrEmpty(Text(nd, row))) faces.push_back(row - 1);
    return faces;
}

std::vector<int> Lens::DropRowsWithoutIndices() {
    const std::vector<int> faces = FacesWithoutIndices();
    if (faces.empty()) return faces;
    // One pass: the kept rows move up under the "No" cells, which stay in place (as DeleteFace does it,
    // without moving every later row once per deleted face).
    const int noColumn = Column(col::No);
    std::vector<bool> drop(RowCount(), false);
    for (int face : faces) drop[face + 1] = true;
    LensTable kept(table_.ColumnCount(), RowCount() - static_cast<int>(faces.size()));
    for (int row = 0, to = 0; row < RowCount(); ++row) {
        if (drop[row]) continue;
        for (int c = 0; c < table_.ColumnCount(); ++c)
            kept.SetCell(c, to, c == noColumn ? table_.Cell(c, to) : table_.Cell(c, row));
        ++to;
    }
    table_ = std::move(kept);

    // Shift/tilt groups bounded by a deleted face go; the others are renumbered.
    std::erase_if(shiftTiltGroups_, [&](const ShiftTiltGroup& g) {
        return std::binary_search(faces.begin(), faces.end(), g.first) ||
               std::binary_search(faces.begin(), faces.end(), g.last);
    });
    const auto below = [&](int face) {
        return static_cast<int>(std::lower_bound(faces.begin(), faces.end(), face) - faces.begin());
    };
    for (auto& group : shiftTiltGroups_) {
        group.first -= below(group.first);
        group.last -= below(group.last);
    }
    MarkChanged();
    return faces;
}

bool Lens::BuildSurfaceArrays(Host& host) {
    arraysCurrent_ = BuildArrays(host);
    return arraysCurrent_;
}

bool Lens::BuildArrays(Host& host) {
    const int rows = RowCount();
    const int m = rows - 2;
    arrays_ = SurfaceArrays{};
    if (m < 0) return true;

    const int glass = Column(col::GlassName), distance = Column(col::Distance);
    const int effective = Column(col::EffectiveDiameter);
    const bool objectInAir = Text(glass, 1) == "Air";

    // An object at a limited distance needs that distance (the distance of row 2).
    if (!objectInAir && rows >= 3) {
        while (CellValue(distance, 2) <= 0) {
            host.FocusCell(distance, 2);
            const auto answer = host.AskText(texts::ProgramTitle, texts::InputLimitedDistance, "");
            if (!answer) return false;
            SetText(distance, 2, ParseNumber(*answer) ? *answer : "0");
        }
    }

    const int wavelengthCount = wavelengths_.Count();
    arrays_.surfaces.assign(m + 1, Surface{});
    arrays_.indices.assign(static_cast<std::size_t>(m + 1) * wavelengthCount, 0.0);
    arrays_.wavelengthCount = wavelengthCount;

    const double diameterScale = radiusMode_ ? 2.0 : 1.0;
    const int nd = Column(col::Nd), ng = Column(col::Ng);
    double sign = 1; // the running mirror sign
    for (int i = 0; i <= m; ++i) {
        const int row = i + 1;
        const double ndValue = CellValue(nd, row);
        const double g = ndValue < 0 ? -1 : 1;

        if (i == 0 && m == 0 && ParseNumber(Text(effective, 1)).value_or(0) == 0) break;

        // Faces without an effective diameter take the beam diameter of the object row, or ask.
        while (CellValue(effective, row) == 0) {
            if (i == 0 || (i == 1 && !objectInAir)) break;
            if (CellValue(effective, 1) <= 0) {
                host.FocusCell(effective, row);
                const auto answer =
                    host.AskText(texts::ProgramTitle, texts::InputEffectiveDiameter(Text(col::No, row)), "");
                if (!answer) return false;
                SetText(effective, row, ParseNumber(*answer) ? *answer : "0");
            } else {
                SetText(effective, row, Text(effective, 1));
            }
        }

        Surface& s = arrays_.surfaces[i];
        const double radius = CellValue(col::R, row);
        s.curvature = radius != 0 && std::isfinite(1 / radius) ? 1 / radius : 0;
        s.maxDistance = std::fabs(CellValue(col::MaxDistance, row));
        s.minDistance = std::fabs(CellValue(col::MinDistance, row));
        s.effectiveDiameter = CellValue(effective, row) * diameterScale;
        const double outer = CellValue(col::Diameter, row);
        s.outerDiameter = (outer != 0 ? outer : CellValue(effective, row)) * diameterScale;
        s.hideDiameter = CellValue(col::HideDiameter, row) * diameterScale;
        s.decenterY = CellValue(col::Y, row);
        s.decenterZ = CellValue(col::Z, row);
        s.shiftX = CellValue(col::Dx, row);
        s.shiftY = CellValue(col::Dy, row);
        s.shiftZ = CellValue(col::Dz, row);
        s.tilt = CellValue(col::Theta, row);
        s.tiltDelta = CellValue(col::DTheta, row);
        s.azimuth = CellValue(col::Phi, row);
        s.azimuthDelta = CellValue(col::DPhi, row);
        s.conic = CellValue(col::K, row);
        s.isAspheric = s.conic != 0;
        for (std::size_t k = 0; k < col::Aspheric.size(); ++k) {
            s.aspheric[k] = CellValue(col::Aspheric[k], row);
            s.isAspheric = s.isAspheric || s.aspheric[k] != 0;
        }
        s.radiusFixed = !Text(col::RFix, row).empty();
        s.distanceFixed = !Text(col::LFix, row).empty();

        for (int w = 0; w < wavelengthCount; ++w)
            arrays_.indices[static_cast<std::size_t>(i) * wavelengthCount + w] =
                CellValue(IndexColumn(w), row) * sign;
        s.indexD = ndValue * sign;
        s.dispersionGD = (CellValue(ng, row) - ndValue) * sign;
        sign *= g;
        s.distance = std::fabs(CellValue(distance, row)) * sign;
        s.type = RowType(row);
    }
    return true;
}

int StopSurfaceIndex(const SurfaceArrays& arrays, int n) {
    n = std::min(n, arrays.Count() - 1);
    for (int i = 1; i <= n; ++i)
        if (arrays.surfaces[i].type == SurfaceType::Stop) return i;
    for (int i = 1; i <= n; ++i)
        if (arrays.surfaces[i].indexD != 1.0 || arrays.surfaces[i].type == SurfaceType::IdealLens) return i;
    return -1;
}

int Lens::StopSurfaceIndex() const {
    return vitrimo::StopSurfaceIndex(arrays_, SurfaceCount());
}

void Lens::MarkChanged() {
    dataModified_ = true;
    arraysCurrent_ = false;
    ++revision_;
}

bool Lens::ComputeHasDecenter() const {
    const auto nonZero = [&](std::string_view column, int row) {
        const auto value = ParseNumber(Text(column, row));
        return value && *value != 0;
    };
    for (int row = 1; row < RowCount(); ++row) {
        for (auto name : {col::Y, col::Dy, col::Z, col::Dz, col::DTheta, col::Phi, col::DPhi})
            if (nonZero(name, row)) return true;
        if (nonZero(col::Theta, row) && nonZero(col::R, row)) return true;
    }
    return false;
}

void Lens::SetParaxialResults(double focalLength, double backFocalDistance) {
    focalLength_ = focalLength;
    backFocalDistance_ = backFocalDistance;
}

void Lens::RefocusLastDistance(double signedDistance) {
    const int n = SurfaceCount();
    if (n < arrays_.Count()) arrays_.surfaces[n].distance = signedDistance;
    table_.SetCell(Column(col::Distance), n + 1, FormatFixed(std::fabs(signedDistance), 6));
}

void Lens::PlaceImageOnLastFace() {
    const int n = SurfaceCount();
    if (n < arrays_.Count()) arrays_.surfaces[n].distance = 0;
}

void Lens::SetNominalImage(double size) {
    focalLength_ = size;
    const int n = std::min(SurfaceCount(), arrays_.Count() - 1);
    if (n >= 0) arrays_.surfaces[n].distance = 2 * size * arrays_.surfaces[n].indexD;
}

std::string Lens::PasteBlock(int column, int row, std::string_view text) {
    std::string overwritten = vitrimo::PasteBlock(table_, column, row, text);
    MarkChanged();
    return overwritten;
}

std::string Lens::CutBlock(int left, int top, int right, int bottom) {
    std::string text = vitrimo::CutBlock(table_, {left, top, right, bottom});
    MarkChanged();
    return text;
}

} // namespace vitrimo
