// The geometry of the lens drawing: the meridional section of the lens to scale, with fans of real rays.
//
// ComputeCrossSection turns the lens (arrays current) and the bound ray tracer into plain numbers that a
// painter draws: the profile of every face as polylines, the edges that close each element, the mirrors'
// backs, the stop, the image plane, and the rays as polylines per field angle, wavelength and ray.
//
// Frame of the drawing: z along the axis of the start plane (the object row's plane for an object at
// infinity, the object plane for an object at a limited distance), y upwards in the meridional plane,
// both in mm. The start plane lies at z = 0.1 f (f the focal length the main window shows), so that an
// ordinary lens sits in the middle of the range 0 ... 0.2 f + its length. Decentred and tilted faces, and
// the faces after a tilted mirror, stand where the trace puts them: the frame of every face is followed
// exactly as the ray tracer shifts and turns its rays, and the profile points and ray points are mapped
// from it. A face tilted about another azimuth than the meridional plane is drawn by its section z = 0 in
// its own frame, projected on the meridional plane.
#pragma once

#include "engine/RayTracer.h"
#include "model/Colour.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <optional>
#include <string>
#include <vector>

namespace vitrimo {

// A point of the drawing, mm: z along the axis, y upwards.
struct DrawPoint {
    double z = 0;
    double y = 0;
};
using DrawLine = std::vector<DrawPoint>;

// One field angle of the drawing with the colour of its rays in single-colour mode.
struct CrossSectionAngle {
    double degrees = 0;
    Colour colour = colours::Black;
};

struct CrossSectionSettings {
    std::vector<CrossSectionAngle> angles{CrossSectionAngle{}}; // an empty list draws the axis
    int rayCount = 7;         // N rays across the pupil besides the chief ray, 1 ... 100
    bool allRays = false;     // lost rays go on; the hidden diameters are drawn closed
    bool multiColour = false; // rays coloured by wavelength (every marked one), not by angle
    double displayShift = 0;  // mm: the rays end on the image surface moved by this much along the axis
};

// The ray start heights across the entrance pupil of diameter D: ray r = 1 ... N lies
// (N - 0.05)(r - (N + 1)/2) D / (N (N - 1)) from the chief ray, so that the outer rays stay just inside
// the rim. One ray (N = 1) has no spacing: it is the chief ray alone, and the function gives 0.
double FanOffset(int r, int rayCount, double pupilDiameter);

// The sag of a face at height h as the drawing shows it: the sphere, or the conic with A4 ... A10 when
// the face is aspheric (A12 and A14 are left out of the drawing; the rays see them). When the height lies
// beyond the sphere or conic the sag is 0 and `failed` is set.
double ProfileSag(const Surface& face, double h, bool& failed);

enum class FaceKind {
    Refracting, // an ordinary face between two media
    Mirror,     // hatched on its back
    DummyPlane, // a plane with the same index on both sides: dotted, drawn a little beyond its diameter
    Stop,       // the aperture stop standing in air: its rim outside the clear aperture
    IdealLens,  // a thin line with arrow heads (outwards for a positive lens)
};

struct FaceOutline {
    int face = 0;
    FaceKind kind = FaceKind::Refracting;
    std::vector<DrawLine> pieces; // the profile, split where the hidden diameter leaves it open
    std::vector<DrawLine> marks;  // hatching of a mirror's back, arrow heads of an ideal lens
};

struct DrawnRay {
    int angle = 0;      // position in the angle list
    int wavelength = 0; // list position of the wavelength
    int ray = 0;        // 0 the chief ray, 1 ... N across the pupil
    Colour colour = colours::Black;
    DrawLine points; // the start, the point on each face reached, and the end on the image surface
    // An object at infinity: where the drawing lets the ray come in from, along its direction, at the left
    // end of the fitted range and at least 0.1 f before the start plane (drawn before points; not a point
    // of the trace).
    std::optional<DrawPoint> leadIn;
    bool lost = false;         // flagged vignetted somewhere
    bool reachedImage = false; // ends on the (shifted) image surface
};

// The rim of the entrance pupil, marked when the lens has no stop face: a tick from `base` away from the
// axis.
struct PupilTick {
    DrawPoint base;
    DrawPoint outward; // unit vector
};

struct DrawnWavelength {
    int listPosition = 0;
    std::string name;
    double nanometres = 0;
    Colour colour = colours::Black;
};

struct CrossSectionResult {
    bool valid = false;      // there is a drawing (outlines at least)
    bool stopped = false;    // the user stopped the calculation: what was traced so far is kept
    std::string error;       // why the rays could not be traced
    bool cannotDraw = false; // a profile point could not be computed: it is drawn at sag 0

