#include "preview/plugin/previewarea.h"

#include "preview/plugin/previewaccessibility.h"
#include "preview/rtf/previewcommands.h"
#include "preview/rtf/rtfreader.h"
#include "text/qtwindows1252.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <exception>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Preview {
namespace {

constexpr int kMaxPageExtent = 20000;          // pixels, in either direction
constexpr qint64 kMaxDocumentBytes = 16 << 20; // far above any rules document
constexpr int kMargin = 10;                    // around content the host did not place
constexpr int kGap = 5;
constexpr int kMinTextWidth = 40;

int clampExtent(int value, int low)
{
    return std::clamp(value, low, kMaxPageExtent);
}

} // namespace

PreviewPage::PreviewPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("page"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The page takes the focus in the area's place: a screen reader reads
    // its text (see previewaccessibility.h) from there; the keys that the
    // page leaves scroll the area.
    setFocusPolicy(Qt::StrongFocus);
}

void PreviewPage::clear()
{
    caret = 0;
    ++m_generation;
    for (Item& item : m_items)
        delete item.document; // a child of this page, taken away now rather than at its end
    m_items.clear();
}

void PreviewPage::addItem(Item item)
{
    ++m_generation;
    m_items.push_back(std::move(item));
}

QSizeF PreviewPage::logicalSize(int viewWidth) const
{
    double height = pageHeight.value_or(0);
    for (const Item& item : m_items) {
        const double content =
            item.document ? item.document->size().height() : double(item.picture.height());
        height = std::max(height, item.box.y() + std::max<double>(item.box.height(), content));
    }
    return {double(pageWidth.value_or(viewWidth)), height};
}

void PreviewPage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(m_scale, m_scale);
    const QRectF exposed(event->rect().x() / m_scale, event->rect().y() / m_scale,
                         event->rect().width() / m_scale, event->rect().height() / m_scale);
    for (const Item& item : m_items) {
        painter.save();
        painter.translate(item.box.topLeft());
        const QRectF clip = exposed.translated(-item.box.topLeft());
        if (item.document) {
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = clip;
            context.palette.setColor(QPalette::Text, Qt::black);
            item.document->documentLayout()->draw(&painter, context);
        } else {
            painter.drawImage(QPointF(0, 0), item.picture);
        }
        painter.restore();
    }
}

