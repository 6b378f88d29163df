#include "config/tspinedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent)
{
    // Every keystroke sets the value, so the min/max coupling of the range
    // boxes runs while the player types (Qt's default, relied upon here).
    setKeyboardTracking(true);
}

bool TSpinEdit::isAllowedCharacter(QChar c) const
{
    // ASCII digits only: other scripts' digits are no number to the field.
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') ||
           c == QLatin1Char('-') || QString(c) == locale().decimalPoint();
}

QValidator::State TSpinEdit::validate(QString& text, int& /*position*/) const
{
    for (const QChar c : text) {
        if (!isAllowedCharacter(c))
            return QValidator::Invalid;
    }
    // Any text of allowed characters stands while it is edited; its value is
    // worked out by valueFromText.
    return QValidator::Acceptable;
}

int TSpinEdit::valueFromText(const QString& text) const
{
    bool isNumber = false;
    // Only plain decimal digits with an optional sign, as typed; no group
    // separators.
    const int number = QLocale::c().toInt(text, &isNumber);
    if (!isNumber)
        return minimum();
    return qBound(minimum(), number, maximum());
}

void TSpinEdit::fixup(QString& text) const
{
    text = textFromValue(valueFromText(text));
}

void TSpinEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (printable &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        for (const QChar c : typed) {
            if (!isAllowedCharacter(c)) {
                QApplication::beep();
                event->accept();
                return;
            }
        }
    }
    QSpinBox::keyPressEvent(event);
}
