// SuggestOutputName with any entry and any output size: the output stays
// inside its buffer and is terminated, and it is the entry less its trailing
// digits and then one '.', cut to fit.
#include <stdlib.h>
#include <string.h>

#include "fuzz_support.h"
#include "join.h"

// Byte 0 chooses the output size (255 stands for NULL as the entry), the
// rest is the entry.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) return 0;
    int outSize = data[0] < 250 ? data[0] : 249 - data[0];  // 0 ... 249, -1 ... -5
    char *entry = data[0] == 255 ? NULL : CopyText(data + 1, size - 1);
    // Room for one byte that a size of zero or less must leave alone.
    char *out = (char *)malloc(outSize > 0 ? (size_t)outSize : 1);
    if (outSize <= 0) out[0] = 'x';

    SuggestOutputName(entry, out, outSize);
    if (outSize <= 0) {
        REQUIRE(out[0] == 'x');
    } else {
        size_t length = strnlen(out, (size_t)outSize);
        REQUIRE(length < (size_t)outSize);
        const char *source = entry ? entry : "";
        REQUIRE(strncmp(out, source, length) == 0);
        if (strlen(source) < (size_t)outSize) {
            // Not cut: what was left off is an optional '.' and digits, and
            // a '.' left off means no digit stays at the end.
            const char *rest = source + length;
            bool dot = *rest == '.';
            for (const char *p = rest + dot; *p; p++) REQUIRE(IsDigit(*p));
            if (!dot) REQUIRE(length == 0 || !IsDigit(out[length - 1]));
        }
    }
    free(out);
    free(entry);
    return 0;
}
