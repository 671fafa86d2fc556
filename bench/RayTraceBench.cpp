// Exact rays through the sample lenses at one wavelength: the double Gauss (11 spherical faces) and the
// aspheric condenser (an ellipsoid and a plane), on one thread and on every core (range(1): threads, 0 for
// all). The counter "intersections" is ray-surface intersections per second.
#include "BenchSupport.h"
#include "engine/Calculation.h"
#include "engine/Parallel.h"
#include "engine/RayTracer.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

using vitrimo::bench::SilentHost;

struct Setup {
    vitrimo::Lens lens;
    vitrimo::ParaxialTrace paraxial;
    vitrimo::RayTracer tracer;
    SilentHost host;

    explicit Setup(const char* file) {
        vitrimo::bench::LoadSample(lens, file);
        vitrimo::EnsureArraysCurrent(lens, paraxial, host);
        tracer.Bind(lens, paraxial);
        tracer.EntrancePupilDiameter(host);
        tracer.SetTracedWavelengths({lens.Wavelengths().Reference()});
    }

    // Rays spread evenly over the entrance pupil (a sunflower pattern), on axis, so that nearly all of them
    // pass every surface and each one costs a full trace.
    void Start(int rays) {
        tracer.AllocateBundle(rays);
        tracer.Context().fieldAngle = 0;
        tracer.Context().mode = vitrimo::TraceMode::Spot;
        const double radius = 0.98 * tracer.Context().entrancePupilDiameter / 2;
        const double golden = 2.399963229728653;
        for (int r = 0; r < rays; ++r) {
            const double rho = radius * std::sqrt((r + 0.5) / rays), phi = golden * r;
            tracer.SetStart(
                r, tracer.StartRay(r == 0 ? 0 : rho * std::cos(phi), r == 0 ? 0 : rho * std::sin(phi)));
        }
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
        setup.Start(rays);
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
