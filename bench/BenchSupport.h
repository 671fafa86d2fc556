// What the benchmarks share: a host that answers nothing, the sample lenses and a traced sample.
#pragma once

#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "engine/RayTracer.h"
#include "model/Host.h"
#include "model/Lens.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace vitrimo::bench {

// Benchmarks run without anyone to answer; every question is cancelled.
class SilentHost : public Host {
public:
    std::optional<std::string> AskText(const Wording&, const Wording&, const std::string&) override {
        return std::nullopt;
    }
    Button Ask(MessageKind, const Wording&, Buttons, int) override { return ButtonCancel; }
};

// Reads a lens from data/Lens into `lens`; a missing sample stops the benchmark run.
inline void LoadSample(Lens& lens, const std::string& file) {
    const auto result = ReadLensFile(lens, std::string(VITRIMO_SOURCE_DIR "/data/Lens/") + file);
    if (!result.Ok()) throw std::runtime_error(result.error);
}

// A sample lens from data/Lens bound to a tracer, its entrance pupil found: ready to trace.
struct TracedSample {
    Lens lens;
    ParaxialTrace paraxial;
    RayTracer tracer;
    SilentHost host;

    explicit TracedSample(const std::string& file) {
        LoadSample(lens, file);
        EnsureArraysCurrent(lens, paraxial, host);
        tracer.Bind(lens, paraxial);
        tracer.EntrancePupilDiameter(host);
    }

    // `rays` rays spread evenly over the entrance pupil (a sunflower pattern), on axis, so that nearly all
    // of them pass every surface and each one costs a full trace.
    void StartSunflower(int rays) {
        tracer.AllocateBundle(rays);
        tracer.Context().fieldAngle = 0;
        tracer.Context().mode = TraceMode::Spot;
        const double radius = 0.98 * tracer.Context().entrancePupilDiameter / 2;
        const double golden = 2.399963229728653;
        for (int r = 0; r < rays; ++r) {
            const double rho = radius * std::sqrt((r + 0.5) / rays), phi = golden * r;
            tracer.SetStart(
                r, tracer.StartRay(r == 0 ? 0 : rho * std::cos(phi), r == 0 ? 0 : rho * std::sin(phi)));
        }
    }
};

// The optimisation's test case: every radius of the faces 2 ... n 5 % off, alternately up and down.
inline void PerturbRadii(Lens& lens) {
    for (int row = 2; row <= lens.RowCount() - 1; ++row) {
        const auto r = ParseNumber(lens.Text(col::R, row));
        if (r && *r != 0) lens.SetText(col::R, row, FormatGeneral(*r * (row % 2 ? 1.05 : 0.95), 15));
    }
    lens.MarkChanged();
}

// The sample Cooke triplet, as designed or with its radii perturbed, ready for the merit function.
inline Lens Triplet(bool perturbed) {
    Lens lens;
    LoadSample(lens, "cooke-triplet.ldt");
    if (perturbed) PerturbRadii(lens);
    SilentHost host;
    ParaxialTrace paraxial;
    PrepareForCalculation(lens, paraxial, host);
    return lens;
}

} // namespace vitrimo::bench
