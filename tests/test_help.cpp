// The guide, information and credits windows, their openers and TMisc.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "TestSupport.h"
#include "core/system/TMisc.h"
#include "gui/app/WindowSet.h"
#include "gui/catalogue/frmApriCatalogo.h"
#include "gui/catalogue/frmCreaCatalogo.h"
#include "gui/help/GuideTexts.h"
#include "gui/help/frmGuida.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/shell/Maker.h"
#include "gui/shell/frmAvvio.h"
#include "gui/shell/frmInfo.h"
#include "gui/shell/frmPassword.h"
#include "gui/shell/frmSplash.h"
#include "gui/widgets/LinkLabel.h"
#include "gui/widgets/Look.h"

namespace {

struct Opened {
    QString command;
    QUrl url;
};

// Clicks `button`, which shows a modal window; `inspect` sees that window
// while it is up, then the window is closed by its "Chiudi".
void whileModal(QAbstractButton* button, const std::function<void(QDialog*)>& inspect)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!modal)
            return;
        poll.stop();
        seen = true;
        inspect(modal);
        if (auto* close = modal->findChild<QPushButton*>(QStringLiteral("btnChiudi")))
            close->click();
        else
            modal->reject();
    });
    poll.start();
    button->click();
    QVERIFY2(seen, "no modal window was shown");
}

QString joinedAsShown(const QStringList& paragraphs)
{
    return TfrmGuida::joinParagraphs(paragraphs).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void openTurnsCommandsIntoUrls_data();
    void openTurnsCommandsIntoUrls();
    void guideShowsWhatItsOpenerGives_data();
    void guideShowsWhatItsOpenerGives();
    void guideParagraphsOpenWithTheirWords_data();
    void guideParagraphsOpenWithTheirWords();
    void helpTextCannotBeEdited();
    void linksColourAndOpen_data();
    void linksColourAndOpen();
    void startWindowOpensInformationAndCredits_data();
    void startWindowOpensInformationAndCredits();
    void websiteStripOpensTheWebsite();

private:
    std::unique_ptr<TestProgram> m_program;
    std::unique_ptr<QTemporaryDir> m_spaced;
    QList<Opened> m_opened;
};

void TestHelp::initTestCase()
{
    // Nothing is ever handed to the desktop from the tests.
    TMisc::setHandler([this](const QString& command, const QUrl& url) { m_opened.append({command, url}); });
}

void TestHelp::cleanupTestCase()
{
    TMisc::setHandler({});
}

void TestHelp::init()
{
    m_program = std::make_unique<TestProgram>();
    // A program folder with blanks in its path, as under "Program Files".
    m_spaced = std::make_unique<QTemporaryDir>();
    const QString folder = m_spaced->filePath(QStringLiteral("Miniarca Pro con spazi"));
    QVERIFY(QDir().mkpath(folder));
    ProgramFolder::setOverride(folder);
    m_opened.clear();
}

void TestHelp::cleanup()
{
    m_program.reset(); // also drops the override
    m_spaced.reset();
}

void TestHelp::openTurnsCommandsIntoUrls_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QUrl>("url");
    QTest::newRow("quoted path with blanks")
        << "\"/opt/Miniarca Pro/Guida.pdf\"" << QUrl::fromLocalFile(QStringLiteral("/opt/Miniarca Pro/Guida.pdf"));
    QTest::newRow("unquoted path") << "/opt/miniarca/Guida.pdf"
                                   << QUrl::fromLocalFile(QStringLiteral("/opt/miniarca/Guida.pdf"));
    QTest::newRow("blanks around the quotes")
        << "  \"/opt/a b/c.pdf\" " << QUrl::fromLocalFile(QStringLiteral("/opt/a b/c.pdf"));
    QTest::newRow("web address") << "https://www.miniarca.example"
                                 << QUrl(QStringLiteral("https://www.miniarca.example"));
    QTest::newRow("bare www") << "www.miniarca.example" << QUrl(QStringLiteral("https://www.miniarca.example"));
    QTest::newRow("quoted mail link") << "\"mailto:assistenza@miniarca.example\""
                                      << QUrl(QStringLiteral("mailto:assistenza@miniarca.example"));
}

