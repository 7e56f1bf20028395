#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "engine/checksum.h"
#include "engine/messages.h"
#include "fake_report.h"
#include "temp_dir.h"

namespace {

const int64_t kMiB = 1 << 20;

uint32_t Crc(const std::vector<unsigned char> &data)
{
    return ComputeBufferChecksum(data.data(), static_cast<int64_t>(data.size()));
}

// The byte-at-a-time definition, as the reference for the fast path.
uint32_t SlowCrc(const unsigned char *data, size_t length)
{
    uint32_t state = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; i++) state = kCrcTable[(state ^ data[i]) & 0xFF] ^ (state >> 8);
    return ~state;
}

class Checksum : public ::testing::Test {
protected:
    void SetUp() override { ResetFake(); }
};

}  // namespace

TEST_F(Checksum, StandardTableAndVectors)
{
    EXPECT_EQ(kCrcTable[0], 0u);
    EXPECT_EQ(kCrcTable[1], 0x77073096u);
    EXPECT_EQ(kCrcTable[128], 0xEDB88320u);
    EXPECT_EQ(kCrcTable[255], 0x2D02EF8Du);
    const char *digits = "123456789";
    EXPECT_EQ(ComputeBufferChecksum(reinterpret_cast<const unsigned char *>(digits), 9), 0xCBF43926u);
    EXPECT_EQ(ComputeBufferChecksum(reinterpret_cast<const unsigned char *>(digits), 0), 0u);
    EXPECT_EQ(ComputeBufferChecksum(reinterpret_cast<const unsigned char *>(digits), -5), 0u);
    EXPECT_EQ(Fake().probeCalls, 1);  // only the 9-byte block asked
}

TEST_F(Checksum, FastPathAgreesWithTheDefinitionAtEveryLengthAndAlignment)
{
    std::vector<unsigned char> data = MakeData(4096 + 64, 7);
    for (size_t offset = 0; offset < 16; offset++) {
        for (size_t length = 0; length <= 600; length += (length < 80 ? 1 : 37)) {
            uint32_t whole = ~UpdateCrc(0xFFFFFFFFu, data.data() + offset, length);
            ASSERT_EQ(whole, SlowCrc(data.data() + offset, length)) << offset << "+" << length;
        }
    }
    // Pieces fed one after another give the same as the whole block.
    uint32_t state = 0xFFFFFFFFu;
    size_t done = 0;
    for (size_t piece = 1; done < data.size(); piece = piece * 3 + 1) {
        size_t take = std::min(piece, data.size() - done);
        state = UpdateCrc(state, data.data() + done, take);
        done += take;
    }
    EXPECT_EQ(~state, SlowCrc(data.data(), data.size()));
}

// The fast path switches on at about two blocks of interleaved words and
// leaves a tail of under one block: every length across those edges, at
// every word alignment, for both 4- and 8-byte words.
TEST_F(Checksum, FastPathAgreesAcrossItsBlockEdges)
{
    std::vector<unsigned char> data = MakeData(512 + 8, 11);
    for (size_t offset = 0; offset < 8; offset++) {
        for (size_t length = 0; length <= 512; length++) {
            uint32_t state = 0x12345678u;  // any incoming register, not just the preset
            uint32_t expected = state;
            for (size_t i = 0; i < length; i++)
                expected = kCrcTable[(expected ^ data[offset + i]) & 0xFF] ^ (expected >> 8);
            ASSERT_EQ(UpdateCrc(state, data.data() + offset, length), expected) << offset << "+" << length;
        }
    }
}

TEST_F(Checksum, ProbeRunsAfterTheFirstByteOfEachMebibyte)
{
    struct Case {
        int64_t length;
        int calls;
    } cases[] = {{1, 1}, {kMiB, 1}, {kMiB + 1, 2}, {3 * kMiB, 3}, {3 * kMiB + 1, 4}};
    std::vector<unsigned char> data = MakeData(3 * kMiB + 1);
    for (const Case &c : cases) {
        ResetFake();
        EXPECT_EQ(ComputeBufferChecksum(data.data(), c.length), SlowCrc(data.data(), c.length));
        EXPECT_EQ(Fake().probeCalls, c.calls) << c.length;
    }
}

namespace {

// The file pass as the callers of the failure value take it.
uint32_t FileChecksum(FileHandle file)
{
    uint32_t checksum;
    int systemError;
    return ComputeFileChecksum(file, &checksum, &systemError) == OPERATION_DONE ? checksum : CHECKSUM_FAILED;
}

}  // namespace

TEST_F(Checksum, CancelGivesTheFailureValue)
{
    std::vector<unsigned char> data = MakeData(2 * kMiB);
    Fake().cancelAt = [](int) { return true; };
    EXPECT_EQ(ComputeBufferChecksum(data.data(), 1), CHECKSUM_FAILED);
    ResetFake();
    Fake().cancelAt = [](int call) { return call == 2; };
    EXPECT_EQ(ComputeBufferChecksum(data.data(), 2 * kMiB), CHECKSUM_FAILED);
    EXPECT_EQ(Fake().probeCalls, 2);
    EXPECT_EQ(Fake().LastStatus(), Said(MSG_CANCELLED));
}

