#pragma once
#include "gui/search/frmRiepilogo.h"

// For-sale listing: every record of the sheet's archive not marked "No", as
// sorted record lines, built when the window is shown; a chosen line's
// record goes back to the sheet. Per use, like the find window.
class TfrmInVendita : public TfrmRiepilogo {
    Q_OBJECT
public:
    TfrmInVendita(QWidget* owner, const QString& archivePath);

    // The last find-in-list text of every for-sale window.
    static QString UltimaRicerca;

    // Builds the list from the archive.
    void subCostruisciElenco();

protected:
    void FormShow() override;
};
