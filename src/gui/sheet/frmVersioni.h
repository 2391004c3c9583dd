#pragma once
#include <QString>

#include <vector>

#include "core/archive/Scheda.h"
#include "core/history/CardHistory.h"
#include "gui/widgets/FixedWindow.h"

class QLabel;
class QListWidget;
class QTableWidget;
class THints;
class TImageView;
class TPictureButton;

// Versions window: the kept versions of the card on the sheet, newest first,
// each with when it was replaced and which fields differ from the card as
// it is stored now; the chosen one previewed with its photos, and put back
// with "Ripristina" as a new save, which can be undone in turn. Per use:
// created by the record sheet, shown modally, destroyed.
class TfrmVersioni : public TFixedDialog {
    Q_OBJECT
public:
    TfrmVersioni(QWidget* owner, const QString& archivePath, qint32 card);

    void lstVersioniChange();
    void cmdRipristinaClick();

    // The fields of `version` that differ from `current`, by their captions.
    static QStringList differingFields(const TScheda& version, const TScheda& current);

signals:
    // Card n was put back; the sheet shows it again.
    void restored(qint32 card);

private:
    void load();

    QLabel* lblTitolo;
    QListWidget* lstVersioni;
    QTableWidget* grdCampi;
    TImageView* imgFotoA;
    TImageView* imgFotoB;
    TPictureButton* cmdRipristina;
    TPictureButton* cmdChiudi;
    QLabel* panInfo;
    THints* m_hints;

    QString m_archivePath;
    qint32 m_card;
    TScheda m_current;
    std::vector<CardHistory::TVersion> m_versions;
};
