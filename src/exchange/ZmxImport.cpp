#include "exchange/ZmxImport.h"

#include "exchange/Frames.h"
#include "model/FileIo.h"
#include "model/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace vitrimo {
namespace {

using frames::Mat;
using frames::Vec;

// Lengths beyond a kilometre and curvatures beyond a nanometre's are no lens; they only come from broken
// files. An object farther than 1e10 mm counts as infinitely far, as the other programs write it.
constexpr double kMaxLength = 1e6;
constexpr double kInfiniteObject = 1e10;
constexpr double kMaxCurvature = 1e6;
constexpr double kMaxAngle = 3600;
constexpr double kMaxCoefficient = 1e100;
constexpr int kMaxListed = 1000; // wavelengths and fields read from a file
constexpr double kSnapLength = 1e-9;
constexpr double kSnapAngle = 1e-9;

// The eleven lines' exact wavelengths in nanometres, to tell a file's wavelength as one of them.
constexpr double kLineMatch = 0.06;

struct ImportFault {
    std::string message;
};

struct ZmxSurface {
    int number = 0;
    int line = 0;
    std::string type = "STANDARD";
    double curvature = 0;
    double thickness = 0;
    bool infinite = false;
    double conic = 0;
    std::map<int, double> parameters;
    double semiDiameter = 0;
    bool hasDiameter = false;
    bool stop = false;
    bool mirror = false;
    std::string glass;
    bool hasModel = false;
    double nd = 0, vd = 0, dPgF = 0;
    bool solve = false;
    std::vector<std::string> solveKeywords;
};

struct FileData {
    double scale = 1; // millimetres per file unit
    double entranceDiameter = 0;
    bool hasEntranceDiameter = false;
    std::string name;
    std::map<int, double> wavelengths; // number -> micrometres
    std::vector<double> oldWavelengths;
    int primary = 1;
    int fieldType = 0;
    int fieldCount = 0;
    std::vector<double> xFields, yFields;
    int configurations = 1;
    std::vector<ZmxSurface> surfaces;
};

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size()) break;
        std::size_t j = i;
        if (line[i] == '"') {
            j = line.find('"', i + 1);
            j = j == std::string_view::npos ? line.size() : j + 1;
        } else {
            while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
        }
        tokens.push_back(line.substr(i, j - i));
        i = j;
    }
    return tokens;
}

class Reader {
public:
    explicit Reader(int lineNumber) : line_(lineNumber) {}

    double Number(const std::vector<std::string_view>& tokens, std::size_t k, double limit) const {
        if (k >= tokens.size()) Fail(std::string(tokens[0]) + " has no value");
        // Some writers use a decimal comma.
        std::string text(tokens[k]);
        std::replace(text.begin(), text.end(), ',', '.');
        const auto value = ParseNumber(text);
        if (!value) Fail(std::string(tokens[0]) + " value \"" + text + "\" is not a number");
        if (std::abs(*value) > limit)
            Fail(std::string(tokens[0]) + " value " + text + " is out of any sensible range");
        return *value;
    }
    int Integer(const std::vector<std::string_view>& tokens, std::size_t k, long long low,
                long long high) const {
        if (k >= tokens.size()) Fail(std::string(tokens[0]) + " has no value");
        const auto value = ParseInteger(tokens[k]);
        if (!value)
            Fail(std::string(tokens[0]) + " value \"" + std::string(tokens[k]) + "\" is not a whole number");
        if (*value < low || *value > high)
            Fail(std::string(tokens[0]) + " value " + std::string(tokens[k]) + " is out of range");
        return static_cast<int>(*value);
    }
    [[noreturn]] void Fail(const std::string& what) const {
        throw ImportFault{"line " + std::to_string(line_) + ": " + what};
    }

private:
    int line_;
};

