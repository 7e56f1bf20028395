// A scratch folder per test, removed afterwards, with small file helpers.
#ifndef PARTELLO_TESTS_TEMP_DIR_H
#define PARTELLO_TESTS_TEMP_DIR_H

#include <cstdint>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // The folder, ending in the platform's separator.
    const std::string &Path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + name; }

private:
    std::string path_;
};

std::string Sep();  // "\\" on Windows, "/" elsewhere
void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes);
void WriteText(const std::string &path, const std::string &text);
std::vector<unsigned char> ReadBytes(const std::string &path);
bool Exists(const std::string &path);
int64_t SizeOf(const std::string &path);
// Deterministic pseudo-random content.
std::vector<unsigned char> MakeData(size_t size, uint32_t seed = 1);

#endif
