// The program's entry: start-up, the message loop, shutdown.
#include <stdlib.h>

#include "app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (!StartProgram(instance, __argc - 1, __argv + 1)) return 0;
    int result = RunMessageLoop();
    ShutDownProgram();
    return result;
}
