// On Windows the catalogue is the string table among the module's resources.
#include <windows.h>

#include "messages.h"

char *LoadMessage(int id, char *buffer, int size)
{
    if (size <= 0) return buffer;
    buffer[0] = '\0';
    if (LoadStringA(GetModuleHandleA(NULL), id, buffer, size) <= 0) buffer[0] = '\0';
    return buffer;
}
