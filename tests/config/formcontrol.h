#pragma once

// A window's control by its name in the window's form (its objectName), as
// the form's class: the windows keep their forms to themselves. Only the
// window's own controls count, not those of a window it owns (the game window
// owns the configuration window). The test program stops at a name the
// window lacks.

#include <QObject>
#include <QWidget>

#include <type_traits>

template <typename Control, typename Window>
Control* control(const Window& window, const char* name)
{
    const QObject* owner = nullptr;
    if constexpr (std::is_base_of_v<QObject, Window>)
        owner = &window;
    else
        owner = &*window;
    for (Control* found : owner->template findChildren<Control*>(QLatin1String(name))) {
        const auto* widget = qobject_cast<const QWidget*>(found);
        if (!widget || widget->window() == owner)
            return found;
    }
    qFatal("%s has no control %s", qPrintable(owner->objectName()), name);
}
