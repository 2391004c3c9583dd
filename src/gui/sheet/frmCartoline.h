#pragma once
#include <QList>

#include "core/archive/CompanionFiles.h"
#include "core/archive/Scheda.h"
#include "core/card/OpenCollection.h"
#include "core/card/ShownCard.h"
#include "core/photos/Photo.h"
#include "gui/sheet/CardState.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/GradientWindow.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TPictureButton;
class THints;
class TFieldEntry;
class TImageView;
class TPhotoSlot;
class TCardPhotoReader;

// Record sheet: the main working window over one open archive, one card at a
// time. It binds its fields to a TCard and leaves opening, reading, writing
// and moving through the archive to its TOpenCollection; the labels lblNome
// and lblPosizione and the hidden lblFile, lblFile01-03 and lblDesc01-03
// mirror that state and are written from it in one place. The windows it opens get what they need when they are made and
// give their result back by signal.
class TfrmCartoline : public TGradientWindow {
    Q_OBJECT
public:
    explicit TfrmCartoline(QWidget* parent = nullptr);
    ~TfrmCartoline() override;

    // Takes the archive the open window chose; the window set shows the sheet next.
    void openArchive(const QString& path, const QString& name);

    TSheetState state() const
    {
        return {m_collection.path(), m_collection.name(), m_collection.current(), m_attachments};
    }
    // The card as it stands on screen, unsaved edits and photo A included
    // (a photo still being read is waited for).
    TShownCard shownCard();

    // Clears the sheet for a new card.
    void subNuovaScheda();
    // Shows record n of the open archive; false when the archive could not
    // be read (the access message has been shown).
    bool subMostraScheda(int n);
    // The same without a message on failure, for the listing windows, which
    // bring a chosen record silently: false when it could not be read, and
    // then the sheet is left as it was.
    bool subRichiamaScheda(int n);

    void cmdNuovoClick();
    void cmdSalvaClick();
    void cmdPrimoClick();
    void cmdIndietroClick();
    void cmdAvantiClick();
    void cmdUltimoClick();
    void cmdEsciClick();

    // Commands that open the windows serving the sheet.
    void cmdTrovaClick();
    void cmdCercaDisponibiliClick();
    void cmdFileClick();
    void cmdAnteprimaClick();
    void cmdStampaClick();
    void cmdEsportaClick();
    void cmdSlideShowClick();
    void cmdGalleriaClick();
    void cmdGuidaClick();
    // The sheet's own commands.
    void cmdStatisticheClick();
    // Turns the card on screen into a new, unsaved card with the same fields and photos.
    void cmdDuplicaClick();
    // Opens the kept versions of the card on screen.
    void cmdVersioniClick();

    // The second bar's import: asks for a file, then imports it.
    void cmdImportaClick();
    // Opens the import window on `filePath` over the open archive.
    void importFrom(const QString& filePath);

signals:
    // The sheet was closed, by its exit command or its close box.
    void closed();

public:
    // Photo slots of the card.
    void subApriFotoScheda();
    bool subSalvaFotoScheda(TFailure* failure = nullptr);
    void subMostraSegnaposto();

    // The open and save dialogs shared by both slots.
    Dialogs::FileRequest dlgFile;
    Dialogs::FileRequest dlgSalvaFile;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    // One edit field of the card and the record field it maps to.
    struct Field {
        QLineEdit* edit;
        Campo recordField;
    };

    // The labels mirroring the collection and the card's attachments.
    QLabel* lblFile;
    QLabel* lblNome;
    QLabel* lblPosizione;
    QLabel* lblFile01;
    QLabel* lblFile02;
    QLabel* lblFile03;
    QLabel* lblDesc01;
    QLabel* lblDesc02;
    QLabel* lblDesc03;

