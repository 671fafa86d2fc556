#include "exchange/ZmxExport.h"

#include "exchange/Frames.h"
#include "model/FileIo.h"
#include "model/NumberFormat.h"
#include "model/TextLines.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace vitrimo {
namespace {

using frames::Mat;

// Numbers as the file holds them: 17 significant digits read back exactly.
std::string Number(double value) {
    if (value == 0) return "0";
    return FormatGeneral(value, 17);
}

struct Writer {
    const Lens& lens;
    ZmxExport& out;
    int surface = 0;

    double Value(std::string_view column, int row) const {
        return ParseNumber(lens.Text(column, row)).value_or(0);
    }
    double Diameter(std::string_view column, int row) const {
        return Value(column, row) * (lens.RadiusMode() ? 2 : 1);
    }
    void Line(const std::string& text) { out.text += text + "\r\n"; }

    void Begin(const std::string& type) {
        Line("SURF " + std::to_string(surface++));
        Line("  TYPE " + type);
    }
    // A coordinate break that turns the frame by `axes` (in the table's frame) after shifting it.
    void Break(double y, double z, const Mat& axes, double thickness) {
        const Mat foreign = frames::RotationToForeign(axes);
        // Axes = Rx(a) Ry(b) Rz(c), the turns about the turned axes in this order.
        const double b = frames::Degrees(std::asin(std::clamp(foreign[0][2], -1.0, 1.0)));
        const double a = frames::Degrees(std::atan2(-foreign[1][2], foreign[2][2]));
        const double c = frames::Degrees(std::atan2(-foreign[0][1], foreign[0][0]));
        const auto decenter = frames::ToForeign({0, y, z});
        Begin("COORDBRK");
        Line("  CURV 0");
        Line("  PARM 1 " + Number(decenter[0]));
        Line("  PARM 2 " + Number(decenter[1]));
        Line("  PARM 3 " + Number(a));
        Line("  PARM 4 " + Number(b));
        Line("  PARM 5 " + Number(c));
        Line("  PARM 6 0");
        Line("  DISZ " + Number(thickness));
    }
};

bool NonZero(double v) {
    return v != 0;
}

} // namespace

