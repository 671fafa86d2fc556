#include "model/FileIo.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrimo {
namespace {

const FileFaults* g_faults = nullptr;

std::string SystemError(const std::string& what, const std::string& path, int error = errno) {
    return what + " \"" + path + "\": " + std::strerror(error);
}

std::string MiB(std::size_t bytes) {
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB";
}

// A fault the tests asked for: sets errno and says so.
bool Injected(int error) {
    if (error == 0) return false;
    errno = error;
    return true;
}

// The folder of a path ("." for a bare name) and the name in it.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The mode a new file gets from the umask, or the mode of the file it replaces.
mode_t ModeFor(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Removes the temporary files of earlier writes of the same target whose writer has ended: a process
// that was killed between naming its temporary file and renaming it. Files of live processes (another
// instance saving the same file right now) are left alone.
void RemoveStaleTemporaries(const std::string& path) {
    const auto [folder, name] = SplitPath(path);
    const std::string prefix = "." + name + ".vitrimo-tmp-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (!entryName.starts_with(prefix)) continue;
        const std::string_view rest = entryName.substr(prefix.size());
        long pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
        const bool endsAtDash = end != rest.data() + rest.size() && *end == '-';
        if (ec != std::errc() || end == rest.data() || !endsAtDash || pid <= 0) continue;
        if (pid == static_cast<long>(::getpid())) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Writes all of `contents` to fd. Returns false with errno set on failure.
bool WriteAll(int fd, const std::string& contents) {
    const char* data = contents.data();
    std::size_t left = contents.size();
    std::size_t done = 0;
    while (left > 0) {
        std::size_t chunk = std::min<std::size_t>(left, 1u << 20);
        if (g_faults && g_faults->writeError) {
            if (done >= g_faults->writeErrorAfter) {
                Injected(g_faults->writeError);
                return false;
            }
            chunk = std::min(chunk, g_faults->writeErrorAfter - done);
        }
        const ssize_t written = ::write(fd, data, chunk);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
        done += static_cast<std::size_t>(written);
        if (g_faults && g_faults->afterWrite) g_faults->afterWrite(done);
    }
    return true;
}

bool Sync(int fd) {
    if (g_faults && Injected(g_faults->syncError)) return false;
    return ::fsync(fd) == 0;
}

// Makes the rename itself durable. A failure here does not undo the write, so it is not reported.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool Rename(const std::string& from, const std::string& to) {
    if (g_faults && Injected(g_faults->renameError)) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// A named temporary file in the folder of `path` (the way without O_TMPFILE). Returns the descriptor,
// or -1 with errno set.
int CreateNamedTemporary(const std::string& path, std::string& temporary) {
    temporary = TemporaryFilePrefix(path) + std::to_string(::getpid()) + "-XXXXXX";
    return ::mkostemp(temporary.data(), O_CLOEXEC);
}

#ifdef O_TMPFILE
// An unnamed file in the folder of `path`, or -1 when the system or file system cannot make one.
int CreateUnnamedTemporary(const std::string& path, mode_t mode) {
    if (g_faults && g_faults->withoutTmpFile) return -1;
    return ::open(SplitPath(path).first.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
}

// Gives the unnamed file a temporary name beside the target, so that rename can put it in place.
bool NameUnnamedTemporary(int fd, const std::string& path, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryFilePrefix(path) + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) return false;
    }
    return false;
}
#endif

} // namespace

ScopedFileFaults::ScopedFileFaults(FileFaults faults) : faults_(std::move(faults)), previous_(g_faults) {
    g_faults = &faults_;
}

ScopedFileFaults::~ScopedFileFaults() {
    g_faults = previous_;
}

std::string TemporaryFilePrefix(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + "." + path.substr(nameStart) + ".vitrimo-tmp-";
}

std::optional<std::string> NotPlainText(std::string_view text) {
    const auto starts = [&](std::string_view bytes) { return text.starts_with(bytes); };
    using namespace std::string_view_literals;
    if (starts("\xFF\xFE\0\0"sv) || starts("\0\0\xFE\xFF"sv))
        return "it is UTF-32 text; save it as UTF-8 or plain text";
    if (starts("\xFF\xFE"sv) || starts("\xFE\xFF"sv))
        return "it is UTF-16 text; save it as UTF-8 or plain text";
    const auto nul = text.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;
    // UTF-16 without a byte-order mark: ASCII characters with a zero byte beside each of them.
    const std::size_t sample = std::min<std::size_t>(text.size() & ~std::size_t{1}, 256);
    std::size_t zeroEven = 0, zeroOdd = 0;
    for (std::size_t k = 0; k < sample; ++k)
        if (text[k] == '\0') ++(k % 2 ? zeroOdd : zeroEven);
    // At least half of the bytes on one side are zero, and none on the other.
    const std::size_t half = sample / 2;
    if (sample >= 4 && ((zeroOdd * 2 >= half && zeroEven == 0) || (zeroEven * 2 >= half && zeroOdd == 0)))
        return "it is UTF-16 text; save it as UTF-8 or plain text";
    return "it holds binary data (a zero byte at offset " + std::to_string(nul) + "), not text";
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return text;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& contents,
                                         std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return SystemError("Cannot open", path);
    struct stat before {};
    const bool regular = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
    if (!regular && S_ISDIR(before.st_mode)) {
        ::close(fd);
        return "Cannot read \"" + path + "\": it is a folder";
    }
    const auto tooLarge = [&] {
        ::close(fd);
        return "Cannot read \"" + path + "\": the file is too large (the limit is " + MiB(maxBytes) + ")";
    };
    if (regular && static_cast<std::size_t>(before.st_size) > maxBytes) return tooLarge();

    std::string data;
    if (regular) data.reserve(static_cast<std::size_t>(before.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            const auto error = SystemError("Cannot read", path);
            ::close(fd);
            return error;
        }
        if (got == 0) break;
        data.append(buffer, static_cast<std::size_t>(got));
        if (data.size() > maxBytes) return tooLarge();
        if (g_faults && g_faults->afterRead) g_faults->afterRead(data.size());
    }
    // Files in /proc report size 0 and still have contents: only files with a size are checked.
    struct stat after {};
    const bool changed =
        regular && before.st_size > 0 &&
        (::fstat(fd, &after) != 0 || after.st_size != before.st_size ||
         !SameTime(after.st_mtim, before.st_mtim) || data.size() != static_cast<std::size_t>(before.st_size));
    ::close(fd);
    if (changed)
        return "Cannot read \"" + path +
               "\": the file changed while it was being read (another program is writing it); try again";
    contents = std::move(data);
    return std::nullopt;
}

std::optional<std::string> WriteFileAtomically(const std::string& path, const std::string& contents) {
    RemoveStaleTemporaries(path);
    const mode_t mode = ModeFor(path);
    if (g_faults && Injected(g_faults->createError)) return SystemError("Cannot write", path);

    // Writes the whole text into fd and gives the file its final mode. On failure closes fd, removes the
    // named temporary file if there is one, and returns the errno.
    std::string temporary; // the temporary file's name; empty while the file has none
    const auto fill = [&](int fd) -> int {
        // mkstemp creates the file for its owner only; give it what the target had, or what a new file
        // gets. Some file systems have no modes to set: that is no reason to fail the write.
        ::fchmod(fd, mode);
        if (WriteAll(fd, contents) && Sync(fd)) return 0;
        const int error = errno;
        ::close(fd);
        if (!temporary.empty()) ::unlink(temporary.c_str());
        return error;
    };

    int fd = -1;
#ifdef O_TMPFILE
    fd = CreateUnnamedTemporary(path, mode);
    if (fd >= 0) {
        if (const int error = fill(fd)) return SystemError("Cannot write", path, error);
        if (!NameUnnamedTemporary(fd, path, temporary)) {
            // No /proc to name the file through: write it again the other way.
            ::close(fd);
            fd = -1;
            temporary.clear();
        }
    }
#endif
    if (fd < 0) {
        fd = CreateNamedTemporary(path, temporary);
        if (fd < 0) return SystemError("Cannot write", path);
        if (const int error = fill(fd)) return SystemError("Cannot write", path, error);
    }
    if (::close(fd) != 0 || !Rename(temporary, path)) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return SystemError("Cannot write", path, error);
    }
    SyncFolder(SplitPath(path).first);
    return std::nullopt;
}

} // namespace vitrimo
