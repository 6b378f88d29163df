#include "skinglyphs.h"

#include "skinstyle.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <functional>
#include <numbers>

namespace Skin {
namespace {

using GlyphPainter = std::function<void(QPainter&)>;

QImage paintTransparent(int size, const GlyphPainter& paint)
{
    QImage image = transparentImage(QSize(size, size), 1);
    QPainter painter(&image);
    preparePainter(painter, 1);
    paint(painter);
    return image;
}

// The disabled look: the same glyph in light, flat greys.
QImage greyed(const QImage& glyph)
{
    QImage grey = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb pixel = line[x];
            const int level = 120 + qGray(pixel) * 45 / 100;
            line[x] = qRgba(level, level, level, qAlpha(pixel) * 3 / 4);
        }
    }
    return grey;
}

// The glyphs laid side by side on the button face, without alpha, ready to
// be written as a 24-bit bitmap.
QImage onButtonFace(std::initializer_list<QImage> states)
{
    int width = 0;
    int height = 0;
    for (const QImage& state : states) {
        width += state.width();
        height = std::max(height, state.height());
    }
    QImage flat(width, height, QImage::Format_RGB32);
    flat.fill(Palette::kButtonFace);
    QPainter painter(&flat);
    int x = 0;
    for (const QImage& state : states) {
        painter.drawImage(x, 0, state);
        x += state.width();
    }
    painter.end();
    // The corner pixel must be the face colour, whatever the glyph touches.
    flat.setPixelColor(0, height - 1, Palette::kButtonFace);
    return flat;
}

QImage twoStates(const QImage& glyph)
{
    return onButtonFace({glyph, greyed(glyph)});
}

QLinearGradient verticalGradient(qreal top, qreal bottom, const QColor& light, const QColor& dark)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, dark);
    return gradient;
}

void paintCross(QPainter& painter)
{
    QPainterPath cross = strokeShape(line({7, 7}, {17, 17}), 5);
    cross = cross.united(strokeShape(line({17, 7}, {7, 17}), 5));
    fillOutlined(painter, cross, verticalGradient(5, 19, QColor(240, 92, 80), QColor(196, 40, 32)),
                 QColor(110, 18, 12), 1.2);
}

void paintGear(QPainter& painter)
{
    const QPointF centre(12, 12);
    constexpr int teeth = 8;
    QPainterPath gear;
    for (int i = 0; i < teeth * 4; ++i) {
        // Each tooth: two points on the tip circle, two on the root circle.
        const qreal angle = (i - 0.5) * std::numbers::pi / (teeth * 2);
        const qreal radius = (i % 4 == 0 || i % 4 == 1) ? 10.3 : 7.9;
        const QPointF point = centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
        if (i == 0) {
            gear.moveTo(point);
        } else {
            gear.lineTo(point);
        }
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, 3.4, 3.4);
    gear = gear.subtracted(hole);
    fillOutlined(painter, gear, verticalGradient(2, 22, QColor(150, 168, 192), QColor(78, 94, 120)),
                 QColor(36, 44, 60), 1.1);
}

void paintNext(QPainter& painter)
{
    QPainterPath disc;
    disc.addEllipse(QPointF(10, 10), 8.6, 8.6);
    fillOutlined(painter, disc, verticalGradient(1, 19, QColor(108, 206, 110), QColor(40, 140, 60)),
                 QColor(22, 84, 34), 1.1);
    QPainterPath arrow;
    arrow.moveTo(8, 5.5);
    arrow.lineTo(14.5, 10);
    arrow.lineTo(8, 14.5);
    arrow.closeSubpath();
    fillOutlined(painter, arrow, Qt::white, Qt::white, 1.2);
}

void paintCheck(QPainter& painter)
{
    QPainterPath mark(QPointF(3.5, 9.5));
    mark.lineTo(7.5, 13.5);
    mark.lineTo(14.5, 4.5);
    fillOutlined(painter, strokeShape(mark, 3.6),
                 verticalGradient(3, 15, QColor(110, 214, 96), QColor(36, 150, 50)),
                 QColor(20, 86, 28), 1.1);
}

