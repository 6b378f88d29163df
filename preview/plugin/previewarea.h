#pragma once

// The preview control of the plug-in: a read-only page, scrollable, on which
// RTF documents, plain texts and pictures are placed at page coordinates. A
// page wider than the control is shown shrunk to the control's width, so that
// it reads without sideways scrolling; its height scrolls.

#include <QImage>
#include <QScrollArea>
#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QTextDocument;

namespace Preview {

class PreviewPage : public QWidget
{
public:
    explicit PreviewPage(QWidget* parent);

    struct Item
    {
        QRect box;                         // page coordinates; the height is a minimum
        QTextDocument* document = nullptr; // owned by the page (QObject child)
        QImage picture;
    };

    void clear();
    void addItem(Item item);
    const std::vector<Item>& items() const { return m_items; }
    // Changes whenever the content does.
    quint64 generation() const { return m_generation; }

    // The page's own size as the script gave it; empty values follow the view.
    std::optional<int> pageWidth;
    std::optional<int> pageHeight;

    // The page's logical size once its content is laid out for `viewWidth`.
    QSizeF logicalSize(int viewWidth) const;
    void setScale(double scale) { m_scale = scale; }
    double scale() const { return m_scale; }

    // Where a screen reader reads: an offset into the page's text (see
    // previewaccessibility.h), moved line by line with the arrow keys.
    int caret = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::vector<Item> m_items;
    quint64 m_generation = 0;
    double m_scale = 1.0;
};

class PreviewArea : public QScrollArea
{
public:
    // `embedded`: a control filling `parent`; otherwise a window of its own
    // that `parent` (may be null) owns.
    PreviewArea(QWidget* parent, bool embedded);

    PreviewPage* page() const { return m_page; }

    // Empties the preview; with `forgetPageSize`, back to the view's size.
    void clear(bool forgetPageSize);
    // Runs a command script. On an unreadable script the content is replaced
    // by a notice; a document that cannot be shown is replaced by a notice in
    // its place.
    void runScript(std::string_view script, bool framed);
    // Adds a document below the content, across the page; false when a notice
    // stands in its place.
    bool addRtfFile(const std::string& path);
    bool addRtfData(std::string_view data, const QString& name);
    void addText(const QString& text);
    void addPicture(const QImage& picture);

    int copies = 1;
    bool autoBegin = false;

    // Keeps the page's scale and size in step with its content and the view.
    void relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect nextBox() const;
    bool placeRtfFile(const QString& name, QRect box);
    bool placeRtf(std::string_view data, const QString& name, QRect box);
    void placeNotice(const QString& reason, QRect box);
    QTextDocument* newDocument(const char* kind);
    int viewWidth() const;

    PreviewPage* m_page;
};

} // namespace Preview
