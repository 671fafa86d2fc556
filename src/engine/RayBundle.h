// The rays of one calculation: every ray, for every traced wavelength and every field-angle slot.
//
// A RayRecord is one ray at the surface processed last: x along the axis, measured from that surface's
// vertex; y meridional; z sagittal (mm); L, M, N its direction cosines. Beside each record the bundle
// keeps a vignetting flag (the ray was blocked or lost) and the ray's optical path relative to ray 0 of
// the same wavelength and slot.
//
// Storage is by blocks: one block per (wavelength, slot), each holding the fields of all rays as separate
// arrays, so the trace streams through a surface ray after ray.
#pragma once

#include <cstdint>
#include <vector>

namespace vitrimo {

struct RayRecord {
    double x = 0, y = 0, z = 0;
    double L = 1, M = 0, N = 0;
};

// The arrays of one (wavelength, slot) block.
struct RayBlock {
    double* x;
    double* y;
    double* z;
    double* L;
    double* M;
    double* N;
    double* path;
    std::uint8_t* vignetted;
    int count;

    RayRecord Record(int r) const { return {x[r], y[r], z[r], L[r], M[r], N[r]}; }
    void Set(int r, const RayRecord& ray) {
        x[r] = ray.x, y[r] = ray.y, z[r] = ray.z, L[r] = ray.L, M[r] = ray.M, N[r] = ray.N;
    }
};

class RayBundle {
public:
    // Sizes the bundle for rays x wavelengths x slots; every ray unblocked, every path 0.
    void Allocate(int rays, int wavelengths, int slots);
    // Clears the vignetting flags (before tracing again at another field angle).
    void ClearFlags();

    int RayCount() const { return rays_; }
    int WavelengthCount() const { return wavelengths_; }
    int SlotCount() const { return slots_; }

    RayBlock Block(int w, int slot);
    const RayBlock Block(int w, int slot) const { return const_cast<RayBundle*>(this)->Block(w, slot); }

    RayRecord Record(int r, int w, int slot) const { return Block(w, slot).Record(r); }
    void SetRecord(int r, int w, int slot, const RayRecord& ray) { Block(w, slot).Set(r, ray); }
    bool Vignetted(int r, int w, int slot) const { return Block(w, slot).vignetted[r] != 0; }
    void SetVignetted(int r, int w, int slot, bool on) { Block(w, slot).vignetted[r] = on ? 1 : 0; }
    double Path(int r, int w, int slot) const { return Block(w, slot).path[r]; }
    void SetPath(int r, int w, int slot, double path) { Block(w, slot).path[r] = path; }

private:
    static constexpr int kFields = 7; // x, y, z, L, M, N, path
    int rays_ = 0, wavelengths_ = 0, slots_ = 0;
    std::vector<double> values_;
    std::vector<std::uint8_t> flags_;
};

} // namespace vitrimo
