#include "skinpictures.h"

#include "skinstyle.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QString>
#include <QTransform>

#include <array>
#include <cmath>

namespace Skin {
namespace {

// The little man, in the coordinates of his own area (65 x 112).
constexpr QPointF kHeadCentre{32.5, 40};
constexpr qreal kHeadRadius = 11;
constexpr QRectF kTorso{27, 50, 11, 34};
constexpr QPointF kShoulderLeft{31, 57};
constexpr QPointF kShoulderRight{34, 57};
constexpr QPointF kHandLeft{11.5, 76};
constexpr QPointF kHandRight{53.5, 76};
constexpr QPointF kHipLeft{30, 81};
constexpr QPointF kHipRight{35, 81};
constexpr QPointF kFootLeft{21, 105};
constexpr QPointF kFootRight{44, 105};

// The gallows, in the coordinates of the drawing area (165 x 195).
constexpr QRectF kBase{6, 178, 153, 12};
constexpr QRectF kPost{22, 19, 12, 160};
constexpr QRectF kBeam{14, 19, 118, 11};
constexpr qreal kRopeX = kFigureOffset.x() + kHeadCentre.x();
constexpr qreal kRopeWidth = 4;
// The rope ends on the top of the head's outline, a little inside it so that
// no gap shows between them.
constexpr qreal kHeadTopInGallows =
    kFigureOffset.y() + kHeadCentre.y() - kHeadRadius - kOutlineWidth / 2;
constexpr qreal kRopeEnd = kHeadTopInGallows + 1.25;

void paintGrain(QPainter& painter, const QRectF& plank, bool vertical)
{
    painter.setPen(QPen(Palette::kWoodGrain, 0.7, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const qreal length = vertical ? plank.height() : plank.width();
    const qreal across = vertical ? plank.width() : plank.height();
    const auto at = [&](qreal along, qreal side) {
        return vertical ? QPointF(plank.left() + side, plank.top() + along)
                        : QPointF(plank.left() + along, plank.top() + side);
    };
    // Two long, gently waving grain lines and a short one.
    const std::array<qreal, 3> sides{across * 0.3, across * 0.62, across * 0.8};
    const std::array<qreal, 3> phases{0.0, 1.7, 3.1};
    for (std::size_t i = 0; i < sides.size(); ++i) {
        const qreal start = i == 2 ? length * 0.15 : 3;
        const qreal end = i == 2 ? length * 0.55 : length - 3;
        QPainterPath grain(at(start, sides[i]));
        for (qreal s = start; s <= end; s += 2) {
            grain.lineTo(at(s, sides[i] + 0.45 * std::sin(s / 9 + phases[i])));
        }
        painter.drawPath(grain);
    }
    // A knot in the wood.
    const QPointF knot = at(length * 0.7, across * 0.45);
    painter.drawEllipse(knot, vertical ? across * 0.16 : 2.6, vertical ? 2.6 : across * 0.16);
}

// A wooden plank: warm gradient across its width, grain, dark outline.
void paintPlank(QPainter& painter, const QRectF& plank, bool vertical)
{
    QPainterPath shape;
    shape.addRoundedRect(plank, 2.5, 2.5);
    QLinearGradient gradient(vertical ? QPointF(plank.left(), 0) : QPointF(0, plank.top()),
                             vertical ? QPointF(plank.right(), 0) : QPointF(0, plank.bottom()));
    gradient.setColorAt(0, Palette::kWoodLight);
    gradient.setColorAt(0.45, Palette::kWoodMid);
    gradient.setColorAt(1, Palette::kWoodDark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawPath(shape);

    painter.save();
    painter.setClipPath(shape, Qt::IntersectClip);
    paintGrain(painter, plank, vertical);
    painter.restore();

    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(Palette::kWoodOutline, kOutlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(shape);
}

void paintBolt(QPainter& painter, QPointF centre)
{
    QRadialGradient gradient(centre - QPointF(0.5, 0.5), 2.2);
    gradient.setColorAt(0, QColor(190, 184, 178));
    gradient.setColorAt(1, Palette::kBolt);
    painter.setPen(QPen(Palette::kWoodOutline, 0.8));
    painter.setBrush(gradient);
    painter.drawEllipse(centre, 1.7, 1.7);
}

void paintBase(QPainter& painter)
{
    // A soft shadow on the ground, then the plank.
    QRadialGradient shadow(QPointF(kBase.center().x(), kBase.bottom()), kBase.width() / 2);
    shadow.setColorAt(0, QColor(40, 90, 70, 90));
    shadow.setColorAt(1, QColor(40, 90, 70, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.save();
    painter.translate(kBase.center().x(), kBase.bottom() + 0.5);
    painter.scale(1, 0.08);
    painter.drawEllipse(QPointF(), kBase.width() / 2 + 2, kBase.width() / 2 + 2);
    painter.restore();

    paintPlank(painter, kBase, false);
    // Pegs holding the plank to the ground.
    paintBolt(painter, QPointF(kBase.left() + 5, kBase.center().y()));
    paintBolt(painter, QPointF(kBase.right() - 5, kBase.center().y()));
}

void paintPost(QPainter& painter)
{
    paintPlank(painter, kPost, true);
    paintBolt(painter, QPointF(kPost.center().x(), kPost.bottom() - 6));
}

void paintRope(QPainter& painter)
{
    const QRectF rope(kRopeX - kRopeWidth / 2, kBeam.top() + 4, kRopeWidth,
                      kRopeEnd - kBeam.top() - 4);
    QLinearGradient gradient(rope.left(), 0, rope.right(), 0);
    gradient.setColorAt(0, Palette::kRopeLight);
    gradient.setColorAt(1, Palette::kRopeDark);
    QPainterPath shape;
    shape.addRect(rope);
    fillOutlined(painter, shape, gradient, Palette::kRopeOutline, 1.1);

    // The twist of the strands.
    painter.save();
    painter.setClipRect(rope);
    painter.setPen(QPen(Palette::kRopeOutline.lighter(150), 0.6));
    for (qreal y = rope.top(); y < rope.bottom() + 4; y += 2.4) {
        painter.drawLine(QPointF(rope.left(), y), QPointF(rope.right(), y - 2.2));
    }
    painter.restore();

    // The knot of the noose: turns of rope wound around it just above the head.
    const QRectF knot(kRopeX - 4, kRopeEnd - 14, 8, 10);
    QPainterPath knotShape;
    knotShape.addRoundedRect(knot, 2.5, 2.5);
    QLinearGradient knotGradient(knot.left(), 0, knot.right(), 0);
    knotGradient.setColorAt(0, Palette::kRopeLight);
    knotGradient.setColorAt(1, Palette::kRopeDark);
    fillOutlined(painter, knotShape, knotGradient, Palette::kRopeOutline, 1.1);
    painter.setPen(QPen(Palette::kRopeOutline, 0.7, Qt::SolidLine, Qt::RoundCap));
    for (qreal y = knot.top() + 2.5; y < knot.bottom() - 1; y += 2.5) {
        painter.drawLine(QPointF(knot.left() + 0.8, y), QPointF(knot.right() - 0.8, y + 0.6));
    }
}

void paintTop(QPainter& painter)
{
    // The diagonal brace runs from the post's side up to the beam; it is cut
    // along the post's outline so the post's edge stays visible.
    painter.save();
    painter.setClipRect(QRectF(kPost.right() + kOutlineWidth / 2, 0, 200, 200));
    const QPointF braceLow(kPost.right() - 2, 68);
    const QPointF braceHigh(kPost.right() + 38, kBeam.bottom() - 4);
    QPainterPath brace = strokeShape(line(braceLow, braceHigh), 8, Qt::FlatCap);
    QLinearGradient gradient(braceLow, braceLow + QPointF(4, 4));
    gradient.setColorAt(0, Palette::kWoodLight);
    gradient.setColorAt(1, Palette::kWoodMid);
    fillOutlined(painter, brace, gradient, Palette::kWoodOutline);
    painter.setPen(QPen(Palette::kWoodGrain, 0.7));
    painter.drawLine(braceLow + QPointF(1, -1), braceHigh + QPointF(1, -1));
    painter.restore();
    paintBolt(painter, QPointF(kPost.right() + 4, 62));

    paintPlank(painter, kBeam, false);
    paintBolt(painter, QPointF(kPost.center().x(), kBeam.center().y()));
    paintBolt(painter, QPointF(braceHigh.x() - 2, kBeam.center().y()));

    // The corbelet itself, perched at the end of the beam, watching.
    paintCrow(painter, QPointF(kBeam.right() - 13, kBeam.top() + 0.5), 18, false);
}

QPainterPath roundCapStroke(QPointF from, QPointF to, qreal width)
{
    return strokeShape(line(from, to), width);
}

void paintArm(QPainter& painter, QPointF shoulder, QPointF hand)
{
    QLinearGradient gradient(shoulder, hand);
    gradient.setColorAt(0, Palette::kShirtLight);
    gradient.setColorAt(1, Palette::kShirtDark);
    fillOutlined(painter, roundCapStroke(shoulder, hand, 6), gradient, Palette::kFigureOutline);
    // The hand, slightly beyond the sleeve.
    const QPointF direction =
        (hand - shoulder) / std::hypot(hand.x() - shoulder.x(), hand.y() - shoulder.y());
    QPainterPath palm;
    palm.addEllipse(hand + direction * 2.5, 3.4, 3.4);
    fillOutlined(painter, palm, Palette::kSkin, Palette::kFigureOutline);
}

void paintBody(QPainter& painter)
{
    QPainterPath shirt;
    shirt.addRoundedRect(kTorso, 4.5, 4.5);
    QLinearGradient gradient(kTorso.left(), 0, kTorso.right(), 0);
    gradient.setColorAt(0, Palette::kShirtLight);
    gradient.setColorAt(1, Palette::kShirtDark);
    fillOutlined(painter, shirt, gradient, Palette::kFigureOutline);
    // Three buttons down the shirt.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    for (const qreal y : {kTorso.top() + 10, kTorso.top() + 17, kTorso.top() + 24}) {
        painter.drawEllipse(QPointF(kTorso.center().x(), y), 1.1, 1.1);
    }
}

void paintLeg(QPainter& painter, QPointF hip, QPointF foot, bool toLeft)
{
    // The trouser leg comes out from under the shirt: it is cut along the
    // shirt's hem so the hem's outline stays visible.
    painter.save();
    painter.setClipRect(QRectF(0, kTorso.bottom() + kOutlineWidth / 2, 200, 200));
    QLinearGradient gradient(hip, foot);
    gradient.setColorAt(0, Palette::kTrousersLight);
    gradient.setColorAt(1, Palette::kTrousers);
    fillOutlined(painter, roundCapStroke(hip, foot, 6.5), gradient, Palette::kFigureOutline);
    painter.restore();

    // The shoe, pointing outwards.
    QPainterPath shoe;
    const qreal side = toLeft ? -1 : 1;
    shoe.moveTo(foot + QPointF(-3 * side, -2));
    shoe.cubicTo(foot + QPointF(2 * side, -3.5), foot + QPointF(7 * side, -1.5),
                 foot + QPointF(7 * side, 1.5));
    shoe.cubicTo(foot + QPointF(7 * side, 3.5), foot + QPointF(-3 * side, 3.5),
                 foot + QPointF(-3.5 * side, 1.5));
    shoe.closeSubpath();
    fillOutlined(painter, shoe, Palette::kShoe, Palette::kFigureOutline);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 80));
    painter.drawEllipse(foot + QPointF(3.5 * side, -0.8), 1.6, 0.8);
}

void paintHead(QPainter& painter)
{
    QPainterPath head;
    head.addEllipse(kHeadCentre, kHeadRadius, kHeadRadius);
    QRadialGradient gradient(kHeadCentre - QPointF(3, 4), kHeadRadius * 1.4);
    gradient.setColorAt(0, Palette::kSkin.lighter(106));
    gradient.setColorAt(1, Palette::kSkin.darker(108));
    fillOutlined(painter, head, gradient, Palette::kFigureOutline);

    const qreal cx = kHeadCentre.x();
    const qreal cy = kHeadCentre.y();
    // A cap of brown hair with a wavy fringe, inside the head's outline.
    painter.save();
    painter.setClipPath(head);
    QPainterPath hair(QPointF(cx - kHeadRadius - 1, cy - 1));
    hair.quadTo(cx - 10, cy - 6, cx - 7, cy - 7.5);
    hair.quadTo(cx - 4.5, cy - 6, cx - 2.5, cy - 8);
    hair.quadTo(cx, cy - 6.2, cx + 2.5, cy - 8);
    hair.quadTo(cx + 4.5, cy - 6, cx + 7, cy - 7.5);
    hair.quadTo(cx + 10, cy - 6, cx + kHeadRadius + 1, cy - 1);
    hair.lineTo(cx + kHeadRadius + 1, cy - kHeadRadius - 2);
    hair.lineTo(cx - kHeadRadius - 1, cy - kHeadRadius - 2);
    hair.closeSubpath();
    fillOutlined(painter, hair, Palette::kHair, Palette::kFigureOutline, 0.9);
    painter.restore();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Palette::kFigureOutline, kOutlineWidth));
    painter.drawPath(head);
    // Rosy cheeks.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::kCheek);
    painter.drawEllipse(QPointF(cx - 6.5, cy + 3.2), 2.4, 1.6);
    painter.drawEllipse(QPointF(cx + 6.5, cy + 3.2), 2.4, 1.6);
    // Round eyes with a glint: surprised rather than frightened.
    for (const qreal side : {-1.0, 1.0}) {
        const QPointF eye(cx + side * 3.8, cy - 1.2);
        painter.setBrush(Palette::kFigureOutline);
        painter.drawEllipse(eye, 1.6, 2.1);
        painter.setBrush(Qt::white);
        painter.drawEllipse(eye + QPointF(0.5, -0.7), 0.6, 0.6);
    }
    // Raised eyebrows and a small "oh" of a mouth.
    painter.setPen(QPen(Palette::kFigureOutline, 0.9, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(cx - 6.3, cy - 5.6, 4.4, 2.6), 30 * 16, 120 * 16);
    painter.drawArc(QRectF(cx + 1.9, cy - 5.6, 4.4, 2.6), 30 * 16, 120 * 16);
    painter.setPen(QPen(Palette::kFigureOutline, 0.8));
    painter.setBrush(QColor(170, 60, 60));
    painter.drawEllipse(QPointF(cx, cy + 5), 1.5, 1.8);
}

} // namespace

void paintCrow(QPainter& painter, QPointF feet, qreal height, bool facingRight)
{
    // Drawn in a 100-unit box, looking right, feet at (50, 100).
    const qreal k = height / 100;
    const qreal outline = kOutlineWidth / k;
    painter.save();
    painter.translate(feet);
    painter.scale(facingRight ? k : -k, k);
    painter.translate(-50, -100);

    // Legs and toes.
    painter.setPen(QPen(Palette::kBeakOutline, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(45, 80), QPointF(44, 98));
    painter.drawLine(QPointF(57, 80), QPointF(57, 98));
    painter.setPen(QPen(Palette::kBeak, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(45, 80), QPointF(44, 98));
    painter.drawLine(QPointF(57, 80), QPointF(57, 98));
    painter.setPen(QPen(Palette::kBeakOutline, 3.5, Qt::SolidLine, Qt::RoundCap));
    for (const qreal x : {44.0, 57.0}) {
        painter.drawLine(QPointF(x - 5, 100), QPointF(x + 6, 100));
    }

    // Tail, body and head as one dark silhouette.
    QPainterPath tail;
    tail.moveTo(36, 58);
    tail.lineTo(4, 74);
    tail.lineTo(7, 82);
    tail.lineTo(13, 80);
    tail.lineTo(14, 88);
    tail.lineTo(40, 76);
    tail.closeSubpath();
    QPainterPath body;
    body.addEllipse(QPointF(), 29, 22);
    body = QTransform().translate(52, 62).rotate(-18).map(body);
    QPainterPath head;
    head.addEllipse(QPointF(72, 32), 20, 20);
    QPainterPath tuft;
    tuft.moveTo(62, 16);
    tuft.quadTo(58, 6, 61, 1);
    tuft.quadTo(66, 8, 68, 12);
    tuft.quadTo(70, 3, 75, 0);
    tuft.quadTo(75, 8, 75, 13);
    tuft.closeSubpath();
    const QPainterPath silhouette = tail.united(body).united(head).united(tuft);
    QLinearGradient gradient(0, 10, 0, 86);
    gradient.setColorAt(0, Palette::kCrowLight);
    gradient.setColorAt(1, Palette::kCrowDark);
    fillOutlined(painter, silhouette, gradient, Palette::kCrowOutline, outline);

    // Wing folded on the body.
    QPainterPath wing;
    wing.moveTo(30, 56);
    wing.cubicTo(44, 44, 62, 46, 68, 58);
    wing.cubicTo(64, 70, 50, 78, 32, 76);
    wing.quadTo(36, 70, 30, 56);
    fillOutlined(painter, wing, Palette::kCrowWing, Palette::kCrowOutline, outline * 0.7);
    painter.setPen(QPen(Palette::kCrowOutline, outline * 0.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(40, 66), QPointF(56, 64));
    painter.drawLine(QPointF(38, 71), QPointF(52, 70));

    // Beak.
    QPainterPath beak;
    beak.moveTo(86, 24);
    beak.quadTo(100, 28, 108, 35);
    beak.quadTo(98, 40, 86, 42);
    beak.closeSubpath();
    fillOutlined(painter, beak, Palette::kBeak, Palette::kBeakOutline, outline * 0.8);
    painter.setPen(QPen(Palette::kBeakOutline, outline * 0.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(88, 34), QPointF(104, 35));

    // A big friendly eye.
    painter.setPen(QPen(Palette::kCrowOutline, outline * 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(77, 27), 8, 8.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::kCrowOutline);
    painter.drawEllipse(QPointF(79.5, 28), 4.2, 4.6);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(81, 26), 1.6, 1.6);
    painter.restore();
}

QImage paintGallowsPiece(GallowsPiece piece)
{
    QImage image = transparentImage(kGallowsSize, kPictureScale);
    QPainter painter(&image);
    preparePainter(painter, kPictureScale);
    switch (piece) {
    case GallowsPiece::Bas:
        paintBase(painter);
        break;
    case GallowsPiece::Coter:
        paintPost(painter);
        break;
    case GallowsPiece::Pendu:
        paintRope(painter);
        break;
    case GallowsPiece::Haut:
        paintTop(painter);
        break;
    }
    return image;
}

QImage paintFigurePiece(FigurePiece piece)
{
    QImage image = transparentImage(kFigureSize, kPictureScale);
    QPainter painter(&image);
    preparePainter(painter, kPictureScale);
    switch (piece) {
    case FigurePiece::Bras1:
        paintArm(painter, kShoulderLeft, kHandLeft);
        break;
    case FigurePiece::Bras2:
        paintArm(painter, kShoulderRight, kHandRight);
        break;
    case FigurePiece::Corps:
        paintBody(painter);
        break;
    case FigurePiece::Jambe1:
        paintLeg(painter, kHipLeft, kFootLeft, true);
        break;
    case FigurePiece::Jambe2:
        paintLeg(painter, kHipRight, kFootRight, false);
        break;
    case FigurePiece::Tete:
        paintHead(painter);
        break;
    }
    return image;
}

namespace {

QFont titleFont(qreal pixelSize, bool italic)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setWeight(QFont::Black);
    font.setBold(true);
    font.setItalic(italic);
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// The word as one path whose letters bounce: each is tilted and raised or
// lowered a little, alternately.
QPainterPath bouncingWord(const QString& word, const QFont& font, QPointF centre)
{
    const QFontMetricsF metrics(font);
    qreal width = 0;
    for (const QChar letter : word) {
        width += metrics.horizontalAdvance(letter) - 1;
    }
    QPainterPath path;
    qreal x = centre.x() - width / 2;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const qreal advance = metrics.horizontalAdvance(word[i]);
        QPainterPath letter;
        letter.addText(-advance / 2, 0, font, QString(word[i]));
        const bool up = i % 2 == 0;
        const QTransform place = QTransform()
                                     .translate(x + advance / 2, centre.y() + (up ? -1.5 : 1.5))
                                     .rotate(up ? -5 : 4);
        path.addPath(place.map(letter));
        x += advance - 1;
    }
    return path;
}

void paintLettering(QPainter& painter, const QPainterPath& text, qreal outline, qreal top,
                    qreal bottom)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::kLogoShadow);
    painter.drawPath(text.translated(1.5, 2.5));

    painter.setPen(
        QPen(Palette::kLogoOutline, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(text);

    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, Palette::kLogoFillTop);
    gradient.setColorAt(1, Palette::kLogoFillBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawPath(text);
}

} // namespace

QImage paintLogo()
{
    QImage image = transparentImage(kLogoSize, kPictureScale);
    QPainter painter(&image);
    preparePainter(painter, kPictureScale);

    const QPainterPath title =
        bouncingWord(QStringLiteral("Corbelet"), titleFont(42, false), QPointF(104, 60));
    const QRectF titleBounds = title.boundingRect();
    paintLettering(painter, title, 5, titleBounds.top(), titleBounds.bottom());

    QPainterPath subtitle;
    const QFont small = titleFont(13, true);
    const QString tagline = QStringLiteral("le jeu du pendu");
    const qreal taglineWidth = QFontMetricsF(small).horizontalAdvance(tagline);
    subtitle.addText(104 - taglineWidth / 2, 81, small, tagline);
    painter.setPen(QPen(Palette::kLogoOutline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(subtitle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(subtitle);

    // The corbelet perched on the word's first letter.
    paintCrow(painter, QPointF(titleBounds.left() + 15, titleBounds.top() + 3), 28, true);
    return image;
}

void paintCrowBadge(QPainter& painter, QPointF centre, qreal radius)
{
    const qreal unit = radius / 27;
    QRadialGradient gradient(centre - QPointF(6, 8) * unit, 34 * unit);
    gradient.setColorAt(0, QColor(255, 252, 226));
    gradient.setColorAt(1, QColor(255, 222, 128));
    QPainterPath badge;
    badge.addEllipse(centre, radius, radius);
    fillOutlined(painter, badge, gradient, QColor(120, 24, 24), 2.5 * unit);
    paintCrow(painter, centre + QPointF(-2, 21) * unit, 36 * unit, true);
}

QImage paintInfoIcon()
{
    QImage image = transparentImage(kInfoIconSize, kPictureScale);
    QPainter painter(&image);
    preparePainter(painter, kPictureScale);
    // The badge keeps to the left of the picture, where the panel's texts do
    // not cover it.
    paintCrowBadge(painter, QPointF(32, 42), 27);
    return image;
}

} // namespace Skin
