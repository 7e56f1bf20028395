// MakeChecksumPath with any path and any output size: the output stays
// inside its buffer and is terminated, and it is either empty (no room) or
// the path with its name's extension replaced by, or else followed by, ".999".
#include <stdlib.h>
#include <string.h>

#include "fuzz_support.h"
#include "join.h"
#include "platform.h"

// Bytes 0 and 1 choose the output size, the rest is the part's path.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2) return 0;
    int outSize = (int)(data[0] | data[1] << 8) % (PATH_SIZE + 40) - 8;  // -8 ... PATH_SIZE + 31
    char *path = CopyText(data + 2, size - 2);
    char *out = (char *)malloc(outSize > 0 ? (size_t)outSize : 1);
    if (outSize <= 0) out[0] = 'x';

    MakeChecksumPath(path, out, outSize);
    if (outSize <= 0) {
        REQUIRE(out[0] == 'x');
    } else {
        size_t length = strnlen(out, (size_t)outSize);
        REQUIRE(length < (size_t)outSize);
        // Where the name's extension starts, or its end.
        size_t pathLength = strlen(path), stem = pathLength;
        for (size_t i = pathLength; i > 0 && !IsPathSeparator(path[i - 1]); i--)
            if (path[i - 1] == '.') {
                stem = i - 1;
                break;
            }
        bool fits = stem + 5 <= (size_t)outSize;
        if (!fits) {
            REQUIRE(length == 0);
        } else {
            REQUIRE(length == stem + 4);
            REQUIRE(memcmp(out, path, stem) == 0);
            REQUIRE(memcmp(out + stem, ".999", 4) == 0);
        }
    }
    free(out);
    free(path);
    return 0;
}
