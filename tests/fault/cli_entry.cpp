// The console program's own main(), under another name, so that the fault
// matrix runs the whole program in-process.
#define main PartelloMain
#include "cli/main.cpp"
