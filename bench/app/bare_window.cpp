// The yardstick of the start-up benchmark: a bare Qt window of the game
// window's size, printing "window <µs>" (monotonic clock) when first painted.
// With --countdown, the yardstick of the idle figure too: it also shows a
// plain label of the game's remaining time in its font, counted down once a
// second.

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

class BareWindow : public QLabel
{
public:
    BareWindow() : QLabel(QStringLiteral("Corbelet"))
    {
        setAlignment(Qt::AlignCenter);
        setFixedSize(484, 365);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QLabel::paintEvent(event);
        if (m_reported)
            return;
        m_reported = true;
        const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        std::printf("window %lld\n", static_cast<long long>(now.count()));
        std::fflush(stdout);
    }

private:
    bool m_reported = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    BareWindow window;
    QLabel remaining(&window);
    QTimer countdown;
    if (QCoreApplication::arguments().contains(QStringLiteral("--countdown"))) {
        remaining.setGeometry(222, 32, 255, 25);
        remaining.setFrameStyle(QFrame::Panel | QFrame::Sunken);
        remaining.setAlignment(Qt::AlignCenter);
        remaining.setAutoFillBackground(true);
        QFont font(QStringLiteral("Arial"));
        font.setBold(true);
        font.setPixelSize(13);
        remaining.setFont(font);
        int seconds = 180;
        QObject::connect(&countdown, &QTimer::timeout,
                         [&] { remaining.setText(QStringLiteral("Reste : %1s").arg(--seconds)); });
        countdown.start(1000);
    }
    window.show();
    return QApplication::exec();
}
