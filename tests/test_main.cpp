// The main of every test program.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

int main(int argc, char **argv)
{
#ifdef _WIN32
    // Lines end in LF alone, as on Linux: ctest reads the list of cases
    // that a program under Wine prints.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
