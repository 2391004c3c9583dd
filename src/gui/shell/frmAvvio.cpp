#include "gui/shell/frmAvvio.h"

#include <QFrame>
#include <QLabel>

#include "gui/shell/Maker.h"
#include "core/system/TMisc.h"
#include "gui/shell/WindowSet.h"
#include "gui/shell/frmGuida.h"
#include "gui/shell/frmInfo.h"
#include "gui/shell/frmSplash.h"
#include "gui/catalogue/frmApriCatalogo.h"
#include "gui/catalogue/frmCreaCatalogo.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

QFrame* whiteBand(QWidget* parent, const QString& name, QRect geometry)
{
    auto* band = new QFrame(parent);
    band->setObjectName(name);
    band->setGeometry(geometry);
    band->setStyleSheet(QStringLiteral("QFrame#%1 { background: white; border-radius: 12px; }").arg(name));
    return band;
}

QLabel* svgLabel(QWidget* parent, const QString& name, const QString& svg, QRect geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setPixmap(Pictures::pixmap(svg, geometry.size(), 2));
    return label;
}

} // namespace

TfrmAvvio::TfrmAvvio(TWindowSet& windows)
    : TGradientWindow(Look::steelBlue, Qt::white, QSize(995, 692)), m_windows(windows)
{
    setObjectName(QStringLiteral("frmAvvio"));
    setWindowTitle(QStringLiteral(" Miniarca Pro"));
    setProperty("maximised", true);
    Look::applyProcessFormats();
    QWidget* p = panel();

    // Top band: title, subtitle, information and guide.
    QFrame* top = whiteBand(p, QStringLiteral("shpTitolo"), QRect(0, 0, 995, 150));
    imgInfo = new TPictureButton(QStringLiteral("imgInfo"), QStringLiteral(":/icons/info.svg"), {},
                                 TPictureButton::Style::Picture, top);
    imgInfo->setGeometry(12, 12, 40, 40);
    icoIcona = svgLabel(top, QStringLiteral("icoIcona"), QStringLiteral(":/pictures/car_icon.svg"),
                        QRect(90, 18, 150, 90));
    icoTitolo01 = svgLabel(top, QStringLiteral("icoTitolo01"), QStringLiteral(":/pictures/title.svg"),
                           QRect(250, 14, 520, 90));
    imgGuida = new TPictureButton(QStringLiteral("imgGuida"), QStringLiteral(":/icons/help.svg"), {},
                                  TPictureButton::Style::Picture, top);
    imgGuida->setGeometry(943, 12, 40, 40);
    imgSottotitolo = new QLabel(QStringLiteral("Software rivolto al collezionista di modellini di auto, navi, aerei ecc. "
                                               "per schedare le proprie collezioni con foto e dati dei singoli pezzi"),
                                top);
    imgSottotitolo->setObjectName(QStringLiteral("imgSottotitolo"));
    imgSottotitolo->setGeometry(60, 106, 875, 38);
    imgSottotitolo->setAlignment(Qt::AlignCenter);
    imgSottotitolo->setWordWrap(true);
    imgSottotitolo->setFont(Look::verdana(10, true));
    imgSottotitolo->setStyleSheet(QStringLiteral("color: #1F3A5F;"));

    // Middle band: the two work areas.
    shpApp01 = whiteBand(p, QStringLiteral("shpApp01"), QRect(0, 162, 490, 400));
    shpApp02 = whiteBand(p, QStringLiteral("shpApp02"), QRect(505, 162, 490, 400));
    imgApp01 = new TPictureButton(QStringLiteral("imgApp01"), QStringLiteral(":/pictures/car_round1.svg"), {},
                                  TPictureButton::Style::Picture, shpApp01);
    imgApp01->setGeometry(95, 20, 300, 300);
    imgApp01->setCircular(true);
    btnApp01 = new TPictureButton(QStringLiteral("btnApp01"), QStringLiteral(":/icons/new.svg"),
                                  QStringLiteral("CREA NUOVO ARCHIVIO"), TPictureButton::Style::Captioned, shpApp01);
    btnApp01->setGeometry(95, 334, 300, 50);
    imgApp02 = new TPictureButton(QStringLiteral("imgApp02"), QStringLiteral(":/pictures/car_round2.svg"), {},
                                  TPictureButton::Style::Picture, shpApp02);
    imgApp02->setGeometry(95, 20, 300, 300);
    imgApp02->setCircular(true);
    btnApp02 = new TPictureButton(QStringLiteral("btnApp02"), QStringLiteral(":/icons/folder.svg"),
                                  QStringLiteral("APRI ARCHIVIO ESISTENTE"), TPictureButton::Style::Captioned,
                                  shpApp02);
    btnApp02->setGeometry(95, 334, 300, 50);

    // Bottom band: credits, website, exit.
    QFrame* bottom = whiteBand(p, QStringLiteral("shpPiede"), QRect(0, 576, 995, 116));
    imgMarchio = new TPictureButton(QStringLiteral("imgMarchio"), QStringLiteral(":/icons/copyright.svg"), {},
                                    TPictureButton::Style::Picture, bottom);
    imgMarchio->setGeometry(14, 62, 40, 40);
    imgSito = new TPictureButton(QStringLiteral("imgSito"), QStringLiteral(":/icons/globe.svg"),
                                 Maker::creditLine() + QStringLiteral("  -  ") + Maker::websiteShown(),
                                 TPictureButton::Style::Captioned, bottom);
    imgSito->setBodyColor(QColor(0x8B, 0x1A, 0x1A));
    imgSito->setGeometry(120, 30, 755, 56);
    imgEsci = new TPictureButton(QStringLiteral("imgEsci"), QStringLiteral(":/icons/close_red.svg"), {},
                                 TPictureButton::Style::Picture, bottom);
    imgEsci->setGeometry(941, 62, 40, 40);

    connect(imgApp01, &QAbstractButton::clicked, this, &TfrmAvvio::imgApp01Click);
    connect(btnApp01, &QAbstractButton::clicked, this, &TfrmAvvio::imgApp01Click);
    connect(imgApp02, &QAbstractButton::clicked, this, &TfrmAvvio::imgApp02Click);
    connect(btnApp02, &QAbstractButton::clicked, this, &TfrmAvvio::imgApp02Click);
    connect(imgInfo, &QAbstractButton::clicked, this, &TfrmAvvio::imgInfoClick);
    connect(imgGuida, &QAbstractButton::clicked, this, &TfrmAvvio::imgGuidaClick);
    connect(imgMarchio, &QAbstractButton::clicked, this, &TfrmAvvio::imgMarchioClick);
    connect(imgSito, &QAbstractButton::clicked, this, &TfrmAvvio::imgSitoClick);
    connect(imgEsci, &QAbstractButton::clicked, this, &TfrmAvvio::imgEsciClick);
}

