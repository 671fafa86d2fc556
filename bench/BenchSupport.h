// What the benchmarks share: a host that answers nothing and the sample lenses.
#pragma once

#include "model/Host.h"
#include "model/Lens.h"
#include "model/LensFile.h"

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

} // namespace vitrimo::bench
