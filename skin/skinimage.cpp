#include "skin/skinimage.h"

#include <QImageReader>

QImage readSkinImage(const QString& path, const char* format, const QSize& fitIn, QSize* ownSize,
                     QString* error)
{
    QImage image;
    for (const bool guess : {false, true}) {
        QImageReader reader(path, format);
        reader.setAutoDetectImageFormat(guess);
        const QSize size = reader.size();
        if (ownSize != nullptr)
            *ownSize = size;
        // Decoded at the size it is shown at (the reader scales smoothly).
        if (fitIn.isValid() && size.isValid())
            reader.setScaledSize(size.scaled(fitIn, Qt::KeepAspectRatio));
        image = reader.read();
        if (!image.isNull())
            break;
        if (error != nullptr)
            *error = reader.errorString();
    }
    return image;
}
