// How the console words the engine's events: its own texts for the
// catalogue's message ids, in the one shape of its lines.
#ifndef PARTELLO_CLI_CONSOLE_TEXTS_H
#define PARTELLO_CLI_CONSOLE_TEXTS_H

struct ConsoleText {
    int message;
    // A running step ("Splitting file"), a result line, or what an error
    // line says after the file's name. An error's text may hold the
    // event's two figures as %lld.
    const char *text;
};

// The console's text for `message`; an unknown id gives its number, so
// that nothing the engine says is lost.
const char *FindConsoleText(int message);

#endif
