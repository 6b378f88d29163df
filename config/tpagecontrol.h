#pragma once

// The window's page control: a tab widget whose tabs look like flat buttons.

#include <QTabWidget>

class TPageControl : public QTabWidget
{
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    // The size a page takes inside the control at its current geometry. A
    // hidden tab widget lays its pages out only when it is first shown; this
    // works the same size out beforehand, for pages that must know their
    // final size at once.
    QSize pageSize() const;
};
