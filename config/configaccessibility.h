#pragma once

// What the configuration window tells assistive technologies beyond Qt's own
// interfaces.

// Installs, once per process, the interface of the drop-down lists that
// cannot be typed into: Qt's own reads a drop-down's value as its name on
// Linux, so that three of the window's read "Pas d'importance" alike; here
// the name is the list's own accessible name (what its label says) and the
// value is the chosen entry.
void installConfigAccessibleInterfaces();
