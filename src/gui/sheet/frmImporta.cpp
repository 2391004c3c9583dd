#include "gui/sheet/frmImporta.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QTableWidget>
#include <QTimer>

#include "core/archive/Archivio.h"
#include "core/export/Export.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Panels.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

using namespace Importazione;

namespace {

const QColor kSlateBlue(0x6A, 0x5A, 0xCD);
const QColor kProblem(0xF8, 0xC8, 0xC0);
const QColor kPutBack(0xFF, 0xF1, 0xB8);

// Past this many rows the count behind the summary shows its progress.
constexpr int kProgressAfterMs = 400;

// How a column's chooser names a destination: the export's header for a
// field, the field's own name for one the export leaves out.
QString destinationName(int destination)
{
    switch (destination) {
    case NonImportare: return QStringLiteral("(non importare)");
    case FotoA: return QStringLiteral("Foto A (percorso)");
    case FotoB: return QStringLiteral("Foto B (percorso)");
    case Allegato: return QStringLiteral("Allegato (percorso)");
    default: break;
    }
    for (const Esportazione::Colonna& c : Esportazione::Colonne)
        if (int(c.campo) == destination)
            return QString::fromUtf8(c.intestazione);
    return QString::fromLatin1(Campi[size_t(destination)].nome);
}

// How the summary and the cell hints name each kind of problem, by its bit.
QString problemName(int bit)
{
    switch (1u << bit) {
    case TroppoLungo: return QStringLiteral("testi troppo lunghi, che verranno tagliati");
    case FuoriCodifica: return QStringLiteral("caratteri non rappresentabili nell'archivio");
    case NonImporto: return QStringLiteral("valori che non sono importi");
    case NonData: return QStringLiteral("date non valide");
    case FileIlleggibile: return QStringLiteral("foto o allegati non leggibili");
    case Ripristinato: return QStringLiteral("celle corrette (scale, date, importi)");
    default: return {};
    }
}

QString problemList(unsigned problems)
{
    QStringList names;
    for (int b = 0; b < NumeroProblemi; ++b)
        if (problems & (1u << b))
            names << problemName(b);
    return names.join(QStringLiteral("; "));
}

} // namespace

