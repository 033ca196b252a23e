#ifndef TEXTFERRO_PROGRAMINFO_H
#define TEXTFERRO_PROGRAMINFO_H

// --help and --version for the programs that parse their own command line. They
// are answered from argv alone, before any application object exists, so that
// they work without a display.

// The version of the TextFerro programs, as the build knows it ("0.1.0").
const char* textferroVersion();

// When any argument is --help or -h, prints `help` on standard output; when any
// is --version, prints "<program> <version>". Returns true if it printed either
// (the program then exits with 0), false if neither was asked for.
bool answerHelpOrVersion(int argc, char** argv, const char* program, const char* help);

#endif
