#include "config/chart/progresschart.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

#include <algorithm>

#define CORBELET_CHART_API extern "C" __attribute__((visibility("default")))

CORBELET_CHART_API QWidget* CorbeletCreateProgressChart(QWidget* parent)
{
    auto* const view = new QChartView(parent);
    view->setObjectName(QStringLiteral("chGraphique"));
    view->setRenderHint(QPainter::Antialiasing);
    auto* const chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    view->setChart(chart);
    auto* const days = new QDateTimeAxis;
    days->setFormat(QStringLiteral("dd/MM"));
    days->setTickCount(6);
    auto* const counts = new QValueAxis;
    counts->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(days, Qt::AlignBottom);
    chart->addAxis(counts, Qt::AlignLeft);
    const std::pair<QString, QColor> lines[] = {
        {QStringLiteral("Gagnés"), QColor(0x2e, 0x8b, 0x57)},
        {QStringLiteral("Perdus"), QColor(0xc0, 0x39, 0x2b)}};
    for (const auto& [name, colour] : lines) {
        auto* const series = new QLineSeries;
        series->setName(name);
        series->setPen(QPen(colour, 2));
        series->setPointsVisible(true);
        chart->addSeries(series);
        series->attachAxis(days);
        series->attachAxis(counts);
    }
    return view;
}

CORBELET_CHART_API void CorbeletShowProgressChart(QWidget* chart, QDate first, const int* won,
                                                  const int* lost, int days)
{
    QChart* const shown = static_cast<QChartView*>(chart)->chart();
    const QList<QAbstractSeries*> series = shown->series();
    int most = 0;
    for (int line = 0; line < 2; ++line) {
        const int* const counts = line == 0 ? won : lost;
        QList<QPointF> points;
        for (int day = 0; day < days; ++day) {
            // At noon, so that the point sits in the middle of its day.
            const QDateTime noon(first.addDays(day), QTime(12, 0));
            points.append({qreal(noon.toMSecsSinceEpoch()), qreal(counts[day])});
            most = std::max(most, counts[day]);
        }
        static_cast<QLineSeries*>(series[line])->replace(points);
    }
    shown->axes(Qt::Horizontal)
        .first()
        ->setRange(QDateTime(first, QTime(0, 0)),
                   QDateTime(first.addDays(days - 1), QTime(23, 59)));
    auto* const counts = static_cast<QValueAxis*>(shown->axes(Qt::Vertical).first());
    counts->setRange(0, std::max(most, 1));
    counts->setTickCount(std::min(std::max(most, 1), 5) + 1);
}
