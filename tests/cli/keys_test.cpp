// The ESC test over real descriptors: a non-blocking pipe stands in for a
// terminal in key mode (both answer "nothing waiting" at once).
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "keys.h"

namespace {

struct KeyCase {
    const char *what;
    std::string waiting;
    bool escape;
    std::string left;  // still queued afterwards
};

const KeyCase kKeyCases[] = {
    {"nothing waiting", "", false, ""},
    {"other keys are dropped", "ab\r", false, ""},
    {"ESC alone", "\x1b", true, ""},
    {"ESC behind other keys", "ab\x1b", true, ""},
    {"keys behind ESC stay, but the one that told it apart", "\x1bxyz", true, "yz"},
    {"arrow key", "\x1b[A", false, ""},
    {"ctrl+arrow", "\x1b[1;5C", false, ""},
    {"F1", "\x1bOP", false, ""},
    {"arrow then ESC", "\x1b[D\x1b", true, ""},
    {"ESC twice", "\x1b\x1b", true, ""},
};

TEST(ConsoleKeys, EscapeIsToldFromOtherKeys)
{
    for (const KeyCase &test : kKeyCases) {
        SCOPED_TRACE(test.what);
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
        ASSERT_EQ(write(fds[1], test.waiting.data(), test.waiting.size()), (ssize_t)test.waiting.size());
        EXPECT_EQ(ReadEscapeKey(fds[0]), test.escape);
        char rest[64];
        ssize_t got = read(fds[0], rest, sizeof rest);
        EXPECT_EQ(std::string(rest, got > 0 ? got : 0), test.left);
        close(fds[0]);
        close(fds[1]);
    }
}

}  // namespace