    double focalLength = 0;    // as the main window shows it
    double maxDiameter = 0;    // the largest effective diameter of all rows
    double zMin = 0, zMax = 0; // the axial range the fitted view shows: the drawing with 0.1 f either side
    double halfHeight = 0;     // half the height the fitted view shows about the axis
    double pupilDiameter = 0;  // D of the entrance pupil
    int stopSurface = -1;

    DrawLine axis; // the optical axis: from 0.1 f before the start plane through every face's vertex to
                   // the image, and 0.1 f beyond it
    std::vector<FaceOutline> faces;
    std::vector<DrawLine> edges; // the edges joining an element's two faces, above and below
    DrawLine imagePlane;         // the image surface (at the image, not at the display shift)
    DrawLine objectPlane;        // the object plane of an object at a limited distance
    std::vector<PupilTick> pupilTicks;
    std::vector<DrawnRay> rays;
    std::vector<DrawnWavelength> wavelengths; // those drawn, in list order

    CrossSectionSettings settings; // what was drawn
};

// Computes the drawing. The lens's arrays must be current and `tracer` bound to it (the entrance pupil
// found); the tracer is left as it was found (bundle, context and wavelengths), so the other windows
// keep their rays. The tracer asks `host` whether to go on before every surface.
CrossSectionResult ComputeCrossSection(const Lens& lens, RayTracer& tracer,
                                       const CrossSectionSettings& settings, Host& host);

// ---- The view and the mapping onto a canvas ----

// The part of the drawing shown: the axial range left ... right, and the height about `centre`. One
// scale serves both axes, so the vertical range follows from the canvas's proportions; halfWidth is half
// the axial range.
struct CrossSectionView {
    double left = 0;
    double right = 1;
    double halfWidth = 0.5;
    double centre = 0;
};

// The fitted view of a drawing on a canvas `width` x `height`: the axial range zMin ... zMax centred, the
// height 2 halfHeight fitted in when it would not; the axial range is then widened equally on both sides.
//   extent = zMax - zMin, ratio = max(1, (2 halfHeight / extent)(width / height)),
//   left = zMin - extent (ratio - 1)/2, right = zMax + extent (ratio - 1)/2, halfWidth = extent ratio / 2.
CrossSectionView FitView(double zMin, double zMax, double halfHeight, double width, double height);
CrossSectionView FitView(const CrossSectionResult& result, double width, double height);

// From the drawing to a canvas rectangle: x = left + (z - view.left) width / (view.right - view.left),
// y = top + height / 2 - width (y - view.centre) / (2 view.halfWidth).
struct CanvasMapping {
    CrossSectionView view;
    double left = 0, top = 0, width = 1, height = 1; // the rectangle on the canvas

    double X(double z) const;
    double Y(double y) const;
    double Scale() const; // canvas units per mm
    // Back from the canvas to the drawing.
    double ModelZ(double x) const;
    double ModelY(double y) const;
};

// The view of a rectangle dragged over the canvas (corners in canvas units, in any order): its axial
// range, centred on its middle, one scale for both axes. The view stays as it is when the rectangle has
// no width.
CrossSectionView ZoomView(const CanvasMapping& mapping, double x0, double y0, double x1, double y1);

} // namespace vitrimo
