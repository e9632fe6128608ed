// SPDX-License-Identifier: MIT
#include "AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orbelle {

namespace {

constexpr std::string_view temporaryMark = ".tmp-";

// Sixteen hexadecimal digits: the fixed-length random part of a temporary
// name, by which the start-up clean-up tells our files from a user's.
constexpr std::size_t randomDigits = 16;

std::string hex(std::uint64_t value)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text(randomDigits, '0');
    for (int i = int(randomDigits) - 1; i >= 0; --i, value >>= 4)
        text[std::size_t(i)] = digits[value & 15];
    return text;
}

unsigned long currentProcess()
{
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

// A name beside the target that no other writer picks:
// "<name>.tmp-<process id>-<16 random hex digits>". The process id keeps two
// programs apart and comes first after the mark, as the start-up clean-up
// reads it back; the random part (seeded once, stepped per name, mixed with
// the clock) keeps apart two writes of one program and a program that reuses
// the id of one that died mid-write.
std::filesystem::path temporaryNameFor(const std::filesystem::path &path, unsigned attempt)
{
    static const std::uint64_t seed = [] {
        std::random_device device;
        return (std::uint64_t{device()} << 32) ^ device();
    }();
    static std::atomic<std::uint64_t> counter{0};
    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t mixed = seed + 0x9e3779b97f4a7c15ULL * (++counter) + ticks + attempt; // splitmix64
    mixed = (mixed ^ (mixed >> 30)) * 0xbf58476d1ce4e5b9ULL;
    mixed = (mixed ^ (mixed >> 27)) * 0x94d049bb133111ebULL;
    mixed ^= mixed >> 31;
    std::filesystem::path name = path;
    name += std::string(temporaryMark) + std::to_string(currentProcess()) + "-" + hex(mixed);
    return name;
}

// What followed the process id in the temporary names of earlier versions,
// which a save killed before an update may have left: exactly three
// numbers, "<counter>-<clock>-<attempt>".
bool isEarlierTemporaryRest(std::string_view rest)
{
    int numbers = 0;
    while (!rest.empty()) {
        const std::size_t digits = std::size_t(
            std::find_if(rest.begin(), rest.end(), [](char c) { return c < '0' || c > '9'; }) - rest.begin());
        if (digits == 0)
            return false;
        ++numbers;
        rest.remove_prefix(digits);
        if (!rest.empty()) {
            if (rest.front() != '-' || rest.size() == 1)
                return false;
            rest.remove_prefix(1);
        }
    }
    return numbers == 3;
}

// The writer's process id when `name` is exactly a temporary name the
// writer makes for `target` (see temporaryNameFor), nothing otherwise.
std::optional<unsigned long> temporaryWriter(std::string_view name, std::string_view target)
{
    if (name.size() <= target.size() + temporaryMark.size() || name.substr(0, target.size()) != target
        || name.substr(target.size(), temporaryMark.size()) != temporaryMark)
        return std::nullopt;
    name.remove_prefix(target.size() + temporaryMark.size());
    unsigned long writer = 0;
    const auto [end, failure] = std::from_chars(name.data(), name.data() + name.size(), writer);
    const std::size_t digits = std::size_t(end - name.data());
    if (failure != std::errc() || digits == 0 || digits == name.size() || name[digits] != '-')
        return std::nullopt;
    const std::string_view rest = name.substr(digits + 1);
    const bool random = rest.size() == randomDigits
        && std::all_of(rest.begin(), rest.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
    return random || isEarlierTemporaryRest(rest) ? std::optional(writer) : std::nullopt;
}

constexpr unsigned maxAttempts = 100;

// Whether a symbolic link may be followed: one of the user's own or of the
// superuser's. Another user's link in a shared folder could aim a write at
// any of the user's files.
bool trustedLink(const std::filesystem::path &link)
{
#ifdef _WIN32
    (void)link;
    return true;
#else
    struct stat status {};
    if (::lstat(link.c_str(), &status) != 0)
        return false;
    return status.st_uid == ::geteuid() || status.st_uid == 0;
#endif
}

// Where a write to the path lands: through every symbolic link to the file
// that the last one names (which need not exist yet). Nothing for a loop of
// links or a link of another user's (`foreign` is then set).
std::optional<std::filesystem::path> throughLinks(std::filesystem::path path, bool *foreign = nullptr)
{
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)))
            return path;
        if (!trustedLink(path)) {
            if (foreign)
                *foreign = true;
            return std::nullopt;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            return std::nullopt;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return std::nullopt;
}

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

