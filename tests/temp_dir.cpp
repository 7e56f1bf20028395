#include "temp_dir.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    static std::mt19937_64 random(std::random_device{}());
    fs::path base = fs::temp_directory_path() / ("partello-test-" + std::to_string(random()));
    fs::create_directories(base);
    path_ = base.string() + Sep();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(fs::path(path_), ignored);
}

std::string Sep()
{
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string &path, const std::string &text)
{
    WriteBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string &path) { return fs::exists(fs::path(path)); }

int64_t SizeOf(const std::string &path)
{
    std::error_code error;
    auto size = fs::file_size(fs::path(path), error);
    return error ? -1 : static_cast<int64_t>(size);
}

std::vector<unsigned char> MakeData(size_t size, uint32_t seed)
{
    std::vector<unsigned char> data(size);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; i++) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data[i] = static_cast<unsigned char>(x);
    }
    return data;
}
