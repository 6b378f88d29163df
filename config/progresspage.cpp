#include "config/progresspage.h"

#include "skin/reportedslot.h"
#include "text/qtwindows1252.h"
#include "wordstore/progress.h"
#include "wordstore/wordstore.h"

#include "ui_progresspage.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QHeaderView>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

#include <algorithm>
#include <map>

namespace {

// Puts rows of texts in a table, whose columns its form gives.
void fillTable(QTableWidget* table, const std::vector<QStringList>& rows)
{
    table->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const QStringList& cells = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
}

// "2026-12-10 14:03:00" as "10/12/2026".
QString shownDay(const std::string& time)
{
    return QDate::fromString(QString::fromLatin1(time.substr(0, 10)), Qt::ISODate)
        .toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace

ProgressPage::ProgressPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ProgressPage>())
{
    m_ui->setupUi(this);
    for (QTableWidget* table : {m_ui->tbMeilleurs, m_ui->tbJours, m_ui->tbManques})
        table->horizontalHeader()->setStretchLastSection(true);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_ui->chGraphique->setChart(m_chart);
    m_ui->chGraphique->setRenderHint(QPainter::Antialiasing);
    m_won = new QLineSeries;
    m_lost = new QLineSeries;
    m_won->setName(QStringLiteral("Gagnés"));
    m_lost->setName(QStringLiteral("Perdus"));
    m_won->setPen(QPen(QColor(0x2e, 0x8b, 0x57), 2));
    m_lost->setPen(QPen(QColor(0xc0, 0x39, 0x2b), 2));
    auto* const days = new QDateTimeAxis;
    days->setFormat(QStringLiteral("dd/MM"));
    days->setTickCount(6);
    auto* const counts = new QValueAxis;
    counts->setLabelFormat(QStringLiteral("%d"));
    m_chart->addAxis(days, Qt::AlignBottom);
    m_chart->addAxis(counts, Qt::AlignLeft);
    for (QLineSeries* series : {m_won, m_lost}) {
        series->setPointsVisible(true);
        m_chart->addSeries(series);
        series->attachAxis(days);
        series->attachAxis(counts);
    }

    m_ui->btReviser->setEnabled(false);
    connect(m_ui->btReviser, &QPushButton::clicked, this,
            Reported(this, &ProgressPage::btReviserClick));
}

ProgressPage::~ProgressPage() = default;

void ProgressPage::showProgress(TWordStore& store, const QDate& today)
{
    m_store = &store;
    m_today = today;

    std::vector<QStringList> best;
    for (const WordCatalogue::ProgressRow& row : ReadBestScores(store))
        best.push_back({shownDay(row.time), Windows1252::toQString(row.word),
                        QString::number(row.level), QString::number(row.points),
                        QString::number(row.mistakes)});
    fillTable(m_ui->tbMeilleurs, best);

    std::vector<QStringList> days;
    const std::vector<DayResults> results = ReadDailyResults(store);
    for (auto day = results.rbegin(); day != results.rend(); ++day) // the latest first
        days.push_back({shownDay(day->day), QString::number(day->won), QString::number(day->lost)});
    fillTable(m_ui->tbJours, days);

    std::vector<QStringList> missed;
    for (const MissedWord& word : ReadMostMissed(store))
        missed.push_back({Windows1252::toQString(word.word), QString::number(word.times)});
    fillTable(m_ui->tbManques, missed);
    m_ui->btReviser->setEnabled(!missed.empty());
    m_ui->laRevision->clear();

    showChart(today, store);
}

void ProgressPage::showChart(const QDate& today, TWordStore& store)
{
    const QDate first = today.addDays(1 - kChartDays);
    std::map<QDate, DayResults> byDay;
    for (const DayResults& day : ReadDailyResults(store, first.toString(Qt::ISODate).toStdString()))
        byDay[QDate::fromString(QString::fromLatin1(day.day), Qt::ISODate)] = day;
    QList<QPointF> won, lost;
    int most = 0;
    for (QDate day = first; day <= today; day = day.addDays(1)) {
        const auto found = byDay.find(day);
        const int dayWon = found == byDay.end() ? 0 : found->second.won;
        const int dayLost = found == byDay.end() ? 0 : found->second.lost;
        // At noon, so that the point sits in the middle of its day.
        const qreal at = QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch();
        won.append({at, qreal(dayWon)});
        lost.append({at, qreal(dayLost)});
        most = std::max({most, dayWon, dayLost});
    }
    m_won->replace(won);
    m_lost->replace(lost);
    m_chart->axes(Qt::Horizontal)
        .first()
        ->setRange(QDateTime(first, QTime(0, 0)), QDateTime(today, QTime(23, 59)));
    auto* const counts = qobject_cast<QValueAxis*>(m_chart->axes(Qt::Vertical).first());
    counts->setRange(0, std::max(most, 1));
    counts->setTickCount(std::min(std::max(most, 1), 5) + 1);
}

void ProgressPage::btReviserClick()
{
    if (!m_store)
        return;
    const std::string list(kReviewListName);
    const ReviewListResult result = MakeReviewList(*m_store, list, m_store->Database);
    const QString name = Windows1252::toQString(list);
    const int added = result.addedRows;
    m_ui->laRevision->setText(
        added == 0   ? QStringLiteral("La liste « %1 » a déjà ces mots.").arg(name)
        : added == 1 ? QStringLiteral("1 mot ajouté à la liste « %1 ».").arg(name)
                     : QStringLiteral("%1 mots ajoutés à la liste « %2 ».").arg(added).arg(name));
    emit reviewListMade();
}
