// How the files of a set are named and counted: the one home of those rules
// for the split, discovery, the join and both front ends.
#ifndef PARTELLO_PART_NAMES_H
#define PARTELLO_PART_NAMES_H

#include <stdint.h>

enum {
    MAX_PARTS = 998,  // part number 999 is the checksum file's
    CHECKSUM_PART_NUMBER = 999,
};
// The checksum file's extension: CHECKSUM_PART_NUMBER after the dot.
#define CHECKSUM_EXTENSION ".999"

// Part numbers are ASCII digits, whatever the code page.
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Names are compared with ASCII letters folded to lower case, every other
// byte as is.
inline char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }
// Discovery's rule for letter case: true when the names are equal under FoldCase.
bool NamesEqualIgnoringCase(const char *a, const char *b);

// A part size in KB (of 1024 bytes, as every front end counts them) in bytes.
inline int64_t PartSizeBytes(int64_t kb) { return kb * 1024; }

// The number of parts a split of `length` bytes into parts of `partSize`
// bytes writes: a part for every whole part size and one more for the rest,
// which may be empty.
inline int64_t CountPartsOfLength(int64_t length, int64_t partSize) { return length / partSize + 1; }

// A set has two parts at least: one part alone could not be told from any
// file whose name ends in a number.
inline bool HoldsASet(int64_t partCount) { return partCount >= 2; }

// True when the `length` bytes of `name` end in the checksum file's extension.
bool EndsInChecksumExtension(const char *name, int64_t length);

// The path of piece `number` of a split of `sourcePath` into `folder`: the
// folder, a separator unless it ends in one, the source's file name cut to
// 255 characters, '.' and the number in at least three digits. False when
// that would not fit a path; `path` (PATH_SIZE) is then cut short.
bool MakeSplitPath(const char *sourcePath, const char *folder, int number, char *path);

// A part's path: the join folder ("" or ending in a separator) and its
// bare name. False when that would not fit a path.
bool MakePartPath(const char *folder, const char *name, char *path);

// The checksum file's path for the last part's path: its extension (after
// the last '.' of the name) replaced by ".999", or ".999" appended.
void MakeChecksumPath(const char *partPath, char *out, int size);

// Whether a set has a checksum file.
enum ChecksumLookup {
    CHECKSUM_ABSENT,
    CHECKSUM_FOUND,
    CHECKSUM_UNKNOWN,  // the folder could not be searched
};

// The set's checksum file: an entry of `folder` of any kind (a folder or a
// link that leads nowhere too) named like `lastName` (the last part) with
// ".999" for its extension, letter case ignored as discovery ignores it;
// the exact spelling wins, otherwise the first other one in byte order.
// Its path goes into `path` (PATH_SIZE); when there is none, the exact
// name's path; "" when that does not fit.
ChecksumLookup FindChecksumFile(const char *folder, const char *lastName, char *path);

// The name the save picker starts with: entry 0 without its trailing digits
// and then without one trailing '.'; "" for an empty list.
void SuggestOutputName(const char *firstEntry, char *out, int size);

#endif
