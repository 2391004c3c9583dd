#include "gui/catalogue/frmCreaCatalogo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "gui/shell/WindowSet.h"
#include "gui/shell/frmAvvio.h"
#include "gui/shell/frmGuida.h"
#include "core/archive/Archivio.h"
#include "gui/catalogue/CatalogueLook.h"
#include "core/archive/ProgramFolder.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"

namespace {

constexpr qsizetype kLongestFileName = 255; // bytes

// Characters a file name cannot or should not carry; typing them does nothing.
bool isRefusedCharacter(QChar c)
{
    static const QString refused = QStringLiteral("\"*/:<>?\\°ÇÑçñ");
    return refused.contains(c);
}

} // namespace

TfrmCreaCatalogo::TfrmCreaCatalogo(TWindowSet& windows)
    : TGradientWindow(Look::catalogueBlue, Qt::white, QSize(995, 692)), m_windows(windows)
{
    setObjectName(QStringLiteral("frmCreaCatalogo"));
    setWindowTitle(QStringLiteral(" Miniarca Pro - Creazione archivio modellini"));
    setProperty("maximised", true);
    Look::applyProcessFormats();
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
}

void TfrmCreaCatalogo::FormShow()
{
    txtFile->clear();
    txtFile->setFocus();
}

void TfrmCreaCatalogo::FormClose()
{
    TWindowSet::handOver(this, m_windows.frmAvvio);
}

bool TfrmCreaCatalogo::eventFilter(QObject* watched, QEvent* event)
{
    // txtFileKeyDown: a refused character never reaches the field.
    if (watched == txtFile && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && isRefusedCharacter(typed.at(0)))
            return true;
    }
    return TGradientWindow::eventFilter(watched, event);
}

void TfrmCreaCatalogo::btnApplicaClick()
{
    lblFile->clear();
    const QString name = ProgramFolder::trimmed(txtFile->text());
    if (name.isEmpty()) {
        Dialogs::warning(this, QStringLiteral("Attenzione: per creare l'archivio di modellini è necessario "
                                              "indicarne il nome."));
        txtFile->setFocus();
        return;
    }
    // A pasted name escapes the typing filter: a separator would put the
    // archive outside the program folder, where no list would ever find it.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar(0))) {
        Dialogs::error(this, QStringLiteral("Attenzione: il nome dell'archivio di modellini non può contenere "
                                            "i caratteri / e \\.\r\n\r\nInserire un nome diverso."));
        txtFile->setFocus();
        return;
    }
    // Most file systems hold a file name of at most 255 bytes; an accented
    // letter takes two of them.
    if (QFile::encodeName(name + QStringLiteral(".dbm")).size() > kLongestFileName) {
        Dialogs::error(this, QStringLiteral("Attenzione: il nome dell'archivio di modellini è troppo lungo.\r\n\r\n"
                                            "Inserire un nome più breve."));
        txtFile->setFocus();
        return;
    }
    const QString path = ProgramFolder::path() + name + QStringLiteral(".dbm");
    lblFile->setText(path);
    if (QFileInfo::exists(path)) {
        Dialogs::warning(this, QStringLiteral("Attenzione: il nome dell'archivio di modellini indicato è già stato "
                                              "utilizzato in precedenza.\r\n\r\nInserire un nome diverso oppure, se "
                                              "si desidera aprire un archivio di modellini già creato, premere il "
                                              "pulsante Apri archivio esistente."));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        // The system's own text is English and says nothing to a collector.
        Dialogs::error(this, ArchiveAccessMessage());
        return;
    }
    file.close();
    Dialogs::information(this, QStringLiteral("Il file relativo al nuovo archivio di modellini è stato creato "
                                              "con successo.\r\n\r\nE' ora possibile visualizzarlo nell'elenco "
                                              "degli archivi esistenti."));
    close();
}

void TfrmCreaCatalogo::imgGuidaClick()
{
    TfrmGuida::showGuide(this, catalogueGuideTitle(), catalogueGuideParagraphs());
}
