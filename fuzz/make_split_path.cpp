// The split's names from any folder, source path and number: each stays
// inside a path and is terminated, keeps the folder and the source's name,
// and ends in the number. And what a split writes is what the join finds:
// from any one of its part names, discovery keeps exactly the parts listed,
// in order, the set check passes them when they start at part 1, and the
// checksum file is the one the join looks for.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "discovery.h"
#include "fuzz_support.h"
#include "join.h"
#include "platform.h"
#include "split.h"

namespace {

// Discovery matches names of at most this length, as file systems allow.
const size_t kMaxNameLength = 255;

const char *BareName(const char *path)
{
    const char *name = path;
    for (const char *p = path; *p; p++)
        if (IsPathSeparator(*p)) name = p + 1;
    return name;
}

// `path` (PATH_SIZE, exact) is terminated; true when MakeSplitPath said so.
bool MakeChecked(const char *source, const char *folder, int number, char *path)
{
    bool made = MakeSplitPath(source, folder, number, path);
    REQUIRE(strnlen(path, PATH_SIZE) < PATH_SIZE);
    return made;
}

// Parts `first` ... `last` of a split are listed with its checksum file;
// discovery starts from the part `start` places after the first. Only a set
// from part 1 on passes the set check.
void CheckSetIsFoundAgain(const char *source, const char *folder, int first, int last, int start,
                          const char *checksumPath)
{
    std::vector<std::string> paths, listing;
    char path[PATH_SIZE];
    for (int k = first; k <= last; k++) {
        REQUIRE(MakeChecked(source, folder, k, path));
        paths.push_back(path);
        listing.push_back(BareName(path));
    }
    listing.push_back(BareName(checksumPath));
    std::vector<const char *> entries;
    for (const std::string &name : listing) entries.push_back(name.c_str());

    char made[PATH_SIZE];
    MakeChecksumPath(paths.back().c_str(), made, sizeof made);
    REQUIRE(strcmp(made, checksumPath) == 0);

    PartSet set;
    FindPartSet(paths[(size_t)start].c_str(), entries.data(), (int)entries.size(), &set);
    const int parts = last - first + 1;
    REQUIRE(set.outcome == DISCOVERY_FOUND);
    REQUIRE(set.names.count == parts);
    for (int k = 0; k < parts && k < set.names.count; k++) REQUIRE(listing[(size_t)k] == set.names.names[k]);
    const char **kept = PointToNames(&set.names);
    PartSetCheck check;
    REQUIRE((CheckPartSet(kept, set.names.count, set.places, &check) == PART_SET_WHOLE) == (first == 1));
    free(kept);
    ClearNameList(&set.names);
}

}  // namespace

// Bytes 0 and 1 choose the number (0 ... 65535), then the folder up to the first '\n',
// then the source path.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2) return 0;
    int number = data[0] | data[1] << 8;
    const uint8_t *text = data + 2, *newline = (const uint8_t *)memchr(text, '\n', size - 2);
    size_t folderSize = newline ? (size_t)(newline - text) : size - 2;
    char *folder = CopyText(text, folderSize);
    char *source = newline ? CopyText(newline + 1, size - 2 - folderSize - 1) : CopyText(std::string());
    char *path = (char *)malloc(PATH_SIZE);

    bool made = MakeChecked(source, folder, number, path);
    size_t folderLength = strlen(folder);
    std::string name(BareName(source), strnlen(BareName(source), kMaxNameLength));
    char suffix[16];
    snprintf(suffix, sizeof suffix, ".%03d", number);
    std::string whole = folder;
    if (whole.empty() || whole.back() != PATH_SEPARATOR) whole += PATH_SEPARATOR;
    whole += name + suffix;
    // Characters are bytes here, as on every POSIX system.
    REQUIRE(made == (whole.size() < PATH_CHARS));
    REQUIRE(strncmp(path, whole.c_str(), PATH_CHARS - 1) == 0);
    REQUIRE(strncmp(path, folder, folderLength < PATH_CHARS - 1 ? folderLength : PATH_CHARS - 1) == 0);

    // A split checks that its checksum file's name fits, then writes parts
    // 1 ... n with names of the same length.
    if (MakeChecked(source, folder, CHECKSUM_PART_NUMBER, path) && name.size() + 4 <= kMaxNameLength) {
        // A few parts, for speed, that end anywhere up to the last.
        int last = number % MAX_PARTS + 1, first = last > 4 ? last - 3 : 1;
        CheckSetIsFoundAgain(source, folder, first, last, number / MAX_PARTS % (last - first + 1), path);
    }
    free(path);
    free(source);
    free(folder);
    return 0;
}
