#include "gui/catalogue/CatalogueLook.h"

#include <QLabel>

#include "gui/widgets/Look.h"

QLabel* makeInstructions(QWidget* parent, const QString& title, const QStringList& lines)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("icoIstruzioni"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::RichText);
    label->setStyleSheet(QStringLiteral("QLabel#icoIstruzioni { background: white; border-radius: 12px;"
                                        " padding: 18px 28px; color: #1F3A5F; }"));
    QString html = QStringLiteral("<p style='font-family:Verdana,\"DejaVu Sans\",sans-serif; font-size:22pt;"
                                  " font-weight:bold; color:#B22222; margin-bottom:14px;'>%1</p>")
                       .arg(title.toHtmlEscaped());
    for (const QString& line : lines)
        html += QStringLiteral("<p style='font-family:Verdana,\"DejaVu Sans\",sans-serif; font-size:12pt;"
                               " margin-top:6px;'>%1</p>")
                    .arg(line.toHtmlEscaped());
    label->setText(html);
    return label;
}

QString catalogueGuideTitle()
{
    return QStringLiteral("Creazione e apertura archivi");
}

QStringList catalogueGuideParagraphs()
{
    return {
        QStringLiteral("La schermata di partenza del software dà accesso a due ambienti di lavoro: il primo serve a "
                       "creare una nuova collezione di modellini, il secondo ad aprire una collezione già esistente "
                       "e a compilarne le schede. Il primo passo consiste quindi nel premere il pulsante "
                       "dell'ambiente di lavoro desiderato."),
        QStringLiteral("Il fatto che tutti i file degli archivi si trovino nella cartella di installazione del "
                       "programma rende molto semplice la copia di sicurezza: basta copiare l'intera cartella del "
                       "programma su un disco esterno o su una chiavetta USB. Per ripristinare i dati è sufficiente "
                       "sovrascrivere la cartella del programma con la copia salvata."),
        QStringLiteral("Per generare un nuovo archivio di modellini premere il pulsante \"Crea nuovo archivio\" "
                       "nella schermata di partenza, digitare il nome completo della collezione nella casella di "
                       "testo e confermare con il pulsante posto in basso."),
        QStringLiteral("Quando si crea una nuova collezione di modellini il programma genera, nella propria cartella, "
                       "un file di archivio con estensione DBM. L'archivio può contenere un numero illimitato di "
                       "schede, ciascuna con due foto del modellino e i relativi commenti. Si consiglia di "
                       "attribuire alla collezione un nome completo, che contenga parole chiave sul genere dei "
                       "pezzi raccolti, per esempio \"Auto da corsa anni Sessanta\" oppure \"Velieri e navi "
                       "da guerra\"."),
        QStringLiteral("Una volta indicato il nome della collezione premere il pulsante \"Applica e chiudi\". "
                       "Tornati alla schermata di partenza, il pulsante \"Apri archivio esistente\" mostra "
                       "l'elenco di tutte le collezioni create: fare clic sul nome desiderato e premere il pulsante "
                       "\"Apri archivio\"."),
        QStringLiteral("L'icona del cestino consente di eliminare la collezione selezionata nell'elenco. Va "
                       "utilizzata con prudenza, perché un archivio eliminato non può più essere recuperato: prima "
                       "di eliminare una collezione è bene farne una copia di sicurezza."),
    };
}
