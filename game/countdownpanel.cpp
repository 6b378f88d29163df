#include "game/countdownpanel.h"

#include <QBackingStore>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

#include <cmath>

CountdownPanel::CountdownPanel(QWidget* parent) : QFrame(parent)
{
    // It paints all of itself, background included, in one pass.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CountdownPanel::setText(const QString& text)
{
    if (text == m_text)
        return;
    QRect area;
    if (!replaceInPlace(text, area)) {
        Line line = layOut(text);
        area = changedArea(m_line, line);
        m_line = std::move(line);
    }
    m_text = text;
    // Painted now rather than at the event loop's next turn: while the
    // countdown runs nothing else is waiting, and that extra turn of the
    // loop would cost more than the paint itself.
    repaint(area);
}

void CountdownPanel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    m_line = layOut(m_text);
    update();
}

const CountdownPanel::Glyph* CountdownPanel::glyphFor(QChar character)
{
    if (const auto known = m_glyphs.constFind(character); known != m_glyphs.cend())
        return &known.value();
    // Shaped alone, as a label would shape it within its text.
    QTextLayout layout(QString(character), font());
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1 || runs.front().glyphIndexes().size() != 1)
        return nullptr;
    const QGlyphRun& run = runs.front();
    if (m_glyphs.isEmpty()) {
        m_rawFont = run.rawFont();
        m_ascent = line.ascent();
        m_descent = line.descent();
    }
    if (run.rawFont() != m_rawFont || run.glyphIndexes().front() == 0)
        return nullptr; // taken from another font, or missing from this one
    const quint32 index = run.glyphIndexes().front();
    const Glyph glyph{index, run.positions().front() - QPointF(0, line.ascent()),
                      line.horizontalAdvance(), m_rawFont.boundingRect(index)};
    return &m_glyphs.insert(character, glyph).value();
}

CountdownPanel::Line CountdownPanel::layOut(const QString& text)
{
    // Moved to a screen of another density, the font is hinted anew.
    if (devicePixelRatioF() != m_devicePixelRatio) {
        forgetGlyphs();
        m_devicePixelRatio = devicePixelRatioF();
    }
    m_pictureArea = QRect();
    qreal width = 0;
    for (const QChar character : text) {
        const Glyph* glyph = character.isSurrogate() ? nullptr : glyphFor(character);
        if (!glyph)
            return {};
        width += glyph->advance;
    }
    // Placed as a label places its single line: the line's box aligned in
    // the contents, the baseline at the box's ascent.
    const QRectF contents = contentsRect();
    const qreal height = m_ascent + m_descent;
    const Qt::Alignment alignment = QStyle::visualAlignment(layoutDirection(), m_alignment);
    qreal left = contents.left();
    if (alignment & Qt::AlignRight)
        left = contents.right() + 1 - width;
    else if (alignment & Qt::AlignHCenter)
        left += (contents.width() - width) / 2;
    qreal top = contents.top();
    if (alignment & Qt::AlignBottom)
        top = contents.bottom() + 1 - height;
    else if (alignment & Qt::AlignVCenter)
        top += (contents.height() - height) / 2;
    Line line;
    line.indexes.reserve(text.size());
    line.positions.reserve(text.size());
    line.boxes.reserve(text.size());
    QPointF pen(left, top + m_ascent);
    for (const QChar character : text) {
        const Glyph& glyph = m_glyphs.constFind(character).value();
        line.indexes.append(glyph.index);
        line.positions.append(pen + glyph.offset);
        line.boxes.append(boxOf(glyph, pen));
        line.bounds = line.bounds.united(line.boxes.back());
        pen.rx() += glyph.advance;
    }
    return line;
}

QRectF CountdownPanel::boxOf(const Glyph& glyph, const QPointF& pen) const
{
    const QRectF cell(pen.x(), pen.y() - m_ascent, glyph.advance, m_ascent + m_descent);
    return cell.united(glyph.ink.translated(pen + glyph.offset));
}

