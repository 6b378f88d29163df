#pragma once

// What the game window tells assistive technologies (screen readers, through
// the platform's accessibility bridge) beyond what Qt's own interfaces say.

#include "rules/hangmangame.h"

#include <QString>

#include <cstdint>
#include <string_view>

// The masked word as a screen reader reads it: its positions in reading
// order, a found letter as itself, a hidden one as "blanc", the hyphen and
// the apostrophe by their names, then the count of positions:
// "E, blanc, blanc, E, 4 lettres".
QString spokenWord(std::string_view maskedWord);

// The hangman drawing as one picture that says how far it has grown:
// "Potence : 3 erreurs sur 8".
QString spokenGallows(std::int32_t errors, std::int32_t limit);

// The short announcement of a pick, from its outcome and the word once the
// pick is counted: "E : 2 lettres trouvées", "S : erreur, 5 essais restants",
// "Temps écoulé : erreur, 5 essais restants" for a time-out, "Lettre déjà
// essayée" for a repeat; empty for an ignored pick.
QString spokenPick(char letter, PickOutcome::Status status, const WordInPlay& word,
                   std::int32_t errorLimit);

// Installs, once per process, the interfaces the game window needs of its
// own: the window is a window (not a mere panel) and the information panel
// an alert message, both without the pictures that only decorate them (the
// pieces of the drawing, the frames); the drawing's background is the one
// picture of the gallows, named by spokenGallows(); the announcers are
// notifications; and the countdown reads its current text as its description
// whenever asked, without a change notice every second (the window
// announces it only when "SonDecide" plays).
void installGameAccessibleInterfaces();
