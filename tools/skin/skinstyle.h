// Colours and drawing helpers shared by every picture of the skin, so that the
// gallows, the little man, the crow and the button glyphs share one cartoon
// style: flat colours with a soft gradient, a dark outline of constant width.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSize>

namespace Skin {

// The PNG pictures are painted at twice the size they are shown at, so that
// they stay sharp on a screen with a device pixel ratio of 2.
constexpr int PictureScale = 2;

// Width of every outline, in on-screen pixels (before PictureScale).
constexpr qreal OutlineWidth = 1.5;

namespace Palette {
inline const QColor WoodLight{214, 156, 92};
inline const QColor WoodMid{184, 120, 60};
inline const QColor WoodDark{150, 94, 42};
inline const QColor WoodOutline{84, 46, 18};
inline const QColor WoodGrain{112, 62, 24, 110};
inline const QColor Bolt{92, 84, 80};

inline const QColor RopeLight{238, 204, 136};
inline const QColor RopeDark{196, 152, 78};
inline const QColor RopeOutline{110, 78, 30};

inline const QColor FigureOutline{43, 40, 56};
inline const QColor Skin{255, 217, 179};
inline const QColor Hair{132, 78, 40};
inline const QColor Cheek{255, 128, 128, 120};
inline const QColor ShirtLight{84, 150, 230};
inline const QColor ShirtDark{52, 110, 196};
inline const QColor Trousers{52, 64, 107};
inline const QColor TrousersLight{72, 88, 140};
inline const QColor Shoe{96, 60, 34};

inline const QColor CrowLight{86, 86, 118};
inline const QColor CrowDark{36, 36, 54};
inline const QColor CrowWing{64, 64, 94};
inline const QColor CrowOutline{20, 20, 30};
inline const QColor Beak{247, 166, 32};
inline const QColor BeakOutline{140, 78, 10};

inline const QColor LogoFillTop{255, 250, 196};
inline const QColor LogoFillBottom{255, 206, 48};
inline const QColor LogoOutline{86, 34, 8};
inline const QColor LogoShadow{120, 40, 0, 120};

// Face of a push button; the lower-left pixel of every glyph has this colour.
inline const QColor ButtonFace{240, 240, 240};
} // namespace Palette

// A transparent ARGB picture of `size` on-screen pixels, painted at `scale`.
// The painter works in on-screen pixels.
inline QImage transparentImage(QSize size, int scale)
{
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

inline void preparePainter(QPainter& painter, int scale)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    painter.scale(scale, scale);
}

// Fills `shape` and draws its outline, centred on its edge.
inline void fillOutlined(QPainter& painter, const QPainterPath& shape, const QBrush& fill,
                         const QColor& outline, qreal width = OutlineWidth)
{
    painter.setPen(QPen(outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(shape);
}

// The outline of a stroke of `width` along `centreLine`, as one closed shape.
inline QPainterPath strokeShape(const QPainterPath& centreLine, qreal width,
                                Qt::PenCapStyle cap = Qt::RoundCap)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centreLine).simplified();
}

inline QPainterPath line(QPointF from, QPointF to)
{
    QPainterPath path(from);
    path.lineTo(to);
    return path;
}

} // namespace Skin