void TfrmAvvio::imgApp01Click()
{
    TWindowSet::handOver(this, m_windows.frmCreaCatalogo);
}

void TfrmAvvio::imgApp02Click()
{
    TWindowSet::handOver(this, m_windows.frmApriCatalogo);
}

void TfrmAvvio::imgInfoClick()
{
    TfrmInfo frmInfo(this);
    frmInfo.exec();
}

void TfrmAvvio::imgGuidaClick()
{
    TfrmGuida::showGuide(this, QStringLiteral("Uno sguardo a Miniarca Pro"), guideParagraphs());
}

void TfrmAvvio::imgMarchioClick()
{
    TfrmSplash frmSplash(this);
    frmSplash.exec();
}

void TfrmAvvio::imgSitoClick()
{
    TMisc::Open(Maker::website());
}

QStringList TfrmAvvio::guideParagraphs()
{
    return {
        QStringLiteral("Miniarca Pro è un software che fornisce un valido supporto al collezionista di modellini di "
                       "automobili, moto, navi, aerei, elicotteri e di ogni altro genere di riproduzione in scala. I "
                       "cataloghi possono essere conservati anche su una chiavetta USB e ogni pezzo della collezione "
                       "viene descritto nei minimi dettagli: con pochi clic è possibile ritrovare un modellino, "
                       "aggiornarne la scheda oppure stamparla insieme alle sue foto."),
        QStringLiteral("Con Miniarca Pro il collezionista può organizzare al meglio il proprio hobby, catalogando "
                       "miniature di veicoli e velivoli statici o funzionanti, navi, treni, modelli da costruzione, "
                       "soldatini, personaggi famosi e qualsiasi altro oggetto da collezione in scala ridotta."),
        QStringLiteral("Il programma consente di gestire un numero illimitato di database. Tutto ciò che viene inserito "
                       "in un catalogo può essere ritrovato in seguito nella finestra di ricerca, che interroga "
                       "l'archivio secondo diversi criteri e permette di stampare i riepiloghi dei risultati."),
        QStringLiteral("La schermata di partenza del software dà accesso a due ambienti di lavoro: il primo serve a "
                       "creare una nuova collezione, il secondo ad aprire una collezione esistente e a compilarne le "
                       "schede. Il primo passo consiste quindi nel premere il pulsante dell'ambiente di lavoro "
                       "desiderato."),
        QStringLiteral("Il fatto che tutti i file degli archivi si trovino nella cartella del programma rende molto "
                       "semplice la copia di sicurezza: basta copiare l'intera cartella del programma su un disco "
                       "esterno o su una chiavetta USB. Per ripristinare i dati è sufficiente sovrascrivere la cartella "
                       "del programma con la copia salvata."),
        QStringLiteral("Per generare un nuovo archivio di modellini premere il pulsante \"Crea nuovo archivio\", "
                       "digitare il nome completo della collezione nella casella di testo e confermare con il pulsante "
                       "posto in basso."),
        QStringLiteral("Quando si crea una nuova collezione di modellini il programma genera nella propria cartella un "
                       "file di archivio con estensione DBM, che può contenere un numero illimitato di schede, ciascuna "
                       "con due foto del modellino e i relativi commenti. Si consiglia di attribuire alla collezione un "
                       "nome completo, che contenga parole chiave sul genere dei pezzi raccolti, per esempio \"Auto da "
                       "corsa anni Sessanta\"."),
        QStringLiteral("Una volta indicato il nome della collezione premere il pulsante \"Applica e chiudi\". Tornati "
                       "alla schermata di partenza, il pulsante \"Apri archivio esistente\" mostra l'elenco delle "
                       "collezioni create: fare clic sul nome desiderato e premere il pulsante \"Apri archivio\"."),
        QStringLiteral("L'icona del cestino consente di eliminare la collezione selezionata nell'elenco. Va utilizzata "
                       "con prudenza, perché un archivio eliminato non può più essere recuperato."),
        QStringLiteral("L'raz Iroraraz Odurorazu consente di archiviare un numero illimitato di schede per ogni "
                       "collezione e di allegare a ciascuna scheda file di qualsiasi tipo. Permette inoltre di tenere "
                       "traccia dei modellini in vendita, di interrogare il database con una o più chiavi di ricerca, di "
                       "visualizzare l'anteprima di una scheda o di stamparla, di mostrare in sequenza le foto "
                       "dell'intero catalogo e di esportare l'archivio in un file di Excel."),
        QStringLiteral("In ogni scheda si possono inserire due foto del modellino, riprese da punti di vista diversi, e "
                       "i dati che lo descrivono: nome, tipo, marca, codice prodotto, descrizione, anno di produzione, "
                       "valore stimato, proprietario, materiali, colori, confezione, difetti, data di acquisto, "
                       "provenienza, istruzioni di montaggio, scala, dimensioni in centimetri, rarità, stato di "
                       "conservazione e luogo di custodia."),
        QStringLiteral("Il campo \"Note\" consente di registrare qualsiasi informazione aggiuntiva: un aneddoto "
                       "sull'oggetto reale riprodotto dal modellino, l'indirizzo di una pagina web o qualunque altro "
                       "dettaglio utile. Una ricerca sul campo Note elenca tutte le schede che contengono la chiave "
                       "indicata."),
        QStringLiteral("Spuntando la casella In vendita il modellino viene inserito nell'elenco dei pezzi in vendita; "
                       "per consultare l'elenco basta premere il pulsante con l'icona della mano che regge una moneta."),
        QStringLiteral("Per allegare le due immagini del modellino alla scheda occorre fotografarlo da due punti di "
                       "vista, salvare le foto in formato JPEG e importarle con il pulsante \"Sfoglia\". In alternativa "
                       "si può utilizzare la webcam: premere \"Accendi webcam\", poi \"Cattura foto\" e infine \"Importa "
                       "foto\". Completata la scheda, archiviarla con il pulsante \"Salva\"."),
        QStringLiteral("Le due foto del modellino abbinate alla scheda vengono ridotte per adattarsi alle cornici di "
                       "anteprima; l'icona della lente mostra una foto a tutto schermo. Per ritoccare una foto è "
                       "sufficiente salvarla sul disco, modificarla con un programma di grafica e caricarla di nuovo con "
                       "il pulsante \"Sfoglia\"."),
        QStringLiteral("Il pulsante Slide Show mostra in sequenza, a tutto schermo, le foto di tutti i modellini della "
                       "collezione, cambiandole ogni pochi secondi. Dopo l'ultima foto la proiezione ricomincia dalla "
                       "prima e si conclude con un clic in un punto qualsiasi dello schermo."),
        QStringLiteral("Utilizzando il pulsante con l'icona della graffetta è possibile allegare alla scheda file di "
                       "qualsiasi tipo, come lo scontrino d'acquisto o una foto dell'oggetto reale riprodotto dal "
                       "modellino."),
        QStringLiteral("Dopo aver inserito le schede, il software consente di effettuare ricerche avanzate con chiavi "
                       "parziali, cioè una o più parole consecutive contenute in un campo qualsiasi, e con uno o più "
                       "filtri contemporaneamente: per esempio tutti i modellini di un certo tipo, di un determinato "
                       "proprietario o di un dato anno."),
        QStringLiteral("E' inoltre possibile esportare i dati testuali di ciascun archivio in un foglio di Excel, per "
                       "condividerli con chi non possiede il programma. Le singole schede, complete di foto, possono "
                       "essere stampate oppure visualizzate in anteprima di stampa."),
        QStringLiteral("Miniarca Pro può essere utilizzato anche in una rete locale: gli archivi possono essere "
                       "condivisi tra le diverse postazioni di lavoro."),
        QStringLiteral("L'accesso al software è protetto da una password aggiornabile dall'utente in qualsiasi momento, "
                       "con il pulsante \"Cambia password\" della finestra di accesso. Per il primo accesso utilizzare "
                       "la password \"vetrinamodelli\" (da digitare senza le virgolette)."),
        QStringLiteral("Miniarca Pro può essere utilizzato anche su chiavetta USB. Basta copiare la cartella del "
                       "programma sulla chiavetta e avviarlo da lì; la stessa copia è anche il modo più rapido per fare "
                       "un backup di tutti gli archivi."),
        QStringLiteral("Miniarca Pro è quindi lo strumento ideale per costruire in poco tempo il catalogo della propria "
                       "collezione, da sfogliare con la famiglia, con gli amici o con i potenziali acquirenti, e si "
                       "impara a usare quasi subito."),
    };
}

void TfrmAvvio::imgEsciClick()
{
    m_windows.terminate();
}

void TfrmAvvio::FormClose()
{
    m_windows.terminate();
}