void ParseLines(std::string_view text, FileData& data, std::vector<std::string>& unsupported) {
    ZmxSurface* surface = nullptr;
    int lineNumber = 0;
    std::size_t start = 0;
    bool sawSurface = false;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const auto tokens = Tokens(line);
        if (tokens.empty()) continue;
        const Reader read(lineNumber);
        const std::string_view key = tokens[0];

        if (key == "SURF") {
            const int number = read.Integer(tokens, 1, 0, kMaxZmxSurfaces);
            if (number != static_cast<int>(data.surfaces.size()))
                read.Fail("SURF " + std::to_string(number) + " where surface " +
                          std::to_string(data.surfaces.size()) + " was due (surfaces out of order)");
            data.surfaces.emplace_back();
            surface = &data.surfaces.back();
            surface->number = number;
            surface->line = lineNumber;
            sawSurface = true;
            continue;
        }
        if (key == "MODE") {
            if (tokens.size() > 1 && tokens[1] != "SEQ")
                read.Fail("the file is in " + std::string(tokens[1]) +
                          " mode; only sequential lens files can be imported");
            continue;
        }
        if (key == "UNIT") {
            if (tokens.size() < 2) read.Fail("UNIT has no value");
            const std::string_view unit = tokens[1];
            if (unit == "MM")
                data.scale = 1;
            else if (unit == "CM")
                data.scale = 10;
            else if (unit == "IN")
                data.scale = 25.4;
            else if (unit == "METER" || unit == "M")
                data.scale = 1000;
            else
                read.Fail("the lens unit " + std::string(unit) + " is not known");
            continue;
        }
        if (key == "NAME") {
            const auto at = line.find("NAME");
            data.name = std::string(TrimBlanks(line.substr(at + 4)));
            if (!data.name.empty() && data.name.back() == '\r') data.name.pop_back();
            continue;
        }
        if (key == "ENPD") {
            data.entranceDiameter = read.Number(tokens, 1, kMaxLength);
            data.hasEntranceDiameter = true;
            continue;
        }
        if (key == "MNUM") {
            data.configurations = read.Integer(tokens, 1, 0, 1'000'000);
            continue;
        }
        if (key == "WAVM") {
            const int number = read.Integer(tokens, 1, 1, kMaxListed);
            data.wavelengths[number] = read.Number(tokens, 2, 1e3);
            continue;
        }
        if (key == "WAVL") {
            for (std::size_t k = 1; k < tokens.size() && data.oldWavelengths.size() < kMaxListed; ++k)
                data.oldWavelengths.push_back(read.Number(tokens, k, 1e3));
            continue;
        }
        if (key == "PWAV") {
            data.primary = read.Integer(tokens, 1, 1, kMaxListed);
            continue;
        }
        if (key == "FTYP") {
            data.fieldType = read.Integer(tokens, 1, 0, 100);
            if (tokens.size() > 3) data.fieldCount = read.Integer(tokens, 3, 0, kMaxListed);
            continue;
        }
        if (key == "XFLN" || key == "YFLN") {
            auto& fields = key == "XFLN" ? data.xFields : data.yFields;
            fields.clear();
            for (std::size_t k = 1; k < tokens.size() && fields.size() < kMaxListed; ++k)
                fields.push_back(read.Number(tokens, k, kMaxLength));
            continue;
        }
        if (!sawSurface || !surface) continue; // other settings of the whole file: no optics here

        ZmxSurface& s = *surface;
        if (key == "TYPE") {
            if (tokens.size() < 2) read.Fail("TYPE has no value");
            s.type = std::string(tokens[1]);
        } else if (key == "CURV") {
            s.curvature = read.Number(tokens, 1, kMaxCurvature);
        } else if (key == "DISZ") {
            if (tokens.size() > 1 && tokens[1] == "INFINITY") {
                s.infinite = true;
            } else {
                const double limit = s.number == 0 ? 1e300 : kMaxLength;
                s.thickness = read.Number(tokens, 1, limit);
                if (s.number == 0 && std::abs(s.thickness) >= kInfiniteObject) s.infinite = true;
            }
        } else if (key == "CONI") {
            s.conic = read.Number(tokens, 1, kMaxLength);
        } else if (key == "PARM") {
            const int k = read.Integer(tokens, 1, 0, 1000);
            s.parameters[k] = read.Number(tokens, 2, kMaxCoefficient);
        } else if (key == "DIAM") {
            s.semiDiameter = std::abs(read.Number(tokens, 1, kMaxLength));
            s.hasDiameter = true;
        } else if (key == "STOP") {
            s.stop = true;
        } else if (key == "GLAS") {
            if (tokens.size() < 2) read.Fail("GLAS has no glass name");
            s.glass = std::string(tokens[1]);
            if (s.glass == "MIRROR") {
                s.mirror = true;
                s.glass.clear();
            } else if (tokens.size() > 5) {
                // The model glass: nd and vd follow two other fields.
                std::string ndText(tokens[4]), vdText(tokens[5]);
                std::replace(ndText.begin(), ndText.end(), ',', '.');
                std::replace(vdText.begin(), vdText.end(), ',', '.');
                const auto nd = ParseNumber(ndText), vd = ParseNumber(vdText);
                if (nd && vd && *nd > 1 && *vd > 0) {
                    s.hasModel = true;
                    s.nd = *nd;
                    s.vd = *vd;
                    if (tokens.size() > 6) {
                        std::string pgfText(tokens[6]);
                        std::replace(pgfText.begin(), pgfText.end(), ',', '.');
                        s.dPgF = ParseNumber(pgfText).value_or(0);
                    }
                }
            }
        } else if (key == "PZUP" || key == "CONF") {
            s.solve = true;
            s.solveKeywords.push_back(std::string(key));
        }
    }
    if (data.configurations > 1)
        unsupported.push_back("The file has " + std::to_string(data.configurations) +
                              " configurations; only the first one is imported.");
}

