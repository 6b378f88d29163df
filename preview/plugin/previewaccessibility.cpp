#include "preview/plugin/previewaccessibility.h"

#include "preview/plugin/previewarea.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollArea>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextFragment>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <utility>

namespace Preview {
namespace {

// A block's text as one line: the line separators of a line break within a
// paragraph read as spaces.
QString blockText(const QTextBlock& block)
{
    QString text = block.text();
    text.replace(QChar::LineSeparator, QLatin1Char(' '));
    text.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    return text;
}

// Characters of each point size, over every document of the page.
QHash<int, int> sizeCounts(const std::vector<const QTextDocument*>& documents)
{
    QHash<int, int> counts;
    for (const QTextDocument* document : documents)
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                const QTextFragment piece = fragment.fragment();
                const auto size =
                    static_cast<int>(std::lround(piece.charFormat().font().pointSizeF() * 10));
                counts[size] += piece.length();
            }
    return counts;
}

bool isHeading(const QTextBlock& block, int bodySize)
{
    bool allBold = true;
    bool larger = false;
    bool any = false;
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextFragment piece = fragment.fragment();
        if (piece.text().trimmed().isEmpty())
            continue;
        any = true;
        const QFont font = piece.charFormat().font();
        allBold = allBold && font.bold();
        larger = larger || std::lround(font.pointSizeF() * 10) > bodySize;
    }
    return any && (allBold || larger);
}

// The on-screen rectangle of a box in page coordinates.
QRect screenRect(const PreviewPage& page, const QRectF& box)
{
    const double scale = page.scale();
    const QRect shown =
        QRectF(box.x() * scale, box.y() * scale, box.width() * scale, box.height() * scale)
            .toAlignedRect();
    return QRect(page.mapToGlobal(shown.topLeft()), shown.size());
}

// One line of the page's text, a heading or a paragraph, named by its text.
class LineInterface : public QAccessibleInterface
{
public:
    LineInterface(PreviewPage* page, const PageText& read, const PageText::Line& line)
        : m_page(page), m_text(read.text.mid(line.start, line.length)), m_box(line.box),
          m_heading(line.heading)
    {}

    bool isValid() const override { return !m_page.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_page ? m_page->window()->windowHandle() : nullptr; }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation) const override
    {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_page.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? m_text : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return m_page ? screenRect(*m_page, m_box) : QRect(); }
    QAccessible::Role role() const override
    {
        return m_heading ? QAccessible::Heading : QAccessible::Paragraph;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !m_page || !m_page->isVisible();
        return state;
    }

private:
    QPointer<PreviewPage> m_page;
    QString m_text;
    QRectF m_box;
    bool m_heading;
};

