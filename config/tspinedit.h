#pragma once

// A bounded integer field with arrows. Typing is limited to digits, "+", "-"
// and the decimal separator; while the text is being edited the value is the
// text's number clamped to the range, or the lower bound when the text is not
// a whole number. The text itself is clamped when the focus leaves the field.

#include <QSpinBox>

class TSpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // Whether c may be typed into the field.
    bool isAllowedCharacter(QChar c) const;

protected:
    QValidator::State validate(QString& text, int& position) const override;
    int valueFromText(const QString& text) const override;
    void fixup(QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;
};
