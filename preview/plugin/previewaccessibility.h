#pragma once

// What a screen reader reads of the preview: the page is a document whose
// text interface holds what the page shows, block by block (headings and
// paragraphs, each on its own line) in reading order, top to bottom and left
// to right; pictures have no text. Its name is the first heading.

#include <QRectF>
#include <QString>

#include <vector>

namespace Preview {

class PreviewPage;

// The page's text as a screen reader reads it, with where each line is.
struct PageText
{
    struct Line
    {
        int start = 0;  // offset of its first character in text
        int length = 0; // without the line break that ends it
        QRectF box;     // page coordinates
        bool heading = false;
    };
    QString text;
    std::vector<Line> lines;
};

// A heading is a block written bold throughout, or larger than the text
// that fills most of the page.
PageText readPage(const PreviewPage& page);

// Installs, once per process, the page's accessible interface.
void installPreviewAccessibleInterfaces();

} // namespace Preview
