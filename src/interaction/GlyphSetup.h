#ifndef TEXTFERRO_GLYPHSETUP_H
#define TEXTFERRO_GLYPHSETUP_H

// Makes the station glyphs known to the graph library's glyph tables and gives
// its texture manager a loader. Call it once after initTulip() and before the
// first graph view is built: a view built earlier has no name for id 14.
void initGlyphs();

#endif