void TestHelp::openTurnsCommandsIntoUrls()
{
    QFETCH(QString, command);
    QFETCH(QUrl, url);
    QCOMPARE(TMisc::urlFor(command), url);
    TMisc::Open(command);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().command, command);
    QCOMPARE(m_opened.first().url, url);
}

void TestHelp::guideShowsWhatItsOpenerGives_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("paragraphs");
    QTest::addColumn<int>("count");
    QTest::newRow("start window") << "frmAvvio"
                                  << "imgGuida"
                                  << "Uno sguardo a Miniarca Pro" << GuideTexts::startWindow().paragraphs << 23;
    QTest::newRow("create window") << "frmCreaCatalogo"
                                   << "imgGuida"
                                   << "Creazione e apertura archivi" << GuideTexts::catalogue().paragraphs << 6;
    QTest::newRow("open window") << "frmApriCatalogo"
                                 << "imgGuida"
                                 << "Creazione e apertura archivi" << GuideTexts::catalogue().paragraphs << 6;
    QTest::newRow("record sheet") << "frmCartoline"
                                  << "cmdGuida"
                                  << "Raz Iroraraz Odurorazu" << GuideTexts::recordSheet().paragraphs << 10;
}

void TestHelp::guideShowsWhatItsOpenerGives()
{
    QFETCH(QString, opener);
    QFETCH(QString, button);
    QFETCH(QString, title);
    QFETCH(QStringList, paragraphs);
    QFETCH(int, count);
    QCOMPARE(paragraphs.size(), count);
    for (const QString& p : paragraphs)
        QVERIFY(!p.trimmed().isEmpty() && !p.contains(QLatin1Char('\n')));

    TWindowSet windows;
    windows.onTerminate = [] {};
    QWidget* owner = nullptr;
    for (QWidget* w :
         QList<QWidget*>{windows.frmAvvio, windows.frmCreaCatalogo, windows.frmApriCatalogo, windows.frmCartoline})
        if (w->objectName() == opener)
            owner = w;
    QVERIFY(owner);
    auto* help = owner->findChild<QAbstractButton*>(button);
    QVERIFY(help);

    whileModal(help, [&](QDialog* modal) {
        auto* guide = qobject_cast<TfrmGuida*>(modal);
        QVERIFY(guide);
        QCOMPARE(guide->parentWidget(), owner);
        QCOMPARE(guide->windowTitle(), QStringLiteral(" Guida all'utilizzo del software"));
        QCOMPARE(guide->size(), QSize(670, 572));
        QCOMPARE(named<QLabel>(guide, "lblTitolo")->text(), title);
        QCOMPARE(named<QPlainTextEdit>(guide, "txtGuida")->toPlainText(), joinedAsShown(paragraphs));
        QVERIFY(named<QPlainTextEdit>(guide, "txtGuida")->isReadOnly());
    });
    QVERIFY(owner->findChildren<TfrmGuida*>().isEmpty()); // destroyed when closed
    QCOMPARE(shownTexts(), QStringList());
}