// Turns a run of coordinate breaks and thicknesses into a frame: `axes` and `origin` in the frame in
// which the lens table places the next face.
struct Pending {
    Mat axes = frames::Identity();
    Vec origin{0, 0, 0};

    void Move(double along) {
        const Vec step = frames::Apply(axes, Vec{along, 0, 0});
        for (int i = 0; i < 3; ++i) origin[i] += step[i];
    }
    void Shift(const Vec& by) {
        const Vec step = frames::Apply(axes, by);
        for (int i = 0; i < 3; ++i) origin[i] += step[i];
    }
};

std::string LengthText(double value) {
    if (std::abs(value) < kSnapLength) return "0";
    return FormatGeneral(value, 14);
}
std::string AngleText(double value) {
    if (std::abs(value) < kSnapAngle) return "0";
    return FormatGeneral(value, 12);
}

std::string Negated(const std::string& text) {
    if (text.empty()) return text;
    if (text[0] == '-') return text.substr(1);
    return "-" + text;
}

std::string WavelengthText(double micrometres) {
    return FormatGeneral(micrometres * 1000, 10) + " nm";
}

struct Builder {
    Builder(const FileData& d, const GlassLookup& l, std::vector<std::string>& u, Lens& target)
        : data(d), lookup(l), unsupported(u), lens(target) {}

    const FileData& data;
    const GlassLookup& lookup;
    std::vector<std::string>& unsupported;
    Lens& lens;

    std::array<std::string, 11> medium; // the index texts of the medium the light is in
    int sign = 1;                       // running mirror sign
    Pending pending;
    int distanceRow = 1; // the row whose "Distance" the next face sets
    int stopRow = -1;

