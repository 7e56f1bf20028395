#include "keys.h"

#include <errno.h>
#include <unistd.h>

enum { KEY_ESC = 0x1b };

// The next waiting byte, or -1 when none is waiting.
static int ReadKeyByte(int fd)
{
    unsigned char byte;
    for (;;) {
        ssize_t got = read(fd, &byte, 1);
        if (got == 1) return byte;
        if (got < 0 && errno == EINTR) continue;
        return -1;
    }
}

// The rest of ESC '[' ...: parameter and intermediate bytes up to the final
// byte. Arrow, page and function keys send these.
static void SkipControlSequence(int fd)
{
    for (;;) {
        int byte = ReadKeyByte(fd);
        if (byte < 0x20 || byte > 0x3f) return;
    }
}

bool ReadEscapeKey(int fd)
{
    for (;;) {
        int byte = ReadKeyByte(fd);
        if (byte < 0) return false;
        if (byte != KEY_ESC) continue;  // any other key is dropped
        // A key sequence arrives in one piece; ESC alone is the key itself.
        int next = ReadKeyByte(fd);
        if (next == '[') {
            SkipControlSequence(fd);
        } else if (next == 'O') {
            ReadKeyByte(fd);
        } else {
            return true;
        }
    }
}
