// Files that a join or a split writes beside their final names and moves
// onto them only once whole and checked, so that no failure, cancel or
// signal leaves a half-written file under a name that counts. A join writes
// one such file, a split one for each part and one for its checksum file.
#ifndef PARTELLO_UNFINISHED_H
#define PARTELLO_UNFINISHED_H

#include <signal.h>

#include "platform.h"

// An unfinished file is named "NAME.xxxxxx" and one of these, NAME the
// final name (cut to fit) and x a letter. Discovery never takes such a file
// for a part.
#define UNFINISHED_JOIN_SUFFIX ".unfinished-join"
#define UNFINISHED_SPLIT_SUFFIX ".unfinished-split"
bool IsUnfinishedName(const char *name);

// An unfinished path is its final path with up to this many bytes more:
// a path of the system's length still has an unfinished name beside it.
enum { UNFINISHED_PATH_SIZE = PATH_SIZE + 32 };

// A name beside `finalPath` (at most PATH_CHARS - 1 characters) for a file
// on its way there or out of the way: "NAME.xxxxxx" and `suffix`, the final
// name cut where the name would pass NAME_CHARS, the six letters new at
// every call. `path` holds UNFINISHED_PATH_SIZE bytes.
bool MakeUnfinishedPath(const char *finalPath, const char *suffix, char *path);
// The final name in an unfinished file's name made with `suffix`, into
// `name` (PATH_SIZE); false when `entry` is not named so.
bool FindFinalName(const char *entry, const char *suffix, char *name);

enum UnfinishedState {
    UNFINISHED_NONE,     // not made, or removed
    UNFINISHED_WRITTEN,  // under its unfinished name: removed unless placed
    UNFINISHED_PLACED,   // moved onto its final name
};

struct UnfinishedFile {
    char path[UNFINISHED_PATH_SIZE];
    volatile sig_atomic_t state;
};

// The unfinished files of one operation. Each that was not placed is
// removed at the end of the scope, and by RemoveUnfinishedFiles from a
// signal handler meanwhile.
struct UnfinishedFiles {
    UnfinishedFile *files = NULL;
    volatile sig_atomic_t count = 0;
    int capacity = 0;
    const char *suffix;

    explicit UnfinishedFiles(const char *nameSuffix) : suffix(nameSuffix) {}
    ~UnfinishedFiles();
    UnfinishedFiles(const UnfinishedFiles &) = delete;
    UnfinishedFiles &operator=(const UnfinishedFiles &) = delete;

    // Room for `files` files; false when out of memory.
    bool Reserve(int wanted);
    // A new file beside `finalPath` under a name nothing else has taken,
    // readable by its owner only (see CreateNewFile); its number in this
    // list goes into `*index`. NO_FILE, and why in `*systemError`, when it
    // cannot be made.
    FileHandle Create(const char *finalPath, int *index, int *systemError);
    // Moves file `index` onto `finalPath` (see MoveFileIntoPlace).
    bool Place(int index, const char *finalPath, bool replace);
    // Moves a placed file back to its unfinished name.
    bool Unplace(int index, const char *finalPath);
    const char *PathOf(int index) const { return files[index].path; }
};

// Removes every unfinished file of the operation under way that was not
// placed; safe to call from a signal handler.
void RemoveUnfinishedFiles();

#endif