std::optional<std::string> readRegularFile(const std::filesystem::path &path, std::uintmax_t limit)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > limit)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    while (in && bytes.size() <= limit) {
        in.read(buffer, std::streamsize(std::min<std::uintmax_t>(sizeof buffer, limit + 1 - bytes.size())));
        bytes.append(buffer, std::size_t(in.gcount()));
    }
    if (in.bad() || bytes.size() > limit)
        return std::nullopt;
    return bytes;
}

bool isRegularFileHere(const std::filesystem::path &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// A writer keeps its temporary file open without sharing until it is
// renamed, so only an abandoned one can be deleted.
void removeIfAbandoned(const std::filesystem::path &temporary, unsigned long /*writer*/)
{
    DeleteFileW(temporary.c_str());
}

#else

// Opened without waiting for the other end of a FIFO or for a device, and
// kept only when it is a regular file. -1 otherwise.
int openRegularFile(const std::filesystem::path &path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int mode = ::fcntl(fd, F_GETFL);
    if (mode >= 0)
        ::fcntl(fd, F_SETFL, mode & ~O_NONBLOCK);
    return fd;
}

// The whole of an open file from its start. Its size is judged before
// anything is read, and no more than limit + 1 bytes are ever read, so a
// link to a huge (or growing) file costs next to nothing.
std::optional<std::string> readOpenFile(int fd, std::uintmax_t limit)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size < 0 || std::uintmax_t(status.st_size) > limit)
        return std::nullopt;
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    while (bytes.size() <= limit) {
        const std::size_t want = std::size_t(std::min<std::uintmax_t>(sizeof buffer, limit + 1 - bytes.size()));
        const ssize_t done = ::read(fd, buffer, want);
        if (done == 0)
            return bytes;
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        bytes.append(buffer, static_cast<std::size_t>(done));
    }
    return std::nullopt; // it grew past the limit while being read
}

std::optional<std::string> readRegularFile(const std::filesystem::path &path, std::uintmax_t limit)
{
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    auto bytes = readOpenFile(fd, limit);
    ::close(fd);
    return bytes;
}

bool isRegularFileHere(const std::filesystem::path &path)
{
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

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

// The whole file from its start, cut to the new length and on disk.
bool rewriteFrom(int fd, std::string_view bytes)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes)
        && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
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

enum class Replaced { Yes, No, FolderRefused };

// The bytes to a new temporary file beside the path, renamed over it.
// `mode`, when not negative, is the new file's permissions; otherwise the
// umask decides, as for any newly created file.
Replaced replaceBeside(const std::filesystem::path &path, std::string_view bytes, int mode)
{
    for (unsigned attempt = 0; attempt < maxAttempts; ++attempt) {
        const std::filesystem::path temporary = temporaryNameFor(path, attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST || errno == EINTR)
                continue;
            return errno == EACCES || errno == EPERM ? Replaced::FolderRefused : Replaced::No;
        }
        // Held until the file is renamed or removed: a start-up clean-up
        // leaves a temporary file alone while its writer holds the lock.
        ::flock(fd, LOCK_EX | LOCK_NB);
        if (mode >= 0)
            ::fchmod(fd, static_cast<mode_t>(mode));
        bool ok = writeAll(fd, bytes);
        ok = ok && ::fsync(fd) == 0;
        ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
        if (!ok)
            ::unlink(temporary.c_str());
        ::close(fd);
        if (!ok)
            return Replaced::No;
        syncFolder(path);
        return Replaced::Yes;
    }
    return Replaced::No;
}

// ---- The journal of in-place rewrites.
//
// One file a target in $XDG_STATE_HOME/orbelle (~/.local/state/orbelle),
// named after the target's real path (its folder with links resolved), so
// the same file reached by two paths has one journal and a journal never
// names another file. It holds a header line, the target's path, the length
// and a checksum of the new bytes and of the old ones, then both: the old
// bytes tell at the next start whether the file still holds what the
// rewrite left, or was saved again since. It is put in place whole
// (temporary file and rename), so a journal that does not check out was
// never finished and the target never touched.

constexpr std::string_view journalMagic = "orbelle in-place rewrite 2";
// A journal holds a file of at most kLargestSettingsFile bytes twice, and
// its header.
constexpr std::uintmax_t largestJournal = 2 * kLargestSettingsFile + 16384;

std::optional<std::filesystem::path> stateFolder()
{
    const char *state = std::getenv("XDG_STATE_HOME");
    if (state && *state && std::filesystem::path(state).is_absolute())
        return std::filesystem::path(state) / "orbelle";
    const char *home = std::getenv("HOME");
    if (home && *home)
        return std::filesystem::path(home) / ".local" / "state" / "orbelle";
    return std::nullopt;
}

