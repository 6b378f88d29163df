#include "skin/formproperties.h"

#include <QFont>
#include <QVariant>
#include <QWidget>

namespace {

constexpr char kTag[] = "Tag";

} // namespace

int tagOf(const QObject* control)
{
    return control->property(kTag).toInt();
}

void setTag(QObject* control, int tag)
{
    control->setProperty(kTag, tag);
}

void applyFontPixelSizes(QWidget* form)
{
    // findChildren lists every parent before its children.
    QList<QWidget*> widgets = form->findChildren<QWidget*>();
    widgets.prepend(form);
    for (QWidget* widget : widgets) {
        const QVariant pixelSize = widget->property(kFontPixelSize);
        if (!pixelSize.isValid())
            continue;
        QFont font = widget->font();
        font.setPixelSize(pixelSize.toInt());
        widget->setFont(font);
    }
}
