// Painting of the MTF window's figures into any QPainter rectangle: the MTF (or OTF') against spatial
// frequency, field angle and focus position, the Strehl ratio against wavelength, angle and focus, and the
// chart on which the spectral weights are edited. The window and vitrimo-cli's figure export use them.
//
// Every figure has a title line (what it shows, the lens, the field angle and defocus it holds fixed), a
// graph with ticks, values, a light grid and axis titles with units, and a side panel with the legend.
// Meridional curves are solid, sagittal ones dashed; values are in % of 1 on the vertical axis.
#pragma once

#include "evaluation/Mtf.h"
#include "figures/EvaluationPainter.h"
#include "figures/PlotFrame.h"
#include "model/Colour.h"

#include <QRectF>
#include <string>
#include <vector>

class QPainter;

namespace vitrimo {

struct MtfPlot {
    MtfResult result;
    OtfPart part = OtfPart::Modulus;
    double axisFrequency = 0; // the end of the frequency axis, lines/mm; 0: the maximum spatial frequency
    double minimum = 0;       // the lower end of the vertical axis, % (the top is 100 %)
    // The angle and focus sweeps of the MTF: the listed frequencies (lines/mm), one curve each in its
    // colour, read at the sample SampleOfFrequency gives.
    std::vector<double> frequencies;
    std::vector<Colour> colours;
    EvaluationLook look; // the lens name, the pen width and the wording
};

// The figure of the result's kind: against frequency (or, in the Strehl mode, the Strehl ratio per
// wavelength), against field angle, or against focus position.
void PaintMtfPlot(QPainter& painter, const QRectF& area, const MtfPlot& plot);

// The rectangle of the graph in a figure drawn into `area`: clicks beside it change the axes.
QRectF MtfGraphRect(const QRectF& area);

// The chart of the spectral weights: one point per wavelength of the list at its nm, its weight upwards.
struct SpectralWeightEntry {
    std::string name; // line letter or added title
    double nanometres = 0;
    Colour colour = 0;
    double weight = 0;
    bool calculated = false; // drawn filled; the others hollow
};
struct SpectralWeightPlot {
    std::vector<SpectralWeightEntry> entries;
    double shortest = 350; // nm, the "Min" end of the wavelength axis
    double longest = 1050; // nm, the "Max" end
    double top = 1;        // the top of the weight axis
    int picked = -1;       // the entry being dragged, drawn larger
    std::string lensName;
    bool japanese = false;
};
void PaintSpectralWeights(QPainter& painter, const QRectF& area, const SpectralWeightPlot& plot);
// Where the chart's values lie in `area`: wavelength across, weight upwards.
PlotMapping SpectralWeightMapping(const QRectF& area, const SpectralWeightPlot& plot);

} // namespace vitrimo
