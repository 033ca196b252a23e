#include "dataset/ProgramInfo.h"

#include <cstring>
#include <iostream>

const char* textferroVersion() {
  return TEXTFERRO_VERSION;
}

bool answerHelpOrVersion(int argc, char** argv, const char* program, const char* help) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << help << std::flush;
      return true;
    }
  }
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << program << ' ' << textferroVersion() << std::endl;
      return true;
    }
  }
  return false;
}
