#include "gui/sheet/CartolineGuide.h"

QString cartolineGuideTitle()
{
    return QStringLiteral("Raz Iroraraz Odurorazu");
}

QStringList cartolineGuideParagraphs()
{
    return {
        QStringLiteral("In questa schermata si gestiscono le schede della collezione aperta. Il programma conserva "
                       "un numero illimitato di schede descrittive per ogni collezione, consente di allegare file a "
                       "ciascuna scheda e tiene traccia dei modellini in vendita; permette inoltre di ricercare "
                       "nell'archivio con una o più chiavi, di visualizzare l'anteprima di stampa di una scheda o di "
                       "stamparla, di mostrare in sequenza le foto di tutti i modellini e di esportare l'archivio in "
                       "un file di Excel."),
        QStringLiteral("Ogni scheda accoglie due foto del modellino, riprese da punti di vista diversi, e le "
                       "informazioni che lo descrivono: nome, tipo, marca, codice prodotto, descrizione, anno, valore "
                       "stimato, proprietario, materiali, colori, confezione, difetti, data di acquisto, provenienza, "
                       "istruzioni di montaggio, scala, dimensioni in centimetri, rarità, stato di conservazione e "
                       "luogo di custodia."),
        QStringLiteral("Il campo \"Note\" accoglie qualsiasi ulteriore informazione che il collezionista desidera "
                       "ritrovare in seguito con la ricerca, come un aneddoto sull'oggetto reale riprodotto dal "
                       "modellino o l'indirizzo della pagina web del prodotto. Una ricerca sul campo \"Note\" elenca "
                       "tutte le schede che contengono la chiave indicata."),
        QStringLiteral("Spuntando la casella \"In vendita\" il modellino entra nell'elenco dei pezzi in vendita; il "
                       "pulsante con l'icona della mano che regge una moneta mostra l'elenco completo."),
        QStringLiteral("Per aggiungere le due foto, fotografare il modellino da due punti di vista, salvare le "
                       "immagini in formato JPEG e importarle con il pulsante \"Sfoglia\". In alternativa è possibile "
                       "catturarle con la finestra della webcam, premendo nell'ordine \"Accendi webcam\", \"Cattura "
                       "foto\" e \"Importa foto\". Infine archiviare la scheda con il pulsante \"Salva\"."),
        QStringLiteral("Le foto vengono ridotte per adattarsi alle cornici di anteprima, senza alterarne le "
                       "proporzioni; l'icona della lente mostra la foto a tutto schermo. Una foto può essere salvata "
                       "sul disco, ritoccata con un programma di grafica e caricata di nuovo con il pulsante "
                       "\"Sfoglia\"."),
        QStringLiteral("Il pulsante \"Slide Show\" mostra a tutto schermo le foto di tutti i modellini della "
                       "collezione, qualche secondo ciascuna, e dopo l'ultima ricomincia dalla prima; un clic in un "
                       "punto qualsiasi dello schermo conclude la proiezione."),
        QStringLiteral("Il pulsante con l'icona della graffetta allega alla scheda file di qualsiasi tipo, per "
                       "esempio lo scontrino d'acquisto, il certificato di autenticità o un'immagine dell'oggetto "
                       "reale riprodotto dal modellino."),
        QStringLiteral("La ricerca funziona con chiavi parziali, cioè una o più parole consecutive contenute in un "
                       "campo qualsiasi, e con più filtri contemporaneamente: per esempio si possono elencare tutti i "
                       "modellini di un certo tipo, di un determinato proprietario o di un dato anno."),
        QStringLiteral("I dati testuali di ogni archivio possono essere esportati in un foglio di Excel, per "
                       "condividerli con chi non possiede il programma. Le singole schede, complete di foto, possono "
                       "essere stampate oppure visualizzate in anteprima con gli appositi pulsanti della barra dei "
                       "comandi."),
    };
}
