#include "game/gameaccessibility.h"

#include "game/countdownpanel.h"
#include "game/rules/wordrules.h"
#include "game/tpendform.h"
#include "text/qtwindows1252.h"

#include <QAccessibleWidget>
#include <QStringList>

namespace {

// The countdown: a fixed name, and its text, read live, as description.
class CountdownInterface : public QAccessibleWidget
{
public:
    explicit CountdownInterface(CountdownPanel* panel)
        : QAccessibleWidget(panel, QAccessible::StaticText)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Description)
            return static_cast<const CountdownPanel*>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* gameInterfaceFactory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    const auto* form = widget ? qobject_cast<const TPendForm*>(widget->window()) : nullptr;
    if (!form)
        return nullptr;
    if (widget == form)
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (widget == form->paInfo)
        return new QAccessibleWidget(widget, QAccessible::AlertMessage);
    if (widget == form->paTempsRestant)
        return new CountdownInterface(form->paTempsRestant);
    return nullptr;
}

} // namespace

QString spokenWord(std::string_view maskedWord)
{
    QStringList positions;
    for (const char symbol : maskedWord) {
        if (symbol == kHiddenLetter)
            positions.append(QStringLiteral("blanc"));
        else if (symbol == '-')
            positions.append(QStringLiteral("tiret"));
        else if (symbol == '\'')
            positions.append(QStringLiteral("apostrophe"));
        else
            positions.append(Windows1252::toQString(std::string_view(&symbol, 1)));
    }
    const auto count = static_cast<qsizetype>(maskedWord.size());
    positions.append(QString::number(count) +
                     (count == 1 ? QStringLiteral(" lettre") : QStringLiteral(" lettres")));
    return positions.join(QStringLiteral(", "));
}

void installGameAccessibleInterfaces()
{
    // Installed after QApplication's own factory, so asked first.
    static const bool installed = [] {
        QAccessible::installFactory(&gameInterfaceFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
