#include "gui/search/frmRiepilogo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/archive/Archivio.h"
#include "core/formats/Text.h"
#include "core/search/RigaRiepilogo.h"
#include "gui/search/SummaryList.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/Look.h"

namespace {

const QColor kCrimson(0xDC, 0x14, 0x3C);

} // namespace

TfrmRiepilogo::TfrmRiepilogo(QWidget* owner, const QString& archivePath, const QString& objectName,
                             const QString& caption, const QString& bannerPicture, const QString& bannerText,
                             const QString& printTitle, QString& lastSearch)
    : TFixedDialog(owner, objectName, caption, QSize(862, 560), Look::steelBlue, Qt::white),
      m_archivePath(Text::trimmed(archivePath)), m_printTitle(printTitle), m_lastSearch(lastSearch)
{
    panContainer = new QWidget(this);
    panContainer->setObjectName(QStringLiteral("panContainer"));
    panContainer->setGeometry(14, 15, 833, 529);

    imgLogo = new TBanner(QStringLiteral("imgLogo"), bannerPicture, {bannerText}, panContainer);
    imgLogo->setGeometry(0, 0, 833, 70);

    icoIstruzioni01 = new QLabel(
        QStringLiteral("Immettere una o più parole consecutive presenti nella scheda in elenco da cercare e premere "
                       "il pulsante Trova.\nPer spostarsi sulla voce successiva contenente la stessa chiave di "
                       "ricerca, fare di nuovo clic su Trova."),
        panContainer);
    icoIstruzioni01->setObjectName(QStringLiteral("icoIstruzioni01"));
    icoIstruzioni01->setWordWrap(true);
    icoIstruzioni01->setFont(Look::verdana(9, true));
    icoIstruzioni01->setStyleSheet(QStringLiteral("QLabel#icoIstruzioni01 { color: #1F3A5F; background: "
                                                  "rgba(255,255,255,170); border-radius: 6px; padding: 4px 8px; }"));
    icoIstruzioni01->setGeometry(0, 78, 833, 50);

    txtTrova = new QLineEdit(panContainer);
    txtTrova->setObjectName(QStringLiteral("txtTrova"));
    txtTrova->setFont(Look::verdana(12, true));
    txtTrova->setStyleSheet(Look::editFieldStyle());
    txtTrova->setGeometry(0, 138, 693, 32);

    btnTrova = new QPushButton(QStringLiteral("Trova"), panContainer);
    btnTrova->setObjectName(QStringLiteral("btnTrova"));
    btnTrova->setGeometry(703, 136, 130, 36);

    lstRecords = new TSummaryList(QStringLiteral("lstRecords"), panContainer);
    lstRecords->setGeometry(0, 180, 833, 270);
    lstRecords->setAccessibleName(QStringLiteral("Schede trovate"));
    lstRecords->setStyleSheet(QStringLiteral("QListView#lstRecords { background: white; border: 1px solid #87CEEB; }"));

    lblRigo03 = new QLabel(QStringLiteral("Fare doppio clic sulla voce in elenco per richiamare la scheda"),
                           panContainer);
    lblRigo03->setObjectName(QStringLiteral("lblRigo03"));
    lblRigo03->setAlignment(Qt::AlignCenter);
    lblRigo03->setFont(Look::verdana(10, true));
    lblRigo03->setStyleSheet(QStringLiteral("color: %1;").arg(kCrimson.name()));
    lblRigo03->setGeometry(0, 456, 833, 20);

    btnChiudi = new QPushButton(QStringLiteral("Chiudi"), panContainer);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    btnChiudi->setGeometry(0, 489, 130, 38);
    btnStampa = new QPushButton(QStringLiteral("Stampa"), panContainer);
    btnStampa->setObjectName(QStringLiteral("btnStampa"));
    btnStampa->setGeometry(703, 489, 130, 38);

    for (QPushButton* button : {btnTrova, btnChiudi, btnStampa}) {
        button->setFont(Look::verdana(11, true));
        enterPresses(button);
    }
    enterMovesTo(txtTrova, btnTrova);

    connect(btnTrova, &QPushButton::clicked, this, &TfrmRiepilogo::btnTrovaClick);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmRiepilogo::btnStampaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &TfrmRiepilogo::btnChiudiClick);
    connect(lstRecords, &TSummaryList::doubleClickedAnywhere, this, &TfrmRiepilogo::lstRecordsDblClick);
}

QStringList TfrmRiepilogo::lines() const
{
    return lstRecords->lines();
}

void TfrmRiepilogo::enterMovesTo(QLineEdit* field, QWidget* next)
{
    m_enterTargets.insert(field, next);
    field->installEventFilter(this);
}

void TfrmRiepilogo::enterPresses(QPushButton* button)
{
    // Enter must never reach the dialog's default-button handling: in the
    // fields it only moves the focus.
    button->setAutoDefault(false);
    button->setDefault(false);
    m_enterTargets.insert(button, button);
    button->installEventFilter(this);
}

bool TfrmRiepilogo::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_enterTargets.contains(watched)) {
            QWidget* target = m_enterTargets.value(watched);
            if (target == watched)
                static_cast<QPushButton*>(target)->click();
            else
                target->setFocus();
            return true;
        }
    }
    return TFixedDialog::eventFilter(watched, event);
}

void TfrmRiepilogo::showEvent(QShowEvent* event)
{
    TFixedDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmRiepilogo::FormShow()
{
    lastSearch().clear();
    lstRecords->setCurrentRow(0);
    txtTrova->clear();
}

void TfrmRiepilogo::showLines(std::vector<RigaElenco> lines)
{
    OrdinaRighe(lines);
    lstRecords->setLines(std::move(lines));
}

void TfrmRiepilogo::done(int result)
{
    FormClose();
    TFixedDialog::done(result);
}

void TfrmRiepilogo::FormClose()
{
    lstRecords->clear();
}

void TfrmRiepilogo::btnChiudiClick()
{
    reject();
}

void TfrmRiepilogo::btnStampaClick()
{
    frxReport.print(this, printTitle(), lines());
}

void TfrmRiepilogo::btnTrovaClick()
{
    const int n = lstRecords->count();
    if (n == 0) {
        Dialogs::plain(this, QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
        return;
    }
    if (lstRecords->currentRow() < 0)
        lstRecords->setCurrentRow(0);
    const QString s = Abbassa(txtTrova->text());
    const auto holds = [&](int i) { return !s.isEmpty() && Abbassa(lstRecords->text(i)).contains(s); };

    // A new text starts over from the first line, which is tested first; the
    // same text again goes on from the selected line, which is tested last.
    const bool newText = s != m_lastSearch;
    const int start = newText ? 0 : lstRecords->currentRow();
    int found = -1;
    if (newText && holds(0)) {
        found = 0;
    } else {
        for (int k = 1; k <= n; ++k) {
            const int i = (start + k) % n;
            if (holds(i)) {
                found = i;
                break;
            }
        }
    }
    if (found >= 0)
        lstRecords->setCurrentRow(found);
    m_lastSearch = s;
}

void TfrmRiepilogo::lstRecordsDblClick()
{
    // The line keeps the number of the record it was built from: that record,
    // read afresh by the sheet, is the one shown, even where other records
    // give the same line. A failure (no line chosen, the archive unreadable,
    // the record no longer there) closes the window without a message.
    const int row = lstRecords->currentRow();
    if (row >= 0)
        emit recordChosen(lstRecords->number(row));
    accept();
}
