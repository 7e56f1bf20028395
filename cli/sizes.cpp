#include "sizes.h"

#include <stdio.h>
#include <strings.h>

#include "engine/split.h"

namespace {

struct Suffix {
    const char *text;
    int64_t bytes;
};

const Suffix kSuffixes[] = {
    {"K", 1024},          {"KiB", 1024},          {"KB", 1000},
    {"M", 1024 * 1024},   {"MiB", 1024 * 1024},   {"MB", 1000 * 1000},
    {"G", 1024LL << 20},  {"GiB", 1024LL << 20},  {"GB", 1000LL * 1000 * 1000},
};

// Parts a split of `size` bytes writes at `partKb`.
int64_t CountPartsOf(int64_t size, int64_t partKb) { return CountPartsOfLength(size, PartSizeBytes(partKb)); }

// 1234567 as "1,234,567".
void FormatThousands(int64_t value, char *text, int length)
{
    char digits[24];
    int count = snprintf(digits, sizeof digits, "%lld", (long long)value);
    int at = 0;
    for (int i = 0; i < count && at < length - 2; i++) {
        if (i > 0 && (count - i) % 3 == 0) text[at++] = ',';
        text[at++] = digits[i];
    }
    text[at] = '\0';
}

}  // namespace

int64_t ReadSizeArgument(const char *text)
{
    int kb = ReadPartSize(text);
    if (kb) return kb;
    int64_t number = 0;
    const char *p = text;
    for (; *p >= '0' && *p <= '9'; p++) {
        number = number * 10 + (*p - '0');
        if (number > 1000000000000LL) return -1;  // far past any part size
    }
    if (p == text) return -1;
    // A plain number below the smallest size is a size all the same.
    if (!*p) return number;
    for (const Suffix &suffix : kSuffixes)
        if (!strcasecmp(p, suffix.text)) return number * suffix.bytes / 1024;
    return -1;
}

int64_t ChooseSizeForCount(int64_t size, int count)
{
    if (count < 2 || count > MAX_PARTS || size <= 0) return 0;
    // The smallest size that needs no more than `count` parts...
    int64_t kb = (size + (int64_t)count * 1024 - 1) / ((int64_t)count * 1024);
    // ...and one KB more where it would leave an empty part after the last.
    if (size % PartSizeBytes(kb) == 0) kb++;
    if (kb < MIN_PART_KB || kb > MAX_PART_KB) return 0;
    int64_t filled = (size + PartSizeBytes(kb) - 1) / PartSizeBytes(kb);
    return filled == count ? kb : 0;
}

int NearestPossibleCount(int64_t size, int count)
{
    for (int distance = 1; distance <= MAX_PARTS; distance++) {
        if (count - distance >= 2 && ChooseSizeForCount(size, count - distance)) return count - distance;
        if (count + distance <= MAX_PARTS && count + distance >= 2 && ChooseSizeForCount(size, count + distance))
            return count + distance;
    }
    return 0;
}

int64_t SmallestFittingSize(int64_t size)
{
    int64_t kb = (size / MAX_PARTS + 1 + 1023) / 1024;
    if (kb < MIN_PART_KB) kb = MIN_PART_KB;
    while (CountPartsOf(size, kb) > MAX_PARTS) kb++;
    return kb;
}

void FormatLayout(int64_t size, int64_t partKb, char *text, int length)
{
    int64_t bytes = PartSizeBytes(partKb), full = size / bytes, rest = size % bytes;
    char fullKb[32], lastKb[32];
    FormatThousands(partKb, fullKb, sizeof fullKb);
    FormatThousands((rest + 1023) / 1024, lastKb, sizeof lastKb);
    int written = snprintf(text, length, "%lld part%s of %s KB", (long long)full, full == 1 ? "" : "s", fullKb);
    if (written < 0 || written >= length) return;
    // The split writes the rest as a last part, an empty one when there is none.
    if (rest)
        snprintf(text + written, length - written, " and one of %s KB", lastKb);
    else
        snprintf(text + written, length - written, " and an empty one");
}
