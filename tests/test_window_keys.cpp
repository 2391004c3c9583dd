// Keys the windows must not take: Escape in the per-use windows, which close
// only through their own commands, and Tab around the record sheet's fields.
// The standard keys the windows do take: each does what its command does.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <functional>
#include <iterator>

#include "TestSupport.h"
#include "core/archive/Archivio.h"
#include "gui/catalogue/frmApriCatalogo.h"
#include "gui/catalogue/frmCreaCatalogo.h"
#include "gui/help/frmGuida.h"
#include "gui/output/frmExpCartoline.h"
#include "gui/output/frmSlideshow_Euro_01.h"
#include "gui/output/frmStampaCartolina.h"
#include "gui/photos/frmZoom.h"
#include "gui/search/frmInVendita.h"
#include "gui/search/frmTrovaCartoline.h"
#include "gui/sheet/FrameSource.h"
#include "gui/sheet/frmAllegaCartella.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/shell/frmInfo.h"
#include "gui/shell/frmPassword.h"
#include "gui/shell/frmSplash.h"
#include "gui/widgets/PictureButton.h"

namespace {

// A webcam window without a camera behind it.
class NoCamera : public TFrameSource {
protected:
    bool switchOn() override { return false; }
    void switchOff() override {}
};

// Every per-use window the program shows modally, by name.
const std::pair<const char*, std::function<QDialog*(TfrmCartoline*)>> kWindows[] = {
    {"frmGuida", [](TfrmCartoline* sheet) { return new TfrmGuida(sheet); }},
    {"frmInfo", [](TfrmCartoline* sheet) { return new TfrmInfo(sheet); }},
    {"frmSplash", [](TfrmCartoline* sheet) { return new TfrmSplash(sheet); }},
    {"frmZoom", [](TfrmCartoline* sheet) { return new TfrmZoom(sheet); }},
    {"frmSlideshow_Euro_01",
     [](TfrmCartoline* sheet) {
         return new TfrmSlideshow_Euro_01(sheet, sheet->state().archivePath, sheet->state().archiveName);
     }},
    {"frmWebCam",
     [](TfrmCartoline* sheet) {
         return new TfrmWebCam(sheet, CompanionFiles::Photo::A, std::make_unique<NoCamera>());
     }},
    {"frmAllegaCartella",
     [](TfrmCartoline* sheet) { return new TfrmAllegaCartella(sheet, sheet->state().attachments); }},
    {"frmTrovaCartoline",
     [](TfrmCartoline* sheet) { return new TfrmTrovaCartoline(sheet, sheet->state().archivePath); }},
    {"frmInVendita", [](TfrmCartoline* sheet) { return new TfrmInVendita(sheet, sheet->state().archivePath); }},
    {"frmStampaCartolina", [](TfrmCartoline* sheet) { return new TfrmStampaCartolina(sheet, sheet->shownCard()); }},
    {"frmAnteprimaCartolina",
     [](TfrmCartoline* sheet) { return new TfrmAnteprimaCartolina(sheet, sheet->shownCard()); }},
    {"frmExpCartoline", [](TfrmCartoline* sheet) { return new TfrmExpCartoline(sheet, sheet->state().archivePath); }},
};

} // namespace

class TestWindowKeys : public QObject, private SheetProgramTest {
    Q_OBJECT

    void openSheet()
    {
        const QString path = program->file(QStringLiteral("Navi.dbm"));
        writeArchive(path, 2);
        QVERIFY(openRecordSheet(*windows, path, QStringLiteral("Navi")));
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet));
    }

    // Presses `key` on whatever has the focus, and tells the objectName of
    // the modal window the key opened over `owner` (closing it again), or
    // empty when none opened.
    // The name of the window `key` opens over `owner`, closed at once; and
    // its title, for a guide.
    QString pressOpening(QWidget* owner, QKeyCombination key, QString* title = nullptr)
    {
        QString opened;
        QTimer::singleShot(0, owner, [&] {
            QDialog* window = nullptr;
            (void)QTest::qWaitFor(
                [&] {
                    const QList<QDialog*> dialogs = owner->findChildren<QDialog*>();
                    for (QDialog* d : dialogs)
                        if (d->isVisible())
                            window = d;
                    return window != nullptr;
                },
                2000);
            if (window) {
                opened = window->objectName();
                if (auto* label = window->findChild<QLabel*>(QStringLiteral("lblTitolo")); label && title)
                    *title = label->text();
                window->close();
            }
        });
        QWidget* focus = QApplication::focusWidget();
        QWidget* target = focus && focus->window() == owner->window() ? focus : owner;
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        return opened;
    }

    QString position() const { return named<QLabel>(sheet, "lblPosizione")->text(); }

    QString focusName() const
    {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }

