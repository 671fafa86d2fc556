// The lines of a text file or a pasted block, one rule for every reader: a line ends at LF, at CR LF or
// at a lone CR (files from every platform); a last line without a line end counts too; the line ends are
// not part of the lines.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vitrimo {

// Calls `onLine(line)` for each line in order; stops early when it returns false.
template <class OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        if (!onLine(text.substr(start, i - start))) return;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) onLine(text.substr(start));
}

// All the lines at once.
inline std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&lines](std::string_view line) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

} // namespace vitrimo
