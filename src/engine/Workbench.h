// The lens the program works on, its paraxial data and the program's one ray tracer, owned together.
//
// The desktop program makes one Workbench in main() for its whole run and every window reaches it
// through the main window; vitrimo-cli makes one per command. Calculations read the lens through const
// references (the tracer binds to it); only the model commands of Lens change it, and every change marks
// the arrays stale, so the next calculation starts with Prepare.
//
// A Workbench is not shared between threads at the same time: while a calculation runs on a worker
// thread with the tracer, the windows change nothing (the desktop program disables every command that
// could).
#pragma once

#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "engine/RayTracer.h"
#include "glass/AgfCatalogue.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <vector>

namespace vitrimo {

class Workbench {
public:
    Workbench() = default;
    Workbench(const Workbench&) = delete; // the tracer points into the lens
    Workbench& operator=(const Workbench&) = delete;

    Lens& LensData() { return lens_; }
    const Lens& LensData() const { return lens_; }
    ParaxialTrace& Paraxial() { return paraxial_; }
    const ParaxialTrace& Paraxial() const { return paraxial_; }
    RayTracer& Tracer() { return tracer_; }
    const RayTracer& Tracer() const { return tracer_; }
    // The AGF glass catalogues the user added (the four makers' catalogues are read from their files
    // when needed).
    AddedCatalogues& AddedGlass() { return addedGlass_; }
    const AddedCatalogues& AddedGlass() const { return addedGlass_; }

    // Brings the arrays and the paraxial data up to date (PrepareForCalculation): questions about missing
    // values go to the host; the numbers of faces deleted for lack of a d-line index to `droppedFaces`.
    Readiness Prepare(Host& host, std::vector<int>* droppedFaces = nullptr);

    // The threads the calculations on this workbench use (the tracer's count, given to the evaluations);
    // every core unless set. Results do not depend on it.
    void SetThreads(int threads) { tracer_.SetThreads(threads); }
    int Threads() const { return tracer_.Threads(); }

    // Binds the tracer to the lens (whose arrays must be current) and finds the entrance pupil on the
    // axis; the tracer's field angle is kept.
    void BindTracer(Host& host);

private:
    Lens lens_;
    ParaxialTrace paraxial_;
    RayTracer tracer_;
    AddedCatalogues addedGlass_;
};

} // namespace vitrimo
