// Small helpers shared by the split and join tests.
#ifndef PARTELLO_TESTS_OPERATION_HELPERS_H
#define PARTELLO_TESTS_OPERATION_HELPERS_H

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#endif

inline std::filesystem::file_time_type TimeOf(const std::string &path)
{
    return std::filesystem::last_write_time(std::filesystem::path(path));
}

// Whole-second times days in the past (fixed for the whole run), so a stamp
// copied from one differs from any file written during the test.
inline std::filesystem::file_time_type OldTime(int daysAgo)
{
    static const auto now = std::filesystem::file_time_type::clock::now();
    return std::chrono::floor<std::chrono::seconds>(now - std::chrono::hours(24 * daysAgo));
}

inline void SetTime(const std::string &path, std::filesystem::file_time_type time)
{
    std::filesystem::last_write_time(std::filesystem::path(path), time);
}

inline std::vector<unsigned char> Concat(const std::vector<std::vector<unsigned char>> &pieces)
{
    std::vector<unsigned char> whole;
    for (const auto &piece : pieces) whole.insert(whole.end(), piece.begin(), piece.end());
    return whole;
}

// Bytes at `offset` of a file, without reading the rest (for huge files).
inline std::vector<unsigned char> ReadAt(const std::string &path, int64_t offset, size_t count)
{
    std::ifstream in(path, std::ios::binary);
    in.seekg(offset);
    std::vector<unsigned char> bytes(count);
    in.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

inline void WriteAt(const std::string &path, int64_t offset, const std::vector<unsigned char> &bytes)
{
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(offset);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// An entry that the file tests take for a file but that cannot be opened:
// a file held open exclusively on Windows, a socket on POSIX (the tests may
// run as root, for whom permissions are no obstacle).
class UnopenableFile {
public:
    explicit UnopenableFile(const std::string &path)
    {
#ifdef _WIN32
        std::ofstream(path, std::ios::binary) << "held";
        handle_ = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
#else
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address);
#endif
    }
    ~UnopenableFile()
    {
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#else
        if (fd_ >= 0) close(fd_);
#endif
    }
    UnopenableFile(const UnopenableFile &) = delete;
    UnopenableFile &operator=(const UnopenableFile &) = delete;

private:
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    int fd_ = -1;
#endif
};

#ifndef _WIN32
// Writes past `bytes` fail (EFBIG) while this lives: a file that takes only
// part of a write.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        previous_ = signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_;
    void (*previous_)(int);
};

// Ends the test program (SIGALRM) when a step hangs, as opening a FIFO did.
struct HangGuard {
    HangGuard() { alarm(20); }
    ~HangGuard() { alarm(0); }
};
#endif

#endif