void TestHelp::guideParagraphsOpenWithTheirWords_data()
{
    QTest::addColumn<QStringList>("paragraphs");
    QTest::addColumn<QStringList>("openings");
    QTest::newRow("start window")
        << GuideTexts::startWindow().paragraphs
        << QStringList{
               QStringLiteral("Miniarca Pro è un software che fornisce un valido supporto al collezionista"),
               QStringLiteral("Con Miniarca Pro il collezionista può organizzare al meglio il proprio hobby"),
               QStringLiteral("Il programma consente di gestire un numero illimitato di database"),
               QStringLiteral("La schermata di partenza del software dà accesso a due ambienti di lavoro:"),
               QStringLiteral("Il fatto che tutti i file degli archivi"),
               QStringLiteral("Per generare un nuovo archivio di modellini"),
               QStringLiteral("Quando si crea una nuova collezione di modellini"),
               QStringLiteral("Una volta indicato il nome della collezione"),
               QStringLiteral("L'icona del cestino consente di eliminare"),
               QStringLiteral("L'raz Iroraraz Odurorazu consente di archiviare un numero illimitato di schede"),
               QStringLiteral("In ogni scheda si possono inserire due foto del modellino"),
               QStringLiteral("Il campo \"Note\" consente di registrare qualsiasi informazione aggiuntiva"),
               QStringLiteral("Spuntando la casella In vendita"),
               QStringLiteral("Per allegare le due immagini del modellino"),
               QStringLiteral("Le due foto del modellino abbinate alla scheda"),
               QStringLiteral("Il pulsante Slide Show mostra in sequenza"),
               QStringLiteral("Utilizzando il pulsante con l'icona della graffetta"),
               QStringLiteral("Dopo aver inserito le schede, il software consente di effettuare ricerche avanzate"),
               QStringLiteral("E' inoltre possibile esportare i dati testuali di ciascun archivio"),
               QStringLiteral("Miniarca Pro può essere utilizzato anche in una rete locale"),
               QStringLiteral("L'accesso al software è protetto da una password aggiornabile dall'utente"),
               QStringLiteral("Miniarca Pro può essere utilizzato anche su chiavetta USB."),
               QStringLiteral("Miniarca Pro è quindi lo strumento ideale"),
           };
    QTest::newRow("create and open windows")
        << GuideTexts::catalogue().paragraphs
        << QStringList{
               QStringLiteral("La schermata di partenza del software dà accesso a due ambienti di lavoro:"),
               QStringLiteral("Il fatto che tutti i file degli archivi"),
               QStringLiteral("Per generare un nuovo archivio di modellini"),
               QStringLiteral("Quando si crea una nuova collezione di modellini"),
               QStringLiteral("Una volta indicato il nome della collezione"),
               QStringLiteral("L'icona del cestino consente di eliminare"),
           };
}

void TestHelp::guideParagraphsOpenWithTheirWords()
{
    QFETCH(QStringList, paragraphs);
    QFETCH(QStringList, openings);
    QCOMPARE(paragraphs.size(), openings.size());
    for (int i = 0; i < paragraphs.size(); ++i) {
        const QString& p = paragraphs.at(i);
        const QString& words = openings.at(i);
        // The opening words, then the paragraph goes on past a word boundary.
        QVERIFY2(p.startsWith(words) && p.size() > words.size() + 20 && !p.at(words.size()).isLetterOrNumber(),
                 qPrintable(QStringLiteral("paragraph %1: %2").arg(i + 1).arg(p.left(90))));
    }
    // The first access is told in the start window's guide.
    if (paragraphs.size() == 23)
        QVERIFY(paragraphs.at(20).contains(QStringLiteral("\"vetrinamodelli\"")));
}

void TestHelp::helpTextCannotBeEdited()
{
    TfrmGuida guide(nullptr);
    auto* text = named<QPlainTextEdit>(&guide, "txtGuida");
    text->setPlainText(TfrmGuida::joinParagraphs({QStringLiteral("Primo."), QStringLiteral("Secondo.")}));
    guide.show();
    QVERIFY(QTest::qWaitForWindowExposed(&guide));
    const QString before = text->toPlainText();
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("xyz"));
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_Delete);
    QTest::keyClick(text, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(text->toPlainText(), before);
    QCOMPARE(named<QLabel>(&guide, "lblTitolo")->text(), QStringLiteral("Argomento della guida."));
}

void TestHelp::linksColourAndOpen_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("linkText");
    QTest::addColumn<QString>("command");
    QTest::newRow("guide") << "frmGuida"
                           << "imgPDF"
                           << "Visualizza guida in formato PDF"
                           << "\"<program folder>Guida.pdf\"";
    QTest::newRow("information") << "frmInfo"
                                 << "imgEmail" << Maker::supportEmail()
                                 << QStringLiteral("\"mailto:") + Maker::supportEmail() + QStringLiteral("\"");
    QTest::newRow("credits") << "frmSplash"
                             << "imgWeb" << Maker::websiteShown() << Maker::website();
}

