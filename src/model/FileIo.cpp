#include "model/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrimo {
namespace {

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " \"" + path + "\": " + std::strerror(errno);
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& contents,
                                         std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return SystemError("Cannot open", path);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return "Cannot read \"" + path + "\": it is a folder";
    }
    std::string data;
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
        if (data.size() > maxBytes) {
            ::close(fd);
            return "Cannot read \"" + path + "\": the file is too large";
        }
    }
    ::close(fd);
    contents = std::move(data);
    return std::nullopt;
}

std::optional<std::string> WriteFileAtomically(const std::string& path, const std::string& contents) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return SystemError("Cannot write", path);

    // mkstemp creates the file for its owner only; give it what the target had, or what a new file gets.
    mode_t mode = 0;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            const auto error = SystemError("Cannot write", path);
            ::close(fd);
            ::unlink(temporary.c_str());
            return error;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed) {
        const auto error = SystemError("Cannot write", path);
        ::unlink(temporary.c_str());
        return error;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const auto error = SystemError("Cannot write", path);
        ::unlink(temporary.c_str());
        return error;
    }
    return std::nullopt;
}

} // namespace vitrimo
