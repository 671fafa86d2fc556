// Painting of the image-evaluation figures into any QPainter rectangle: the spot diagram, the wavefront
// along the pupil's sections and over the pupil, and the diffraction image with its intensity line. The
// window, the print preview and vitrimo-cli's figure export all use these painters.
//
// A plot takes a computed result and how to show it; it never traces rays itself. Each figure has a
// title line (tab caption, lens, field angle, defocus), a plot with ticks, values, a light grid and axis
// titles with units, and a side panel with the legend (line letter and nm) and the read-outs.
#pragma once

#include "evaluation/PointSpread.h"
#include "evaluation/SpotDiagram.h"
#include "evaluation/Wavefront.h"
#include "model/Colour.h"

#include <QImage>
#include <QRectF>
#include <string>

class QPainter;

namespace vitrimo {

// What every evaluation figure shows besides its result.
struct EvaluationLook {
    std::string lensName; // shown in the title line
    double defocus = 0;   // mm, as the user gave it
    Colour background = colours::White;
    int penWidth = 1;
    bool japanese = false;
};

struct SpotPlot {
    SpotResult spot;
    double halfWidth = 0.05;    // mm from the centroid to the plot's edge
    double circleRadius = 0.01; // mm
    bool drawCircle = true;
    bool drawAiryDisk = false;
    bool drawCrossMark = true;
    EvaluationLook look;
};

struct WavefrontLinePlot {
    WavefrontLine line;
    double scale = 1; // waves at the top of the plot
    EvaluationLook look;
};

struct WavefrontMapPlot {
    WavefrontMap map;
    double scale = 1; // waves shown as full white (and full black for minus)
    EvaluationLook look;
};

struct PsfPlot {
    PsfResult psf;
    double halfWidth = 0.05; // mm from the reference point to the plot's edge
    double brightness = 1;   // the divisor B
    bool drawCircle = false;
    double circleRadius = 0.01; // mm
    bool intensityLine = false;
    bool columnLine = false; // the profile along y too (off axis or with a tilted face)
    EvaluationLook look;
};

void PaintSpotPlot(QPainter& painter, const QRectF& area, const SpotPlot& plot);
void PaintWavefrontLinePlot(QPainter& painter, const QRectF& area, const WavefrontLinePlot& plot);
void PaintWavefrontMapPlot(QPainter& painter, const QRectF& area, const WavefrontMapPlot& plot);
void PaintPsfPlot(QPainter& painter, const QRectF& area, const PsfPlot& plot);

// The diffraction image alone, `pixels` square, covering +-halfWidth about the reference point.
QImage PsfPicture(const PsfResult& psf, int pixels, double halfWidth, double brightness = 1);

} // namespace vitrimo
