#include "game/tchecklistbox.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// The standard delegate, with its style option made readable.
class CheckItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::initStyleOption;
    using QStyledItemDelegate::QStyledItemDelegate;
};

} // namespace

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new CheckItemDelegate(this));
    setViewMode(QListView::ListMode);
    // A multi-column list fills column by column: down the first column, then
    // down the next one.
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TCheckListBox::setColumns(int columns, int itemHeight)
{
    // Every column has the same share of the width and holds as many rows as
    // the height takes; the columns that do not fit scroll sideways, the rows
    // never do.
    const int width = contentsRect().width() / columns;
    setGridSize(QSize(width, itemHeight));
    for (int row = 0; row < count(); ++row)
        item(row)->setSizeHint(gridSize());
    const int rows = std::max(1, contentsRect().height() / itemHeight);
    setHorizontalScrollBarPolicy(count() <= rows * columns ? Qt::ScrollBarAlwaysOff
                                                           : Qt::ScrollBarAsNeeded);
}

void TCheckListBox::addCheckItem(const QString& text)
{
    auto* item = new QListWidgetItem(text, this);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    if (gridSize().isValid())
        item->setSizeHint(gridSize());
}

QRect TCheckListBox::checkBoxRect(const QListWidgetItem* item) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex index = indexFromItem(item);
    option.rect = visualRect(index);
    if (auto* delegate = dynamic_cast<CheckItemDelegate*>(itemDelegate()))
        delegate->initStyleOption(&option, index);
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

void TCheckListBox::mousePressEvent(QMouseEvent* event)
{
    // The item view leaves a press in a check box to the delegate, which
    // toggles the box on release without selecting the item: the item is
    // selected here first, so that the space bar afterwards ticks that item.
    const QPoint position = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        QListWidgetItem* pressed = itemAt(position);
        if (pressed && (pressed->flags() & Qt::ItemIsEnabled) &&
            checkBoxRect(pressed).contains(position))
            setCurrentItem(pressed);
    }
    QListWidget::mousePressEvent(event);
}
