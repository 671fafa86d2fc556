// The wavelengths of the prescription: the eleven Fraunhofer lines and any wavelengths the user added.
//
// Entry w belongs to index column w of the lens table: the list is kept in order of decreasing
// wavelength, exactly as the index columns stand before "Remarks". Each entry carries its calculation
// flag and display colour; one entry is the reference wavelength, which is always traced.
#pragma once

#include "model/Colour.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

struct Wavelength {
    std::string name;    // line letter ("t", "A", "d") or the column title of an added wavelength ("532nm")
    std::string caption; // as the wavelength window lists it: "d (587.6nm)", " (532nm)"
    double nanometres = 0;
    Colour colour = 0;
    Colour defaultColour = 0;
    bool calculate = false;
    bool defaultCalculate = false;
    bool inserted = false; // added by the user, not one of the eleven lines
};

class WavelengthList {
public:
    static constexpr int kLineCount = 11;
    static constexpr int kDefaultReference = 5; // the d line

    WavelengthList();

    int Count() const { return static_cast<int>(items_.size()); }
    const Wavelength& At(int w) const { return items_.at(w); }
    const std::vector<Wavelength>& Items() const { return items_; }

    void SetCalculate(int w, bool on) { items_.at(w).calculate = on; }
    // A colour chosen for one wavelength; the lens file then carries the colours.
    void SetColour(int w, Colour colour);

    // The reference wavelength, counted from 0 in list order.
    int Reference() const { return reference_; }
    void SetReference(int w);

    // The position an added wavelength of this many nanometres takes in the list.
    int PositionFor(double nanometres) const;

    // Adds a wavelength from its column title: a number of nanometres followed by a two-letter unit
    // ("532nm"). Returns its position in the list, or nullopt when the title holds no positive number.
    std::optional<int> Insert(std::string_view title);

    // Back to the eleven lines; their flags and colours stay as they are.
    void RemoveInserted();

    // Colours other than the defaults are in use (real colours, or one chosen by the user); the lens
    // file then writes its colour line.
    bool NonDefaultColours() const { return nonDefaultColours_; }
    void SetNonDefaultColours(bool on) { nonDefaultColours_ = on; }
    void RestoreDefaultColours();

    // How many wavelengths a trace runs: the marked ones, plus the reference when it is not marked.
    int CalculatedCount() const;
    // The list positions of the traced wavelengths, in list order.
    std::vector<int> CalculatedWavelengths() const;

    // The position of a line by its letter ("d", "A", "F") or added title, or -1.
    int Find(std::string_view name) const;

    bool operator==(const WavelengthList&) const = default;

private:
    std::vector<Wavelength> items_;
    int reference_ = kDefaultReference;
    bool nonDefaultColours_ = false;
};

} // namespace vitrimo