TfrmImporta::TfrmImporta(QWidget* owner, const QString& filePath, const QString& archivePath,
                         const QString& archiveName)
    : TFixedDialog(owner, QStringLiteral("frmImporta"), QStringLiteral(" Importa schede da un foglio di calcolo"),
                   QSize(980, 640), Look::steelBlue, Qt::white),
      m_filePath(filePath), m_archivePath(archivePath), m_archiveName(archiveName)
{
    QFrame* panel = Panels::background(this, QRect(12, 13, 956, 614));

    // Above: the file and the options.
    QFrame* options = Panels::strip(panel, QStringLiteral("shpOpzioni"), QRect(8, 8, 940, 92));
    auto* icon = new QLabel(options);
    icon->setObjectName(QStringLiteral("icoImporta"));
    icon->setGeometry(12, 8, 44, 44);
    icon->setPixmap(Pictures::pixmap(QStringLiteral(":/icons/import.svg"), icon->size(), devicePixelRatioF()));
    auto* title = new QLabel(QStringLiteral("IMPORTAZIONE DA FOGLIO DI CALCOLO"), options);
    title->setObjectName(QStringLiteral("lblTitolo"));
    title->setGeometry(64, 8, 410, 44);
    title->setFont(Look::verdana(11, true));
    title->setStyleSheet(QStringLiteral("color: #1F3A5F;"));
    lblFile = new QLabel(options);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->setGeometry(490, 8, 440, 44);
    lblFile->setFont(Look::tahoma(9));
    lblFile->setWordWrap(true);
    lblFile->setText(QStringLiteral("File: ") + QFileInfo(filePath).fileName() + QStringLiteral("\nArchivio: ")
                     + archiveName);
    lblFoglio = new QLabel(QStringLiteral("Foglio:"), options);
    lblFoglio->setObjectName(QStringLiteral("lblFoglio"));
    lblFoglio->setGeometry(14, 60, 50, 24);
    lblFoglio->setFont(Look::tahoma(9, true));
    cmbFoglio = new QComboBox(options);
    cmbFoglio->setObjectName(QStringLiteral("cmbFoglio"));
    cmbFoglio->setGeometry(66, 60, 260, 24);
    cmbFoglio->setFont(Look::tahoma(9));
    chkIntestazioni = new QCheckBox(QStringLiteral("La prima riga contiene i nomi delle colonne"), options);
    chkIntestazioni->setObjectName(QStringLiteral("chkIntestazioni"));
    chkIntestazioni->setGeometry(346, 60, 420, 24);
    chkIntestazioni->setFont(Look::tahoma(9, true));

    // The preview: a chooser of the card field above each column.
    grdAnteprima = new QTableWidget(panel);
    grdAnteprima->setObjectName(QStringLiteral("grdAnteprima"));
    grdAnteprima->setGeometry(8, 108, 940, 356);
    grdAnteprima->setFont(Look::tahoma(9));
    grdAnteprima->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdAnteprima->setWordWrap(false);
    grdAnteprima->verticalHeader()->setDefaultSectionSize(21);
    grdAnteprima->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grdAnteprima->setStyleSheet(QStringLiteral("QTableWidget { background: white; gridline-color: #C8D3DF;"
                                               " border: 1px solid #87CEEB; }"));

    // Beneath: the summary and the commands.
    QFrame* bottom = Panels::strip(panel, QStringLiteral("shpRiepilogo"), QRect(8, 472, 940, 96));
    lblRiepilogo = new QLabel(bottom);
    lblRiepilogo->setObjectName(QStringLiteral("lblRiepilogo"));
    lblRiepilogo->setGeometry(12, 6, 560, 84);
    lblRiepilogo->setFont(Look::tahoma(9));
    lblRiepilogo->setWordWrap(true);
    lblRiepilogo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cmdConferma = new TPictureButton(QStringLiteral("cmdConferma"), QStringLiteral(":/icons/import.svg"),
                                     QStringLiteral("Importa"), TPictureButton::Style::Captioned, bottom);
    cmdConferma->setGeometry(584, 24, 170, 48);
    cmdAnnulla = new TPictureButton(QStringLiteral("cmdAnnulla"), QStringLiteral(":/icons/close_red.svg"),
                                    QStringLiteral("Annulla"), TPictureButton::Style::Captioned, bottom);
    cmdAnnulla->setBodyColor(QColor(0x6B, 0x6B, 0x6B));
    cmdAnnulla->setGeometry(762, 24, 170, 48);
    cmdAnnullaImportazione = new TPictureButton(
        QStringLiteral("cmdAnnullaImportazione"), QStringLiteral(":/icons/eraser.svg"),
        QStringLiteral("Annulla importazione"), TPictureButton::Style::Captioned, bottom);
    cmdAnnullaImportazione->setBodyColor(QColor(0x8B, 0x1A, 0x1A));
    cmdAnnullaImportazione->setGeometry(584, 24, 170, 48);
    cmdAnnullaImportazione->hide();
    cmdChiudi = new TPictureButton(QStringLiteral("cmdChiudi"), QStringLiteral(":/icons/exit.svg"),
                                   QStringLiteral("Chiudi"), TPictureButton::Style::Captioned, bottom);
    cmdChiudi->setGeometry(762, 24, 170, 48);
    cmdChiudi->hide();

    auto* statusBar = new QFrame(panel);
    statusBar->setObjectName(QStringLiteral("shpInfo"));
    statusBar->setGeometry(8, 574, 940, 32);
    statusBar->setStyleSheet(
        QStringLiteral("QFrame#shpInfo { background: %1; border-radius: 4px; }").arg(kSlateBlue.name()));
    panInfo = new QLabel(QStringLiteral("Importazione di schede da un foglio di calcolo o da un file CSV."), panel);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setFont(Look::tahoma(12));
    panInfo->setStyleSheet(QStringLiteral("QLabel#panInfo { color: white; background: transparent; }"));
    panInfo->setGeometry(14, 580, 928, 20);

    m_hints = new THints(panInfo, this);
    m_hints->addCommand(cmdConferma, QStringLiteral("Aggiunge all'archivio una scheda per ogni riga del foglio."));
    m_hints->addCommand(cmdAnnulla, QStringLiteral("Chiude questa finestra senza importare nulla."));
    m_hints->addCommand(cmdAnnullaImportazione,
                        QStringLiteral("Toglie dall'archivio le schede appena importate, con le loro foto."));
    m_hints->addCommand(cmdChiudi, QStringLiteral("Chiude questa finestra e torna alla scheda."));
    m_hints->addCommand(cmbFoglio, QStringLiteral("Sceglie il foglio della cartella di lavoro da importare."));
    m_hints->addCommand(chkIntestazioni,
                        QStringLiteral("Indica se la prima riga del foglio contiene i nomi delle colonne."));
    for (QWidget* background :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(panel), static_cast<QWidget*>(options),
          static_cast<QWidget*>(bottom), static_cast<QWidget*>(statusBar), static_cast<QWidget*>(lblRiepilogo)})
        m_hints->addBackground(background);

    connect(cmbFoglio, &QComboBox::activated, this, &TfrmImporta::cmbFoglioChange);
    connect(chkIntestazioni, &QAbstractButton::clicked, this, &TfrmImporta::chkIntestazioniClick);
    connect(cmdConferma, &QAbstractButton::clicked, this, &TfrmImporta::cmdConfermaClick);
    connect(cmdAnnulla, &QAbstractButton::clicked, this, &TfrmImporta::cmdAnnullaClick);
    connect(cmdAnnullaImportazione, &QAbstractButton::clicked, this, &TfrmImporta::cmdAnnullaImportazioneClick);
    connect(cmdChiudi, &QAbstractButton::clicked, this, &TfrmImporta::cmdChiudiClick);
}