TEST_F(Checksum, FileChecksumMatchesAndLeavesThePositionAlone)
{
    TempDir dir;
    std::vector<unsigned char> data = MakeData(5 * kMiB + 17);
    WriteBytes(dir / "data.bin", data);
    FileHandle file = OpenFileForRead((dir / "data.bin").c_str());
    ASSERT_NE(file, NO_FILE);
    unsigned char first[10];
    ASSERT_EQ(ReadFileBytes(file, first, 10), 10);
    EXPECT_EQ(FileChecksum(file), SlowCrc(data.data(), data.size()));
    EXPECT_EQ(Fake().probeCalls, 6);
    unsigned char next[4];
    ASSERT_EQ(ReadFileBytes(file, next, 4), 4);
    EXPECT_EQ(0, std::memcmp(next, data.data() + 10, 4));
    Fake().probeCalls = 0;
    Fake().cancelAt = [](int call) { return call == 3; };
    EXPECT_EQ(FileChecksum(file), CHECKSUM_FAILED);
    EXPECT_EQ(Fake().probeCalls, 3);
    CloseFileHandle(file);
}

// A file cut short by someone else during the pass (a medium pulled, a
// share gone) gives the failure value, not a crash.
TEST_F(Checksum, FileCutShortDuringThePassGivesTheFailureValue)
{
    TempDir dir;
    std::string path = dir / "data.bin";
    WriteBytes(path, MakeData(12 * kMiB));
    FileHandle file = OpenFileForRead(path.c_str());
    ASSERT_NE(file, NO_FILE);
    Fake().cancelAt = [&path](int call) {
        if (call == 2) std::filesystem::resize_file(path, kMiB);
        return false;
    };
    EXPECT_EQ(FileChecksum(file), CHECKSUM_FAILED);
    CloseFileHandle(file);
}

TEST_F(Checksum, EmptyFileGivesTheFailureValue)
{
    TempDir dir;
    WriteBytes(dir / "empty", {});
    FileHandle file = OpenFileForRead((dir / "empty").c_str());
    ASSERT_NE(file, NO_FILE);
    EXPECT_EQ(FileChecksum(file), CHECKSUM_FAILED);
    EXPECT_EQ(Fake().probeCalls, 0);
    CloseFileHandle(file);
}

// Beyond 4 GiB the file goes through many mapping windows and 64-bit
// offsets; a sparse file keeps the test quick and small on disk.
TEST_F(Checksum, FilesBeyondFourGibibytes)
{
    TempDir dir;
    const int64_t length = (int64_t(4) << 30) + 3;
    std::string path = dir / "big.bin";
    WriteBytes(path, {});
    std::vector<unsigned char> zeros(64 * kMiB, 0);
    // Only the tail is written; everything before it reads as zeros.
    std::filesystem::resize_file(path, length - 3);
    {
        std::vector<unsigned char> tail = {1, 2, 3};
        FILE *append = std::fopen(path.c_str(), "ab");
        ASSERT_TRUE(append);
        std::fwrite(tail.data(), 1, 3, append);
        std::fclose(append);
    }
    uint32_t state = 0xFFFFFFFFu;
    for (int64_t done = 0; done < length - 3; done += static_cast<int64_t>(zeros.size()))
        state = UpdateCrc(state, zeros.data(), zeros.size());
    const unsigned char tail[3] = {1, 2, 3};
    uint32_t expected = ~UpdateCrc(state, tail, 3);

    FileHandle file = OpenFileForRead(path.c_str());
    ASSERT_NE(file, NO_FILE);
    EXPECT_EQ(FileChecksum(file), expected);
    EXPECT_EQ(Fake().probeCalls, 4097);
    CloseFileHandle(file);
}

// The checksum file's first 4 bytes, least significant first; fewer can
// check nothing.
TEST_F(Checksum, ChecksumFileIsReadByItsFirstFourBytes)
{
    TempDir dir;
    struct Case {
        std::vector<unsigned char> bytes;
        ChecksumLookup lookup;
        uint32_t value;
    } cases[] = {
        {{0x26, 0x39, 0xF4, 0xCB, 0xEE, 0xEE, 0xEE, 0xEE}, CHECKSUM_FOUND, 0xCBF43926u},
        {{1, 2, 3, 4, 5}, CHECKSUM_FOUND, 0x04030201u},
        {{1, 2, 3}, CHECKSUM_UNKNOWN, 0},
        {{}, CHECKSUM_UNKNOWN, 0},
    };
    for (const Case &c : cases) {
        WriteBytes(dir / "x.999", c.bytes);
        char path[PATH_SIZE];
        uint32_t value = 0;
        EXPECT_EQ(ReadChecksumFile(dir.Path().c_str(), "x.001", path, &value), c.lookup) << c.bytes.size();
        if (c.lookup == CHECKSUM_FOUND) EXPECT_EQ(value, c.value);
    }
}
