// The real POSIX platform under other link names, so that the fault platform
// can take the real names and pass each call on. platform_posix.cpp is
// compiled a second time with this header forced in (REAL_PLATFORM_RENAME
// defined): each call of the platform's list is declared again there with
// the link name partello_real_<Name>, which its definition then takes.
// Without it, the header declares the same link names as Real<Name>.
#ifndef PARTELLO_TESTS_REAL_PLATFORM_H
#define PARTELLO_TESTS_REAL_PLATFORM_H

#include "engine/platform.h"

#define REAL_LINK_NAME(name) __asm__("partello_real_" #name)

#ifdef REAL_PLATFORM_RENAME
#define RENAME_REAL_CALL(result, name, parameters, arguments) result name parameters REAL_LINK_NAME(name);
PARTELLO_PLATFORM_CALLS(RENAME_REAL_CALL)
extern const char PATH_SEPARATOR REAL_LINK_NAME(PATH_SEPARATOR);
#else
#define DECLARE_REAL_CALL(result, name, parameters, arguments) result Real##name parameters REAL_LINK_NAME(name);
PARTELLO_PLATFORM_CALLS(DECLARE_REAL_CALL)
#endif

#endif
