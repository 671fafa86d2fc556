#include "model/FaceCommands.h"

#include "model/NumberFormat.h"
#include "model/Texts.h"

namespace vitrimo {
namespace {

const Wording kSecondSurfaceQuestion{"2nd surface mirror?", "裏面鏡ですか?"};
const Wording kSecondSurfaceRemark{"2nd surface mirror", "裏面鏡"};

void SetIndices(Lens& lens, int row, const std::string& text) {
    for (int w = 0; w < lens.Wavelengths().Count(); ++w) lens.SetText(lens.IndexColumn(w), row, text);
}

void AirWithRemark(Lens& lens, int row, const Wording& remark, bool japanese) {
    SetIndices(lens, row, "1");
    lens.SetText(col::GlassName, row, "Air");
    lens.SetText(col::Remarks, row, remark.In(japanese));
    lens.MarkChanged();
}

} // namespace

void MakeAir(Lens& lens, int row) {
    AirWithRemark(lens, row, Wording{}, false);
}

void MakeStopPlane(Lens& lens, int row, bool japanese) {
    AirWithRemark(lens, row, texts::StopPlane, japanese);
}

void MakeFocalPlane(Lens& lens, int row, bool japanese) {
    AirWithRemark(lens, row, texts::FocalPlane, japanese);
}

void MakeScreen(Lens& lens, int row, bool japanese) {
    AirWithRemark(lens, row, texts::Screen, japanese);
    lens.SetText(col::GlassName, row, "Screen");
}

void MakeMirror(Lens& lens, int row, Host& host, bool japanese) {
    const int glassRow = row - 1;
    const bool glassBefore = row > 1 && ParseNumber(lens.Text(col::Nd, glassRow)).value_or(0) > 1.0;
    if (!glassBefore ||
        host.Ask(MessageKind::Confirmation, kSecondSurfaceQuestion, ButtonYes | ButtonNo) != ButtonYes) {
        SetIndices(lens, row, "-1");
        lens.SetText(col::GlassName, row, "Mirror");
        lens.SetText(col::Remarks, row, "");
        lens.MarkChanged();
        return;
    }

    // The way back through the glass's front surface is a new face after the mirror.
    const int back = row + 1;
    if (back < lens.RowCount())
        lens.InsertFace(back);
    else
        lens.AddFace();
    const std::string glassFace = std::to_string(glassRow - 1);
    lens.SetText(col::GlassName, back, "Air");
    SetIndices(lens, back, "1");

    for (int w = 0; w < lens.Wavelengths().Count(); ++w) {
        const int column = lens.IndexColumn(w);
        const auto index = ParseNumber(lens.Text(column, glassRow));
        lens.SetText(column, row, index ? FormatGeneral(-*index, 15) : std::string());
    }
    for (auto name : {col::Distance, col::EffectiveDiameter, col::Diameter})
        lens.SetText(name, row, lens.Text(name, glassRow));
    lens.SetText(col::LFix, row, glassFace);
    lens.SetText(col::GlassName, row, "2nd Surf.Mirror");
    lens.SetText(col::Remarks, row, kSecondSurfaceRemark.In(japanese));

    for (auto name : {col::K, col::A4, col::A6, col::A8, col::A10, col::A12, col::A14, col::R,
                      col::EffectiveDiameter, col::Diameter})
        lens.SetText(name, back, lens.Text(name, glassRow));
    lens.SetText(col::RFix, back, glassFace);
    lens.MarkChanged();
}

void MakeSpecialFace(Lens& lens, int row, SpecialFace kind, Host& host, bool japanese) {
    switch (kind) {
    case SpecialFace::Air:
        MakeAir(lens, row);
        break;
    case SpecialFace::Mirror:
        MakeMirror(lens, row, host, japanese);
        break;
    case SpecialFace::StopPlane:
        MakeStopPlane(lens, row, japanese);
        break;
    case SpecialFace::FocalPlane:
        MakeFocalPlane(lens, row, japanese);
        break;
    case SpecialFace::Screen:
        MakeScreen(lens, row, japanese);
        break;
    }
}

} // namespace vitrimo
