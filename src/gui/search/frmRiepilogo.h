#pragma once
#include <QHash>
#include <QStringList>

#include "core/search/Ricerca.h"
#include "gui/search/SummaryReport.h"
#include "gui/widgets/FixedWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TBanner;
class TSummaryList;

// What the find window's results and the for-sale listing have in common: a
// fixed window over the record sheet's archive holding the results panel
// `panContainer` (banner, find in the list, the sorted list of record lines,
// print and close), and handing a chosen line's record number back.
class TfrmRiepilogo : public TFixedDialog {
    Q_OBJECT
public:
    // Each listing window holds its own copy of the summary layout.
    TSummaryReport frxReport;

    // The item texts in list order, and the title the summary report gives them.
    QStringList lines() const;
    QString printTitle() const { return m_printTitle; }

    // Find in the list: from the selected line on, the next line holding the
    // text of txtTrova (A-Z without regard to case), wrapping around.
    void btnTrovaClick();
    // Hands the selected line's record number back (recordChosen), then closes.
    void lstRecordsDblClick();
    void btnStampaClick();
    void btnChiudiClick();

signals:
    // A line was chosen: its record, for the sheet to show.
    void recordChosen(qint32 number);

protected:
    TfrmRiepilogo(QWidget* owner, const QString& archivePath, const QString& objectName, const QString& caption,
                  const QString& bannerPicture, const QString& bannerText, const QString& printTitle,
                  QString& lastSearch);

    // Results panel.
    QWidget* panContainer;
    TBanner* imgLogo;
    QLabel* icoIstruzioni01;
    QLineEdit* txtTrova;
    QPushButton* btnTrova;
    TSummaryList* lstRecords;
    QLabel* lblRigo03;
    QPushButton* btnChiudi;
    QPushButton* btnStampa;

    // The path of the sheet's archive, trimmed.
    const QString& archivePath() const { return m_archivePath; }
    // The last find-in-list text of this kind of window.
    QString& lastSearch() { return m_lastSearch; }

    // Sorts the lines and shows them in the list, replacing what it held.
    void showLines(std::vector<RigaElenco> lines);

    // Every opening starts over: no find-in-list text, the first line chosen.
    virtual void FormShow();
    virtual void FormClose();

    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Enter in an edit field moves the focus to `next` and does nothing else;
    // Enter on a focused button presses it.
    void enterMovesTo(QLineEdit* field, QWidget* next);
    void enterPresses(QPushButton* button);

private:
    QString m_archivePath;
    QString m_printTitle;
    QString& m_lastSearch;
    QHash<QObject*, QWidget*> m_enterTargets;
};
