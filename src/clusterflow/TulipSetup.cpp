#include "clusterflow/TulipSetup.h"

#include <tulip/TlpTools.h>

#include <cstdlib>

void initTulip() {
  // On merged-/usr systems the library is loaded from /lib and guesses a wrong
  // share directory (fonts for labels then fail to load). Point it at the
  // installed location unless the user chose one.
  ::setenv("TLP_DIR", TEXTFERRO_TULIP_LIBRARIES_DIR "/", 0);
  tlp::initTulipLib(nullptr);
}
