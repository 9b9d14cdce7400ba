#pragma once

class TCustomImageList;

// The themes' shared 16 x 16 glyphs: 0 the close cross, 1 maximise, 2 minimise, 3 restore.
// Held while any theme that draws them lives; each such theme acquires it once.
void AcquireThemeGlyphs();
void ReleaseThemeGlyphs();
const TCustomImageList *ThemeGlyphs();
// The glyph of a window button: close, minimise or restore; -1 for any other kind.
int WindowButtonGlyph(int buttonKind);
