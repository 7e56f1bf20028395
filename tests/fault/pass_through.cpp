// Every platform call passed on to the real one. Weak, so that a call the
// fault platform fails or counts (its own definition) takes precedence.
#include "real_platform.h"

#define PASS_CALL_THROUGH(result, name, parameters, arguments) \
    __attribute__((weak)) result name parameters { return Real##name arguments; }
PARTELLO_PLATFORM_CALLS(PASS_CALL_THROUGH)
