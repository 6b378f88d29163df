#include "app/startuptrace.h"

#include <QEvent>
#include <QLabel>
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

// Prints a label's text each time it is painted with a new one.
class TextProbe : public QObject
{
public:
    explicit TextProbe(QLabel* watched) : QObject(watched), m_label(watched)
    {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_label->text() != m_printed) {
            m_printed = m_label->text();
            QString shown = m_printed;
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("|"));
            shown.replace(QLatin1Char('\n'), QLatin1Char('|'));
            std::printf("text %s %s\n", qPrintable(m_label->objectName()),
                        shown.toUtf8().constData());
            std::fflush(stdout);
        }
        return false;
    }

private:
    QLabel* m_label;
    QString m_printed;
};

} // namespace

void InstallStartupTrace(QWidget* gameWindow)
{
    if (gameWindow == nullptr || qEnvironmentVariableIsEmpty("CORBELET_STARTUP_TRACE"))
        return;
    new FirstPaintProbe(gameWindow, "window"); // owned by the watched widget
    if (auto* panel = gameWindow->findChild<QWidget*>(QStringLiteral("paInfo")))
        new FirstPaintProbe(panel, "panel");
    for (const char* name : {"laTextInfo", "affMot"}) {
        if (auto* label = gameWindow->findChild<QLabel*>(QLatin1String(name)))
            new TextProbe(label); // owned by the watched label
    }
}
