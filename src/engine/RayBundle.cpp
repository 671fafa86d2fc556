#include "engine/RayBundle.h"

#include <algorithm>
#include <stdexcept>

namespace vitrimo {

void RayBundle::Allocate(int rays, int wavelengths, int slots) {
    if (rays < 0 || wavelengths < 0 || slots < 0) throw std::invalid_argument("RayBundle::Allocate");
    rays_ = rays;
    wavelengths_ = wavelengths;
    slots_ = slots;
    const std::size_t blocks = static_cast<std::size_t>(wavelengths) * slots;
    values_.assign(blocks * kFields * rays, 0.0);
    flags_.assign(blocks * rays, 0);
    // Directions start along the axis, so an unused record is still a valid ray.
    for (std::size_t b = 0; b < blocks; ++b)
        std::fill_n(values_.begin() + (b * kFields + 3) * rays, rays, 1.0);
}

void RayBundle::ClearFlags() {
    std::fill(flags_.begin(), flags_.end(), 0);
}

RayBlock RayBundle::Block(int w, int slot) {
    if (w < 0 || w >= wavelengths_ || slot < 0 || slot >= slots_) throw std::out_of_range("RayBundle::Block");
    const std::size_t block = static_cast<std::size_t>(slot) * wavelengths_ + w;
    double* base = values_.data() + block * kFields * rays_;
    return RayBlock{base,
                    base + rays_,
                    base + 2 * rays_,
                    base + 3 * rays_,
                    base + 4 * rays_,
                    base + 5 * rays_,
                    base + 6 * rays_,
                    flags_.data() + block * rays_,
                    rays_};
}

} // namespace vitrimo
