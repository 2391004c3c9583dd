#pragma once
#include <vector>

#include "core/history/CollectionBin.h"
#include "gui/widgets/FixedWindow.h"

class QLabel;
class QListWidget;
class THints;
class TPictureButton;

// Bin window: the deleted collections, newest first, with the day of their
// deletion and their number of cards; "Ripristina" puts the chosen one back
// under its name (or another, asked for, when that name is taken), "Svuota
// cestino" empties the bin once confirmed. Per use: created by the open
// window, shown modally, destroyed.
class TfrmCestino : public TFixedDialog {
    Q_OBJECT
public:
    explicit TfrmCestino(QWidget* owner);

    void cmdRipristinaClick();
    void cmdSvuotaClick();

signals:
    // A collection is back in the program folder.
    void restored();

private:
    void fillList();

    QLabel* lblTitolo;
    QListWidget* lstCestino;
    TPictureButton* cmdRipristina;
    TPictureButton* cmdSvuota;
    TPictureButton* cmdChiudi;
    QLabel* panInfo;
    THints* m_hints;
    std::vector<CollectionBin::TDeleted> m_deleted;
};
