// What the fuzz targets share: a failed check ends the run with a message, as a crash would, so
// libFuzzer keeps the input that caused it.
#pragma once

#include "model/Host.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace vitrimo::fuzz {

inline void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void CheckFinite(double value, const char* what) {
    Check(std::isfinite(value), what);
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A text that shows a number that is not one: "nan" or "inf" as a word of its own (not inside
// "information" or a glass name such as "INF-2").
inline bool ShowsNonFiniteNumber(std::string_view text) {
    const auto isWordChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    for (std::string_view word : {"nan", "NaN", "NAN", "inf", "Inf", "INF", "infinity"}) {
        for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
            const bool startsWord = at == 0 || !isWordChar(text[at - 1]);
            const std::size_t end = at + word.size();
            const bool endsWord = end == text.size() || !isWordChar(text[end]);
            if (startsWord && endsWord) return true;
        }
    }
    return false;
}

// Nobody answers: every question is cancelled, as on the command line.
class DecliningHost : public Host {
public:
    std::optional<std::string> AskText(const Wording&, const Wording&, const std::string&) override {
        return std::nullopt;
    }
    Button Ask(MessageKind, const Wording&, Buttons, int) override { return ButtonCancel; }
};

} // namespace vitrimo::fuzz
