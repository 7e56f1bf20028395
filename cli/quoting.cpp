#include "quoting.h"

#include <stdio.h>
#include <string.h>

#include "engine/platform.h"

namespace {

// Each byte may take up to ten characters ('$'\ooo'' around it).
enum { QUOTED_SIZE = 10 * PATH_SIZE, QUOTE_BUFFERS = 4 };

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

bool IsPlain(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80 ||
           strchr("%+,-./:=@_", c);
}

// The C escape of a control character, without its backslash.
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

const char *EscapeControls(const char *text)
{
    char *out = NextBuffer();
    Builder builder = {out, 0, false};
    out[0] = '\0';
    for (const unsigned char *p = (const unsigned char *)text; *p; p++) {
        char piece[8] = {(char)*p, '\0'};
        if (IsControl(*p)) {
            piece[0] = '\\';
            FormatEscape(*p, piece + 1);
        }
        builder.Add(piece);
    }
    return out;
}

const char *QuoteName(const char *name, QuoteStyle style)
{
    char *out = NextBuffer();

    bool plain = name[0] != '\0';
    for (const char *p = name; *p; p++)
        if (!IsPlain((unsigned char)*p)) plain = false;
    Builder builder = {out, 0, false};
    out[0] = '\0';
    if (plain && style == QUOTE_AS_NEEDED) {
        builder.Add(name);
        return out;
    }
    bool open = false;
    if (!name[0]) builder.Add("''");
    for (const unsigned char *p = (const unsigned char *)name; *p; p++) {
        char piece[16];
        if (IsControl(*p)) {
            char escape[4];
            FormatEscape(*p, escape);
            snprintf(piece, sizeof piece, "%s$'\\%s'", open ? "'" : "", escape);
            open = false;
        } else if (*p == '\'') {
            snprintf(piece, sizeof piece, "%s\\'", open ? "'" : "");
            open = false;
        } else {
            snprintf(piece, sizeof piece, "%s%c", open ? "" : "'", *p);
            open = true;
        }
        builder.Add(piece);
    }
    if (open) builder.Add("'");
    return out;
}
