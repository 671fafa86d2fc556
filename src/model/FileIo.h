// Reading and writing whole files safely.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vitrimo {

// The largest data file the program reads: lens files, catalogues, settings, RGBtable.txt. Real ones
// are a few hundred kilobytes at most; anything far larger is not one, and reading it would only cost
// memory and time.
inline constexpr std::size_t kMaxDataFileBytes = 16u << 20;

// Reads a whole file. Returns an error message ("Cannot open ...: No such file or directory") or nullopt.
// Files larger than maxBytes are refused, so a wrong file cannot exhaust memory. A regular file whose
// size or modification time changes while it is read (another program writing it) is refused too:
// what was read may be half of the old file and half of the new one.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& contents,
                                         std::size_t maxBytes = 64u << 20);

// Writes a file so that it is never left half written: the text goes to a temporary file in the same
// folder, which replaces the target only when it is complete and flushed. An existing file keeps its
// permissions. Returns an error message or nullopt.
//
// Where the system allows it the temporary file has no name until it is complete (O_TMPFILE), so a
// writer that is killed leaves nothing behind. Elsewhere it is named TemporaryFilePrefix(path) followed
// by the writer's process id and a random part; files of that name whose process has ended are leftovers
// of a killed writer, and the next write of the same target removes them.
std::optional<std::string> WriteFileAtomically(const std::string& path, const std::string& contents);

// The beginning of the names of the temporary files that writes of `path` use:
// "folder/.name.vitrimo-tmp-".
std::string TemporaryFilePrefix(const std::string& path);

// Text files the program reads are 8-bit text (ASCII, UTF-8 or a legacy code page). Returns why `text`
// is not -- "it is UTF-16 text ..." or "it holds binary data ..." -- or nullopt.
std::optional<std::string> NotPlainText(std::string_view text);

// The text without a UTF-8 byte-order mark at its start (editors on some systems write one).
std::string_view WithoutByteOrderMark(std::string_view text);

// Faults that tests inject into the file layer, to see that a full disk, a read-only folder or a file
// that changes while it is read end in a clear message and leave no partial file. Production code
// never sets them. Errors are errno values; 0 means no fault.
struct FileFaults {
    int createError = 0;             // creating the temporary file fails (EROFS: a read-only folder)
    int writeError = 0;              // writing fails once writeErrorAfter bytes are written (ENOSPC)
    std::size_t writeErrorAfter = 0; //
    int syncError = 0;               // flushing the written file fails (EIO)
    int renameError = 0;             // replacing the target fails
    bool withoutTmpFile = false;     // behave as a system without O_TMPFILE
    // Called after each block written to the temporary file, with the bytes written so far.
    std::function<void(std::size_t written)> afterWrite = {};
    // Called after each block read, with the bytes read so far (a test may change the file here).
    std::function<void(std::size_t read)> afterRead = {};
};

// Installs faults for the lifetime of the object (not thread-safe: for single-threaded tests).
class ScopedFileFaults {
public:
    explicit ScopedFileFaults(FileFaults faults);
    ~ScopedFileFaults();
    ScopedFileFaults(const ScopedFileFaults&) = delete;
    ScopedFileFaults& operator=(const ScopedFileFaults&) = delete;

private:
    FileFaults faults_;
    const FileFaults* previous_;
};

} // namespace vitrimo
