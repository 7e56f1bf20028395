// Catalogue texts named by their message ids, as tests expect them.
#ifndef PARTELLO_TESTS_CATALOGUE_TEXT_H
#define PARTELLO_TESTS_CATALOGUE_TEXT_H

#include <string>

#include "engine/messages.h"

inline std::string CatalogueText(int id)
{
    char text[MESSAGE_SIZE];
    return LoadMessage(id, text, sizeof text);
}

// A status text as the status line shows it: one blank, then the text.
inline std::string Shown(int id) { return " " + CatalogueText(id); }
inline std::string Shown(int id, long long number) { return Shown(id) + std::to_string(number); }

#endif
