#include "app/startuptrace.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QObject>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

long long nowMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

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
            std::printf("%s %lld\n", m_label, nowMicroseconds());
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

// Times each draw from the program's side: the first key or click received
// after the counters were last painted, to their painting with a new text
// (every draw changes the number of words played; a masked word may not
// change, and all that a draw changes is painted in one pass).
class DrawProbe : public QObject
{
public:
    explicit DrawProbe(QLabel* counters) : QObject(counters), m_counters(counters)
    {
        m_printed = counters->text();
        // The application's filter sees every event, the counters' paints too.
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (m_received == 0 && (type == QEvent::KeyPress || type == QEvent::ShortcutOverride ||
                                type == QEvent::MouseButtonPress)) {
            m_received = nowMicroseconds();
        } else if (watched == m_counters && type == QEvent::Paint &&
                   m_counters->text() != m_printed) {
            m_printed = m_counters->text();
            if (m_received != 0) {
                std::printf("draw %lld %lld\n", m_received, nowMicroseconds());
                std::fflush(stdout);
            }
            m_received = 0;
        }
        return false;
    }

private:
    QLabel* m_counters;
    QString m_printed;
    long long m_received = 0;
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
    if (auto* counters = gameWindow->findChild<QLabel*>(QStringLiteral("Panel2")))
        new DrawProbe(counters); // owned by the watched label
}
