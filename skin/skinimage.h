#pragma once

// Reading the skin's pictures, shared by both windows.

#include <QImage>
#include <QSize>
#include <QString>

// The picture of the file at path, decoded as format ("png", "bmp") and, when
// fitIn is valid, at the largest size that fits in it with its aspect ratio
// kept. Null when it cannot be decoded. Qt's image plug-ins (loaded, all of
// them, whenever the format is guessed from the content) are only asked when
// the file is not of its format. ownSize, when given, receives the file's own
// size. error, when given, receives why it could not be decoded.
QImage readSkinImage(const QString& path, const char* format, const QSize& fitIn = QSize(),
                     QSize* ownSize = nullptr, QString* error = nullptr);