void TestHelp::linksColourAndOpen()
{
    QFETCH(QString, window);
    QFETCH(QString, picture);
    QFETCH(QString, linkText);
    QFETCH(QString, command);
    // The data rows are made before init() sets the folder with blanks.
    command.replace(QStringLiteral("<program folder>"), ProgramFolder::path());

    QWidget owner;
    std::unique_ptr<QDialog> dialog;
    if (window == QLatin1String("frmGuida"))
        dialog = std::make_unique<TfrmGuida>(&owner);
    else if (window == QLatin1String("frmInfo"))
        dialog = std::make_unique<TfrmInfo>(&owner);
    else
        dialog = std::make_unique<TfrmSplash>(&owner);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto* link = named<TLinkLabel>(dialog.get(), "lnkWeb");
    auto* icon = named<QAbstractButton>(dialog.get(), picture.toLatin1().constData());
    QCOMPARE(link->text(), linkText);
    QCOMPARE(link->colour(), Look::darkBlue);
    QVERIFY(link->font().underline());

    // Held down on the link: orange, nothing opened yet; released: dark blue, opened.
    QTest::mousePress(link, Qt::LeftButton);
    QCOMPARE(link->colour(), Look::orange);
    QCOMPARE(link->palette().color(QPalette::WindowText), Look::orange);
    QVERIFY(m_opened.isEmpty());
    QTest::mouseRelease(link, Qt::LeftButton);
    QCOMPARE(link->colour(), Look::darkBlue);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().command, command);

    // The picture beside it colours the link the same way and opens the same.
    QTest::mousePress(icon, Qt::LeftButton);
    QCOMPARE(link->colour(), Look::orange);
    QTest::mouseRelease(icon, Qt::LeftButton);
    QCOMPARE(link->colour(), Look::darkBlue);
    QCOMPARE(m_opened.size(), 2);
    QCOMPARE(m_opened.at(1).command, command);

    if (window == QLatin1String("frmGuida")) {
        // The quotes go, the blanks of the folder stay.
        QVERIFY(ProgramFolder::path().contains(QLatin1Char(' ')));
        QCOMPARE(m_opened.first().url.toLocalFile(), ProgramFolder::path() + QStringLiteral("Guida.pdf"));
    }
    QVERIFY(dialog->isVisible()); // opening leaves the window as it was
    QCOMPARE(shownTexts(), QStringList());
}

void TestHelp::startWindowOpensInformationAndCredits_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("size");
    QTest::newRow("information") << "imgInfo"
                                 << "frmInfo"
                                 << " Informazioni su Miniarca Pro" << QSize(473, 579);
    QTest::newRow("credits") << "imgMarchio"
                             << "frmSplash" << QStringLiteral(" Miniarca Pro - ") + Maker::creditLine()
                             << QSize(661, 467);
}

void TestHelp::startWindowOpensInformationAndCredits()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QSize, size);
    TWindowSet windows;
    windows.onTerminate = [] {};
    TfrmAvvio* avvio = windows.frmAvvio;
    TWindowSet::handOver(windows.frmPassword, avvio);
    QVERIFY(QTest::qWaitForWindowExposed(avvio));

    whileModal(named<QAbstractButton>(avvio, button.toLatin1().constData()), [&](QDialog* modal) {
        QCOMPARE(modal->objectName(), window);
        QCOMPARE(modal->parentWidget(), avvio);
        QCOMPARE(modal->windowTitle(), caption);
        QCOMPARE(modal->size(), size);
        QVERIFY(modal->windowFlags() & Qt::CustomizeWindowHint);
        QVERIFY(!(modal->windowFlags() & Qt::WindowCloseButtonHint));
    });
    QVERIFY(avvio->findChildren<QDialog*>(window).isEmpty());
    QVERIFY(avvio->isVisible());
    QVERIFY(m_opened.isEmpty());
}

void TestHelp::websiteStripOpensTheWebsite()
{
    TWindowSet windows;
    windows.onTerminate = [] {};
    auto* strip = named<QAbstractButton>(windows.frmAvvio, "imgSito");
    QVERIFY(strip->text().contains(Maker::creditLine()));
    QVERIFY(strip->text().contains(Maker::websiteShown()));
    strip->click();
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().command, Maker::website());
    QCOMPARE(m_opened.first().url.scheme(), QStringLiteral("https"));
}

QTEST_MAIN(TestHelp)
#include "test_help.moc"
