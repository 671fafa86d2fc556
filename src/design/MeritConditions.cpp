#include "design/MeritConditions.h"

#include "model/NumberFormat.h"

namespace vitrimo {
namespace {

// The settings keys of the factors, with the member each one fills.
struct FactorKey {
    const char* key;
    double MeritConditions::*member;
};

constexpr std::array<FactorKey, 7> kFactorKeys{{
    {"Angle", &MeritConditions::angleFactor},
    {"Spherical Aber", &MeritConditions::sphFactor},
    {"Coma", &MeritConditions::comaFactor},
    {"Petzval Sum", &MeritConditions::petzvalFactor},
    {"Astigmat", &MeritConditions::astigFactor},
    {"Distortion", &MeritConditions::distFactor},
    {"Lens Curvature", &MeritConditions::curvFactor},
}};

constexpr int kMaxAngles = 1000;

std::string LineKey(int j) {
    const std::string letter = MeritConditions::kLines[j];
    return letter.substr(0, 1) + "-line";
}

// A number from the settings, or the default with the key named in `error`.
double ReadNumber(const IniFile& settings, const std::string& key, double fallback, bool nonNegative,
                  std::string* error) {
    if (!settings.HasKey(kCorrFactorSection, key)) return fallback;
    const std::string text = settings.ReadString(kCorrFactorSection, key, "");
    const auto value = ParseNumber(text);
    if (value && (!nonNegative || *value >= 0)) return *value;
    if (error && error->empty())
        *error = "\"" + text + "\" is not a valid value of \"" + key + "\" in section [" +
                 kCorrFactorSection + "]";
    return fallback;
}

} // namespace

const std::array<const char*, MeritConditions::kLineCount> MeritConditions::kLines{
    "t", "s", "A", "r", "C", "d", "e", "F", "g", "h", "i"};

double MeritConditions::WeightSum() const {
    double sum = 0;
    for (double weight : wavelengthWeight) sum += weight;
    return sum;
}

MeritConditions MeritConditions::Read(const IniFile& settings, std::string* error) {
    MeritConditions c;
    for (int j = 0; j < kLineCount; ++j)
        c.wavelengthWeight[j] = ReadNumber(settings, LineKey(j), c.wavelengthWeight[j], true, error);
    for (const FactorKey& factor : kFactorKeys)
        c.*factor.member = ReadNumber(settings, factor.key, c.*factor.member, true, error);
    c.constFL = settings.ReadBool(kCorrFactorSection, "constFL.Checked", c.constFL);
    c.mode = settings.ReadBool(kCorrFactorSection, "StrehlRatio.Checked", false) ? MeritMode::Strehl
                                                                                 : MeritMode::Geometrical;
    const long long count = settings.ReadInteger(kCorrFactorSection, "Angle No", 1);
    if (count >= 1 && count <= kMaxAngles) {
        c.angles.assign(static_cast<std::size_t>(count), MeritAngle{});
        for (int i = 1; i <= count; ++i) {
            MeritAngle& row = c.angles[i - 1];
            const std::string number = std::to_string(i);
            row.angle = ReadNumber(settings, "Angle-" + number, row.angle, false, error);
            row.tolerance = ReadNumber(settings, "Tolerance" + number, row.tolerance, true, error);
            row.strehlWeight = ReadNumber(settings, "SRatio" + number, row.strehlWeight, true, error);
        }
    } else if (error && error->empty()) {
        *error = "\"Angle No\" in section [" + std::string(kCorrFactorSection) + "] must lie between 1 and " +
                 std::to_string(kMaxAngles);
    }
    return c;
}

void MeritConditions::Write(IniFile& settings) const {
    const auto number = [](double value) { return FormatGeneral(value, 15); };
    for (int j = 0; j < kLineCount; ++j)
        settings.WriteString(kCorrFactorSection, LineKey(j), number(wavelengthWeight[j]));
    for (const FactorKey& factor : kFactorKeys)
        settings.WriteString(kCorrFactorSection, factor.key, number(this->*factor.member));
    settings.WriteBool(kCorrFactorSection, "constFL.Checked", constFL);
    settings.WriteBool(kCorrFactorSection, "StrehlRatio.Checked", mode == MeritMode::Strehl);
    settings.WriteInteger(kCorrFactorSection, "Angle No", static_cast<long long>(angles.size()));
    for (std::size_t i = 0; i < angles.size(); ++i) {
        const std::string row = std::to_string(i + 1);
        settings.WriteString(kCorrFactorSection, "Angle-" + row, number(angles[i].angle));
        settings.WriteString(kCorrFactorSection, "Tolerance" + row, number(angles[i].tolerance));
        settings.WriteString(kCorrFactorSection, "SRatio" + row, number(angles[i].strehlWeight));
    }
}

} // namespace vitrimo