    void Row(int row, std::string_view glass) {
        for (int c = lens.Column(col::Dx); c <= lens.Column(col::A14); ++c) lens.SetText(c, row, "0");
        for (auto name : {col::HideDiameter, col::Distance, col::MaxDistance, col::MinDistance})
            lens.SetText(name, row, "0");
        lens.SetText(col::GlassName, row, std::string(glass));
        lens.SetText(col::R, row, "0");
    }
    void Indices(int row, const std::array<std::string, 11>& texts) {
        for (int line = 0; line < 11; ++line) lens.SetText(col::LineIndices[line], row, texts[line]);
    }
    static std::array<std::string, 11> Air() {
        std::array<std::string, 11> texts;
        texts.fill("1");
        return texts;
    }

    // Places a face at the pending frame: the distance before it, its decenter and its tilt.
    void Place(int row, const std::string& what) {
        const double along = pending.origin[0] * sign;
        if (along < -kSnapLength)
            unsupported.push_back(what + ": the distance before it runs against the light (" +
                                  LengthText(-along) + " mm back); it is taken forward.");
        lens.SetText(col::Distance, distanceRow, LengthText(std::abs(along)));
        lens.SetText(col::Y, row, LengthText(pending.origin[1]));
        lens.SetText(col::Z, row, LengthText(pending.origin[2]));
        const Mat& r = pending.axes;
        const double theta = frames::Degrees(std::atan2(std::hypot(r[1][0], r[2][0]), r[0][0]));
        const double phi = theta < kSnapAngle ? 0.0 : frames::Degrees(std::atan2(r[2][0], r[1][0]));
        const Mat rebuilt = frames::TiltRotation(theta, phi);
        double twist = 0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) twist = std::max(twist, std::abs(rebuilt[i][j] - r[i][j]));
        if (twist > 1e-9)
            unsupported.push_back(what + ": the coordinate breaks before it turn the frame about its own "
                                         "axis, which the lens table cannot hold; that turn is left out.");
        lens.SetText(col::Theta, row, AngleText(theta));
        lens.SetText(col::Phi, row, AngleText(theta < kSnapAngle ? 0.0 : phi));
    }

    void Glass(int row, const ZmxSurface& s, const std::string& what) {
        std::string name = s.glass;
        if (name.empty() || name == "AIR") {
            lens.SetText(col::GlassName, row, "Air");
            medium = Air();
            Indices(row, medium);
            return;
        }
        if (auto found = lookup(name)) {
            lens.SetText(col::GlassName, row, name);
            lens.SetText(col::Remarks, row, found->maker);
            medium = found->lineIndices;
            Indices(row, medium);
            return;
        }
        if (!s.hasModel)
            throw ImportFault{what + ": the glass \"" + name +
                              "\" is in no catalogue of the program, and the file gives no model glass "
                              "(nd, vd) for it."};
        const WavelengthList lines;
        std::vector<double> nanometres;
        for (int w = 0; w < WavelengthList::kLineCount; ++w) nanometres.push_back(lines.At(w).nanometres);
        const auto texts = ModelGlassIndices(s.nd, s.vd, s.dPgF, nanometres);
        if (!texts)
            throw ImportFault{what + ": the model glass of \"" + name + "\" (nd " + FormatShortest(s.nd) +
                              ", vd " + FormatShortest(s.vd) + ", dPgF " + FormatShortest(s.dPgF) +
                              ") describes no glass."};
        lens.SetText(col::GlassName, row, name);
        lens.SetText(col::Remarks, row,
                     "Model glass nd " + FormatShortest(s.nd) + " vd " + FormatShortest(s.vd) +
                         (s.dPgF != 0 ? " dPgF " + FormatShortest(s.dPgF) : ""));
        std::copy(texts->begin(), texts->end(), medium.begin());
        Indices(row, medium);
    }

    void Face(const ZmxSurface& s, bool lastFace) {
        const std::string what = "ZmxSurface " + std::to_string(s.number);
        if (s.type != "STANDARD" && s.type != "EVENASPH")
            unsupported.push_back(what + ": the surface type " + s.type +
                                  " is not supported; it is imported as a standard surface.");
        if (s.solve && !lastFace)
            unsupported.push_back(what + ": a pickup or solve (" + s.solveKeywords.front() +
                                  ") cannot be kept; its present value is imported.");
        lens.AddFace();
        const int row = lens.RowCount() - 1;
        Row(row, "Air");
        Place(row, what);

        const double c = s.curvature;
        lens.SetText(col::R, row, c == 0 ? "0" : FormatGeneral(1 / c, 15));
        if (s.hasDiameter) {
            lens.SetText(col::EffectiveDiameter, row, LengthText(2 * s.semiDiameter));
            lens.SetText(col::Diameter, row, LengthText(2 * s.semiDiameter));
        }
        lens.SetText(col::K, row, FormatGeneral(s.conic, 15));
        if (s.type == "EVENASPH") {
            for (const auto& [k, value] : s.parameters) {
                if (value == 0) continue;
                if (k >= 2 && k <= 7)
                    lens.SetText(col::Aspheric[k - 2], row, FormatGeneral(value, 15));
                else if (k >= 1 && k <= 8)
                    unsupported.push_back(what + ": the aspheric term in r^" + std::to_string(2 * k) +
                                          " is not supported; it is left out.");
            }
        }
        if (s.mirror) {
            const bool inAir = medium == Air();
            lens.SetText(col::GlassName, row, inAir ? "Mirror" : "2nd Surf.Mirror");
            if (!inAir) lens.SetText(col::Remarks, row, "2nd surface mirror");
            std::array<std::string, 11> texts;
            for (int line = 0; line < 11; ++line) texts[line] = Negated(medium[line]);
            Indices(row, texts);
        } else {
            Glass(row, s, what);
        }
        if (s.stop) stopRow = row;

        // The frame for what follows: a tilted mirror turns it once more for the reflected light.
        Mat follow = frames::Identity();
        if (s.mirror) {
            const auto theta = ParseNumber(lens.Text(col::Theta, row)).value_or(0);
            const auto phi = ParseNumber(lens.Text(col::Phi, row)).value_or(0);
            follow = frames::TiltRotation(theta, phi);
            sign = -sign;
        }
        pending = Pending{};
        pending.axes = frames::Transpose(follow);
        pending.Move(s.thickness);
        distanceRow = row;
    }

    void CoordinateBreak(const ZmxSurface& s) {
        const std::string what = "ZmxSurface " + std::to_string(s.number);
        if (s.solve)
            unsupported.push_back(what + ": a pickup or solve (" + s.solveKeywords.front() +
                                  ") of a coordinate break cannot be kept; its present values are imported.");
        auto parameter = [&](int k) {
            const auto it = s.parameters.find(k);
            return it == s.parameters.end() ? 0.0 : it->second;
        };
        for (int k = 3; k <= 5; ++k)
            if (std::abs(parameter(k)) > kMaxAngle)
                throw ImportFault{what + ": a tilt of " + FormatShortest(parameter(k)) + " degrees"};
        const Vec decenter = frames::FromForeign({parameter(1) * data.scale, parameter(2) * data.scale, 0});
        const Mat tx = frames::RotationFromForeign(frames::AxisRotation(0, parameter(3)));
        const Mat ty = frames::RotationFromForeign(frames::AxisRotation(1, parameter(4)));
        const Mat tz = frames::RotationFromForeign(frames::AxisRotation(2, parameter(5)));
        if (parameter(6) == 0) {
            pending.Shift(decenter);
            pending.axes = frames::Multiply(pending.axes, frames::Multiply(tx, frames::Multiply(ty, tz)));
        } else {
            pending.axes = frames::Multiply(pending.axes, frames::Multiply(tz, frames::Multiply(ty, tx)));
            pending.Shift(decenter);
        }
        pending.Move(s.thickness);
    }

    void Image(const ZmxSurface& s) {
        const std::string what = "ZmxSurface " + std::to_string(s.number) + " (the image)";
        // A curved, decentered or tilted image becomes a focal-plane row; a plain one needs no row.
        Lens probe = lens;
        const int before = lens.RowCount();
        lens.AddFace();
        const int row = lens.RowCount() - 1;
        Row(row, "Air");
        Place(row, what);
        Indices(row, Air());
        lens.SetText(col::R, row, s.curvature == 0 ? "0" : FormatGeneral(1 / s.curvature, 15));
        lens.SetText(col::Remarks, row, "Focal Plane");
        const bool plain = s.curvature == 0 && lens.Text(col::Y, row) == "0" &&
                           lens.Text(col::Z, row) == "0" && lens.Text(col::Theta, row) == "0";
        if (plain) {
            const std::string distance = lens.Text(col::Distance, distanceRow);
            lens = std::move(probe);
            lens.SetText(col::Distance, distanceRow, distance);
            (void)before;
        }
    }
};

