#include "part_names.h"

#include <stdio.h>
#include <string.h>

#include "platform.h"

namespace {

// The checksum file's name as found in the folder.
struct ChecksumSearch {
    const char *name;
    char found[PATH_SIZE];
    bool exact;
};

// Takes the exact spelling, or else the first other one in byte order.
void OfferChecksumName(const char *entry, void *context)
{
    ChecksumSearch *search = (ChecksumSearch *)context;
    if (search->exact || !NamesEqualIgnoringCase(entry, search->name)) return;
    search->exact = strcmp(entry, search->name) == 0;
    if (search->found[0] && !search->exact && strcmp(entry, search->found) > 0) return;
    snprintf(search->found, sizeof search->found, "%s", entry);
}

}  // namespace

bool NamesEqualIgnoringCase(const char *a, const char *b)
{
    for (; *a && FoldCase(*a) == FoldCase(*b); a++, b++) {
    }
    return FoldCase(*a) == FoldCase(*b);
}

bool EndsInChecksumExtension(const char *name, int64_t length)
{
    const int64_t extension = sizeof CHECKSUM_EXTENSION - 1;
    return length >= extension && memcmp(name + length - extension, CHECKSUM_EXTENSION, extension) == 0;
}

bool MakeSplitPath(const char *sourcePath, const char *folder, int number, char *path)
{
    const char *name = FindFileName(sourcePath);
    size_t folderLength = strlen(folder), nameLength = FitCharacters(name, NAME_CHARS);
    const char separator[2] = {PATH_SEPARATOR, '\0'};
    bool addSeparator = folderLength == 0 || folder[folderLength - 1] != PATH_SEPARATOR;
    int length = snprintf(path, PATH_SIZE, "%s%s%.*s.%3.3d", folder, addSeparator ? separator : "", (int)nameLength,
                          name, number);
    // A path holds PATH_CHARS - 1 characters, whatever bytes they take.
    size_t fit = length < 0 ? 0 : FitCharacters(path, PATH_CHARS - 1);
    bool fits = length >= 0 && length < PATH_SIZE && !path[fit];
    path[fit] = '\0';
    return fits;
}

bool MakePartPath(const char *folder, const char *name, char *path)
{
    int length = snprintf(path, PATH_SIZE, "%s%s", folder, name);
    return length >= 0 && length < PATH_SIZE;
}

void MakeChecksumPath(const char *partPath, char *out, int size)
{
    if (size <= 0) return;
    const char *dot = strrchr(FindFileName(partPath), '.');
    size_t stem = dot ? (size_t)(dot - partPath) : strlen(partPath);
    // A path that would not fit is left empty: no checksum file is found.
    if (stem + sizeof CHECKSUM_EXTENSION > (size_t)size) {
        out[0] = '\0';
        return;
    }
    memcpy(out, partPath, stem);
    memcpy(out + stem, CHECKSUM_EXTENSION, sizeof CHECKSUM_EXTENSION);
}

ChecksumLookup FindChecksumFile(const char *folder, const char *lastName, char *path)
{
    char name[PATH_SIZE];
    MakeChecksumPath(lastName, name, sizeof name);
    ChecksumSearch search = {name, "", false};
    // A folder that cannot be searched might hold the checksum file.
    bool listed = name[0] && ListFolder(folder, "*", OfferChecksumName, &search);
    bool fits = MakePartPath(folder, search.found[0] ? search.found : name, path);
    if (!fits) path[0] = '\0';
    if (!listed || !fits) return CHECKSUM_UNKNOWN;
    return search.found[0] ? CHECKSUM_FOUND : CHECKSUM_ABSENT;
}

void SuggestOutputName(const char *firstEntry, char *out, int size)
{
    if (size <= 0) return;
    size_t length = firstEntry ? strlen(firstEntry) : 0;
    while (length > 0 && IsDigit(firstEntry[length - 1])) length--;
    if (length > 0 && firstEntry[length - 1] == '.') length--;
    if (length >= (size_t)size) length = (size_t)size - 1;
    if (length) memcpy(out, firstEntry, length);
    out[length] = '\0';
}
