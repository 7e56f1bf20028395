// Part sizes as people write them, and the layouts they give.
#ifndef PARTELLO_CLI_SIZES_H
#define PARTELLO_CLI_SIZES_H

#include <stdint.h>

// The largest part size in KB: a part's bytes are a signed 32-bit count
// for the window program that may join the set.
const int64_t MAX_PART_KB = 2097151;

// -s as a part size in KB, any number of them: a plain number of KB as the
// window's size edit takes it ('$' and hex too), or decimal digits with a
// suffix: K, M, G (1024, 1024², 1024³ bytes; KiB, MiB, GiB too) or KB, MB,
// GB (1000, 1000², 1000³ bytes), rounded down to whole KB so that no part
// is larger than asked. Letter case does not matter. -1 when the text is
// no such size.
int64_t ReadSizeArgument(const char *text);

// The part size in KB that cuts `size` bytes into exactly `count` parts,
// none of them empty; 0 when no part size from 120 KB on does.
int64_t ChooseSizeForCount(int64_t size, int count);
// The count nearest to `count` for which ChooseSizeForCount finds a size
// (the smaller one of two as near), or 0 when there is none.
int NearestPossibleCount(int64_t size, int count);
// The smallest part size in KB that cuts `size` bytes into 998 parts at most.
int64_t SmallestFittingSize(int64_t size);

// "4 parts of 25,600 KB and one of 1 KB": what a split of `size` bytes into
// parts of `partKb` writes besides the checksum file.
void FormatLayout(int64_t size, int64_t partKb, char *text, int length);

#endif
