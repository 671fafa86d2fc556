// Reading and writing whole files safely.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vitrimo {

// Reads a whole file. Returns an error message ("Cannot open ...: No such file or directory") or nullopt.
// Files larger than maxBytes are refused, so a wrong file cannot exhaust memory.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& contents,
                                         std::size_t maxBytes = 64u << 20);

// Writes a file so that it is never left half written: the text goes to a temporary file in the same
// folder, which replaces the target only when it is complete and flushed. An existing file keeps its
// permissions. Returns an error message or nullopt.
std::optional<std::string> WriteFileAtomically(const std::string& path, const std::string& contents);

} // namespace vitrimo
