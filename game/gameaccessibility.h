#pragma once

// What the game window tells assistive technologies (screen readers, through
// the platform's accessibility bridge) beyond what Qt's own interfaces say.

#include <QString>

#include <string_view>

// The masked word as a screen reader reads it: its positions in reading
// order, a found letter as itself, a hidden one as "blanc", the hyphen and
// the apostrophe by their names, then the count of positions:
// "E, blanc, blanc, E, 4 lettres".
QString spokenWord(std::string_view maskedWord);

// Installs, once per process, the interfaces the game window needs of its
// own: the window is a window (not a mere panel), the information panel an
// alert message, and the countdown reads its current text as its description
// whenever asked, without a change notice every second (the window announces
// it only when "SonDecide" plays).
void installGameAccessibleInterfaces();
