#include "AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orbelle {

namespace {

// A name beside the target that no other writer picks: the process id keeps
// two programs apart, the counter two writes of one program, and the clock
// a program that reuses the id of one that died mid-write.
std::filesystem::path temporaryNameFor(const std::filesystem::path &path, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    std::filesystem::path name = path;
    name += ".tmp-" + std::to_string(process) + "-" + std::to_string(counter++) + "-"
        + std::to_string(ticks % 1000000007ULL) + "-" + std::to_string(attempt);
    return name;
}

constexpr unsigned maxAttempts = 100;

#ifdef _WIN32

bool writeAndReplace(const std::filesystem::path &path, std::string_view bytes)
{
    // Replacing takes only the folder's permission, so a file the user made
    // read-only, or a folder in the file's place, is checked for first.
    const DWORD existing = GetFileAttributesW(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES
        && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    for (unsigned attempt = 0; attempt < maxAttempts; ++attempt) {
        const std::filesystem::path temporary = temporaryNameFor(path, attempt);
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return false;
        }
        bool ok = true;
        std::size_t written = 0;
        while (ok && written < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(
                std::min<std::size_t>(bytes.size() - written, 1u << 30));
            DWORD done = 0;
            ok = WriteFile(file, bytes.data() + written, chunk, &done, nullptr) != 0;
            written += done;
        }
        ok = ok && FlushFileBuffers(file) != 0;
        ok = CloseHandle(file) != 0 && ok;
        ok = ok
            && MoveFileExW(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                != 0;
        if (!ok)
            DeleteFileW(temporary.c_str());
        return ok;
    }
    return false;
}

#else

bool writeAll(int fd, std::string_view bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += static_cast<std::size_t>(done);
    }
    return true;
}

// The rename is only durable once the folder's entry is on disk too; a
// failure here does not undo the write, so it is not reported.
void syncFolder(const std::filesystem::path &path)
{
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Whether an existing file could be opened for writing. A rename needs only
// the folder's permission, so without this a file the user made read-only
// would be replaced all the same.
bool openableForWriting(const std::filesystem::path &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The old file rewritten where it stands: the way left when the folder
// takes no new file but the file itself may be written. Not cut short
// before the new bytes are in; when writing fails, the old bytes are put
// back as far as the disk allows.
bool writeInPlace(const std::filesystem::path &path, std::string_view bytes)
{
    const std::optional<std::string> old = readWholeFile(path);
    if (!old)
        return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    if (!ok && ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, *old)) {
        if (::ftruncate(fd, static_cast<off_t>(old->size())) == 0)
            ::fsync(fd);
    }
    return ::close(fd) == 0 && ok;
}

bool writeAndReplace(const std::filesystem::path &path, std::string_view bytes)
{
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return false;
    if (exists && !openableForWriting(path))
        return false;
    for (unsigned attempt = 0; attempt < maxAttempts; ++attempt) {
        const std::filesystem::path temporary = temporaryNameFor(path, attempt);
        // 0666 lets the umask decide, as for any newly created file.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST || errno == EINTR)
                continue;
            if (exists && (errno == EACCES || errno == EPERM))
                return writeInPlace(path, bytes);
            return false;
        }
        // A file that is replaced keeps its permissions.
        struct stat old {};
        if (::stat(path.c_str(), &old) == 0)
            ::fchmod(fd, old.st_mode & 07777);
        bool ok = writeAll(fd, bytes);
        ok = ok && ::fsync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
        if (!ok) {
            ::unlink(temporary.c_str());
            return false;
        }
        syncFolder(path);
        return true;
    }
    return false;
}

#endif

} // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path &path)
{
    std::error_code error;
    // A folder opens as a stream on some systems and then reads as empty.
    if (std::filesystem::is_directory(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool writeFileAtomically(const std::filesystem::path &path, std::string_view bytes)
{
    if (path.empty())
        return false;
    return writeAndReplace(path, bytes);
}

} // namespace orbelle
