#include "evaluation/SweepTable.h"

#include "model/NumberFormat.h"

#include <cmath>

namespace vitrimo {
namespace {

const std::string kEmpty;
constexpr const char* kDegreeMark = "°";
constexpr const char* kMinuteMark = "'";
constexpr const char* kDefaultColour = "clBlack";

double NumberIn(const std::string& text) {
    return ParseNumber(text).value_or(0);
}

} // namespace

SweepTable::SweepTable(SweepTableKind kind) : kind_(kind) {
    switch (kind) {
    case SweepTableKind::Angles:
    case SweepTableKind::GeneratedAngles:
        rows_.push_back({"Angle", "", "", ""});
        break;
    case SweepTableKind::ColouredAngles:
        rows_.push_back({"Angle", "", "", "", "color"});
        break;
    case SweepTableKind::SpatialFrequencies:
        rows_.push_back({"Spatial Freq.", "color"});
        break;
    }
    rows_.push_back(BlankRow());
    if (kind == SweepTableKind::SpatialFrequencies) rows_[1][0] = "10";
}

std::vector<std::string> SweepTable::BlankRow() const {
    switch (kind_) {
    case SweepTableKind::Angles:
    case SweepTableKind::GeneratedAngles:
        return {"", kDegreeMark, "", kMinuteMark};
    case SweepTableKind::ColouredAngles:
        return {"", kDegreeMark, "", kMinuteMark, kDefaultColour};
    case SweepTableKind::SpatialFrequencies:
        break;
    }
    return {"", kDefaultColour};
}

int SweepTable::MinutesColumn() const {
    return IsAngleTable() ? 2 : -1;
}

int SweepTable::ColourColumn() const {
    switch (kind_) {
    case SweepTableKind::ColouredAngles:
        return 4;
    case SweepTableKind::SpatialFrequencies:
        return 1;
    default:
        return -1;
    }
}

const std::string& SweepTable::Cell(int column, int row) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return kEmpty;
    return rows_[row][column];
}

void SweepTable::SetCell(int column, int row, std::string text) {
    if (row < 1 || row >= RowCount() || column < 0 || column >= ColumnCount()) return;
    rows_[row][column] = std::move(text);
}

bool SweepTable::RowIsEmpty(int row) const {
    if (!IsBlank(Cell(ValueColumn(), row))) return false;
    return MinutesColumn() < 0 || IsBlank(Cell(MinutesColumn(), row));
}

bool SweepTable::AppendRow() {
    if (RowCount() >= kMaxRows || RowIsEmpty(RowCount() - 1)) return false;
    rows_.push_back(BlankRow());
    return true;
}

bool SweepTable::DeleteRow(int row, Host& host) {
    if (row < 1 || row >= RowCount() || DataRowCount() <= 1 || RowIsEmpty(row)) return false;
    const std::string what = IsAngleTable() ? "Angle" : "Spatial Freq.";
    const std::string whatJapanese = IsAngleTable() ? "角度" : "空間周波数";
    if (host.Ask(MessageKind::Confirmation,
                 {"You delete this " + what + " ?", "この" + whatJapanese + "を削除しますか?"},
                 ButtonYes | ButtonCancel) != ButtonYes)
        return false;
    rows_.erase(rows_.begin() + row);
    return true;
}

std::optional<Wording> SweepTable::GenerateAngles(double maxAngle, double step) {
    if (!IsAngleTable())
        return Wording{"Only angle tables can be generated", "生成できるのは角度の表だけです"};
    if (!std::isfinite(step) || step <= 0)
        return Wording{"The interval of the angles must be greater than 0",
                       "角度の間隔は 0 より大きくしてください"};
    if (!std::isfinite(maxAngle) || maxAngle < 0)
        return Wording{"The maximum angle must not be negative", "最大角度は負にできません"};
    // The 0.0001 margin keeps a maximum that is a multiple of the step from appearing twice.
    const double limit = maxAngle - 0.0001;
    if (limit / step + 1 > kMaxGeneratedAngles)
        return Wording{"That would make more than " + std::to_string(kMaxGeneratedAngles) + " angles",
                       "角度の数が " + std::to_string(kMaxGeneratedAngles) + " を超えます"};
    std::vector<double> angles;
    for (int k = 0; k * step < limit; ++k) angles.push_back(k * step);
    angles.push_back(maxAngle);

    rows_.resize(1);
    for (double angle : angles) {
        auto row = BlankRow();
        auto [degrees, minutes] = DegreesAndMinutes(angle);
        row[0] = std::move(degrees);
        row[2] = std::move(minutes);
        rows_.push_back(std::move(row));
    }
    return std::nullopt;
}

void SweepTable::Tidy() {
    std::vector<std::vector<std::string>> kept{rows_.front()};
    for (int row = 1; row < RowCount(); ++row)
        if (!RowIsEmpty(row)) kept.push_back(rows_[row]);
    const bool allEmpty = kept.size() == 1;
    if (allEmpty) kept.push_back(SweepTable(kind_).rows_[1]);
    rows_ = std::move(kept);
    if (allEmpty) return;
    const auto fill = [](std::string& cell, const char* text) {
        if (IsBlank(cell)) cell = text;
    };
    for (auto row = rows_.begin() + 1; row != rows_.end(); ++row) {
        fill((*row)[ValueColumn()], "0");
        if (MinutesColumn() >= 0) fill((*row)[MinutesColumn()], "0");
        if (ColourColumn() >= 0) fill((*row)[ColourColumn()], kDefaultColour);
    }
}

std::vector<double> SweepTable::Angles() const {
    std::vector<double> angles;
    if (!IsAngleTable()) return angles;
    for (int row = 1; row < RowCount(); ++row) {
        if (RowIsEmpty(row)) continue;
        const std::string& degreesText = Cell(ValueColumn(), row);
        const double degrees = NumberIn(degreesText), minutes = NumberIn(Cell(MinutesColumn(), row));
        // "-0" and "30" is half a degree below the axis: the minutes share the sign of the degrees.
        const std::string_view trimmed = TrimBlanks(degreesText);
        angles.push_back(
            CombineDegreesAndMinutes(degrees, minutes, !trimmed.empty() && trimmed.front() == '-'));
    }
    return angles;
}

std::vector<double> SweepTable::Frequencies() const {
    std::vector<double> frequencies;
    if (IsAngleTable()) return frequencies;
    for (int row = 1; row < RowCount(); ++row)
        if (!RowIsEmpty(row)) frequencies.push_back(NumberIn(Cell(ValueColumn(), row)));
    return frequencies;
}

std::vector<Colour> SweepTable::Colours() const {
    std::vector<Colour> colours;
    for (int row = 1; row < RowCount(); ++row) {
        if (RowIsEmpty(row)) continue;
        const auto colour = ColourColumn() >= 0 ? ParseColour(Cell(ColourColumn(), row)) : std::nullopt;
        colours.push_back(colour.value_or(colours::Black));
    }
    return colours;
}

} // namespace vitrimo