bool CountdownPanel::replaceInPlace(const QString& text, QRect& area)
{
    if (!m_line.isShaped() || text.size() != m_text.size() ||
        devicePixelRatioF() != m_devicePixelRatio)
        return false;
    // Only when each changed character takes as much room as the one it
    // replaces (digits, in most fonts): every other glyph stays in its place.
    qsizetype changes = 0;
    qsizetype changedAt = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] == m_text[at])
            continue;
        const Glyph* glyph = text[at].isSurrogate() ? nullptr : glyphFor(text[at]);
        if (!glyph || glyph->advance != m_glyphs.constFind(m_text[at])->advance)
            return false;
        ++changes;
        changedAt = at;
    }
    const quint32 indexBefore = m_line.indexes[changedAt];
    const QPointF positionBefore = m_line.positions[changedAt];
    QRectF changed;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] == m_text[at])
            continue;
        const Glyph& before = *m_glyphs.constFind(m_text[at]);
        const Glyph& after = *m_glyphs.constFind(text[at]);
        const QPointF pen = m_line.positions[at] - before.offset;
        const QRectF box = boxOf(after, pen);
        changed = changed.united(m_line.boxes[at]).united(box);
        m_line.indexes[at] = after.index;
        m_line.positions[at] = pen + after.offset;
        m_line.boxes[at] = box;
        m_line.bounds = m_line.bounds.united(box);
    }
    m_pictureArea = changes == 1 ? pictureArea(changedAt, indexBefore, positionBefore) : QRect();
    m_pictureAt = changedAt;
    area = m_pictureArea.isEmpty() ? changedArea(changed) : m_pictureArea;
    return true;
}

void CountdownPanel::forgetGlyphs()
{
    m_glyphs.clear();
    m_pictures.clear();
}

QRect CountdownPanel::pictureArea(qsizetype at, quint32 indexBefore, const QPointF& positionBefore)
{
    // Whole device pixels, and a background a picture can carry.
    const QBrush background = palette().brush(backgroundRole());
    if (m_devicePixelRatio != std::floor(m_devicePixelRatio) ||
        background.style() != Qt::SolidPattern || !background.isOpaque())
        return {};
    // What the glyph painted and what its successor paints, and nothing
    // that any other glyph paints.
    bool isWhole = true;
    const auto inkOf = [this, &isWhole](quint32 index, const QPointF& position) {
        const GlyphPicture& drawn = picture(index, position);
        isWhole = isWhole && drawn.isWhole;
        return drawn.ink.translated(pictureOrigin(position));
    };
    const QRect canvas = picture(m_line.indexes[at], m_line.positions[at])
                             .canvas.translated(pictureOrigin(m_line.positions[at]));
    const QRect area =
        inkOf(indexBefore, positionBefore) | inkOf(m_line.indexes[at], m_line.positions[at]);
    if (area.isEmpty() || !canvas.contains(area) || !contentsRect().contains(area))
        return {};
    for (qsizetype other = 0; other < m_line.indexes.size(); ++other) {
        if (other != at &&
            m_line.boxes[other].toAlignedRect().adjusted(-2, -2, 2, 2).intersects(area) &&
            inkOf(m_line.indexes[other], m_line.positions[other]).intersects(area))
            return {};
    }
    return isWhole ? area : QRect();
}

QPoint CountdownPanel::pictureOrigin(const QPointF& position)
{
    return QPoint(int(std::floor(position.x())), int(std::floor(position.y())));
}

