// The conditions of an optimisation: the weights of the merit function, the field angles with their
// tolerances, the wavelength weights, the method and whether the focal length is kept.
//
// They live in section "CorrFactor" of the settings file; the optimisation dialog edits them and
// vitrimo-cli reads them from a settings file given on its command line. Missing keys take the defaults
// below (a lens designer's usual start: spot size on axis, visible spectrum, focal length kept).
#pragma once

#include "model/IniFile.h"

#include <array>
#include <string>
#include <vector>

namespace vitrimo {

inline constexpr const char* kCorrFactorSection = "CorrFactor";

enum class MeritMode { Geometrical = 0, Strehl = 1 };
enum class MinimiserMethod { Simplex = 0, Dfp = 1 };

// One row of the angle table: the field angle (degrees), the diameter of the tolerance circle
// (micrometres, geometrical mode) and the weight of the Strehl term (percent, Strehl mode).
struct MeritAngle {
    double angle = 0;
    double tolerance = 15;
    double strehlWeight = 100;
};

struct MeritConditions {
    static constexpr int kLineCount = 11;
    // The line letters of the eleven weights, in the order of the weights (t ... i).
    static const std::array<const char*, kLineCount> kLines;

    double angleFactor = 1;
    double sphFactor = 0;
    double comaFactor = 0;
    double petzvalFactor = 0;
    double astigFactor = 0;
    double distFactor = 0; // kept with the others; the merit has no distortion term
    double curvFactor = 1;
    std::array<double, kLineCount> wavelengthWeight{0, 0, 0, 0.4, 1, 1, 1, 1, 1, 0.1, 0};
    std::vector<MeritAngle> angles{MeritAngle{}};
    bool constFL = true;
    MinimiserMethod method = MinimiserMethod::Simplex; // chosen in the dialog, not kept in the settings
    MeritMode mode = MeritMode::Geometrical;

    // The sum of all eleven wavelength weights.
    double WeightSum() const;

    // Reads section "CorrFactor". A value that is not a number is reported in `error` (when given) and
    // the default stays; negative weights are refused the same way (the merit assumes weights >= 0).
    static MeritConditions Read(const IniFile& settings, std::string* error = nullptr);
    // Writes every key of the section (the window placement is the dialog's own).
    void Write(IniFile& settings) const;
};

} // namespace vitrimo