ZmxExport ExportZmxText(const Lens& lens) {
    ZmxExport out;
    Writer w{lens, out};
    const auto memo = SplitLines(lens.Memo());

    w.Line("VERS 0");
    w.Line("MODE SEQ");
    w.Line("NAME " + (memo.empty() ? std::string() : std::string(memo.front())));
    w.Line("UNIT MM X W X CM MR CPMM");
    const bool infinite = lens.Text(col::GlassName, 1) != "Object";
    const double beam = w.Diameter(col::EffectiveDiameter, 1);
    if (infinite && beam > 0) w.Line("ENPD " + Number(beam));

    // Wavelengths: the calculated ones, the reference first among equals as the primary.
    const WavelengthList& list = lens.Wavelengths();
    std::vector<int> waves = list.CalculatedWavelengths();
    int primary = 1;
    for (std::size_t k = 0; k < waves.size(); ++k)
        if (waves[k] == list.Reference()) primary = static_cast<int>(k) + 1;
    w.Line("FTYP 0 0 1 " + std::to_string(waves.size()) + " 0 0 0");
    w.Line("XFLN 0");
    w.Line("YFLN 0");
    for (std::size_t k = 0; k < waves.size(); ++k)
        w.Line("WAVM " + std::to_string(k + 1) + " " + Number(list.At(waves[k]).nanometres / 1000) + " 1");
    w.Line("PWAV " + std::to_string(primary));

    // The object.
    const int last = lens.RowCount() - 1;
    // The faces run to the last row, or to the row before a focal plane that ends the table.
    const int lastOptical = last >= 3 && lens.RowType(last) == SurfaceType::FocalPlane ? last - 1 : last;
    int firstRow = 2;
    // The object lies the object row's distance before face 1 (usually 0: face 1 is a plane at the object).
    double objectDistance = std::abs(w.Value(col::Distance, 1)) + w.Value(col::Dx, 2);
    if (!infinite) {
        const bool plainPlane =
            lastOptical >= 3 && lens.Text(col::GlassName, 2) == "Air" && w.Value(col::R, 2) == 0 &&
            w.Value(col::Y, 2) + w.Value(col::Dy, 2) == 0 && w.Value(col::Z, 2) + w.Value(col::Dz, 2) == 0 &&
            w.Value(col::Theta, 2) + w.Value(col::DTheta, 2) == 0 && lens.RowType(2) == SurfaceType::Plain;
        if (plainPlane) {
            objectDistance += std::abs(w.Value(col::Distance, 2)) + w.Value(col::Dx, 3);
            firstRow = 3;
        }
    }
    w.Begin("STANDARD");
    w.Line("  CURV 0");
    w.Line(infinite ? "  DISZ INFINITY" : "  DISZ " + Number(objectDistance));

    const bool focalPlane = lens.RowType(last) == SurfaceType::FocalPlane && last >= firstRow;
    const int lastFace = focalPlane ? last - 1 : last;
    int sign = 1;
    for (int row = firstRow; row <= lastFace; ++row) {
        const std::string face = "Face " + lens.Text(col::No, row);
        const SurfaceType type = lens.RowType(row);
        if (type == SurfaceType::IdealLens)
            out.notCarried.push_back(face + ": an ideal lens is written as a plane.");
        if (type == SurfaceType::Screen) out.notCarried.push_back(face + ": a screen is written as a plane.");
        if (w.Diameter(col::HideDiameter, row) != 0)
            out.notCarried.push_back(face + ": the central obscuration (HideDiam.) is left out.");
        const double outer = w.Diameter(col::Diameter, row),
                     effective = w.Diameter(col::EffectiveDiameter, row);
        if (outer != 0 && outer != effective)
            out.notCarried.push_back(face +
                                     ": the outer diameter is left out (the file holds the effective one).");

        const double y = w.Value(col::Y, row) + w.Value(col::Dy, row);
        const double z = w.Value(col::Z, row) + w.Value(col::Dz, row);
        const double theta = w.Value(col::Theta, row) + w.Value(col::DTheta, row);
        const double phi = w.Value(col::Phi, row) + w.Value(col::DPhi, row);
        const std::string& glass = lens.Text(col::GlassName, row);
        const double nd = w.Value(col::Nd, row);
        const bool mirror = nd < 0 || glass == "Mirror";
        if (NonZero(y) || NonZero(z) || NonZero(theta)) w.Break(y, z, frames::TiltRotation(theta, phi), 0);

        bool aspheric = false;
        for (auto name : col::Aspheric) aspheric = aspheric || w.Value(name, row) != 0;
        w.Begin(aspheric ? "EVENASPH" : "STANDARD");
        const double r = w.Value(col::R, row);
        w.Line("  CURV " + Number(r == 0 || type == SurfaceType::IdealLens ? 0.0 : 1 / r));
        if (type == SurfaceType::Stop) w.Line("  STOP");
        if (aspheric) {
            w.Line("  PARM 1 0");
            for (std::size_t k = 0; k < col::Aspheric.size(); ++k)
                w.Line("  PARM " + std::to_string(k + 2) + " " + Number(w.Value(col::Aspheric[k], row)));
            w.Line("  PARM 8 0");
        }
        if (w.Value(col::K, row) != 0) w.Line("  CONI " + Number(w.Value(col::K, row)));
        if (mirror) {
            w.Line("  GLAS MIRROR 0 0 0 0 0 0 0 0 0 0");
        } else if (glass != "Air" && nd != 1 && !glass.empty()) {
            double modelNd = nd, vd = 0, dPgF = 0;
            const double nF = w.Value("nF", row), nC = w.Value("nC", row);
            if (nF != nC) vd = (nd - 1) / (nF - nC);
            // A model glass keeps the numbers it came with: "Model glass nd 1.6 vd 40 dPgF 0.01".
            const std::string& remarks = lens.Text(col::Remarks, row);
            if (remarks.rfind("Model glass ", 0) == 0) {
                std::istringstream words(remarks.substr(12));
                std::string key, value;
                while (words >> key >> value) {
                    const auto number = ParseNumber(value);
                    if (!number) continue;
                    if (key == "nd")
                        modelNd = *number;
                    else if (key == "vd")
                        vd = *number;
                    else if (key == "dPgF")
                        dPgF = *number;
                }
            }
            std::string name = glass;
            for (char& c : name)
                if (c == ' ' || c == '\t') c = '_';
            w.Line("  GLAS " + name + " 0 0 " + Number(modelNd) + " " + Number(vd) + " " + Number(dPgF) +
                   " 0 0 0 0 0");
        }
        if (effective != 0) w.Line("  DIAM " + Number(effective / 2) + " 0 0 0 1 \"\"");

        // The thickness to the next face: its axial shift counts too. After an odd number of mirrors the
        // light runs backwards and the thickness is negative.
        if (mirror) sign = -sign;
        const double dxNext = row + 1 <= last ? w.Value(col::Dx, row + 1) : 0;
        const double thickness = (std::abs(w.Value(col::Distance, row)) + dxNext) * sign;
        if (mirror && theta != 0) {
            w.Line("  DISZ 0");
            w.Break(0, 0, frames::TiltRotation(theta, phi), thickness);
        } else {
            w.Line("  DISZ " + Number(thickness));
        }
    }

    // The image.
    if (focalPlane) {
        const double y = w.Value(col::Y, last) + w.Value(col::Dy, last);
        const double z = w.Value(col::Z, last) + w.Value(col::Dz, last);
        const double theta = w.Value(col::Theta, last) + w.Value(col::DTheta, last);
        const double phi = w.Value(col::Phi, last) + w.Value(col::DPhi, last);
        if (NonZero(y) || NonZero(z) || NonZero(theta)) w.Break(y, z, frames::TiltRotation(theta, phi), 0);
    }
    w.Begin("STANDARD");
    const double imageRadius = focalPlane ? w.Value(col::R, last) : 0;
    w.Line("  CURV " + Number(imageRadius == 0 ? 0.0 : 1 / imageRadius));
    w.Line("  DISZ 0");
    return out;
}

std::optional<std::string> WriteZmxFile(const Lens& lens, const std::string& path,
                                        std::vector<std::string>* notCarried) {
    ZmxExport exported = ExportZmxText(lens);
    if (notCarried) *notCarried = exported.notCarried;
    return WriteFileAtomically(path, exported.text);
}

} // namespace vitrimo