const CountdownPanel::GlyphPicture& CountdownPanel::picture(quint32 index, const QPointF& position)
{
    const QColor background = palette().color(backgroundRole());
    const QColor foreground = palette().color(foregroundRole());
    if (background != m_pictureBackground || foreground != m_pictureForeground) {
        m_pictures.clear();
        m_pictureBackground = background;
        m_pictureForeground = foreground;
    }
    // One picture for each glyph and each place of it within a pixel.
    const QPointF inPixel = position - pictureOrigin(position);
    const PictureKey key{index, qRound(inPixel.x() * 64), qRound(inPixel.y() * 64)};
    if (const auto known = m_pictures.constFind(key); known != m_pictures.cend())
        return known.value();

    // The glyph on its background, on a canvas wider than all it paints.
    GlyphPicture drawn;
    drawn.canvas =
        m_rawFont.boundingRect(index).translated(inPixel).toAlignedRect().adjusted(-2, -2, 2, 2);
    // In the window's own format, for the same blending of the glyph's edges.
    QImage::Format format = QImage::Format_RGB32;
    if (QBackingStore* store = backingStore();
        store && store->paintDevice()->devType() == QInternal::Image)
        format = static_cast<const QImage*>(store->paintDevice())->format();
    const qreal ratio = m_devicePixelRatio;
    drawn.image = QImage(drawn.canvas.size() * ratio, format);
    drawn.image.setDevicePixelRatio(ratio);
    {
        QPainter painter(&drawn.image);
        painter.translate(-drawn.canvas.topLeft());
        painter.fillRect(drawn.canvas, background);
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes({index});
        run.setPositions({inPixel});
        painter.setPen(foreground);
        painter.drawGlyphRun(QPointF(), run);
    }
    // The pixels it paints, in whole logical pixels. A glyph that reaches
    // the canvas's edge may paint beyond it: its picture is not used.
    const QRgb plain = drawn.image.pixel(0, 0);
    QRect ink;
    for (int y = 0; y < drawn.image.height(); ++y) {
        for (int x = 0; x < drawn.image.width(); ++x) {
            if (drawn.image.pixel(x, y) != plain)
                ink |= QRect(x, y, 1, 1);
        }
    }
    drawn.isWhole = drawn.image.rect().adjusted(1, 1, -1, -1).contains(ink) || ink.isEmpty();
    if (!ink.isEmpty()) {
        drawn.ink = QRectF(QRectF(ink).topLeft() / ratio, QRectF(ink).size() / ratio)
                        .toAlignedRect()
                        .translated(drawn.canvas.topLeft());
    }
    return m_pictures.insert(key, std::move(drawn)).value();
}

QRect CountdownPanel::changedArea(const QRectF& glyphs) const
{
    // Whole pixels around the glyphs' smoothed edges.
    return glyphs.toAlignedRect().adjusted(-1, -1, 1, 1) & contentsRect();
}

QRect CountdownPanel::changedArea(const Line& before, const Line& after) const
{
    if (!before.isShaped() || !after.isShaped())
        return contentsRect();
    QRectF area;
    if (before.indexes.size() == after.indexes.size() && before.positions == after.positions) {
        // The same characters' places: only those that changed.
        for (qsizetype at = 0; at < after.indexes.size(); ++at) {
            if (before.indexes[at] != after.indexes[at])
                area = area.united(before.boxes[at]).united(after.boxes[at]);
        }
    } else {
        area = before.bounds.united(after.bounds);
    }
    return changedArea(area);
}

bool CountdownPanel::event(QEvent* event)
{
    // The frame's width moves the contents, and the text with them.
    if (event->type() == QEvent::ContentsRectChange)
        m_line = layOut(m_text);
    return QFrame::event(event);
}

void CountdownPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (!m_pictureArea.isEmpty() && event->rect() == m_pictureArea) {
        const QPointF position = m_line.positions[m_pictureAt];
        const GlyphPicture& drawn = picture(m_line.indexes[m_pictureAt], position);
        const QRect source =
            m_pictureArea.translated(-pictureOrigin(position) - drawn.canvas.topLeft());
        painter.drawImage(m_pictureArea.topLeft(), drawn.image,
                          QRectF(QPointF(source.topLeft()) * m_devicePixelRatio,
                                 QSizeF(source.size()) * m_devicePixelRatio));
        return;
    }
    painter.fillRect(event->rect(), palette().brush(backgroundRole()));
    if (!contentsRect().contains(event->rect()))
        drawFrame(&painter);
    if (m_line.isShaped()) {
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes(m_line.indexes);
        run.setPositions(m_line.positions);
        painter.setPen(palette().color(foregroundRole()));
        painter.drawGlyphRun(QPointF(), run);
    } else if (!m_text.isEmpty()) {
        style()->drawItemText(&painter, contentsRect(),
                              QStyle::visualAlignment(layoutDirection(), m_alignment), palette(),
                              isEnabled(), m_text, foregroundRole());
    }
}

void CountdownPanel::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
        forgetGlyphs();
        [[fallthrough]];
    case QEvent::PaletteChange:
        // Perhaps a background a picture cannot carry.
        m_pictureArea = QRect();
        break;
    case QEvent::LayoutDirectionChange:
    case QEvent::StyleChange:
        m_line = layOut(m_text);
        update();
        break;
    default:
        break;
    }
    QFrame::changeEvent(event);
}

void CountdownPanel::resizeEvent(QResizeEvent* event)
{
    m_line = layOut(m_text);
    QFrame::resizeEvent(event);
}
