// The bitmap glyphs of the buttons, painted at their on-screen size (1x) on
// the button face colour, which is also their lower-left pixel so that the
// face can be keyed out as a transparent colour. Two-state glyphs hold the
// normal image and the disabled (greyed) one side by side.
#pragma once

#include <QImage>

namespace Skin {

QImage glyphFermer();  // 48 x 24: a red cross, normal then disabled.
QImage glyphCfg();     // 24 x 24: a gear.
QImage glyphMot();     // 20 x 20: a green "next" arrow.
QImage glyphValid();   // 36 x 18: a green check mark, normal then disabled.
QImage glyphSave();    // 36 x 18: a floppy disk, normal then disabled.
QImage glyphOpenSon(); // 16 x 16: a folder with a musical note.

} // namespace Skin
