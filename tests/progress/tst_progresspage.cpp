// The progress record in a real base, and the "Progrès" page over it: a week
// of games recorded one row a word, on a base made before the record existed;
// the page's tables and chart; its button that makes the list « À revoir ».

#include "config/progresspage.h"
#include "tests/progress/progressweek.h"
#include "tests/support/fixturebase.h"
#include "text/qtwindows1252.h"
#include "wordstore/progress.h"
#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"

#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

namespace {

QStringList column(const QTableWidget* table, int index)
{
    QStringList cells;
    for (int row = 0; row < table->rowCount(); ++row)
        cells.append(table->item(row, index)->text());
    return cells;
}

} // namespace

class ProgressPageTest : public QObject
{
    Q_OBJECT

private slots:
    void weekOfGames()
    {
        FixtureBase base(QStringLiteral("wordstore"));
        QVERIFY(base.isValid());
        // A base made before the record: without its table.
        for (const char* suffix : {".frm", ".MYD", ".MYI"})
            QVERIFY(
                QFile::remove(QStringLiteral("data/listedemots/progres") + QLatin1String(suffix)));
        TWordStore store;
        store.Connect();
        for (const WordCatalogue::ProgressRow& game : ProgressWeek::kGames)
            RecordFinishedWord(store, game);
        const std::vector<WordCatalogue::ProgressRow> rows = ReadProgress(store);
        QCOMPARE(rows.size(), ProgressWeek::kGames.size());
        QCOMPARE(rows.back().word, ProgressWeek::kGames.back().word);
        QCOMPARE(rows.front().player, "Zo\xE9");

        ProgressPage page;
        page.showProgress(store, QDate::fromString(ProgressWeek::kToday, Qt::ISODate));
        const auto* best = page.findChild<QTableWidget*>(QStringLiteral("tbMeilleurs"));
        QCOMPARE(column(best, 1), QStringList({"zigzag", "arbre", "maison", "vite"}));
        QCOMPARE(column(best, 3), QStringList({"150", "40", "23", "18"}));
        const auto* days = page.findChild<QTableWidget*>(QStringLiteral("tbJours"));
        QCOMPARE(column(days, 0).first(), QStringLiteral("15/03/2026"));
        QCOMPARE(column(days, 1), QStringList({"0", "1", "0", "1", "1", "0", "1"}));
        QCOMPARE(column(days, 2), QStringList({"1", "0", "2", "0", "1", "1", "1"}));
        const auto* missed = page.findChild<QTableWidget*>(QStringLiteral("tbManques"));
        QCOMPARE(column(missed, 0), QStringList({"élève", "porte-clés", "chanter"}));
        QCOMPARE(column(missed, 1), QStringList({"3", "2", "1"}));

        // The chart: a point a day for 30 days, today last; the week in the last 7.
        const auto* view = page.findChild<QChartView*>(QStringLiteral("chGraphique"));
        const QList<QAbstractSeries*> series = view->chart()->series();
        QCOMPARE(series.size(), 2);
        const QList<QPointF> won = qobject_cast<QLineSeries*>(series[0])->points();
        const QList<QPointF> lost = qobject_cast<QLineSeries*>(series[1])->points();
        QCOMPARE(won.size(), ProgressPage::kChartDays);
        QCOMPARE(lost.size(), ProgressPage::kChartDays);
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(qint64(won.last().x())).date(), QDate(2026, 3, 15));
        const QList<qreal> lastWeekWon = {1, 0, 1, 1, 0, 1, 0};
        const QList<qreal> lastWeekLost = {1, 1, 1, 0, 2, 0, 1};
        for (int day = 0; day < ProgressPage::kChartDays; ++day) {
            const int inWeek = day - (ProgressPage::kChartDays - 7);
            QCOMPARE(won[day].y(), inWeek < 0 ? 0.0 : lastWeekWon[inWeek]);
            QCOMPARE(lost[day].y(), inWeek < 0 ? 0.0 : lastWeekLost[inWeek]);
        }

        // The missed words become the list « À revoir », once.
        QSignalSpy made(&page, &ProgressPage::reviewListMade);
        auto* review = page.findChild<QPushButton*>(QStringLiteral("btReviser"));
        QVERIFY(review->isEnabled());
        QTest::mouseClick(review, Qt::LeftButton);
        QCOMPARE(made.size(), 1);
        const auto* said = page.findChild<QLabel*>(QStringLiteral("laRevision"));
        QCOMPARE(said->text(), QStringLiteral("3 mots ajoutés à la liste « À revoir »."));
        const std::vector<WordListSummary> lists = ReadWordLists(store);
        QCOMPARE(lists.size(), std::size_t(1));
        QCOMPARE(lists.front().name, std::string(kReviewListName));
        QCOMPARE(lists.front().words, 3);
        QTest::mouseClick(review, Qt::LeftButton);
        QCOMPARE(said->text(), QStringLiteral("La liste « À revoir » a déjà ces mots."));
        QCOMPARE(ReadWordLists(store).front().words, 3);
    }
};

QTEST_MAIN(ProgressPageTest)
#include "tst_progresspage.moc"
