#include "skinicons.h"

#include "skinpictures.h"
#include "skinstyle.h"

#include <QSvgGenerator>

#include <stdexcept>

namespace Skin {

namespace {

// The icon is drawn in a 64-unit square, the badge filling it but for a
// margin that keeps its outline whole.
constexpr qreal kIconUnits = 64;

void paintIcon(QPainter& painter, qreal pixels)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(pixels / kIconUnits, pixels / kIconUnits);
    paintCrowBadge(painter, QPointF(32, 32), 29.5);
}

} // namespace

QImage paintAppIcon(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintIcon(painter, pixels);
    return image;
}

void writeScalableAppIcon(const QString& path)
{
    constexpr int pixels = 256;
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(QSize(pixels, pixels));
    generator.setViewBox(QRect(0, 0, pixels, pixels));
    generator.setTitle(QStringLiteral("Corbelet"));
    generator.setDescription(QStringLiteral("Le corbeau de Corbelet, le jeu du pendu"));
    QPainter painter;
    if (!painter.begin(&generator))
        throw std::runtime_error("cannot write " + path.toStdString());
    paintIcon(painter, pixels);
    if (!painter.end())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace Skin
