#pragma once

// The two properties that the windows' form files (game/tpendform.ui,
// config/tcfgjeu.ui) give their controls beyond Qt's own; shared by the two
// windows.

class QObject;
class QWidget;

// A control's Tag: a number the window's code reads, and the game window also
// writes (its panel's OK and its countdown keep their state in it); 0 when the
// form gives the control none.
int tagOf(const QObject* control);
void setTag(QObject* control, int tag);

// Designer gives font sizes in points only, and the windows are laid out in
// pixels: beside a font of its own size a form gives the size in pixels, the
// property kFontPixelSize (the font's point size is the nearest one, for
// Designer's view of the form). Sets those sizes on the form and its
// controls, parents first; call it right after setupUi.
inline constexpr char kFontPixelSize[] = "fontPixelSize";
void applyFontPixelSizes(QWidget* form);
