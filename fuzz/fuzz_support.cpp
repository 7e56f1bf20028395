#include "fuzz_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

char *CopyText(const uint8_t *data, size_t size)
{
    char *text = (char *)malloc(size + 1);
    if (size) memcpy(text, data, size);
    text[size] = '\0';
    return text;
}

char *CopyText(const std::string &text) { return CopyText((const uint8_t *)text.data(), text.size()); }

std::vector<std::string> SplitLines(const uint8_t *data, size_t size)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; i++) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += (char)data[i];
    }
    return lines;
}

void FailCheck(const char *condition, const char *file, int line)
{
    fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    abort();
}
