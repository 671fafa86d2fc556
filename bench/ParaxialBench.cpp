// First-order calculations on the sample double Gauss (11 faces): the trace alone, and the full
// rebuild that follows every edit (arrays from the table text, then the trace).
#include "BenchSupport.h"
#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"

#include <benchmark/benchmark.h>

namespace {

using vitrimo::bench::SilentHost;

vitrimo::Lens LoadDoubleGauss() {
    vitrimo::Lens lens;
    vitrimo::bench::LoadSample(lens, "double-gauss.ldt");
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
