#include "game/countdownpanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

CountdownPanel::CountdownPanel(QWidget* parent) : QFrame(parent)
{
    // It paints all of itself, background included, in one pass.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CountdownPanel::setText(const QString& text)
{
    if (text == m_text)
        return;
    Line line = layOut(text);
    const QRect area = changedArea(m_line, line);
    m_text = text;
    m_line = std::move(line);
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
        m_glyphs.clear();
        m_devicePixelRatio = devicePixelRatioF();
    }
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
        const QRectF cell(pen.x(), top, glyph.advance, height);
        line.boxes.append(cell.united(glyph.ink.translated(line.positions.back())));
        line.bounds = line.bounds.united(line.boxes.back());
        pen.rx() += glyph.advance;
    }
    return line;
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
    // Whole pixels around the glyphs' smoothed edges.
    return area.toAlignedRect().adjusted(-1, -1, 1, 1) & contentsRect();
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
        m_glyphs.clear();
        [[fallthrough]];
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
