#include "engine/Workbench.h"

namespace vitrimo {

Readiness Workbench::Prepare(Host& host, std::vector<int>* droppedFaces) {
    return PrepareForCalculation(lens_, paraxial_, host, droppedFaces);
}

void Workbench::BindTracer(Host& host) {
    tracer_.Bind(lens_, paraxial_);
    TraceContext& context = tracer_.Context();
    const double angle = context.fieldAngle;
    context.fieldAngle = 0;
    tracer_.EntrancePupilDiameter(host);
    context.fieldAngle = angle;
}

} // namespace vitrimo
