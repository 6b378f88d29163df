#include "config/configaccessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

#include <algorithm>

namespace {

// A drop-down list named by its accessible name (what its label says), its
// chosen entry as its value and as its one line of read-only text (where
// screen readers look for a drop-down's value when its list offers no
// selection); its list of entries is its one child, as with Qt's own
// interface. Without a name of its own it reads as Qt's does.
class NamedComboBoxInterface : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit NamedComboBoxInterface(QComboBox* comboBox)
        : QAccessibleWidget(comboBox, QAccessible::ComboBox)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QComboBox* comboBox() const { return static_cast<QComboBox*>(widget()); }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value ||
            (kind == QAccessible::Name && comboBox()->accessibleName().isEmpty()))
            return comboBox()->currentText();
        return QAccessibleWidget::text(kind);
    }

    int childCount() const override { return comboBox()->view() ? 1 : 0; }

    QAccessibleInterface* child(int index) const override
    {
        if (index != 0 || !comboBox()->view())
            return nullptr;
        return QAccessible::queryAccessibleInterface(comboBox()->view());
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && comboBox()->view() && child->object() == comboBox()->view() ? 0 : -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        const bool open = comboBox()->view() && comboBox()->view()->isVisible();
        state.expanded = open;
        state.collapsed = !open;
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction())
            comboBox()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

    // QAccessibleTextInterface: the chosen entry, one line, no caret of its own.
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString value = comboBox()->currentText();
        startOffset = std::clamp(startOffset, 0, static_cast<int>(value.size()));
        if (endOffset < 0 || endOffset > value.size())
            endOffset = static_cast<int>(value.size());
        return value.mid(startOffset, std::max(0, endOffset - startOffset));
    }
    QString textBeforeOffset(int, QAccessible::TextBoundaryType, int* startOffset,
                             int* endOffset) const override
    {
        *startOffset = *endOffset = -1;
        return QString();
    }
    QString textAfterOffset(int, QAccessible::TextBoundaryType, int* startOffset,
                            int* endOffset) const override
    {
        *startOffset = *endOffset = -1;
        return QString();
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                         int* endOffset) const override
    {
        const auto length = characterCount();
        if (boundary == QAccessible::CharBoundary && offset >= 0 && offset < length) {
            *startOffset = offset;
            *endOffset = offset + 1;
        } else {
            *startOffset = 0;
            *endOffset = length;
        }
        return text(*startOffset, *endOffset);
    }
    int characterCount() const override
    {
        return static_cast<int>(comboBox()->currentText().size());
    }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }
};

QAccessibleInterface* configInterfaceFactory(const QString&, QObject* object)
{
    // Asked as the list is made, before it has its name or its window: every
    // drop-down that cannot be typed into.
    auto* comboBox = qobject_cast<QComboBox*>(object);
    if (!comboBox || comboBox->isEditable())
        return nullptr;
    return new NamedComboBoxInterface(comboBox);
}

} // namespace

void installConfigAccessibleInterfaces()
{
    // Installed after QApplication's own factory, so asked first.
    static const bool installed = [] {
        QAccessible::installFactory(&configInterfaceFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
