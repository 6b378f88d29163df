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
constexpr int kPictureScale = 2;

// Width of every outline, in on-screen pixels (before kPictureScale).
constexpr qreal kOutlineWidth = 1.5;

namespace Palette {
inline const QColor kWoodLight{214, 156, 92};
inline const QColor kWoodMid{184, 120, 60};
inline const QColor kWoodDark{150, 94, 42};
inline const QColor kWoodOutline{84, 46, 18};
inline const QColor kWoodGrain{112, 62, 24, 110};
inline const QColor kBolt{92, 84, 80};

inline const QColor kRopeLight{238, 204, 136};
inline const QColor kRopeDark{196, 152, 78};
inline const QColor kRopeOutline{110, 78, 30};

inline const QColor kFigureOutline{43, 40, 56};
inline const QColor kSkin{255, 217, 179};
inline const QColor kHair{132, 78, 40};
inline const QColor kCheek{255, 128, 128, 120};
inline const QColor kShirtLight{84, 150, 230};
inline const QColor kShirtDark{52, 110, 196};
inline const QColor kTrousers{52, 64, 107};
inline const QColor kTrousersLight{72, 88, 140};
inline const QColor kShoe{96, 60, 34};

inline const QColor kCrowLight{86, 86, 118};
inline const QColor kCrowDark{36, 36, 54};
inline const QColor kCrowWing{64, 64, 94};
inline const QColor kCrowOutline{20, 20, 30};
inline const QColor kBeak{247, 166, 32};
inline const QColor kBeakOutline{140, 78, 10};

inline const QColor kLogoFillTop{255, 250, 196};
inline const QColor kLogoFillBottom{255, 206, 48};
inline const QColor kLogoOutline{86, 34, 8};
inline const QColor kLogoShadow{120, 40, 0, 120};

// Face of a push button; the lower-left pixel of every glyph has this colour.
inline const QColor kButtonFace{240, 240, 240};
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
                         const QColor& outline, qreal width = kOutlineWidth)
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
