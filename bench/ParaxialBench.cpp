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

// Deleting the faces without a d-line index from a long table: half of N faces go. Linear in N.
void BM_DropRowsWithoutIndices(benchmark::State& state) {
    const int faces = static_cast<int>(state.range(0));
    vitrimo::Lens table;
    for (int face = 1; face <= faces; ++face) {
        table.AddFace();
        table.SetText(vitrimo::col::R, face + 1, "50");
        table.SetText(vitrimo::col::Nd, face + 1, face % 2 ? "1.5" : "");
    }
    for (auto _ : state) {
        state.PauseTiming();
        vitrimo::Lens lens = table;
        state.ResumeTiming();
        benchmark::DoNotOptimize(lens.DropRowsWithoutIndices());
    }
    state.SetComplexityN(faces);
}
BENCHMARK(BM_DropRowsWithoutIndices)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
