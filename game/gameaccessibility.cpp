#include "game/gameaccessibility.h"

#include "game/tpendform.h"
#include "rules/wordrules.h"
#include "text/qtwindows1252.h"

#include <QAccessibleWidget>
#include <QFocusFrame>
#include <QLabel>
#include <QMenu>
#include <QStringList>

#include <algorithm>

namespace {

// A pick's letter at the start of its announcement: the hyphen and the
// apostrophe by their names, the time-out by what happened.
QString spokenPickLetter(char letter)
{
    if (letter == '-')
        return QStringLiteral("Tiret");
    if (letter == '\'')
        return QStringLiteral("Apostrophe");
    if (letter == kTimeOutLetter)
        return QStringLiteral("Temps écoulé");
    return Windows1252::toQString(std::string_view(&letter, 1));
}

// "1 lettre trouvée", "2 lettres trouvées": French keeps the singular for 0 and 1.
QString counted(std::int32_t count, const char* singular, const char* plural)
{
    return QString::number(count) + QLatin1Char(' ') +
           QString::fromUtf8(count > 1 ? plural : singular);
}

// The pictures that only decorate the window or its panel: the pieces of the
// drawing (the gallows' own picture says how far it has grown), the frame
// around it and the panel's picture. (Controls of the form are known by their
// names in tpendform.ui.)
bool isDecoration(const TPendForm& form, const QWidget* widget)
{
    const QString name = widget->objectName();
    if (name == QLatin1String("Bevel1") || name == QLatin1String("imgInfo"))
        return true;
    if (widget->parentWidget() != &form)
        return false;
    for (int piece = 0; piece < kPieceCount; ++piece)
        if (name == QLatin1String(pieceName(static_cast<Piece>(piece))))
            return true;
    return false;
}

// A container whose decorative children are left out of what assistive
// technologies see; the other children as Qt lists them.
class ContainerInterface : public QAccessibleWidget
{
public:
    ContainerInterface(QWidget* widget, QAccessible::Role role, const TPendForm& form)
        : QAccessibleWidget(widget, role), m_form(form)
    {}

    int childCount() const override { return static_cast<int>(shownChildren().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> children = shownChildren();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        return static_cast<int>(shownChildren().indexOf(qobject_cast<QWidget*>(child->object())));
    }

private:
    QList<QWidget*> shownChildren() const
    {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && !qobject_cast<QFocusFrame*>(child) &&
                !qobject_cast<QMenu*>(child) && !isDecoration(m_form, child))
                children.append(child);
        }
        return children;
    }

    const TPendForm& m_form;
};

// The drawing's background: the one picture of the gallows, named by how far
// the drawing has grown, read live.
class GallowsInterface : public QAccessibleWidget
{
public:
    GallowsInterface(QWidget* background, const TPendForm& form)
        : QAccessibleWidget(background, QAccessible::Graphic), m_form(form)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind != QAccessible::Name)
            return QAccessibleWidget::text(kind);
        const HangmanGame& game = m_form.game();
        if (game.record().NbMotJoue < 0)
            return QStringLiteral("Potence : aucun mot en jeu");
        return spokenGallows(game.word().NbErreur, errorLimit(game.record().Niveau));
    }

private:
    const TPendForm& m_form;
};

// The countdown: a fixed name, and its text, read live, as description. Its
// name being fixed is also what keeps QLabel from reporting each new text as
// a name change.
class CountdownInterface : public QAccessibleWidget
{
public:
    explicit CountdownInterface(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Description)
            return static_cast<const QLabel*>(widget())->text();
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
        return new ContainerInterface(widget, QAccessible::Window, *form);
    const QString name = widget->objectName();
    if (name == QLatin1String("paInfo"))
        return new ContainerInterface(widget, QAccessible::AlertMessage, *form);
    if (name == QLatin1String("Shape1"))
        return new GallowsInterface(widget, *form);
    if (form->isAnnouncer(widget))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (auto* countdown = qobject_cast<QLabel*>(widget);
        countdown && name == QLatin1String("paTempsRestant"))
        return new CountdownInterface(countdown);
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

QString spokenGallows(std::int32_t errors, std::int32_t limit)
{
    return QStringLiteral("Potence : ") + counted(errors, "erreur", "erreurs") +
           QStringLiteral(" sur ") + QString::number(limit);
}

QString spokenPick(char letter, PickOutcome::Status status, const WordInPlay& word,
                   std::int32_t errorLimit)
{
    using Status = PickOutcome::Status;
    const QString symbol = spokenPickLetter(letter);
    switch (status) {
    case Status::Ignored:
        return QString();
    case Status::Repeated:
        return QStringLiteral("Lettre déjà essayée");
    case Status::Found:
    case Status::Won: {
        const auto found =
            static_cast<std::int32_t>(std::count(word.Mot.begin(), word.Mot.end(), letter));
        return symbol + QStringLiteral(" : ") +
               counted(found, "lettre trouvée", "lettres trouvées");
    }
    case Status::NotFound:
    case Status::Lost:
        break;
    }
    const std::int32_t left = std::max(0, errorLimit - word.NbErreur);
    return symbol + QStringLiteral(" : erreur, ") +
           (left == 0 ? QStringLiteral("aucun essai restant")
                      : counted(left, "essai restant", "essais restants"));
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
