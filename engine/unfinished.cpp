#include "unfinished.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

namespace {

// The operation under way, for RemoveUnfinishedFiles.
UnfinishedFiles *volatile g_current;

bool EndsWith(const char *name, size_t length, const char *suffix)
{
    size_t suffixLength = strlen(suffix);
    return length >= suffixLength && memcmp(name + length - suffixLength, suffix, suffixLength) == 0;
}

// Six letters, different at every call and from run to run.
void MakeLetters(char *letters)
{
    static unsigned counter;
    unsigned seed = (unsigned)time(NULL) ^ (unsigned)clock() ^ (unsigned)(uintptr_t)&counter;
    seed += 7919u * ++counter;
    seed ^= seed >> 13;
    seed *= 2654435761u;
    for (int i = 0; i < 6; i++, seed /= 26) letters[i] = (char)('a' + seed % 26);
    letters[6] = '\0';
}

}  // namespace

bool IsUnfinishedName(const char *name)
{
    size_t length = strlen(name);
    return EndsWith(name, length, UNFINISHED_JOIN_SUFFIX) || EndsWith(name, length, UNFINISHED_SPLIT_SUFFIX);
}

bool FindFinalName(const char *entry, const char *suffix, char *name)
{
    size_t length = strlen(entry), suffixLength = strlen(suffix);
    if (length < suffixLength + 8 || length >= PATH_SIZE || !EndsWith(entry, length, suffix)) return false;
    size_t letters = length - suffixLength - 6;
    for (size_t i = letters; i < letters + 6; i++)
        if (entry[i] < 'a' || entry[i] > 'z') return false;
    if (entry[letters - 1] != '.') return false;
    memcpy(name, entry, letters - 1);
    name[letters - 1] = '\0';
    return true;
}

bool MakeUnfinishedPath(const char *finalPath, const char *suffix, char *path)
{
    const char *name = FindFileName(finalPath);
    int folderLength = (int)(name - finalPath);
    char letters[7];
    MakeLetters(letters);
    // The letters and the suffix are ASCII: a character and a byte each.
    size_t added = 1 + strlen(letters) + strlen(suffix);
    int nameLength = (int)FitCharacters(name, NAME_CHARS - added);
    int length = snprintf(path, UNFINISHED_PATH_SIZE, "%.*s%.*s.%s%s", folderLength, finalPath, nameLength, name,
                          letters, suffix);
    return length > 0 && length < UNFINISHED_PATH_SIZE;
}

UnfinishedFiles::~UnfinishedFiles()
{
    for (int i = 0; i < count; i++)
        if (files[i].state == UNFINISHED_WRITTEN) {
            files[i].state = UNFINISHED_NONE;
            DeleteFilePath(files[i].path);
        }
    if (g_current == this) g_current = NULL;
    free(files);
}

bool UnfinishedFiles::Reserve(int wanted)
{
    files = (UnfinishedFile *)calloc((size_t)(wanted > 0 ? wanted : 1), sizeof *files);
    capacity = files ? wanted : 0;
    if (files) g_current = this;
    return files != NULL;
}

FileHandle UnfinishedFiles::Create(const char *finalPath, int *index, int *systemError)
{
    *systemError = NO_SYSTEM_ERROR;
    if (count >= capacity) return NO_FILE;
    UnfinishedFile *file = &files[count];
    // Another program (or another run) may hold a name: a few more tries.
    for (int attempt = 0; attempt < 64; attempt++) {
        bool taken;
        if (!MakeUnfinishedPath(finalPath, suffix, file->path)) break;
        FileHandle handle = CreateNewFile(file->path, &taken);
        if (handle != NO_FILE) {
            file->state = UNFINISHED_WRITTEN;
            *index = count;
            count = count + 1;  // only now may a signal handler see it
            return handle;
        }
        *systemError = LastSystemError();
        if (!taken) break;
    }
    return NO_FILE;
}

bool UnfinishedFiles::Place(int index, const char *finalPath, bool replace)
{
    if (!MoveFileIntoPlace(files[index].path, finalPath, replace)) return false;
    files[index].state = UNFINISHED_PLACED;
    return true;
}

bool UnfinishedFiles::Unplace(int index, const char *finalPath)
{
    if (!MoveFileIntoPlace(finalPath, files[index].path, false)) return false;
    files[index].state = UNFINISHED_WRITTEN;
    return true;
}

void RemoveUnfinishedFiles()
{
    UnfinishedFiles *current = g_current;
    if (!current) return;
    for (int i = 0; i < current->count; i++)
        if (current->files[i].state == UNFINISHED_WRITTEN) DeleteFilePath(current->files[i].path);
}
