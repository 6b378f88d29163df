#pragma once

// Button glyphs from the skin's Windows bitmaps, shared by the two windows.

#include <QIcon>
#include <QImage>
#include <QSize>

struct ButtonGlyph
{
    QIcon icon;
    QSize size; // the size of one image, as it is shown
};

// The bitmap's bottom-left pixel gives its transparent colour, as bitmap
// buttons have always drawn their glyphs. With twoStates the bitmap holds two
// images of equal width side by side: normal, then disabled.
ButtonGlyph buttonGlyph(const QImage& bitmap, bool twoStates);
