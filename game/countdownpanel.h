#pragma once

// The remaining time's panel: a framed panel filled with its palette's
// window colour, showing one line of text.
//
// While a word is played with a time limit, its text changes once a second,
// and that repaint is all the program does while the player thinks. So it is
// kept to the least: each character's glyph is shaped once per font and
// reused, a new text repaints only the characters that changed (one digit,
// most seconds), at once rather than through the event loop, and the frame
// is drawn only when the repaint reaches it. A digit that paints no pixel
// of its neighbours is copied from a picture of it drawn once, the pixels it
// paints and no more.

#include <QColor>
#include <QFrame>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QString>

class CountdownPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment)
public:
    explicit CountdownPanel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Glyph
    {
        quint32 index = 0;
        QPointF offset; // from the pen position, as shaped
        qreal advance = 0;
        QRectF ink; // the glyph's own bounds, from the pen position
    };
    // The text's glyphs where they are painted, one per character, or
    // nothing when the text needs more than glyphs shaped one by one (a
    // character the font lacks, or one outside the Basic Multilingual Plane):
    // the text is then painted as a whole.
    struct Line
    {
        QList<quint32> indexes;
        QList<QPointF> positions;
        QList<QRectF> boxes; // each character's cell, to repaint it alone
        QRectF bounds;
        bool isShaped() const { return !indexes.isEmpty(); }
    };

    // A glyph painted alone on the background, once for its place within a
    // pixel: `canvas` and `ink` (the pixels it paints) are in logical pixels
    // from the pixel its position falls in.
    struct GlyphPicture
    {
        QImage image;
        QRect canvas;
        QRect ink;
        bool isWhole = false; // all it paints lies within the canvas
    };
    struct PictureKey
    {
        quint32 index = 0;
        int x = 0; // the position within its pixel, in 64ths
        int y = 0;
        bool operator==(const PictureKey&) const = default;
        friend size_t qHash(const PictureKey& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.index, key.x, key.y);
        }
    };

    const Glyph* glyphFor(QChar character);
    void forgetGlyphs();
    Line layOut(const QString& text);
    // The character's cell, with anything its glyph reaches beyond it.
    QRectF boxOf(const Glyph& glyph, const QPointF& pen) const;
    // The part of the panel to repaint when `before` is replaced by `after`,
    // or when the glyphs within `glyphs` changed.
    QRect changedArea(const Line& before, const Line& after) const;
    QRect changedArea(const QRectF& glyphs) const;
    // Replaces the text's characters where they stand, when the new text
    // keeps every glyph's place; `area` is then the part to repaint.
    bool replaceInPlace(const QString& text, QRect& area);
    // The pixels to repaint when the glyph at `at` replaced another, when the
    // new glyph's picture can paint them alone; nothing otherwise.
    QRect pictureArea(qsizetype at, quint32 indexBefore, const QPointF& positionBefore);
    static QPoint pictureOrigin(const QPointF& position);
    const GlyphPicture& picture(quint32 index, const QPointF& position);

    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // The current font's at the current density: its glyphs, shaped one by
    // one, and its line.
    QHash<QChar, Glyph> m_glyphs;
    qreal m_devicePixelRatio = 0;
    QRawFont m_rawFont;
    qreal m_ascent = 0;
    qreal m_descent = 0;
    Line m_line;
    // The glyphs' pictures, in the colours they were painted with.
    QHash<PictureKey, GlyphPicture> m_pictures;
    QColor m_pictureBackground;
    QColor m_pictureForeground;
    // The area the last new text changed, when one picture paints it.
    QRect m_pictureArea;
    qsizetype m_pictureAt = 0;
};
