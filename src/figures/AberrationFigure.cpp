#include "figures/AberrationFigure.h"

#include <cmath>
#include <filesystem>

namespace vitrimo {

AberrationPlot MakeAberrationPlot(const RayTracer& tracer, const Lens& lens, const CurveResult& curve,
                                  const CurveSettings& settings, const FigureLook& look) {
    AberrationPlot plot;
    plot.kind = curve.kind;
    plot.curve = curve;
    const WavelengthList& list = lens.Wavelengths();
    for (int w = 0; w < tracer.TracedWavelengthCount(); ++w) {
        const Wavelength& wavelength = list.At(tracer.ListWavelength(w));
        plot.names.push_back(wavelength.name);
        plot.nanometres.push_back(wavelength.nanometres);
        plot.colours.push_back(wavelength.colour);
        // The reference wavelength is traced even when it is not marked; it is drawn only when marked.
        plot.visible.push_back(wavelength.calculate);
    }
    plot.reference = tracer.ReferenceTraced();
    plot.lensName = std::filesystem::path(lens.FileName()).filename().string();
    plot.scale = curve.kind == CurveKind::Distortion ? look.distortionScale : look.curveScale;
    const TraceContext& context = tracer.Context();
    const double diameter = context.entrancePupilDiameter;
    plot.fNumber = diameter > 0 ? std::fabs(lens.FocalLength()) / diameter : 1;
    plot.pupilRadius = diameter / 2;
    plot.maxAngle = settings.maxAngle;
    plot.defocus = settings.defocus;
    plot.fieldAngle = settings.fieldAngle;
    plot.background = look.background;
    plot.penWidth = look.penWidth;
    plot.japanese = look.japanese;
    return plot;
}

} // namespace vitrimo
