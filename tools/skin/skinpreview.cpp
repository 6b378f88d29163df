#include "skinpreview.h"

#include "skinstyle.h"

#include <QFont>
#include <QPainter>
#include <QRect>

#include <initializer_list>
#include <stdexcept>

namespace Skin {
namespace {

constexpr QSize kWindowSize{484, 365};
constexpr int kGap = 16;
const QColor kWindowColour{255, 128, 64};

const QImage& file(const std::map<QString, QImage>& files, const QString& name)
{
    const auto found = files.find(name);
    if (found == files.end()) {
        throw std::runtime_error("missing skin picture " + name.toStdString());
    }
    return found->second;
}

QFont font(const QString& family, int pixelSize, bool bold)
{
    QFont result(family);
    result.setPixelSize(pixelSize);
    result.setBold(bold);
    return result;
}

// The glyph as a button shows it: the lower-left pixel's colour keyed out,
// and for a two-state glyph only its first (normal) half.
QImage keyedGlyph(const QImage& bitmap, bool twoStates)
{
    QImage glyph =
        bitmap.copy(0, 0, twoStates ? bitmap.width() / 2 : bitmap.width(), bitmap.height())
            .convertToFormat(QImage::Format_ARGB32);
    const QRgb key = bitmap.pixel(0, bitmap.height() - 1);
    for (int y = 0; y < glyph.height(); ++y) {
        for (int x = 0; x < glyph.width(); ++x) {
            if (glyph.pixel(x, y) == key) {
                glyph.setPixel(x, y, qRgba(0, 0, 0, 0));
            }
        }
    }
    return glyph;
}

void paintPanel(QPainter& painter, const QRect& bounds, const QColor& colour,
                const QColor& textColour, const QString& text, bool border)
{
    painter.setPen(border ? QPen(QColor(40, 40, 40), 1) : Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRect(QRectF(bounds).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(textColour);
    painter.setFont(font(QStringLiteral("Liberation Sans"), 13, true));
    painter.drawText(bounds, Qt::AlignCenter, text);
}

void paintButton(QPainter& painter, const QRect& bounds, const QImage& glyph,
                 const QString& caption)
{
    painter.setPen(QPen(QColor(110, 110, 110), 1));
    painter.setBrush(Palette::kButtonFace);
    painter.drawRoundedRect(QRectF(bounds).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter.setFont(font(QStringLiteral("Liberation Sans"), 13, false));
    const int textWidth = caption.isEmpty() ? 0 : painter.fontMetrics().horizontalAdvance(caption);
    const int spacing = caption.isEmpty() ? 0 : 4;
    const int left = bounds.left() + (bounds.width() - glyph.width() - spacing - textWidth) / 2;
    painter.drawImage(QPoint(left, bounds.top() + (bounds.height() - glyph.height()) / 2), glyph);
    if (!caption.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(
            QRect(left + glyph.width() + spacing, bounds.top(), textWidth + 2, bounds.height()),
            Qt::AlignVCenter | Qt::AlignLeft, caption);
    }
}

void paintLetterList(QPainter& painter, const QRect& bounds, const QString& tried)
{
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(bounds).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setFont(font(QStringLiteral("Liberation Sans"), 20, true));
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ-'");
    const int columnWidth = bounds.width() / 5;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const int row = static_cast<int>(i) / 5;
        const int column = static_cast<int>(i) % 5;
        const QRect cell(bounds.left() + 2 + column * columnWidth, bounds.top() + 2 + row * 27,
                         columnWidth, 27);
        const QRectF box(cell.left() + 4.5, cell.top() + 7.5, 12, 12);
        painter.setPen(QPen(QColor(90, 90, 90), 1));
        painter.setBrush(Qt::white);
        painter.drawRect(box);
        if (tried.contains(letters[i])) {
            painter.setPen(QPen(Qt::black, 2));
            painter.drawLine(box.topLeft() + QPointF(2.5, 6), box.topLeft() + QPointF(5, 9));
            painter.drawLine(box.topLeft() + QPointF(5, 9), box.topLeft() + QPointF(10, 2.5));
        }
        painter.setPen(Qt::black);
        painter.drawText(cell.adjusted(22, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         QString(letters[i]));
    }
}

// One game window. `pieces` lists the hangman pictures shown; `info` shows
// the information panel over it.
void paintWindow(QPainter& painter, const std::map<QString, QImage>& files,
                 std::initializer_list<const char*> pieces, bool info)
{
    painter.fillRect(QRect(QPoint(), kWindowSize), kWindowColour);

    painter.setFont(font(QStringLiteral("Liberation Sans"), 16, true));
    painter.setPen(Qt::yellow);
    painter.drawText(QRect(222, 8, 255, 18), Qt::AlignCenter,
                     info ? QStringLiteral("Mot à : 24 points")
                          : QStringLiteral("Mot à : 0 point"));
    painter.drawImage(QRectF(8, 8, 208, 88), file(files, QStringLiteral("imgLogo.png")));
    paintPanel(painter, QRect(222, 32, 255, 25), QColor(252, 202, 171), QColor(255, 0, 128),
               QStringLiteral("Reste : 12s"), true);
    paintPanel(painter, QRect(222, 63, 72, 33), QColor(0, 128, 128), QColor(0, 255, 0),
               QStringLiteral("Niveau 2"), true);
    paintButton(painter, QRect(300, 63, 97, 33),
                keyedGlyph(file(files, QStringLiteral("btMot.bmp")), false),
                QStringLiteral("Suivant >>"));
    paintButton(painter, QRect(403, 63, 34, 33),
                keyedGlyph(file(files, QStringLiteral("btCfg.bmp")), false), QString());
    paintButton(painter, QRect(443, 63, 34, 33),
                keyedGlyph(file(files, QStringLiteral("btFermer.bmp")), true), QString());

    painter.setPen(QPen(QColor(30, 30, 30), 1));
    painter.setBrush(QColor(0, 128, 0));
    painter.drawRect(QRectF(8.5, 100.5, 468, 42));
    painter.setFont(font(QStringLiteral("Liberation Mono"), 32, true));
    painter.setPen(QColor(255, 255, 196));
    painter.drawText(QRect(8, 100, 469, 43), Qt::AlignCenter,
                     info ? QStringLiteral("C_RBE_E_") : QStringLiteral(""));

    paintLetterList(painter, QRect(8, 155, 286, 166),
                    info ? QStringLiteral("AEUCRB") : QStringLiteral("AEIOUSTNRCLMP"));

    // The bevel frame around the drawing, then the drawing.
    painter.setPen(QPen(QColor(160, 64, 32), 1));
    painter.drawLine(QPointF(300.5, 149.5), QPointF(476.5, 149.5));
    painter.drawLine(QPointF(300.5, 149.5), QPointF(300.5, 357.5));
    painter.setPen(QPen(QColor(255, 190, 150), 1));
    painter.drawLine(QPointF(476.5, 149.5), QPointF(476.5, 357.5));
    painter.drawLine(QPointF(300.5, 357.5), QPointF(476.5, 357.5));
    painter.fillRect(QRect(306, 155, 165, 195), QColor(196, 247, 230));
    for (const char* piece : pieces) {
        const QString name = QString::fromLatin1(piece) + QStringLiteral(".png");
        const bool gallows =
            name == QStringLiteral("ImgBas.png") || name == QStringLiteral("ImgCoter.png") ||
            name == QStringLiteral("ImgPendu.png") || name == QStringLiteral("ImgHaut.png");
        painter.drawImage(gallows ? QRectF(306, 155, 165, 195) : QRectF(362, 174, 65, 112),
                          file(files, name));
    }

    paintPanel(painter, QRect(8, 325, 137, 25), QColor(0, 0, 128), QColor(255, 0, 128),
               QStringLiteral(" Juste(s) : 3/4"), true);
    paintPanel(painter, QRect(157, 325, 137, 24), QColor(0, 0, 255), Qt::yellow,
               QStringLiteral(" Score : 42"), true);

    if (info) {
        painter.save();
        painter.translate(80, 124);
        painter.fillRect(QRect(0, 0, 323, 125), Qt::red);
        painter.drawImage(QRectF(1, 2, 80, 80), file(files, QStringLiteral("imgInfo.png")));
        painter.setFont(font(QStringLiteral("Liberation Sans"), 19, true));
        painter.setPen(QColor(192, 220, 192));
        painter.drawText(QRect(63, 2, 118, 22), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Information :"));
        painter.setFont(font(QStringLiteral("Liberation Sans"), 13, true));
        painter.setPen(QColor(255, 251, 240));
        painter.drawText(QRect(71, 24, 242, 70), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("Nombre de mots :\nTotal dans le programme : 22740\n"
                                        "Disponible avec configuration : 8721"));
        paintButton(painter, QRect(279, 92, 35, 25),
                    keyedGlyph(file(files, QStringLiteral("btValid.bmp")), true), QString());
        painter.restore();
    }
}

} // namespace

QImage paintPreview(const std::map<QString, QImage>& files, int scale)
{
    const int glyphRow = 90;
    const QSize size(kWindowSize.width() * 2 + kGap * 3,
                     kWindowSize.height() + kGap * 2 + glyphRow);
    QImage preview(size * scale, QImage::Format_ARGB32_Premultiplied);
    preview.fill(QColor(64, 64, 72));
    QPainter painter(&preview);
    preparePainter(painter, scale);

    painter.save();
    painter.translate(kGap, kGap);
    paintWindow(painter, files,
                {"ImgBas", "ImgCoter", "ImgPendu", "ImgHaut", "ImgBras1", "ImgBras2", "ImgCorps",
                 "ImgJambe1", "ImgJambe2", "ImgTete"},
                false);
    painter.restore();
    painter.save();
    painter.translate(kGap * 2 + kWindowSize.width(), kGap);
    paintWindow(painter, files, {"ImgBas", "ImgCoter", "ImgPendu", "ImgHaut", "ImgTete"}, true);
    painter.restore();

    // Every glyph bitmap as it is, magnified three times without smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    int x = kGap;
    const int y = kWindowSize.height() + kGap * 2;
    for (const char* name :
         {"btFermer.bmp", "btCfg.bmp", "btMot.bmp", "btValid.bmp", "btSave.bmp", "openson.bmp"}) {
        const QImage& glyph = file(files, QString::fromLatin1(name));
        painter.drawImage(QRectF(x, y, glyph.width() * 3, glyph.height() * 3), glyph);
        painter.setPen(Qt::white);
        painter.setFont(font(QStringLiteral("Liberation Sans"), 11, false));
        painter.drawText(QPointF(x, y + glyph.height() * 3 + 14), QString::fromLatin1(name));
        x += glyph.width() * 3 + 24;
    }
    return preview;
}

} // namespace Skin
