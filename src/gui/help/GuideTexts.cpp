#include "gui/help/GuideTexts.h"

// Every help text of the program, one function per window that offers it.
// The guide window shows the paragraphs separated by CR LF CR LF.
namespace GuideTexts {

GuideText startWindow()
{
    return {
        QStringLiteral("Uno sguardo a Miniarca Pro"),
        {
            QStringLiteral(
                "Miniarca Pro è un software che fornisce un valido supporto al collezionista di modellini di "
                "automobili, moto, navi, aerei, elicotteri e di ogni altro genere di riproduzione in scala. I "
                "cataloghi possono essere conservati anche su una chiavetta USB e ogni pezzo della collezione "
                "viene descritto nei minimi dettagli: con pochi clic è possibile ritrovare un modellino, "
                "aggiornarne la scheda oppure stamparla insieme alle sue foto."),
            QStringLiteral(
                "Con Miniarca Pro il collezionista può organizzare al meglio il proprio hobby, catalogando "
                "miniature di veicoli e velivoli statici o funzionanti, navi, treni, modelli da costruzione, "
                "soldatini, personaggi famosi e qualsiasi altro oggetto da collezione in scala ridotta."),
            QStringLiteral(
                "Il programma consente di gestire un numero illimitato di database. Tutto ciò che viene inserito "
                "in un catalogo può essere ritrovato in seguito nella finestra di ricerca, che interroga "
                "l'archivio secondo diversi criteri e permette di stampare i riepiloghi dei risultati."),
            QStringLiteral(
                "La schermata di partenza del software dà accesso a due ambienti di lavoro: il primo serve a "
                "creare una nuova collezione, il secondo ad aprire una collezione esistente e a compilarne le "
                "schede. Il primo passo consiste quindi nel premere il pulsante dell'ambiente di lavoro "
                "desiderato."),
            QStringLiteral(
                "Il fatto che tutti i file degli archivi si trovino nella cartella del programma rende molto "
                "semplice la copia di sicurezza: basta copiare l'intera cartella del programma su un disco "
                "esterno o su una chiavetta USB. Per ripristinare i dati è sufficiente sovrascrivere la cartella "
                "del programma con la copia salvata."),
            QStringLiteral(
                "Per generare un nuovo archivio di modellini premere il pulsante \"Crea nuovo archivio\", "
                "digitare il nome completo della collezione nella casella di testo e confermare con il pulsante "
                "posto in basso."),
            QStringLiteral(
                "Quando si crea una nuova collezione di modellini il programma genera nella propria cartella un "
                "file di archivio con estensione DBM, che può contenere un numero illimitato di schede, ciascuna "
                "con due foto del modellino e i relativi commenti. Si consiglia di attribuire alla collezione un "
                "nome completo, che contenga parole chiave sul genere dei pezzi raccolti, per esempio \"Auto da "
                "corsa anni Sessanta\"."),
            QStringLiteral(
                "Una volta indicato il nome della collezione premere il pulsante \"Applica e chiudi\". Tornati "
                "alla schermata di partenza, il pulsante \"Apri archivio esistente\" mostra l'elenco delle "
                "collezioni create: fare clic sul nome desiderato e premere il pulsante \"Apri archivio\"."),
            QStringLiteral(
                "L'icona del cestino consente di eliminare la collezione selezionata nell'elenco. Va utilizzata "
                "con prudenza, perché un archivio eliminato non può più essere recuperato."),
            QStringLiteral(
                "L'raz Iroraraz Odurorazu consente di archiviare un numero illimitato di schede per ogni "
                "collezione e di allegare a ciascuna scheda file di qualsiasi tipo. Permette inoltre di tenere "
                "traccia dei modellini in vendita, di interrogare il database con una o più chiavi di ricerca, di "
                "visualizzare l'anteprima di una scheda o di stamparla, di mostrare in sequenza le foto "
                "dell'intero catalogo e di esportare l'archivio in un file di Excel."),
            QStringLiteral(
                "In ogni scheda si possono inserire due foto del modellino, riprese da punti di vista diversi, e "
                "i dati che lo descrivono: nome, tipo, marca, codice prodotto, descrizione, anno di produzione, "
                "valore stimato, proprietario, materiali, colori, confezione, difetti, data di acquisto, "
                "provenienza, istruzioni di montaggio, scala, dimensioni in centimetri, rarità, stato di "
                "conservazione e luogo di custodia."),
            QStringLiteral(
                "Il campo \"Note\" consente di registrare qualsiasi informazione aggiuntiva: un aneddoto "
                "sull'oggetto reale riprodotto dal modellino, l'indirizzo di una pagina web o qualunque altro "
                "dettaglio utile. Una ricerca sul campo Note elenca tutte le schede che contengono la chiave "
                "indicata."),
            QStringLiteral(
                "Spuntando la casella In vendita il modellino viene inserito nell'elenco dei pezzi in vendita; "
                "per consultare l'elenco basta premere il pulsante con l'icona della mano che regge una moneta."),
            QStringLiteral(
                "Per allegare le due immagini del modellino alla scheda occorre fotografarlo da due punti di "
                "vista, salvare le foto in formato JPEG e importarle con il pulsante \"Sfoglia\". In alternativa "
                "si può utilizzare la webcam: premere \"Accendi webcam\", poi \"Cattura foto\" e infine \"Importa "
                "foto\". Completata la scheda, archiviarla con il pulsante \"Salva\"."),
            QStringLiteral(
                "Le due foto del modellino abbinate alla scheda vengono ridotte per adattarsi alle cornici di "
                "anteprima; l'icona della lente mostra una foto a tutto schermo. Per ritoccare una foto è "
                "sufficiente salvarla sul disco, modificarla con un programma di grafica e caricarla di nuovo con "
                "il pulsante \"Sfoglia\"."),
            QStringLiteral(
                "Il pulsante Slide Show mostra in sequenza, a tutto schermo, le foto di tutti i modellini della "
                "collezione, cambiandole ogni pochi secondi. Dopo l'ultima foto la proiezione ricomincia dalla "
                "prima e si conclude con un clic in un punto qualsiasi dello schermo."),
            QStringLiteral(
                "Utilizzando il pulsante con l'icona della graffetta è possibile allegare alla scheda file di "
                "qualsiasi tipo, come lo scontrino d'acquisto o una foto dell'oggetto reale riprodotto dal "
                "modellino."),
            QStringLiteral(
                "Dopo aver inserito le schede, il software consente di effettuare ricerche avanzate con chiavi "
                "parziali, cioè una o più parole consecutive contenute in un campo qualsiasi, e con uno o più "
                "filtri contemporaneamente: per esempio tutti i modellini di un certo tipo, di un determinato "
                "proprietario o di un dato anno."),
            QStringLiteral(
                "E' inoltre possibile esportare i dati testuali di ciascun archivio in un foglio di Excel, per "
                "condividerli con chi non possiede il programma. Le singole schede, complete di foto, possono "
                "essere stampate oppure visualizzate in anteprima di stampa."),
            QStringLiteral("Miniarca Pro può essere utilizzato anche in una rete locale: gli archivi possono essere "
                           "condivisi tra le diverse postazioni di lavoro."),
            QStringLiteral(
                "L'accesso al software è protetto da una password aggiornabile dall'utente in qualsiasi momento, "
                "con il pulsante \"Cambia password\" della finestra di accesso. Per il primo accesso utilizzare "
                "la password \"vetrinamodelli\" (da digitare senza le virgolette)."),
            QStringLiteral(
                "Miniarca Pro può essere utilizzato anche su chiavetta USB. Basta copiare la cartella del "
                "programma sulla chiavetta e avviarlo da lì; la stessa copia è anche il modo più rapido per fare "
                "un backup di tutti gli archivi."),
            QStringLiteral(
                "Miniarca Pro è quindi lo strumento ideale per costruire in poco tempo il catalogo della propria "
                "collezione, da sfogliare con la famiglia, con gli amici o con i potenziali acquirenti, e si "
                "impara a usare quasi subito."),
        }};
}

GuideText catalogue()
{
    return {
        QStringLiteral("Creazione e apertura archivi"),
        {
            QStringLiteral(
                "La schermata di partenza del software dà accesso a due ambienti di lavoro: il primo serve a "
                "creare una nuova collezione di modellini, il secondo ad aprire una collezione già esistente "
                "e a compilarne le schede. Il primo passo consiste quindi nel premere il pulsante "
                "dell'ambiente di lavoro desiderato."),
            QStringLiteral(
                "Il fatto che tutti i file degli archivi si trovino nella cartella di installazione del "
                "programma rende molto semplice la copia di sicurezza: basta copiare l'intera cartella del "
                "programma su un disco esterno o su una chiavetta USB. Per ripristinare i dati è sufficiente "
                "sovrascrivere la cartella del programma con la copia salvata."),
            QStringLiteral("Per generare un nuovo archivio di modellini premere il pulsante \"Crea nuovo archivio\" "
                           "nella schermata di partenza, digitare il nome completo della collezione nella casella di "
                           "testo e confermare con il pulsante posto in basso."),
            QStringLiteral(
                "Quando si crea una nuova collezione di modellini il programma genera, nella propria cartella, "
                "un file di archivio con estensione DBM. L'archivio può contenere un numero illimitato di "
                "schede, ciascuna con due foto del modellino e i relativi commenti. Si consiglia di "
                "attribuire alla collezione un nome completo, che contenga parole chiave sul genere dei "
                "pezzi raccolti, per esempio \"Auto da corsa anni Sessanta\" oppure \"Velieri e navi "
                "da guerra\"."),
            QStringLiteral(
                "Una volta indicato il nome della collezione premere il pulsante \"Applica e chiudi\". "
                "Tornati alla schermata di partenza, il pulsante \"Apri archivio esistente\" mostra "
                "l'elenco di tutte le collezioni create: fare clic sul nome desiderato e premere il pulsante "
                "\"Apri archivio\"."),
            QStringLiteral("L'icona del cestino consente di eliminare la collezione selezionata nell'elenco. Va "
                           "utilizzata con prudenza, perché un archivio eliminato non può più essere recuperato: prima "
                           "di eliminare una collezione è bene farne una copia di sicurezza."),
        }};
}

GuideText recordSheet()
{
    return {
        QStringLiteral("Raz Iroraraz Odurorazu"),
        {
            QStringLiteral(
                "In questa schermata si gestiscono le schede della collezione aperta. Il programma conserva "
                "un numero illimitato di schede descrittive per ogni collezione, consente di allegare file a "
                "ciascuna scheda e tiene traccia dei modellini in vendita; permette inoltre di ricercare "
                "nell'archivio con una o più chiavi, di visualizzare l'anteprima di stampa di una scheda o di "
                "stamparla, di mostrare in sequenza le foto di tutti i modellini e di esportare l'archivio in "
                "un file di Excel."),
            QStringLiteral(
                "Ogni scheda accoglie due foto del modellino, riprese da punti di vista diversi, e le "
                "informazioni che lo descrivono: nome, tipo, marca, codice prodotto, descrizione, anno, valore "
                "stimato, proprietario, materiali, colori, confezione, difetti, data di acquisto, provenienza, "
                "istruzioni di montaggio, scala, dimensioni in centimetri, rarità, stato di conservazione e "
                "luogo di custodia."),
            QStringLiteral(
                "Il campo \"Note\" accoglie qualsiasi ulteriore informazione che il collezionista desidera "
                "ritrovare in seguito con la ricerca, come un aneddoto sull'oggetto reale riprodotto dal "
                "modellino o l'indirizzo della pagina web del prodotto. Una ricerca sul campo \"Note\" elenca "
                "tutte le schede che contengono la chiave indicata."),
            QStringLiteral(
                "Spuntando la casella \"In vendita\" il modellino entra nell'elenco dei pezzi in vendita; il "
                "pulsante con l'icona della mano che regge una moneta mostra l'elenco completo."),
            QStringLiteral(
                "Per aggiungere le due foto, fotografare il modellino da due punti di vista, salvare le "
                "immagini in formato JPEG e importarle con il pulsante \"Sfoglia\". In alternativa è possibile "
                "catturarle con la finestra della webcam, premendo nell'ordine \"Accendi webcam\", \"Cattura "
                "foto\" e \"Importa foto\". Infine archiviare la scheda con il pulsante \"Salva\"."),
            QStringLiteral(
                "Le foto vengono ridotte per adattarsi alle cornici di anteprima, senza alterarne le "
                "proporzioni; l'icona della lente mostra la foto a tutto schermo. Una foto può essere salvata "
                "sul disco, ritoccata con un programma di grafica e caricata di nuovo con il pulsante "
                "\"Sfoglia\"."),
            QStringLiteral(
                "Il pulsante \"Slide Show\" mostra a tutto schermo le foto di tutti i modellini della "
                "collezione, qualche secondo ciascuna, e dopo l'ultima ricomincia dalla prima; un clic in un "
                "punto qualsiasi dello schermo conclude la proiezione."),
            QStringLiteral("Il pulsante con l'icona della graffetta allega alla scheda file di qualsiasi tipo, per "
                           "esempio lo scontrino d'acquisto, il certificato di autenticità o un'immagine dell'oggetto "
                           "reale riprodotto dal modellino."),
            QStringLiteral(
                "La ricerca funziona con chiavi parziali, cioè una o più parole consecutive contenute in un "
                "campo qualsiasi, e con più filtri contemporaneamente: per esempio si possono elencare tutti i "
                "modellini di un certo tipo, di un determinato proprietario o di un dato anno."),
            QStringLiteral(
                "I dati testuali di ogni archivio possono essere esportati in un foglio di Excel, per "
                "condividerli con chi non possiede il programma. Le singole schede, complete di foto, possono "
                "essere stampate oppure visualizzate in anteprima con gli appositi pulsanti della barra dei "
                "comandi."),
        }};
}

GuideText exportWindow()
{
    return {
        QStringLiteral("Esportazione archivio modellini in Excel"),
        {
            QStringLiteral("Il pulsante con l'icona di Excel esporta i dati testuali dell'archivio in un foglio di "
                           "lavoro di Microsoft Excel, che può essere aperto con qualsiasi programma in grado di "
                           "gestire i file XLS, come Open Office, Libre Office o Microsoft Office."),
            QStringLiteral("Dopo aver aperto la finestra con la griglia dei dati, un clic sull'icona di Excel crea "
                           "all'istante un file XLS contenente le schede dell'archivio, che può essere aperto subito "
                           "rispondendo sì alla domanda che segue."),
            QStringLiteral("Il file così ottenuto può poi essere salvato in qualsiasi cartella e con qualsiasi nome."),
        }};
}

} // namespace GuideTexts