std::uint64_t checksum(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ULL; // FNV-1a
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

// The file's path with its folder's links and dots resolved; the file
// itself is the last link's target (see throughLinks).
std::string realPathText(const std::filesystem::path &target)
{
    std::error_code error;
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::filesystem::path real = std::filesystem::canonical(folder, error);
    if (error)
        real = std::filesystem::absolute(folder, error).lexically_normal();
    return (real / target.filename()).string();
}

std::optional<std::filesystem::path> journalFor(const std::filesystem::path &target)
{
    const auto folder = stateFolder();
    if (!folder)
        return std::nullopt;
    return *folder / ("rewrite-" + hex(checksum(realPathText(target))));
}

struct JournalEntry {
    std::string target;
    std::string_view bytes; // the new contents, inside the journal's text
    std::string_view old;   // the contents the rewrite began from
};

// Consumes one line of `text`; nothing where no line end is left.
std::optional<std::string_view> takeLine(std::string_view &text)
{
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view result = text.substr(0, end);
    text.remove_prefix(end + 1);
    return result;
}

std::optional<std::uint64_t> takeNumber(std::string_view &text, int base)
{
    const auto digits = takeLine(text);
    if (!digits || digits->empty())
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits->data(), digits->data() + digits->size(), value, base);
    if (error != std::errc() || end != digits->data() + digits->size())
        return std::nullopt;
    return value;
}

std::optional<JournalEntry> parseJournal(std::string_view text)
{
    const auto magic = takeLine(text);
    if (!magic || *magic != journalMagic)
        return std::nullopt;
    const auto length = takeNumber(text, 10);
    if (!length || *length >= text.size())
        return std::nullopt;
    JournalEntry entry;
    entry.target = std::string(text.substr(0, std::size_t(*length)));
    text.remove_prefix(std::size_t(*length));
    if (text.empty() || text.front() != '\n')
        return std::nullopt;
    text.remove_prefix(1);
    const auto size = takeNumber(text, 10);
    const auto sum = takeNumber(text, 16);
    const auto oldSize = takeNumber(text, 10);
    const auto oldSum = takeNumber(text, 16);
    if (!size || !sum || !oldSize || !oldSum || *size + *oldSize != text.size())
        return std::nullopt;
    entry.bytes = text.substr(0, std::size_t(*size));
    entry.old = text.substr(std::size_t(*size));
    if (checksum(entry.bytes) != *sum || checksum(entry.old) != *oldSum)
        return std::nullopt;
    return entry;
}

// The journal of a rewrite of the target from `old` to `bytes`, on disk, or
// nothing where the state folder cannot take it.
std::optional<std::filesystem::path> writeJournal(const std::filesystem::path &target, std::string_view old,
                                                  std::string_view bytes)
{
    const auto journal = journalFor(target);
    if (!journal)
        return std::nullopt;
    std::error_code error;
    std::filesystem::create_directories(journal->parent_path(), error);
    const std::string path = realPathText(target);
    std::string text;
    text.reserve(bytes.size() + old.size() + path.size() + 128);
    text.append(journalMagic).append("\n");
    text.append(std::to_string(path.size())).append("\n").append(path).append("\n");
    text.append(std::to_string(bytes.size())).append("\n").append(hex(checksum(bytes))).append("\n");
    text.append(std::to_string(old.size())).append("\n").append(hex(checksum(old))).append("\n");
    text.append(bytes).append(old);
    // Private: it holds what the target holds.
    if (replaceBeside(*journal, text, 0600) != Replaced::Yes)
        return std::nullopt;
    return journal;
}

void removeJournal(const std::filesystem::path &journal)
{
    if (::unlink(journal.c_str()) == 0)
        syncFolder(journal);
}

// After any save of the target that put its new bytes in place whole: a
// journal of an earlier rewrite cut short must not roll it back.
void forgetRewrite(const std::filesystem::path &target)
{
    if (const auto journal = journalFor(target))
        removeJournal(*journal);
}

// Whether `file` is what a rewrite from `old` to `bytes` may have left:
// the new bytes up to some point, then the old ones from there (possibly
// cut off). The old and the new file are two such states.
bool leftByRewrite(std::string_view file, std::string_view old, std::string_view bytes)
{
    const std::size_t common = std::size_t(
        std::mismatch(file.begin(), file.end(), bytes.begin(), bytes.end()).first - file.begin());
    const std::string_view rest = file.substr(common);
    return rest.empty() || (common <= old.size() && old.substr(common, rest.size()) == rest);
}

