#pragma once

// The "Progrès" page of the configuration window: the player's progress as
// the player's base keeps it (wordstore/progress.h): the best scores, the
// words won and lost each day, a chart of the last 30 days, the words missed
// most often, and the button "Réviser ces mots" that puts those words in the
// list « À revoir ».

#include <QDate>
#include <QWidget>

#include <memory>

class TWordStore;

namespace Ui {
class ProgressPage;
}

class ProgressPage : public QWidget
{
    Q_OBJECT

public:
    // How many days the chart shows, today the last.
    static constexpr int kChartDays = 30;

    explicit ProgressPage(QWidget* parent = nullptr);
    ~ProgressPage() override;

    // Reads and shows the progress of the store's base as of `today`; the
    // page keeps the store for its button. Raises the store's error.
    void showProgress(TWordStore& store, const QDate& today = QDate::currentDate());

signals:
    // The list « À revoir » was made or grew: the lists shown elsewhere change.
    void reviewListMade();

private:
    void btReviserClick();
    void showChart(const QDate& today, TWordStore& store);

    std::unique_ptr<Ui::ProgressPage> m_ui;
    // The chart from its plug-in, made at the first showProgress(); null
    // until then, and when the plug-in is missing.
    QWidget* m_chart = nullptr;
    bool m_chartTried = false;
    TWordStore* m_store = nullptr;
    QDate m_today;
};