bool TfrmImporta::load()
{
    if (!m_import.Apri(m_filePath)) {
        Dialogs::warning(parentWidget(), FailureMessages::importReadError(m_import.Errore()));
        return false;
    }
    const QStringList sheets = m_import.Fogli();
    cmbFoglio->addItems(sheets);
    lblFoglio->setVisible(sheets.size() > 1);
    cmbFoglio->setVisible(sheets.size() > 1);
    fillPreview();
    return true;
}

void TfrmImporta::fillPreview()
{
    chkIntestazioni->setChecked(m_import.Intestazioni());
    const int columns = m_import.Colonne();
    const int rows = m_import.RigheAnteprima();
    grdAnteprima->clear();
    grdAnteprima->setColumnCount(columns);
    grdAnteprima->setRowCount(rows + 1);
    QStringList headers;
    for (int c = 0; c < columns; ++c)
        headers << m_import.Intestazione(c);
    grdAnteprima->setHorizontalHeaderLabels(headers);
    QStringList numbers{QStringLiteral("Campo")};
    for (int r = 0; r < rows; ++r)
        numbers << QString::number(r + 1);
    grdAnteprima->setVerticalHeaderLabels(numbers);
    const std::vector<int> destinations = DestinazioniPossibili();
    for (int c = 0; c < columns; ++c) {
        auto* chooser = new QComboBox(grdAnteprima);
        chooser->setObjectName(QStringLiteral("cmbCampo%1").arg(c + 1));
        chooser->setFont(Look::tahoma(9));
        for (const int d : destinations)
            chooser->addItem(destinationName(d), d);
        chooser->setCurrentIndex(chooser->findData(m_import.DestinazioneColonna(c)));
        connect(chooser, &QComboBox::activated, this,
                [this, c, chooser](int) { destinationChosen(c, chooser->currentData().toInt()); });
        grdAnteprima->setCellWidget(0, c, chooser);
        grdAnteprima->setColumnWidth(c, 170);
    }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const Cella cell = m_import.CellaAnteprima(r, c);
            auto* item = new QTableWidgetItem(QString(cell.testo).replace(u'\n', QChar(0x21B5)));
            if (m_import.DestinazioneColonna(c) == NonImportare)
                item->setForeground(QColor(0x99, 0x99, 0x99));
            const unsigned problems = cell.problemi & ~unsigned(Ripristinato);
            if (problems) {
                item->setBackground(kProblem);
                item->setToolTip(problemList(cell.problemi));
            } else if (cell.problemi & Ripristinato) {
                item->setBackground(kPutBack);
                item->setToolTip(QStringLiteral("Corretta: il foglio di calcolo l'aveva trasformata"));
            }
            grdAnteprima->setItem(r + 1, c, item);
        }
    refreshSummary();
}

void TfrmImporta::refreshSummary()
{
    m_count = std::make_unique<TConteggio>(m_import);
    cmdConferma->setEnabled(false);
    // A small file is counted before the window shows; a large one after,
    // while the preview can already be looked at.
    countSlice(++m_countRun);
}

void TfrmImporta::countSlice(int run)
{
    if (run != m_countRun || !m_count)
        return;
    if (m_count->Avanza(TConteggio::RighePerPasso)) {
        lblRiepilogo->setText(QStringLiteral("Lettura del file in corso: %1%...").arg(m_count->Avanzamento() / 10));
        QTimer::singleShot(0, this, [this, run] { countSlice(run); });
        return;
    }
    showSummary();
}

