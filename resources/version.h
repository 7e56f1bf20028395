/* The version values and the web address, each defined once. The versions
   are not one number: each is kept as the place that shows it has always
   shown it. Plain #defines so that the resource compiler and CMake (which
   reads the quoted ones) can read this file too. */
#ifndef PARTELLO_VERSION_H
#define PARTELLO_VERSION_H

/* The About box, the version block's FileVersion text, `partello --version`,
   and CMake's project version (the manual page, the package and the
   manifest's assembly version, as four numbers). */
#define PARTELLO_VERSION "1.6"
/* The version block's ProductVersion text. */
#define PARTELLO_PRODUCT_VERSION "1.3"
/* The version block's FILEVERSION and PRODUCTVERSION numbers. */
#define PARTELLO_VERSION_NUMBERS 1, 3, 3, 19
/* The help document's version line. */
#define PARTELLO_HELP_VERSION "1.3.3"
/* The About box's link, the help document and the package's home page. */
#define PARTELLO_WEB_ADDRESS "http://partello.example.org/"

#endif
