#ifndef TEXTFERRO_TULIPSETUP_H
#define TEXTFERRO_TULIPSETUP_H

// Initialises the graph library for this program. Our plug-ins register
// themselves statically; no plug-in directory is ever loaded.
void initTulip();

#endif
