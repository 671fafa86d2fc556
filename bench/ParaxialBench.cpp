// First-order calculations on the sample double Gauss (11 faces): the trace alone, and the full
// rebuild that follows every edit (arrays from the table text, then the trace).
#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "model/LensFile.h"

#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

class SilentHost : public vitrimo::Host {
public:
    std::optional<std::string> AskText(const vitrimo::Wording&, const vitrimo::Wording&,
                                       const std::string&) override {
        return std::nullopt;
    }
    vitrimo::Button Ask(vitrimo::MessageKind, const vitrimo::Wording&, vitrimo::Buttons, int) override {
        return vitrimo::ButtonCancel;
    }
};

vitrimo::Lens LoadDoubleGauss() {
    vitrimo::Lens lens;
    const auto result = vitrimo::ReadLensFile(lens, VITRIMO_SOURCE_DIR "/data/Lens/double-gauss.ldt");
    if (!result.Ok()) throw std::runtime_error(result.error);
    return lens;
}

void BM_ParaxialTrace(benchmark::State& state) {
    vitrimo::Lens lens = LoadDoubleGauss();
    SilentHost host;
    vitrimo::ParaxialTrace paraxial;
    vitrimo::EnsureArraysCurrent(lens, paraxial, host);
    for (auto _ : state) {
        paraxial.Run(lens);
        benchmark::DoNotOptimize(lens.FocalLength());
    }
    state.SetItemsProcessed(state.iterations() * lens.SurfaceCount());
}
BENCHMARK(BM_ParaxialTrace);

void BM_RebuildAfterEdit(benchmark::State& state) {
    vitrimo::Lens lens = LoadDoubleGauss();
    SilentHost host;
    vitrimo::ParaxialTrace paraxial;
    for (auto _ : state) {
        lens.MarkChanged();
        vitrimo::EnsureArraysCurrent(lens, paraxial, host);
        benchmark::DoNotOptimize(lens.FocalLength());
    }
}
BENCHMARK(BM_RebuildAfterEdit);

} // namespace