void paintFloppy(QPainter& painter)
{
    QPainterPath body;
    body.moveTo(1.5, 3);
    body.quadTo(1.5, 1.5, 3, 1.5);
    body.lineTo(13.5, 1.5);
    body.lineTo(16.5, 4.5);
    body.lineTo(16.5, 15);
    body.quadTo(16.5, 16.5, 15, 16.5);
    body.lineTo(3, 16.5);
    body.quadTo(1.5, 16.5, 1.5, 15);
    body.closeSubpath();
    fillOutlined(painter, body, verticalGradient(1, 17, QColor(86, 140, 226), QColor(40, 88, 176)),
                 QColor(20, 44, 100), 1);
    // The metal shutter with its window, and the paper label.
    QPainterPath shutter;
    shutter.addRect(QRectF(5, 1.5, 8, 5));
    fillOutlined(painter, shutter, QColor(214, 220, 228), QColor(20, 44, 100), 0.8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 70, 90));
    painter.drawRect(QRectF(10, 2.5, 1.8, 3));
    QPainterPath label;
    label.addRect(QRectF(4, 9.5, 10, 7));
    fillOutlined(painter, label, QColor(250, 250, 244), QColor(20, 44, 100), 0.8);
    painter.setPen(QPen(QColor(200, 80, 80), 0.8));
    painter.drawLine(QPointF(5.5, 12), QPointF(12.5, 12));
    painter.setPen(QPen(QColor(150, 160, 190), 0.8));
    painter.drawLine(QPointF(5.5, 14.5), QPointF(12.5, 14.5));
}

void paintFolderWithNote(QPainter& painter)
{
    QPainterPath back;
    back.moveTo(0.5, 4.5);
    back.lineTo(4.5, 4.5);
    back.lineTo(6, 6);
    back.lineTo(12.5, 6);
    back.lineTo(12.5, 14.5);
    back.lineTo(0.5, 14.5);
    back.closeSubpath();
    const QColor edge(136, 92, 10);
    fillOutlined(painter, back, QColor(226, 170, 48), edge, 1);
    QPainterPath front;
    front.moveTo(0.5, 14.5);
    front.lineTo(2.3, 8.5);
    front.lineTo(13.5, 8.5);
    front.lineTo(12.5, 14.5);
    front.closeSubpath();
    fillOutlined(painter, front,
                 verticalGradient(8, 15, QColor(255, 222, 110), QColor(244, 186, 56)), edge, 1);

    // A quaver beside the folder, with a pale halo so it reads over it.
    QPainterPath note;
    QPainterPath head;
    head.addEllipse(QPointF(), 2.1, 1.6);
    note.addPath(QTransform().translate(10.7, 12.7).rotate(-25).map(head));
    note.addPath(strokeShape(line({12.5, 12.2}, {12.5, 2}), 1.0, Qt::FlatCap));
    QPainterPath flag(QPointF(12.5, 2));
    flag.quadTo(13, 4, 14.5, 5.2);
    flag.quadTo(15, 6.6, 14, 8.2);
    note.addPath(strokeShape(flag, 1.1));
    note = note.simplified();
    painter.setPen(
        QPen(QColor(255, 255, 255, 220), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(note);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 40, 130));
    painter.drawPath(note);
}

} // namespace

QImage glyphFermer()
{
    return twoStates(paintTransparent(24, paintCross));
}

QImage glyphCfg()
{
    return onButtonFace({paintTransparent(24, paintGear)});
}

QImage glyphMot()
{
    return onButtonFace({paintTransparent(20, paintNext)});
}

QImage glyphValid()
{
    return twoStates(paintTransparent(18, paintCheck));
}

QImage glyphSave()
{
    return twoStates(paintTransparent(18, paintFloppy));
}

QImage glyphOpenSon()
{
    return onButtonFace({paintTransparent(16, paintFolderWithNote)});
}

} // namespace Skin
