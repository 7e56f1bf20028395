#include "quoting.h"

#include <stdio.h>
#include <string.h>

#include "engine/platform.h"

namespace {

// Each byte may take up to ten characters ('$'\ooo'' around it).
enum { QUOTED_SIZE = 10 * PATH_SIZE, QUOTE_BUFFERS = 4 };

bool IsPlain(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80 ||
           strchr("%+,-./:=@_", c);
}

// How many bytes from `p` on are shown as they are: one for a character
// of ASCII that is no control character, two to four for a character in
// valid UTF-8; 0 for a byte that is shown escaped. Overlong forms,
// surrogates and values past U+10FFFF are no valid UTF-8.
int MeasureShown(const unsigned char *p)
{
    if (*p < 0x80) return *p < 0x20 || *p == 0x7f ? 0 : 1;
    if (*p < 0xC2 || *p > 0xF4) return 0;
    int length = *p >= 0xF0 ? 4 : *p >= 0xE0 ? 3 : 2;
    // The first bytes that could begin one of those narrow the second's range.
    unsigned char low = *p == 0xE0 ? 0xA0 : *p == 0xF0 ? 0x90 : 0x80;
    unsigned char high = *p == 0xED ? 0x9F : *p == 0xF4 ? 0x8F : 0xBF;
    if (p[1] < low || p[1] > high) return 0;
    for (int i = 2; i < length; i++)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return length;
}

// The C escape of a byte shown escaped, without its backslash.
void FormatEscape(unsigned char c, char *text)
{
    static const char kNamed[] = "\aa\bb\tt\nn\vv\ff\rr";
    const char *named = c ? (const char *)memchr(kNamed, c, sizeof kNamed - 1) : NULL;
    if (named && (named - kNamed) % 2 == 0)
        snprintf(text, 4, "%c", named[1]);
    else
        snprintf(text, 4, "%03o", c);
}

struct Builder {
    char *out;
    size_t length;
    bool full;

    void Add(const char *text)
    {
        if (full) return;
        size_t size = strlen(text);
        full = length + size + 4 >= QUOTED_SIZE;
        length += snprintf(out + length, QUOTED_SIZE - length, "%s", full ? "..." : text);
    }
};

char *NextBuffer()
{
    static char buffers[QUOTE_BUFFERS][QUOTED_SIZE];
    static int next;
    char *out = buffers[next];
    next = (next + 1) % QUOTE_BUFFERS;
    return out;
}

}  // namespace

const char *QuoteName(const char *name, QuoteStyle style)
{
    char *out = NextBuffer();

    bool plain = name[0] != '\0';
    for (const unsigned char *p = (const unsigned char *)name; *p && plain;) {
        int shown = MeasureShown(p);
        plain = shown && IsPlain(*p);
        p += shown;
    }
    Builder builder = {out, 0, false};
    out[0] = '\0';
    if (plain && style == QUOTE_AS_NEEDED) {
        builder.Add(name);
        return out;
    }
    bool open = false;
    if (!name[0]) builder.Add("''");
    for (const unsigned char *p = (const unsigned char *)name; *p;) {
        char piece[16];
        int shown = MeasureShown(p);
        if (!shown) {
            char escape[4];
            FormatEscape(*p, escape);
            snprintf(piece, sizeof piece, "%s$'\\%s'", open ? "'" : "", escape);
            open = false;
        } else if (*p == '\'') {
            snprintf(piece, sizeof piece, "%s\\'", open ? "'" : "");
            open = false;
        } else {
            snprintf(piece, sizeof piece, "%s%.*s", open ? "" : "'", shown, (const char *)p);
            open = true;
        }
        builder.Add(piece);
        p += shown ? shown : 1;
    }
    if (open) builder.Add("'");
    return out;
}
