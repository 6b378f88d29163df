#include "skin/buttonglyph.h"

#include <QBitmap>
#include <QPixmap>

namespace {

QPixmap transparentPixmap(const QImage& image)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(
        pixmap.createMaskFromColor(image.pixelColor(0, image.height() - 1), Qt::MaskInColor));
    return pixmap;
}

} // namespace

ButtonGlyph buttonGlyph(const QImage& bitmap, bool twoStates)
{
    ButtonGlyph glyph;
    if (bitmap.isNull())
        return glyph;
    if (twoStates && bitmap.width() >= 2) {
        const int width = bitmap.width() / 2;
        const QImage normal = bitmap.copy(0, 0, width, bitmap.height());
        const QImage disabled = bitmap.copy(width, 0, width, bitmap.height());
        glyph.icon.addPixmap(transparentPixmap(normal), QIcon::Normal);
        glyph.icon.addPixmap(transparentPixmap(disabled), QIcon::Disabled);
        glyph.size = normal.size();
    } else {
        glyph.icon.addPixmap(transparentPixmap(bitmap), QIcon::Normal);
        glyph.size = bitmap.size();
    }
    return glyph;
}
