#include "config/progresspage.h"

#include "config/chart/progresschart.h"
#include "layout/programlibrary.h"
#include "skin/reportedslot.h"
#include "text/qtwindows1252.h"
#include "wordstore/progress.h"
#include "wordstore/wordstore.h"

#include "ui_progresspage.h"

#include <QHeaderView>
#include <QLabel>

#include <dlfcn.h>

#include <vector>

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

namespace {

// The chart plug-in's entry points, bound once per process; null when the
// plug-in is missing, which leaves the page without its chart (the game's
// rule for its optional run-time libraries: skipped silently).
struct ChartLibrary
{
    CreateProgressChartFunction create = nullptr;
    ShowProgressChartFunction show = nullptr;
};

const ChartLibrary& chartLibrary()
{
    static const ChartLibrary library = [] {
        ChartLibrary bound;
        // Kept loaded until the process ends, as the other libraries.
        void* const handle =
            dlopen(ProgramLibraryFile(kProgressChartLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return bound;
        bound.create =
            reinterpret_cast<CreateProgressChartFunction>(dlsym(handle, kCreateProgressChart));
        bound.show = reinterpret_cast<ShowProgressChartFunction>(dlsym(handle, kShowProgressChart));
        if (!bound.create || !bound.show)
            bound = {};
        return bound;
    }();
    return library;
}

} // namespace

void ProgressPage::showChart(const QDate& today, TWordStore& store)
{
    if (!m_chartTried) {
        m_chartTried = true;
        if (chartLibrary().create)
            m_chart = chartLibrary().create(m_ui->paGraphique);
        m_ui->paGraphique->layout()->addWidget(
            m_chart ? m_chart : new QLabel(QStringLiteral("Graphique indisponible.")));
    }
    if (!m_chart)
        return;
    const QDate first = today.addDays(1 - kChartDays);
    std::vector<int> won(kChartDays), lost(kChartDays);
    for (const DayResults& day :
         ReadDailyResults(store, first.toString(Qt::ISODate).toStdString())) {
        const qint64 index =
            first.daysTo(QDate::fromString(QString::fromLatin1(day.day), Qt::ISODate));
        if (index >= 0 && index < kChartDays) {
            won[std::size_t(index)] = day.won;
            lost[std::size_t(index)] = day.lost;
        }
    }
    chartLibrary().show(m_chart, first, won.data(), lost.data(), kChartDays);
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