void TfrmImporta::showSummary()
{
    if (m_count->Errore() != ErroreLettura::Nessuno) {
        lblRiepilogo->setText(
            FailureMessages::importReadError(m_count->Errore()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        cmdConferma->setEnabled(false);
        return;
    }
    const Riepilogo& summary = m_count->Risultato();
    QString text = summary.righe == 1 ? QStringLiteral("Verrà aggiunta 1 scheda all'archivio.")
                                      : QStringLiteral("Verranno aggiunte %1 schede all'archivio.").arg(summary.righe);
    QStringList problems;
    for (int b = 0; b < NumeroProblemi; ++b)
        if (summary.problemi[size_t(b)] > 0)
            problems << QStringLiteral("%1 %2").arg(summary.problemi[size_t(b)]).arg(problemName(b));
    text += problems.isEmpty() ? QStringLiteral("\nNessun problema rilevato.")
                               : QStringLiteral("\nDa controllare: ") + problems.join(QStringLiteral("; ")) + u'.';
    lblRiepilogo->setText(text);
    cmdConferma->setEnabled(m_import.QualcosaDaImportare() && summary.righe > 0);
}

void TfrmImporta::cmbFoglioChange()
{
    if (!m_import.ScegliFoglio(cmbFoglio->currentIndex())) {
        m_count.reset();
        Dialogs::warning(this, FailureMessages::importReadError(m_import.Errore()));
        grdAnteprima->clear();
        grdAnteprima->setRowCount(0);
        grdAnteprima->setColumnCount(0);
        lblRiepilogo->setText(
            FailureMessages::importReadError(m_import.Errore()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        cmdConferma->setEnabled(false);
        return;
    }
    fillPreview();
}

void TfrmImporta::chkIntestazioniClick()
{
    m_import.ImpostaIntestazioni(chkIntestazioni->isChecked());
    fillPreview();
}

void TfrmImporta::destinationChosen(int column, int destination)
{
    m_import.ImpostaDestinazione(column, destination);
    fillPreview();
}

void TfrmImporta::cmdConfermaClick()
{
    m_count.reset();
    QProgressDialog progress(QStringLiteral("Importazione delle schede in corso..."), QStringLiteral("Annulla"), 0,
                             1000, this);
    progress.setObjectName(QStringLiteral("dlgAvanzamento"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressAfterMs);
    try {
        m_done = std::make_unique<Esito>(m_import.Importa(m_archivePath, m_archiveName, [&](int done) {
            progress.setValue(done);
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        }));
    } catch (const Interrotta&) {
        progress.close();
        Dialogs::information(this, QStringLiteral("L'importazione è stata interrotta: l'archivio non è stato "
                                                  "modificato."));
        return;
    } catch (const EArchivioError& e) {
        progress.close();
        FailureMessages::show(this, e.failure());
        return;
    } catch (ErroreLettura e) {
        progress.close();
        Dialogs::warning(this, FailureMessages::importReadError(e)
                                   + QStringLiteral("\r\n\r\nL'archivio non è stato modificato."));
        return;
    }
    progress.close();
    showImported();
    emit imported(m_done->accodamento.primo, m_done->accodamento.primo + m_done->accodamento.quante - 1);
}

void TfrmImporta::showImported()
{
    const TArchivio::Accodamento& a = m_done->accodamento;
    QString text = a.quante == 1
                       ? QStringLiteral("È stata aggiunta 1 scheda all'archivio (la n. %1).").arg(a.primo)
                       : QStringLiteral("Sono state aggiunte %1 schede all'archivio (dalla n. %2 alla n. %3).")
                             .arg(a.quante)
                             .arg(a.primo)
                             .arg(a.primo + a.quante - 1);
    if (m_done->fotoNonCopiate > 0)
        text += QStringLiteral("\n%1 foto non sono state copiate: le relative schede ne sono prive.")
                    .arg(m_done->fotoNonCopiate);
    if (m_done->allegatiNonCopiati > 0)
        text += QStringLiteral("\n%1 allegati non sono stati copiati.").arg(m_done->allegatiNonCopiati);
    lblRiepilogo->setText(text);
    cmdConferma->hide();
    cmdAnnulla->hide();
    cmdAnnullaImportazione->show();
    cmdChiudi->show();
    cmbFoglio->setEnabled(false);
    chkIntestazioni->setEnabled(false);
    grdAnteprima->setEnabled(false);
}

void TfrmImporta::cmdAnnullaClick()
{
    reject();
}

void TfrmImporta::cmdAnnullaImportazioneClick()
{
    if (!m_done)
        return;
    bool undoneNow = false;
    try {
        undoneNow = AnnullaImportazione(m_archivePath, *m_done);
    } catch (const EArchivioError& e) {
        FailureMessages::show(this, e.failure());
        return;
    }
    if (!undoneNow) {
        Dialogs::warning(this, QStringLiteral("Attenzione: l'importazione non può più essere annullata, perché "
                                              "l'archivio è stato modificato dopo l'importazione."));
        cmdAnnullaImportazione->setEnabled(false);
        return;
    }
    lblRiepilogo->setText(QStringLiteral("L'importazione è stata annullata: le %1 schede aggiunte e le loro foto "
                                         "sono state tolte dall'archivio.")
                              .arg(m_done->accodamento.quante));
    m_done.reset();
    cmdAnnullaImportazione->setEnabled(false);
    emit undone();
}

void TfrmImporta::cmdChiudiClick()
{
    accept();
}
