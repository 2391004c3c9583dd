#pragma once
#include <vector>

#include "gui/search/frmRiepilogo.h"

// The cards behind a number of the statistics, listed as the find lists its
// results: the same sorted record lines, find in the list, print, and a
// double-click that brings the card to the sheet. Per use, opened by the
// statistics window.
class TfrmElencoSchede : public TfrmRiepilogo {
    Q_OBJECT
public:
    // `records`: the record numbers to list; `title` names what they are
    // ("Tipologia: Automobile").
    TfrmElencoSchede(QWidget* owner, const QString& archivePath, const QString& title, std::vector<qint32> records);

    // The last find-in-list text of every such window.
    static QString UltimaRicerca;

    // Reads the listed cards from the archive and shows their lines.
    void subCostruisciElenco();

protected:
    void FormShow() override;

private:
    std::vector<qint32> m_records;
};