void ScaleLengths(FileData& data) {
    const double s = data.scale;
    if (s == 1) return;
    data.entranceDiameter *= s;
    for (ZmxSurface& surface : data.surfaces) {
        surface.curvature /= s;
        if (!surface.infinite) surface.thickness *= s;
        surface.semiDiameter *= s;
        if (surface.type == "EVENASPH")
            for (auto& [k, value] : surface.parameters) value *= std::pow(s, 1 - 2 * k);
        // Decenters are scaled where the coordinate break is read.
    }
}

void WriteMemo(const FileData& data, const std::string& sourceName, Lens& lens) {
    std::string memo = "Imported from " + sourceName + "\n";
    if (!data.name.empty()) memo += data.name + "\n";

    std::vector<double> micrometres;
    for (const auto& [number, value] : data.wavelengths) micrometres.push_back(value);
    if (micrometres.empty()) micrometres = data.oldWavelengths;
    WavelengthList& list = lens.Wavelengths();
    if (!micrometres.empty()) {
        std::string line = "Wavelengths:";
        std::string others;
        std::vector<int> matched;
        int primaryLine = -1;
        for (std::size_t k = 0; k < micrometres.size(); ++k) {
            const bool primary = static_cast<int>(k) + 1 == data.primary;
            line += (k ? ", " : " ") + WavelengthText(micrometres[k]) + (primary ? " (primary)" : "");
            int found = -1;
            for (int w = 0; w < list.Count(); ++w)
                if (std::abs(list.At(w).nanometres - micrometres[k] * 1000) <= kLineMatch) found = w;
            if (found < 0) {
                others += (others.empty() ? "" : ", ") + WavelengthText(micrometres[k]);
                continue;
            }
            matched.push_back(found);
            if (primary) primaryLine = found;
        }
        memo += line + "\n";
        if (!others.empty())
            memo +=
                "Not among the program's wavelengths (add them with Insert New Wavelength): " + others + "\n";
        if (!matched.empty()) {
            for (int w = 0; w < list.Count(); ++w)
                list.SetCalculate(w, std::find(matched.begin(), matched.end(), w) != matched.end());
            list.SetReference(primaryLine >= 0 ? primaryLine : matched.front());
        }
    }

    const std::size_t count =
        data.fieldCount > 0 ? static_cast<std::size_t>(data.fieldCount) : data.yFields.size();
    if (count > 0 && !data.yFields.empty()) {
        const bool angles = data.fieldType == 0;
        std::string line = angles ? "Field angles (degrees):"
                                  : "Fields (type " + std::to_string(data.fieldType) + ", lens units):";
        for (std::size_t k = 0; k < count && k < data.yFields.size(); ++k) {
            const double x = k < data.xFields.size() ? data.xFields[k] : 0;
            line += (k ? ", " : " ") + FormatGeneral(data.yFields[k], 10);
            if (x != 0) line += " (x " + FormatGeneral(x, 10) + ")";
        }
        memo += line + "\n";
    }
    lens.SetMemo(memo);
}

} // namespace

