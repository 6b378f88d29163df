#pragma once

// A check list box: items with a check box each, laid out in columns. A click
// inside an item's check box toggles its tick (QListWidget::itemChanged) and
// makes that item the current, selected one, as the space bar on the selected
// item toggles it; a click on the text beside the box only selects the item.

#include <QListWidget>

class TCheckListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit TCheckListBox(QWidget* parent = nullptr);

    // Lays the items out in the given number of columns of rows itemHeight
    // high; call it once the bounds are set.
    void setColumns(int columns, int itemHeight);

    void addCheckItem(const QString& text);

    // The item's check box, in viewport coordinates, as the item delegate sees
    // it when it handles a click.
    QRect checkBoxRect(const QListWidgetItem* item) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