private slots:
    void init() { startSheetProgram(); }
    void cleanup() { endSheetProgram(); }

    void escapeLeavesTheWindowOpen_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kWindows)); ++i)
            QTest::newRow(kWindows[i].first) << i;
    }

    void escapeLeavesTheWindowOpen()
    {
        QFETCH(int, index);
        openSheet();
        const std::unique_ptr<QDialog> window(kWindows[index].second(sheet));
        QCOMPARE(window->objectName(), QString::fromLatin1(kWindows[index].first));
        window->open();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        Dialogs::takeShown();
        // Where the window's focused control leaves the key alone, it reaches
        // the window itself.
        QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
        QTest::keyClick(target, Qt::Key_Escape);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(window->isVisible());
        QCOMPARE(shownTexts(), QStringList());
    }

    // Tab runs through the 21 fields and "In vendita" and round again; the
    // button that only takes the focus while saving is never on the way.
    void tabSkipsTheSaveFocusButton()
    {
        openSheet();
        named<QCheckBox>(sheet, "chkInVendita")->setFocus();
        QTest::keyClick(named<QCheckBox>(sheet, "chkInVendita"), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("txtNome"));
        QTest::keyClick(named<QLineEdit>(sheet, "txtNome"), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focusName(), QStringLiteral("chkInVendita"));

        // Saving still parks the focus on it, so that the field being edited
        // is finished; Tab then goes on from the start.
        fillRequiredFields(sheet);
        named<QLineEdit>(sheet, "txtNote")->setFocus();
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(focusName(), QStringLiteral("btnFocus"));
        Dialogs::takeShown();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("txtNome"));
    }

    // From card 2 of 3, with the focus in a field that would otherwise use
    // the key itself (Ctrl+Home moves a field's cursor).
    void navigationKeys_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("expected");
        QTest::newRow("PgDn") << QKeyCombination(Qt::Key_PageDown) << "txtNome"
                              << "3";
        QTest::newRow("PgUp") << QKeyCombination(Qt::Key_PageUp) << "txtNome"
                              << "1";
        QTest::newRow("Ctrl+Home") << QKeyCombination(Qt::ControlModifier, Qt::Key_Home) << "txtNome"
                                   << "1";
        QTest::newRow("Ctrl+End") << QKeyCombination(Qt::ControlModifier, Qt::Key_End) << "txtDescrizione"
                                  << "3";
        QTest::newRow("Ctrl+End in the value field") << QKeyCombination(Qt::ControlModifier, Qt::Key_End) << "txtValore"
                                                     << "3";
        QTest::newRow("PgDn on the check box") << QKeyCombination(Qt::Key_PageDown) << "chkInVendita"
                                               << "3";
        QTest::newRow("Ctrl+N") << QKeyCombination(Qt::ControlModifier, Qt::Key_N) << "txtNote"
                                << "";
    }

    void navigationKeys()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, focus);
        QFETCH(QString, expected);
        const QString path = program->file(QStringLiteral("Navi.dbm"));
        writeArchive(path, 3);
        QVERIFY(openRecordSheet(*windows, path, QStringLiteral("Navi")));
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        sheet->subMostraScheda(2);
        QWidget* field = named<QWidget>(sheet, focus.toLatin1().constData());
        field->setFocus();
        QTest::keyClick(field, key.key(), key.keyboardModifiers());
        QCOMPARE(position(), expected);
        QCOMPARE(shownTexts(), QStringList());
        if (expected.isEmpty()) {
            // A new card, exactly as cmdNuovo leaves it.
            QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QString());
            QCOMPARE(focusName(), QStringLiteral("txtNome"));
        } else {
            QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Modello %1").arg(expected));
        }
    }

    // Ctrl+S in the value field, mid-typing: the amount is normalised
    // before it is read, as the focus move of "Salva" does, and the typing
    // rule of the field lets no character of the key through.
    void saveKeyStoresTheNormalisedAmount()
    {
        openSheet();
        sheet->subNuovaScheda();
        fillRequiredFields(sheet);
        auto* txtValore = named<QLineEdit>(sheet, "txtValore");
        txtValore->setFocus();
        txtValore->clear();
        QTest::keyClicks(txtValore, QStringLiteral("12,5"));
        QTest::keyClick(txtValore, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(txtValore->text(), QStringLiteral("12,50"));
        QCOMPARE(focusName(), QStringLiteral("btnFocus"));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("La scheda corrente è stata inserita in archivio.")});
        QCOMPARE(position(), QStringLiteral("3"));
        TArchivio archive;
        archive.ApriArchivio(program->file(QStringLiteral("Navi.dbm")));
        QCOMPARE(archive.LeggiScheda(3).LeggiCampo(Campo::Valore), QStringLiteral("12,50"));
        archive.ChiudiArchivio();

        // Saved again: now it is card 3 that is overwritten.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(QFileInfo(program->file(QStringLiteral("Navi.dbm"))).size(), 3 * qint64(sizeof(TScheda)));
    }

    void windowKeys_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("window");
        QTest::newRow("Ctrl+F") << QKeyCombination(Qt::ControlModifier, Qt::Key_F) << "frmTrovaCartoline";
        QTest::newRow("Ctrl+P") << QKeyCombination(Qt::ControlModifier, Qt::Key_P) << "frmStampaCartolina";
        QTest::newRow("F1") << QKeyCombination(Qt::Key_F1) << "frmGuida";
    }

    void windowKeys()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, window);
        openSheet();
        named<QLineEdit>(sheet, "txtTipologia")->setFocus();
        QCOMPARE(pressOpening(sheet, key), window);
    }

    // Under a modal window the sheet's keys do nothing; in the attachments
    // window PgDn and Ctrl+S are that window's fields' own.
    void keysSleepUnderAModalWindow()
    {
        openSheet();
        sheet->subMostraScheda(1);
        bool ran = false;
        QVERIFY(whileModal<TfrmAllegaCartella>(
            sheet, named<TPictureButton>(sheet, "cmdFile"), [&](TfrmAllegaCartella* window) {
                QVERIFY(QTest::qWaitForWindowActive(window));
                auto* description = named<QLineEdit>(window, "txtDesc01");
                description->setFocus();
                for (const QKeyCombination key :
                     {QKeyCombination(Qt::Key_PageDown), QKeyCombination(Qt::ControlModifier, Qt::Key_S),
                      QKeyCombination(Qt::ControlModifier, Qt::Key_N)})
                    QTest::keyClick(description, key.key(), key.keyboardModifiers());
                ran = true;
            }));
        QVERIFY(ran);
        QCOMPARE(position(), QStringLiteral("1"));
        QCOMPARE(shownTexts(), QStringList());
        QVERIFY(!sheet->findChild<TfrmGuida*>());
    }

    // F1 in the other windows with a guide.
    void helpKeyOpensTheGuide_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("frmAvvio") << "frmAvvio";
        QTest::newRow("frmCreaCatalogo") << "frmCreaCatalogo";
        QTest::newRow("frmApriCatalogo") << "frmApriCatalogo";
        QTest::newRow("frmExpCartoline") << "frmExpCartoline";
    }

    void helpKeyOpensTheGuide()
    {
        QFETCH(QString, window);
        QWidget* shown = nullptr;
        std::unique_ptr<QDialog> exportWindow;
        if (window == QLatin1String("frmExpCartoline")) {
            openSheet();
            exportWindow = std::make_unique<TfrmExpCartoline>(sheet, sheet->state().archivePath);
            exportWindow->show();
            QVERIFY(QTest::qWaitForWindowExposed(exportWindow.get()));
            shown = exportWindow.get();
        } else {
            shown = window == QLatin1String("frmAvvio")          ? static_cast<QWidget*>(windows->frmAvvio)
                    : window == QLatin1String("frmCreaCatalogo") ? static_cast<QWidget*>(windows->frmCreaCatalogo)
                                                                 : static_cast<QWidget*>(windows->frmApriCatalogo);
            TWindowSet::handOver(windows->frmPassword, shown);
        }
        shown->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), shown);
        QCOMPARE(pressOpening(shown, QKeyCombination(Qt::Key_F1)), QStringLiteral("frmGuida"));
    }

    // F1 in a window without a guide of its own: the guide of the window it
    // was opened from, over it; before the start window, the start window's.
    void helpKeyEverywhere_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        const QString sheetGuide = QStringLiteral("Raz Iroraraz Odurorazu");
        QTest::newRow("frmTrovaCartoline") << "frmTrovaCartoline" << sheetGuide;
        QTest::newRow("frmAllegaCartella") << "frmAllegaCartella" << sheetGuide;
        QTest::newRow("frmSlideshow_Euro_01") << "frmSlideshow_Euro_01" << sheetGuide;
        QTest::newRow("frmPassword") << "frmPassword"
                                     << "Uno sguardo a Miniarca Pro";
    }

    void helpKeyEverywhere()
    {
        QFETCH(QString, window);
        QFETCH(QString, title);
        QWidget* shown = windows->frmPassword;
        std::unique_ptr<QDialog> perUse;
        if (window == QLatin1String("frmPassword")) {
            windows->frmPassword->show();
        } else {
            openSheet();
            const auto* entry = std::find_if(std::begin(kWindows), std::end(kWindows),
                                             [&](const auto& w) { return window == QLatin1String(w.first); });
            perUse.reset(entry->second(sheet));
            perUse->show();
            shown = perUse.get();
        }
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        shown->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), shown);
        QString guideTitle;
        QCOMPARE(pressOpening(shown, QKeyCombination(Qt::Key_F1), &guideTitle), QStringLiteral("frmGuida"));
        QCOMPARE(guideTitle, title);
    }

    // F1 in the guide opens no second guide over it.
    void helpKeyInTheGuide()
    {
        openSheet();
        TfrmGuida guide(sheet);
        guide.show();
        guide.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &guide);
        bool second = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, &guide, [&] {
            for (TfrmGuida* other : guide.findChildren<TfrmGuida*>()) {
                second = true;
                other->close();
            }
        });
        closer.start(20);
        QTest::keyClick(&guide, Qt::Key_F1);
        QVERIFY(!second);
    }
};

QTEST_MAIN(TestWindowKeys)
#include "test_window_keys.moc"