// The page as a document with a text interface around the page's caret, and
// its lines as its children.
class PageInterface : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit PageInterface(PreviewPage* page) : QAccessibleWidget(page, QAccessible::Document) {}

    ~PageInterface() override { forgetLines(); }

    int childCount() const override { return static_cast<int>(lines().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const std::vector<QAccessible::Id>& ids = lines();
        if (index < 0 || index >= std::ssize(ids))
            return nullptr;
        return QAccessible::accessibleInterface(ids[static_cast<std::size_t>(index)]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const std::vector<QAccessible::Id>& ids = lines();
        for (std::size_t index = 0; index < ids.size(); ++index)
            if (QAccessible::accessibleInterface(ids[index]) == child)
                return static_cast<int>(index);
        return -1;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            const PageText read = readPage(page());
            for (const PageText::Line& line : read.lines)
                if (line.heading)
                    return read.text.mid(line.start, line.length);
            return QStringLiteral("Aperçu");
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }

    // QAccessibleTextInterface
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    int cursorPosition() const override { return std::min(page().caret, characterCount()); }
    void setCursorPosition(int position) override
    {
        static_cast<PreviewPage*>(widget())->caret = std::clamp(position, 0, characterCount());
        scrollToSubstring(position, position);
    }

    QString text(int startOffset, int endOffset) const override
    {
        const QString all = readPage(page()).text;
        startOffset = std::clamp(startOffset, 0, int(all.size()));
        endOffset =
            endOffset < 0 ? int(all.size()) : std::clamp(endOffset, startOffset, int(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                             int* endOffset) const override
    {
        const PageText read = readPage(page());
        const auto [start, end] = segment(read, offset, boundary);
        Q_UNUSED(end);
        if (start <= 0)
            return noText(startOffset, endOffset);
        return textOf(read, segment(read, start - 1, boundary), startOffset, endOffset);
    }

    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                            int* endOffset) const override
    {
        const PageText read = readPage(page());
        const auto [start, end] = segment(read, offset, boundary);
        Q_UNUSED(start);
        if (end >= read.text.size())
            return noText(startOffset, endOffset);
        return textOf(read, segment(read, end, boundary), startOffset, endOffset);
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                         int* endOffset) const override
    {
        const PageText read = readPage(page());
        return textOf(read, segment(read, offset, boundary), startOffset, endOffset);
    }

    int characterCount() const override { return int(readPage(page()).text.size()); }

    QRect characterRect(int offset) const override
    {
        const PageText read = readPage(page());
        const PageText::Line* line = lineAt(read, offset);
        return line ? screenRect(line->box) : QRect();
    }

    int offsetAtPoint(const QPoint& point) const override
    {
        const PageText read = readPage(page());
        for (const PageText::Line& line : read.lines)
            if (screenRect(line.box).contains(point))
                return line.start;
        return -1;
    }

    void scrollToSubstring(int startIndex, int) override
    {
        const PageText read = readPage(page());
        const PageText::Line* line = lineAt(read, startIndex);
        auto* area = qobject_cast<QScrollArea*>(
            page().parentWidget() ? page().parentWidget()->parentWidget() : nullptr);
        if (!line || !area)
            return;
        const QRect shown = pageRect(line->box);
        area->ensureVisible(shown.center().x(), shown.center().y(), 0, shown.height() / 2 + 10);
    }

    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        const PageText read = readPage(page());
        const PageText::Line* line = lineAt(read, offset);
        *startOffset = line ? line->start : 0;
        *endOffset = line ? line->start + line->length : 0;
        return line && line->heading ? QStringLiteral("font-weight:bold;") : QString();
    }

private:
    const PreviewPage& page() const { return *static_cast<const PreviewPage*>(widget()); }

    // The lines' interfaces, made again whenever the page's content changed.
    const std::vector<QAccessible::Id>& lines() const
    {
        if (m_linesMade && m_linesOf == page().generation())
            return m_lineIds;
        forgetLines();
        const PageText read = readPage(page());
        auto* shown = static_cast<PreviewPage*>(widget());
        for (const PageText::Line& line : read.lines)
            m_lineIds.push_back(
                QAccessible::registerAccessibleInterface(new LineInterface(shown, read, line)));
        m_linesOf = page().generation();
        m_linesMade = true;
        return m_lineIds;
    }

    void forgetLines() const
    {
        for (const QAccessible::Id id : m_lineIds)
            QAccessible::deleteAccessibleInterface(id);
        m_lineIds.clear();
    }

    mutable std::vector<QAccessible::Id> m_lineIds;
    mutable quint64 m_linesOf = 0;
    mutable bool m_linesMade = false;

    QRect pageRect(const QRectF& box) const
    {
        const double scale = page().scale();
        return QRectF(box.x() * scale, box.y() * scale, box.width() * scale, box.height() * scale)
            .toAlignedRect();
    }

    QRect screenRect(const QRectF& box) const { return Preview::screenRect(page(), box); }

    static const PageText::Line* lineAt(const PageText& read, int offset)
    {
        for (const PageText::Line& line : read.lines)
            if (offset >= line.start && offset <= line.start + line.length)
                return &line;
        return nullptr;
    }

    static QString noText(int* startOffset, int* endOffset)
    {
        *startOffset = *endOffset = -1;
        return QString();
    }

    static QString textOf(const PageText& read, std::pair<int, int> range, int* startOffset,
                          int* endOffset)
    {
        *startOffset = range.first;
        *endOffset = range.second;
        return read.text.mid(range.first, range.second - range.first);
    }

    // The piece of text of the given kind around the offset; a line runs to
    // its line break included.
    static std::pair<int, int> segment(const PageText& read, int offset,
                                       QAccessible::TextBoundaryType boundary)
    {
        const auto length = int(read.text.size());
        if (length == 0)
            return {0, 0};
        offset = std::clamp(offset, 0, length - 1);
        switch (boundary) {
        case QAccessible::CharBoundary:
            return {offset, offset + 1};
        case QAccessible::NoBoundary:
            return {0, length};
        case QAccessible::LineBoundary:
        case QAccessible::ParagraphBoundary:
            for (const PageText::Line& line : read.lines)
                if (offset <= line.start + line.length)
                    return {line.start, std::min(length, line.start + line.length + 1)};
            return {0, length};
        case QAccessible::WordBoundary:
        case QAccessible::SentenceBoundary:
            break;
        }
        QTextBoundaryFinder finder(boundary == QAccessible::WordBoundary
                                       ? QTextBoundaryFinder::Word
                                       : QTextBoundaryFinder::Sentence,
                                   read.text);
        finder.setPosition(offset);
        int start = finder.isAtBoundary() ? offset : int(finder.toPreviousBoundary());
        finder.setPosition(offset);
        int end = int(finder.toNextBoundary());
        return {std::max(start, 0), end < 0 ? length : end};
    }
};

QAccessibleInterface* previewInterfaceFactory(const QString&, QObject* object)
{
    if (auto* page = dynamic_cast<PreviewPage*>(object))
        return new PageInterface(page);
    return nullptr;
}

} // namespace

PageText readPage(const PreviewPage& page)
{
    // Reading order: top to bottom, then left to right.
    std::vector<const PreviewPage::Item*> items;
    for (const PreviewPage::Item& item : page.items())
        if (item.document)
            items.push_back(&item);
    std::stable_sort(items.begin(), items.end(), [](const auto* first, const auto* second) {
        return std::pair(first->box.y(), first->box.x()) <
               std::pair(second->box.y(), second->box.x());
    });
    std::vector<const QTextDocument*> documents;
    for (const PreviewPage::Item* item : items)
        documents.push_back(item->document);
    const QHash<int, int> counts = sizeCounts(documents);
    int bodySize = 0;
    for (auto count = counts.begin(); count != counts.end(); ++count)
        if (count.value() > counts.value(bodySize))
            bodySize = count.key();

    PageText read;
    for (const PreviewPage::Item* item : items) {
        const QTextDocument& document = *item->document;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            const QString text = blockText(block);
            if (text.trimmed().isEmpty())
                continue;
            if (!read.text.isEmpty())
                read.text += QLatin1Char('\n');
            const QRectF box =
                document.documentLayout()->blockBoundingRect(block).translated(item->box.topLeft());
            read.lines.push_back(
                {int(read.text.size()), int(text.size()), box, isHeading(block, bodySize)});
            read.text += text;
        }
    }
    return read;
}

void installPreviewAccessibleInterfaces()
{
    // Installed after QApplication's own factory, so asked first.
    static const bool installed = [] {
        QAccessible::installFactory(&previewInterfaceFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace Preview
