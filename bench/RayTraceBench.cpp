// Exact rays through the sample lenses at one wavelength: the double Gauss (11 spherical faces) and the
// aspheric condenser (an ellipsoid and a plane), on one thread and on every core (range(1): threads, 0 for
// all). The counter "intersections" is ray-surface intersections per second.
#include "BenchSupport.h"
#include "engine/Calculation.h"
#include "engine/Parallel.h"
#include "engine/RayTracer.h"

#include <benchmark/benchmark.h>

namespace {

struct Setup : vitrimo::bench::TracedSample {
    explicit Setup(const char* file) : TracedSample(file) {
        tracer.SetTracedWavelengths({lens.Wavelengths().Reference()});
    }

    int Passed() const {
        int passed = 0;
        for (int r = 0; r < tracer.Bundle().RayCount(); ++r)
            passed += tracer.Bundle().Vignetted(r, 0, 0) ? 0 : 1;
        return passed;
    }
};

void TraceLens(benchmark::State& state, const char* file) {
    Setup setup(file);
    const int rays = static_cast<int>(state.range(0));
    const int threads = state.range(1) > 0 ? static_cast<int>(state.range(1)) : vitrimo::DefaultThreadCount();
    setup.tracer.SetThreads(threads);
    state.counters["threads"] = threads;
    for (auto _ : state) {
        state.PauseTiming();
        setup.StartSunflower(rays);
        state.ResumeTiming();
        setup.tracer.TraceAll(setup.host);
        benchmark::DoNotOptimize(setup.tracer.Bundle().Record(rays - 1, 0, 0).y);
    }
    const double intersections = static_cast<double>(rays) * setup.tracer.SurfaceCount();
    state.counters["passed"] = setup.Passed();
    state.counters["rays"] = benchmark::Counter(rays, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["intersections"] =
        benchmark::Counter(intersections, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_TraceDoubleGauss(benchmark::State& state) {
    TraceLens(state, "double-gauss.ldt");
}
void BM_TraceAsphere(benchmark::State& state) {
    TraceLens(state, "asphere.ldt");
}
BENCHMARK(BM_TraceDoubleGauss)
    ->ArgsProduct({{100000, 1000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TraceAsphere)
    ->ArgsProduct({{100000, 1000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
