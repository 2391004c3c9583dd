#pragma once
#include <QFutureWatcher>
#include <QString>

#include <atomic>
#include <memory>

#include "core/archive/Failure.h"
#include "core/report/StatisticsLayout.h"
#include "core/statistics/Statistics.h"
#include "gui/widgets/FixedWindow.h"

class QComboBox;
class QLabel;
class QTimer;
class TBanner;
class THints;
class TPictureButton;
class TStatisticsChart;

// Statistics window: what the open collection is worth and what it is made
// of. The totals in lblTotali, a breakdown chosen with cmbRaggruppa drawn as
// bars; every number and every bar opens the list of its cards, from which a
// double-click brings a card to the sheet. The figures are computed off the
// user-interface thread while the window shows a progress line. Per use:
// created by the record sheet, shown modally, destroyed.
class TfrmStatistiche : public TFixedDialog {
    Q_OBJECT
public:
    TfrmStatistiche(QWidget* owner, const QString& archivePath, const QString& archiveName);
    ~TfrmStatistiche() override;

    // Null until the figures are ready.
    const TCollectionStatistics* statistics() const { return m_statistics.get(); }
    Breakdown breakdown() const;

    void cmbRaggruppaChange();
    void cmdStampaClick();
    void cmdAnteprimaClick();
    void cmdChiudiClick();
    // The list of the cards behind a total (lblTotali's links) or a bar.
    void lblTotaliLinkClick(const QString& link);
    void imgGraficoClick(int bar);

    TStatisticsLayout& layout() { return m_layout; }

signals:
    // A card was chosen in one of the lists; the window closes after it.
    void recordChosen(qint32 number);
    // The figures are on screen.
    void computed();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void start();
    void showProgress();
    void finished();
    void showTotals();
    void openList(const QString& title, const std::vector<qint32>& records);

    TBanner* imgLogo;
    QLabel* lblRaggruppa;
    QComboBox* cmbRaggruppa;
    TPictureButton* cmdAnteprima;
    TPictureButton* cmdStampa;
    TPictureButton* cmdChiudi;
    QLabel* lblTotali;
    TStatisticsChart* imgGrafico;
    QLabel* lblAvanzamento;
    QLabel* panInfo;

    QString m_archivePath;
    QString m_archiveName;
    THints* m_hints = nullptr;
    TStatisticsLayout m_layout;
    std::shared_ptr<const TCollectionStatistics> m_statistics;

    // What the worker shares with the window while it runs.
    struct Work {
        std::atomic<qint32> done{0};
        std::atomic<qint32> total{-1};
        std::atomic<bool> stop{false};
        std::atomic<bool> failed{false};
        TFailure failure; // set before the work ends, read once it has
    };
    std::shared_ptr<Work> m_work;
    QFutureWatcher<std::shared_ptr<const TCollectionStatistics>> m_watcher;
    QTimer* m_progressTimer = nullptr;
    bool m_started = false;
    bool m_chosen = false;
};
