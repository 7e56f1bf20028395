// File names as a shell user reads them: control characters never reach
// the terminal raw, and a name can be told from the text around it.
#ifndef PARTELLO_CLI_QUOTING_H
#define PARTELLO_CLI_QUOTING_H

enum QuoteStyle {
    QUOTE_ALWAYS,     // in messages: always between quotes
    QUOTE_AS_NEEDED,  // in listings: only names that hold more than letters, digits and "%+,-./:=@_"
};

// `name` in the shell's quoting, the way the GNU tools show names: 'a b',
// 'it'\''s', control characters as $'\n' or $'\033'. Names are bytes:
// characters in valid UTF-8 pass as they are, any other byte from 0x80 on
// is escaped as well ($'\377'). The result lives in one
// of a few rotating buffers, so a message may quote several names; a very
// long one is cut short with "...".
const char *QuoteName(const char *name, QuoteStyle style = QUOTE_ALWAYS);

#endif
