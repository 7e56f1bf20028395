// What the fuzz targets share: exact-size copies of the input, so that the
// sanitizer sees any read past a text's end, and a check that stops the run.
#ifndef PARTELLO_FUZZ_SUPPORT_H
#define PARTELLO_FUZZ_SUPPORT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// A malloc'ed copy of `size` bytes and a terminating zero (an embedded zero
// ends the text early); free it.
char *CopyText(const uint8_t *data, size_t size);
char *CopyText(const std::string &text);

// Splits at every '\n'.
std::vector<std::string> SplitLines(const uint8_t *data, size_t size);

[[noreturn]] void FailCheck(const char *condition, const char *file, int line);
#define REQUIRE(condition) ((condition) ? (void)0 : FailCheck(#condition, __FILE__, __LINE__))

#endif
