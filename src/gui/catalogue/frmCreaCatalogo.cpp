#include "gui/catalogue/frmCreaCatalogo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "core/archive/Archivio.h"
#include "core/archive/Catalogue.h"
#include "core/formats/Text.h"
#include "gui/catalogue/Instructions.h"
#include "gui/help/GuideTexts.h"
#include "gui/help/frmGuida.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Keys.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

TfrmCreaCatalogo::TfrmCreaCatalogo(QWidget* parent)
    : TGradientWindow(Look::catalogueBlue, Qt::white, QSize(995, 692), parent)
{
    setObjectName(QStringLiteral("frmCreaCatalogo"));
    setWindowTitle(QStringLiteral(" Miniarca Pro - Creazione archivio modellini"));
    setProperty("maximised", true);
    QWidget* p = panel();

    icoIstruzioni = makeInstructions(
        p, QStringLiteral("CREAZIONE NUOVO ARCHIVIO MODELLINI"),
        {QStringLiteral("Indicare il nome del nuovo archivio di modellini nella casella sottostante e fare clic su "
                        "Applica e chiudi."),
         QStringLiteral("Il nome attribuito apparirà nell'elenco visualizzato tramite il pulsante Apri archivio "
                        "esistente."),
         QStringLiteral("Premere Annulla per uscire da questa schermata senza creare un nuovo archivio di "
                        "modellini.")});
    icoIstruzioni->setGeometry(40, 60, 915, 250);

    imgGuida = new TPictureButton(QStringLiteral("imgGuida"), QStringLiteral(":/icons/help.svg"), {},
                                  TPictureButton::Style::Picture, p);
    imgGuida->setGeometry(897, 72, 44, 44);

    txtFile = new QLineEdit(p);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    txtFile->setMaxLength(250);
    txtFile->setFont(Look::verdana(16, true));
    txtFile->setStyleSheet(Look::editFieldStyle());
    txtFile->setGeometry(120, 360, 755, 46);
    txtFile->installEventFilter(this);

    btnApplica = new TPictureButton(QStringLiteral("btnApplica"), QStringLiteral(":/icons/save.svg"),
                                    QStringLiteral("APPLICA E CHIUDI"), TPictureButton::Style::Captioned, p);
    btnApplica->setGeometry(215, 460, 270, 56);
    btnAnnulla = new TPictureButton(QStringLiteral("btnAnnulla"), QStringLiteral(":/icons/close_red.svg"),
                                    QStringLiteral("ANNULLA"), TPictureButton::Style::Captioned, p);
    btnAnnulla->setBodyColor(QColor(0x6B, 0x6B, 0x6B));
    btnAnnulla->setGeometry(510, 460, 270, 56);

    lblFile = new QLabel(p);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->hide();

    connect(btnApplica, &QAbstractButton::clicked, this, &TfrmCreaCatalogo::btnApplicaClick);
    connect(btnAnnulla, &QAbstractButton::clicked, this, &QWidget::close);
    connect(imgGuida, &QAbstractButton::clicked, this, &TfrmCreaCatalogo::imgGuidaClick);
    Keys::bind(this, QKeySequence::HelpContents, imgGuida);
    imgGuida->setAccessibleName(QStringLiteral("Guida"));
    txtFile->setAccessibleName(QStringLiteral("Nome del nuovo archivio di modellini"));
}

void TfrmCreaCatalogo::FormShow()
{
    txtFile->clear();
    txtFile->setFocus();
}

void TfrmCreaCatalogo::FormClose()
{
    emit closed();
}

bool TfrmCreaCatalogo::eventFilter(QObject* watched, QEvent* event)
{
    // txtFileKeyDown: a refused character never reaches the field.
    if (watched == txtFile && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && Catalogue::isRefusedCharacter(typed.at(0)))
            return true;
    }
    return TGradientWindow::eventFilter(watched, event);
}

void TfrmCreaCatalogo::btnApplicaClick()
{
    lblFile->clear();
    const QString name = Text::trimmed(txtFile->text());
    switch (Catalogue::checkName(name)) {
    case Catalogue::NameCheck::Fine: break;
    case Catalogue::NameCheck::Empty:
        Dialogs::warning(this, QStringLiteral("Attenzione: per creare l'archivio di modellini è necessario "
                                              "indicarne il nome."));
        txtFile->setFocus();
        return;
    // A pasted name escapes the typing filter: a separator would put the
    // archive outside the program folder, where no list would ever find it.
    case Catalogue::NameCheck::HasSeparator:
        Dialogs::error(this, QStringLiteral("Attenzione: il nome dell'archivio di modellini non può contenere "
                                            "i caratteri / e \\.\r\n\r\nInserire un nome diverso."));
        txtFile->setFocus();
        return;
    case Catalogue::NameCheck::TooLong:
        Dialogs::error(this, QStringLiteral("Attenzione: il nome dell'archivio di modellini è troppo lungo.\r\n\r\n"
                                            "Inserire un nome più breve."));
        txtFile->setFocus();
        return;
    }
    const QString path = Catalogue::archivePath(name);
    lblFile->setText(path);
    TFailure failure;
    switch (Catalogue::create(path, &failure)) {
    case Catalogue::CreateResult::Created: break;
    case Catalogue::CreateResult::AlreadyExists:
        Dialogs::warning(this, QStringLiteral("Attenzione: il nome dell'archivio di modellini indicato è già stato "
                                              "utilizzato in precedenza.\r\n\r\nInserire un nome diverso oppure, se "
                                              "si desidera aprire un archivio di modellini già creato, premere il "
                                              "pulsante Apri archivio esistente."));
        return;
    case Catalogue::CreateResult::Failed:
        // The system's own text is English and says nothing to a collector:
        // it goes to the log.
        FailureMessages::show(this, failure);
        return;
    }
    Dialogs::information(this, QStringLiteral("Il file relativo al nuovo archivio di modellini è stato creato "
                                              "con successo.\r\n\r\nE' ora possibile visualizzarlo nell'elenco "
                                              "degli archivi esistenti."));
    emit created(path, name);
    close();
}

void TfrmCreaCatalogo::imgGuidaClick()
{
    TfrmGuida::showGuide(this, GuideTexts::catalogue());
}
