#pragma once
#include <QList>

#include <utility>

#include "gui/sheet/CardState.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FixedWindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TBanner;
class TPictureButton;

// Attachments window: the names and descriptions of the three files attached
// to the card on the record sheet. A picked file is copied into the
// attachments folder at once; the six values go back to the sheet on
// "Applica e chiudi" (applied) and reach the archive with the sheet's next
// save. Per use: created by the sheet's "Allegati" with the card's
// attachments, shown modally, discarded.
class TfrmAllegaCartella : public TFixedDialog {
    Q_OBJECT
public:
    TfrmAllegaCartella(QWidget* owner, const TAttachments& attachments);

    // The name a record keeps of `name` once saved and read back: the copy
    // is made under exactly this name, so that the stored name opens it.
    // Characters the archive's code page lacks become their look-alikes; a
    // name too long for the record is shortened before its extension.
    static QString storedName(const QString& name);
    // The message shown when the picked file could not be copied.
    static QString copyFailedMessage();
    // For a file whose name the system cannot spell: nothing is copied.
    static QString unspellableNameMessage();
    static bool isUnspellableName(const QString& path);

    Dialogs::FileRequest dlgFile;

    void btnSfoglia01Click() { pickAndCopy(0); }
    void btnSfoglia02Click() { pickAndCopy(1); }
    void btnSfoglia03Click() { pickAndCopy(2); }
    void btnApri01Click() { openAttachment(0); }
    void btnApri02Click() { openAttachment(1); }
    void btnApri03Click() { openAttachment(2); }
    void imgCancella01Click() { clearName(0); }
    void imgCancella02Click() { clearName(1); }
    void imgCancella03Click() { clearName(2); }

    void btnApplicaClick();
    void btnAnnullaClick();

signals:
    // "Applica e chiudi": the six values, trimmed, for the card.
    void applied(const TAttachments& attachments);

private:
    QWidget* panContainer;
    TBanner* imgLogo;
    QLabel* lblMemory;

    QFrame* shpFile01;
    QFrame* shpFile02;
    QFrame* shpFile03;
    QLabel* lblCampo01;
    QLabel* lblCampo02;
    QLabel* lblCampo03;
    QLabel* lblCampo04;
    QLabel* lblCampo05;
    QLabel* lblCampo06;
    QLineEdit* txtFile01;
    QLineEdit* txtFile02;
    QLineEdit* txtFile03;
    QLineEdit* txtDesc01;
    QLineEdit* txtDesc02;
    QLineEdit* txtDesc03;
    TPictureButton* imgCancella01;
    TPictureButton* imgCancella02;
    TPictureButton* imgCancella03;
    QPushButton* btnSfoglia01;
    QPushButton* btnSfoglia02;
    QPushButton* btnSfoglia03;
    QPushButton* btnApri01;
    QPushButton* btnApri02;
    QPushButton* btnApri03;
    QPushButton* btnAnnulla;
    QPushButton* btnApplica;

    // Opening: each of the card's six values, trimmed, into its field.
    void subCopiaDallaScheda(const TAttachments& attachments);
    struct Slot {
        QLineEdit* name;
        QLineEdit* description;
        QPushButton* browse;
        QPushButton* open;
    };
    void buildSlot(int index);
    void pickAndCopy(int index);
    // Copies `source` into the attachments folder for slot `index`: what
    // "Sfoglia..." does with the file picked, and a drop on the slot too.
    void attachFile(int index, const QString& source);
    void openAttachment(int index);
    void clearName(int index);
    Slot m_slots[3];
};
