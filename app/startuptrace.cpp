#include "app/startuptrace.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class FirstPaintProbe : public QObject
{
public:
    FirstPaintProbe(QWidget* watched, const char* label) : QObject(watched), m_label(label)
    {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now().time_since_epoch());
            std::printf("%s %lld\n", m_label, static_cast<long long>(now.count()));
            std::fflush(stdout);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    const char* m_label;
};

} // namespace

void InstallStartupTrace(QWidget* gameWindow)
{
    if (gameWindow == nullptr || qEnvironmentVariableIsEmpty("CORBELET_STARTUP_TRACE"))
        return;
    new FirstPaintProbe(gameWindow, "window"); // owned by the watched widget
    if (auto* panel = gameWindow->findChild<QWidget*>(QStringLiteral("paInfo")))
        new FirstPaintProbe(panel, "panel");
}