void PreviewPage::keyPressEvent(QKeyEvent* event)
{
    // Up and Down move the caret to the line before or after, brought into
    // view, and a screen reader reads that line; at either end, and for
    // every other key, the area scrolls as it does.
    const bool up = event->key() == Qt::Key_Up;
    if ((!up && event->key() != Qt::Key_Down) || event->modifiers() != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    const PageText read = readPage(*this);
    const auto current =
        std::find_if(read.lines.begin(), read.lines.end(), [this](const PageText::Line& line) {
            return caret <= line.start + line.length;
        });
    const auto index = current - read.lines.begin();
    const auto next = up ? index - 1 : index + 1;
    if (current == read.lines.end() || next < 0 || next >= std::ssize(read.lines)) {
        QWidget::keyPressEvent(event);
        return;
    }
    caret = read.lines[static_cast<std::size_t>(next)].start;
    if (QAccessibleInterface* page = QAccessible::queryAccessibleInterface(this)) {
        if (QAccessibleTextInterface* text = page->textInterface())
            text->scrollToSubstring(caret, caret);
    }
    QAccessibleTextCursorEvent moved(this, caret);
    QAccessible::updateAccessibility(&moved);
}

PreviewArea::PreviewArea(QWidget* parent, bool embedded)
    : QScrollArea(parent), m_page(new PreviewPage(this))
{
    installPreviewAccessibleInterfaces();
    setObjectName(QStringLiteral("apercu"));
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(false);
    setWidget(m_page);
    if (!embedded) {
        setWindowFlag(Qt::Window);
        resize(640, 480);
    } else if (parent && !parent->layout()) {
        // Fills a host page that has no layout of its own, and follows its size.
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    } else if (parent) {
        parent->layout()->addWidget(this);
    }
    relayout();
}

void PreviewArea::clear(bool forgetPageSize)
{
    m_page->clear();
    if (forgetPageSize) {
        m_page->pageWidth.reset();
        m_page->pageHeight.reset();
    }
    relayout();
}

void PreviewArea::runScript(std::string_view script, bool framed)
{
    Commands commands;
    try {
        commands = parseCommands(script, framed);
    } catch (const std::exception& error) {
        // The script as a whole cannot be trusted: show why instead of a part of it.
        m_page->clear();
        placeNotice(QString::fromUtf8(error.what()), nextBox());
        relayout();
        return;
    }
    if (commands.height)
        m_page->pageHeight = clampExtent(*commands.height, 0);
    if (commands.width) {
        if (*commands.width > 0)
            m_page->pageWidth = clampExtent(*commands.width, 1);
        else
            m_page->pageWidth.reset();
    }
    for (const Placement& placement : commands.documents) {
        const QRect box(clampExtent(placement.x, 0), clampExtent(placement.y, 0),
                        clampExtent(placement.width, kMinTextWidth),
                        clampExtent(placement.height, 0));
        placeRtfFile(QFile::decodeName(placement.path.c_str()), box);
    }
    relayout();
}

bool PreviewArea::addRtfFile(const std::string& path)
{
    const bool shown = placeRtfFile(QFile::decodeName(path.c_str()), nextBox());
    relayout();
    return shown;
}

bool PreviewArea::placeRtfFile(const QString& name, QRect box)
{
    // A relative name is resolved against the current directory (the game
    // gives the full path of its rules document). The open does not block (a
    // named pipe in the document's place would otherwise hold the program for
    // good), and only a regular file is read.
    const int descriptor =
        ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0 && errno == ENOENT) {
        placeNotice(QStringLiteral("Le document « %1 » est introuvable.").arg(name), box);
        return false;
    }
    QFile file; // closes the descriptor once it holds it
    if (descriptor >= 0 && !file.open(descriptor, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        ::close(descriptor);
    struct stat status
    {};
    if (!file.isOpen() || ::fstat(file.handle(), &status) != 0) {
        placeNotice(QStringLiteral("Le document « %1 » ne peut pas être lu.").arg(name), box);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        placeNotice(QStringLiteral("Le document « %1 » n'est pas un fichier.").arg(name), box);
        return false;
    }
    if (status.st_size > kMaxDocumentBytes) {
        placeNotice(QStringLiteral("Le document « %1 » est trop volumineux.").arg(name), box);
        return false;
    }
    const QByteArray data = file.read(kMaxDocumentBytes);
    return placeRtf(std::string_view(data.constData(), static_cast<std::size_t>(data.size())), name,
                    box);
}

bool PreviewArea::addRtfData(std::string_view data, const QString& name)
{
    const bool shown = placeRtf(data, name, nextBox());
    relayout();
    return shown;
}

void PreviewArea::addText(const QString& text)
{
    const QRect box = nextBox();
    QTextDocument* document = newDocument("text");
    document->setPlainText(text);
    document->setTextWidth(box.width());
    m_page->addItem({box, document, {}});
    relayout();
}

void PreviewArea::addPicture(const QImage& picture)
{
    QRect box = nextBox();
    box.setSize(picture.size());
    m_page->addItem({box, nullptr, picture});
    relayout();
}

bool PreviewArea::placeRtf(std::string_view data, const QString& name, QRect box)
{
    auto document = std::make_unique<QTextDocument>();
    document->setObjectName(QStringLiteral("document"));
    document->setDefaultFont(font());
    document->setDocumentMargin(0);
    document->setMetaInformation(QTextDocument::DocumentUrl, name);
    try {
        Rtf::load(data, *document);
    } catch (const std::exception& error) {
        placeNotice(QStringLiteral("Le document « %1 » ne peut pas être affiché : %2")
                        .arg(name, QString::fromUtf8(error.what())),
                    box);
        return false;
    }
    document->setTextWidth(box.width());
    document->setParent(m_page);
    m_page->addItem({box, document.release(), {}});
    return true;
}

void PreviewArea::placeNotice(const QString& reason, QRect box)
{
    QTextDocument* notice = newDocument("notice");
    QTextCursor cursor(notice);
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("Aperçu indisponible"), heading);
    cursor.insertBlock();
    cursor.insertText(reason, QTextCharFormat());
    notice->setTextWidth(box.width());
    m_page->addItem({box, notice, {}});
}

QTextDocument* PreviewArea::newDocument(const char* kind)
{
    auto* document = new QTextDocument(m_page);
    document->setObjectName(QString::fromLatin1(kind));
    document->setDefaultFont(font());
    document->setDocumentMargin(0);
    return document;
}

QRect PreviewArea::nextBox() const
{
    int bottom = 0;
    for (const PreviewPage::Item& item : m_page->items()) {
        const double content =
            item.document ? item.document->size().height() : double(item.picture.height());
        bottom = std::max(bottom, item.box.y() + std::max(item.box.height(),
                                                          static_cast<int>(std::ceil(content))));
    }
    const int width = m_page->pageWidth.value_or(viewWidth()) - 2 * kMargin;
    return {kMargin, bottom + kGap, std::max(width, kMinTextWidth), 0};
}

int PreviewArea::viewWidth() const
{
    return std::max(1, width() - 2 * frameWidth());
}

void PreviewArea::relayout()
{
    const int fullWidth = viewWidth();
    const int fullHeight = std::max(1, height() - 2 * frameWidth());
    // Try without the vertical scroll bar first; take it when the page is taller
    // than the view at that scale.
    for (const bool withBar : {false, true}) {
        const int available =
            std::max(1, fullWidth - (withBar ? verticalScrollBar()->sizeHint().width() : 0));
        const QSizeF logical = m_page->logicalSize(available);
        // Shrunk to the view's width, never enlarged: a page narrower than the
        // view keeps its own size.
        const double scale = std::clamp(available / std::max(1.0, logical.width()), 0.1, 1.0);
        const int pageHeight = static_cast<int>(std::ceil(logical.height() * scale));
        if (!withBar && pageHeight > fullHeight)
            continue;
        m_page->setScale(scale);
        m_page->resize(available, std::max(pageHeight, 1));
        m_page->update();
        return;
    }
}

void PreviewArea::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    relayout();
}

bool PreviewArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QScrollArea::eventFilter(watched, event);
}

} // namespace Preview
