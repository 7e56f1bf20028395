// ReadPartSize over any text: a size it accepts is at least the minimum and
// is what the text spells, and the canonical spellings of a number are read
// back as that number.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fuzz_support.h"
#include "split.h"

namespace {

bool AllHexDigits(const char *text)
{
    for (; *text; text++)
        if (!strchr("0123456789abcdefABCDEF", *text)) return false;
    return true;
}

// The text after blanks spells `kb`: '$' and hex digits of its 32 bits, or
// an optional '+', zeros and its decimal digits.
bool Spells(const char *text, int kb)
{
    while (*text == ' ' || *text == '\t') text++;
    if (*text == '$') {
        if (!text[1] || !AllHexDigits(text + 1)) return false;
        return strtoull(text + 1, NULL, 16) == (unsigned long long)kb;
    }
    if (*text == '+') text++;
    while (*text == '0') text++;
    char digits[16];
    snprintf(digits, sizeof digits, "%d", kb);
    return strcmp(text, digits) == 0;
}

void CheckReadsBack(const char *format, int value)
{
    char text[32];
    snprintf(text, sizeof text, format, value);
    REQUIRE(ReadPartSize(text) == (value >= MIN_PART_KB ? value : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char *text = CopyText(data, size);
    int kb = ReadPartSize(text);
    REQUIRE(kb == 0 || kb >= MIN_PART_KB);
    if (kb) REQUIRE(Spells(text, kb));
    free(text);

    if (size >= 4) {
        int value;
        memcpy(&value, data, sizeof value);
        CheckReadsBack("%d", value);
        CheckReadsBack(" \t+%d", value);
        CheckReadsBack("$%X", value);
        CheckReadsBack("$%08x", value);
    }
    return 0;
}