    // The 21 edit fields, in tab and Enter order.
    QLineEdit* txtNome;
    QLineEdit* txtTipologia;
    QLineEdit* txtProduttore;
    QLineEdit* txtCodice;
    QLineEdit* txtDescrizione;
    QLineEdit* txtAnno;
    QLineEdit* txtValore;
    QLineEdit* txtProprietario;
    QLineEdit* txtMateriali;
    QLineEdit* txtColori;
    QLineEdit* txtConfezione;
    QLineEdit* txtDifetti;
    QLineEdit* txtData;
    QLineEdit* txtProvenienza;
    QLineEdit* txtMontaggio;
    QLineEdit* txtScala;
    QLineEdit* txtDimensioni;
    QLineEdit* txtRarita;
    QLineEdit* txtStato;
    QLineEdit* txtLuogo;
    QLineEdit* txtNote;
    QCheckBox* chkInVendita;
    QPushButton* btnFocus;

    // Command bar.
    TPictureButton* cmdNuovo;
    TPictureButton* cmdSalva;
    TPictureButton* cmdTrova;
    TPictureButton* cmdCercaDisponibili;
    TPictureButton* cmdFile;
    TPictureButton* cmdAnteprima;
    TPictureButton* cmdStampa;
    TPictureButton* cmdPrimo;
    TPictureButton* cmdIndietro;
    TPictureButton* cmdAvanti;
    TPictureButton* cmdUltimo;
    TPictureButton* cmdEsporta;
    TPictureButton* cmdSlideShow;
    TPictureButton* cmdGuida;
    TPictureButton* cmdEsci;
    // Second command bar.
    TPictureButton* cmdImporta = nullptr;
    TPictureButton* cmdGalleria = nullptr;
    TPictureButton* cmdStatistiche = nullptr;
    TPictureButton* cmdVersioni = nullptr;
    TPictureButton* cmdDuplica = nullptr;

    QLabel* panInfo;

    // Writes the collection and the attachments into the labels that mirror
    // them; the only place they are written.
    void mirrorState();
    // The fields, the for-sale box and the attachments, both ways.
    void showCard(const TCard& card);
    TCard cardOnScreen() const;
    void navigate(TOpenCollection::Move move);

    // Photo A above photo B.
    TPhotoSlot* photoSlot(CompanionFiles::Photo which) const;

    void buildCommandBar(QWidget* panel);
    // The sheet's own commands beyond the design's bar sit on a second bar
    // of the same look under the photos.
    void buildSecondCommandBar(QWidget* panel);
    TPictureButton* addSheetCommand(const QString& name, const QString& icon, const QString& caption,
                                    const QString& hint, int width);
    void buildFields(QWidget* panel);
    void buildPhotoSlots(QWidget* panel);
    void buildHints();
    // Ctrl+S, PgDn and the other standard keys, each clicking its command.
    void bindKeys();
    void addPhotoHints();
    void showUnreadPhotos();
    // The card's photos arrived; shown on the slots still waiting for them.
    void showReadPhotos(const TShownPhoto& a, const TShownPhoto& b);
    // Forgets the photos on their way: they are no longer this card's.
    void stopPhotoReading();
    // Output, zoom and duplicate need the slots' photos themselves: waits
    // for those on their way.
    void settlePhotos();
    QList<QString> photoPathsOf(int n) const;
    void prepareNeighbours(int n);
    void forgetPreparedPhotos();

    TOpenCollection m_collection;
    TAttachments m_attachments;
    QList<Field> m_fields;
    THints* m_hints = nullptr;
    TFieldEntry* m_fieldEntry = nullptr;
    QWidget* m_fieldArea = nullptr;
    QWidget* m_commandBar = nullptr;
    QWidget* m_secondBar = nullptr;
    int m_secondBarX = 6; // where the next command of the second bar goes
    TPhotoSlot* m_photoA = nullptr;
    TPhotoSlot* m_photoB = nullptr;
    // The photos of the cards a next step would show, read ahead, and of the
    // card just left.
    TCardPhotoReader* m_photos = nullptr;
    int m_lastStep = 1;         // +1 after a move forward, -1 after one back
    int m_knownCount = 0;       // the record count last seen, 0 when unknown
    bool m_showingCard = false; // the slots change because a card is shown
};