// The old file rewritten where it stands: the way left when the folder
// takes no new file but the file itself may be written. Not cut short
// before the new bytes are in; the journal finishes a rewrite cut short by
// the program's end, and when writing fails, the old bytes are put back as
// far as the disk allows.
bool writeInPlace(const std::filesystem::path &path, std::string_view bytes)
{
    const int fd = openRegularFile(path, O_RDWR);
    if (fd < 0)
        return false;
    const std::optional<std::string> old = readOpenFile(fd, kLargestSettingsFile);
    if (!old) {
        ::close(fd);
        return false;
    }
    // Without a usable state folder the rewrite goes ahead unguarded, as
    // a save that is never made loses more than one that may be cut short.
    const auto journal = writeJournal(path, *old, bytes);
    const bool ok = rewriteFrom(fd, bytes);
    const bool restored = !ok && rewriteFrom(fd, *old);
    const bool closed = ::close(fd) == 0;
    // A journal stays only where neither the new nor the old bytes are
    // whole in the file: the next start then finishes the rewrite.
    if (journal && (ok || restored))
        removeJournal(*journal);
    return closed && ok;
}

void finishInterruptedRewrite(const std::filesystem::path &target)
{
    const auto journal = journalFor(target);
    if (!journal)
        return;
    const auto text = readRegularFile(*journal, largestJournal);
    if (!text) {
        std::error_code error;
        if (std::filesystem::exists(*journal, error))
            removeJournal(*journal); // too large to be one of ours
        return;
    }
    const auto entry = parseJournal(*text);
    if (!entry) {
        removeJournal(*journal);
        return;
    }
    // Another file's journal under the same name is not ours to use.
    if (entry->target != realPathText(target))
        return;
    const int fd = openRegularFile(target, O_RDWR);
    if (fd < 0) {
        if (errno == ENOENT)
            removeJournal(*journal);
        return;
    }
    // Replayed only over what the rewrite left: a file saved again since
    // (or replaced by another program) keeps its contents.
    const auto now = readOpenFile(fd, kLargestSettingsFile);
    const bool replay = now && *now != entry->bytes && leftByRewrite(*now, entry->old, entry->bytes);
    const bool ok = !replay || rewriteFrom(fd, entry->bytes);
    if (::close(fd) == 0 && ok)
        removeJournal(*journal);
}

// Left alone while its writer lives: it holds a lock on the file, and its
// process still runs (which also covers the moment between creating the
// file and locking it). Only a regular file of the user's own is removed,
// never what a link names.
void removeIfAbandoned(const std::filesystem::path &temporary, unsigned long writer)
{
    const auto process = static_cast<pid_t>(writer);
    if (process <= 0 || static_cast<unsigned long>(process) != writer || process == ::getpid())
        return;
    if (::kill(process, 0) == 0 || errno == EPERM)
        return;
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
        && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::unlink(temporary.c_str());
    ::close(fd);
}

bool writeAndReplace(const std::filesystem::path &path, std::string_view bytes)
{
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return false;
    if (exists && !openableForWriting(path))
        return false;
    // A file that is replaced keeps its permissions.
    const int mode = exists ? int(existing.st_mode & 07777) : -1;
    switch (replaceBeside(path, bytes, mode)) {
    case Replaced::Yes:
        forgetRewrite(path);
        return true;
    case Replaced::FolderRefused:
        return exists && writeInPlace(path, bytes);
    case Replaced::No:
        break;
    }
    return false;
}

#endif

// Temporary files of writes to the target ("<name>.tmp-<process>-<random>")
// whose writer is gone. Names merely like them are the user's.
void removeAbandonedTemporaries(const std::filesystem::path &target)
{
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    const std::string name = target.filename().string();
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (error)
            return;
        const std::filesystem::directory_entry &entry = *entries;
        if (const auto writer = temporaryWriter(entry.path().filename().string(), name))
            removeIfAbandoned(entry.path(), *writer);
    }
}

} // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path &path, std::uintmax_t limit)
{
    return readRegularFile(path, limit);
}

bool isRegularFile(const std::filesystem::path &path)
{
    return !path.empty() && isRegularFileHere(path);
}

std::filesystem::path writeLandsAt(const std::filesystem::path &path)
{
    return throughLinks(path).value_or(path);
}

bool leadsThroughForeignLink(const std::filesystem::path &path)
{
    bool foreign = false;
    throughLinks(path, &foreign);
    return foreign;
}

bool writeFileAtomically(const std::filesystem::path &path, std::string_view bytes)
{
    if (path.empty())
        return false;
    const auto target = throughLinks(path);
    if (!target)
        return false;
    return writeAndReplace(*target, bytes);
}

void recoverInterruptedWrites(const std::filesystem::path &path)
{
    if (path.empty())
        return;
    // Best effort: a start-up goes on whatever the clean-up meets.
    try {
        const auto target = throughLinks(path);
        if (!target)
            return;
#ifndef _WIN32
        if (const auto journal = journalFor(*target))
            removeAbandonedTemporaries(*journal);
        finishInterruptedRewrite(*target);
#endif
        removeAbandonedTemporaries(*target);
    } catch (const std::exception &) {
    }
}

} // namespace orbelle