DecodedText DecodeZmxBytes(std::string_view bytes) {
    DecodedText result;
    const auto u8 = [](char c) { return static_cast<unsigned char>(c); };
    bool utf16 = false, bigEndian = false;
    std::size_t start = 0;
    if (bytes.size() >= 2 && u8(bytes[0]) == 0xFF && u8(bytes[1]) == 0xFE) {
        utf16 = true;
        start = 2;
    } else if (bytes.size() >= 2 && u8(bytes[0]) == 0xFE && u8(bytes[1]) == 0xFF) {
        utf16 = bigEndian = true;
        start = 2;
    } else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) {
        utf16 = true; // little endian without a byte-order mark
    }
    if (!utf16) {
        const std::string_view text = WithoutByteOrderMark(bytes);
        if (text.find('\0') != std::string_view::npos) {
            result.error = "it holds binary data, not lens file text";
            return result;
        }
        result.text = std::string(text);
        return result;
    }
    if ((bytes.size() - start) % 2 != 0) {
        result.error = "it is UTF-16 text cut off in the middle of a character";
        return result;
    }
    std::string& out = result.text;
    out.reserve((bytes.size() - start) / 2);
    auto unit = [&](std::size_t at) {
        const unsigned a = u8(bytes[at]), b = u8(bytes[at + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    auto append = [&](unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    };
    for (std::size_t at = start; at < bytes.size(); at += 2) {
        unsigned code = unit(at);
        if (code == 0) {
            result.error = "it holds binary data, not lens file text";
            return result;
        }
        if (code >= 0xD800 && code < 0xDC00) {
            if (at + 3 >= bytes.size() || unit(at + 2) < 0xDC00 || unit(at + 2) >= 0xE000) {
                result.error = "it is UTF-16 text with a broken character pair";
                return result;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
            at += 2;
        } else if (code >= 0xDC00 && code < 0xE000) {
            result.error = "it is UTF-16 text with a broken character pair";
            return result;
        }
        append(code);
    }
    return result;
}

ZmxImport ImportZmxText(std::string_view bytes, const GlassLookup& lookup, const std::string& sourceName,
                        const Lens* base) {
    ZmxImport result;
    if (base) result.lens = *base;
    const DecodedText decoded = DecodeZmxBytes(bytes);
    if (!decoded.error.empty()) {
        result.error = sourceName + " is not a lens file: " + decoded.error + ".";
        return result;
    }
    try {
        FileData data;
        ParseLines(decoded.text, data, result.unsupported);
        if (data.surfaces.size() < 2)
            throw ImportFault{"no lens surfaces found (a lens file lists SURF 0, SURF 1, ... and the image)"};
        ScaleLengths(data);

        Lens& lens = result.lens;
        lens.ResetTable();
        Builder build(data, lookup, result.unsupported, lens);
        build.medium = Builder::Air();
        build.Indices(1, Builder::Air());
        lens.SetText(col::RFix, 1, "");
        lens.SetText(col::LFix, 1, "");

        const ZmxSurface& object = data.surfaces.front();
        if (object.curvature != 0)
            result.unsupported.push_back(
                "ZmxSurface 0 (the object): a curved object is not supported; it is taken as a plane.");
        double firstDiameter = 0;
        for (std::size_t k = 1; k + 1 < data.surfaces.size() && firstDiameter == 0; ++k)
            if (data.surfaces[k].type != "COORDBRK" && data.surfaces[k].hasDiameter)
                firstDiameter = 2 * data.surfaces[k].semiDiameter;
        const double beam = data.hasEntranceDiameter ? data.entranceDiameter : firstDiameter;
        lens.SetText(col::EffectiveDiameter, 1, LengthText(beam));
        lens.SetText(col::Diameter, 1, LengthText(beam));
        if (!object.infinite) {
            if (object.thickness < 0)
                throw ImportFault{"the object distance " + FormatShortest(object.thickness) +
                                  " is not in front of the lens"};
            lens.SetText(col::GlassName, 1, "Object");
            lens.SetText(col::RFix, 1, "x");
            lens.SetText(col::LFix, 1, "x");
            lens.SetText(col::Remarks, 1, "Limited distance");
        }
        if (!object.infinite && object.thickness > 0) {
            // The object's distance belongs to a plane in air right after the object row (an object on
            // the first surface needs none).
            lens.AddFace();
            const int row = lens.RowCount() - 1;
            build.Row(row, "Air");
            build.Indices(row, Builder::Air());
            lens.SetText(col::EffectiveDiameter, row, LengthText(beam));
            lens.SetText(col::Diameter, row, LengthText(beam));
            build.distanceRow = row;
            build.pending.Move(object.thickness);
        }

        const std::size_t image = data.surfaces.size() - 1;
        std::size_t lastFace = 0;
        for (std::size_t k = 1; k < image; ++k)
            if (data.surfaces[k].type != "COORDBRK") lastFace = k;
        if (lastFace == 0) throw ImportFault{"the file has no lens surface between object and image"};
        for (std::size_t k = 1; k < image; ++k) {
            const ZmxSurface& s = data.surfaces[k];
            if (s.type == "COORDBRK")
                build.CoordinateBreak(s);
            else
                build.Face(s, k == lastFace);
        }
        build.Image(data.surfaces[image]);

        // The stop: an air plane marked as such; a lens face gets a plane of its own just before it, unless
        // it is the face the program takes as the stop anyway (the first face with glass after it).
        if (build.stopRow > 0) {
            const int row = build.stopRow;
            int defaultStop = -1;
            for (int r = 2; r < lens.RowCount() && defaultStop < 0; ++r)
                if (lens.Text(col::Nd, r) != "1") defaultStop = r;
            const bool airPlane = lens.Text(col::R, row) == "0" && lens.Text(col::Nd, row) == "1" &&
                                  lens.Text(col::GlassName, row) == "Air";
            if (airPlane) {
                lens.SetText(col::Remarks, row, "Stop Plane");
            } else if (row != defaultStop) {
                if (lens.Text(col::Nd, row - 1) != "1" || lens.Text(col::Y, row) != "0" ||
                    lens.Text(col::Z, row) != "0" || lens.Text(col::Theta, row) != "0") {
                    result.unsupported.push_back("ZmxSurface " + lens.Text(col::No, row) +
                                                 ": the stop on a lens face inside glass or on a decentered "
                                                 "face cannot be marked; the "
                                                 "program takes its own stop.");
                } else {
                    lens.InsertFace(row);
                    build.Row(row, "Air");
                    build.Indices(row, Builder::Air());
                    lens.SetText(col::EffectiveDiameter, row, lens.Text(col::EffectiveDiameter, row + 1));
                    lens.SetText(col::Diameter, row, lens.Text(col::EffectiveDiameter, row + 1));
                    lens.SetText(col::Remarks, row, "Stop Plane");
                    for (int r = 1; r < lens.RowCount(); ++r) lens.SetText(col::No, r, std::to_string(r - 1));
                }
            }
        }
        WriteMemo(data, sourceName, lens);
        if (lens.RadiusMode()) lens.ConvertDiameterCells(true);
        lens.SetDataModified(false);
        lens.MarkArraysStale();
    } catch (const ImportFault& fault) {
        result.error = sourceName + ": " + fault.message;
        result.unsupported.clear();
        result.lens = Lens();
    }
    return result;
}

ZmxImport ImportZmxFile(const std::string& path, const GlassLookup& lookup, const Lens* base) {
    std::string bytes;
    if (auto error = ReadWholeFile(path, bytes, kMaxDataFileBytes)) {
        ZmxImport result;
        result.error = *error;
        return result;
    }
    const auto slash = path.find_last_of('/');
    return ImportZmxText(bytes, lookup, slash == std::string::npos ? path : path.substr(slash + 1), base);
}

} // namespace vitrimo
