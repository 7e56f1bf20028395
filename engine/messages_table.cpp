// The portable build's catalogue: the same list as the Windows string table.
#include <string.h>

#include "messages.h"

namespace {

struct Message {
    int id;
    const char *text;
};

const Message kMessages[] = {
#define MESSAGE(id, text) {id, text},
#include "../resources/messages.def"
#undef MESSAGE
};

}  // namespace

char *LoadMessage(int id, char *buffer, int size)
{
    if (size <= 0) return buffer;
    buffer[0] = '\0';
    for (const Message &message : kMessages) {
        if (message.id == id) {
            strncpy(buffer, message.text, size - 1);
            buffer[size - 1] = '\0';
            break;
        }
    }
    return buffer;
}
