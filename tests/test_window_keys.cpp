// Keys the windows must not take: Escape in the per-use windows, which close
// only through their own commands, and Tab around the record sheet's fields.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <iterator>

#include "TestSupport.h"
#include "gui/output/frmExpCartoline.h"
#include "gui/output/frmSlideshow_Euro_01.h"
#include "gui/output/frmStampaCartolina.h"
#include "gui/search/frmInVendita.h"
#include "gui/search/frmTrovaCartoline.h"
#include "gui/sheet/FrameSource.h"
#include "gui/sheet/frmAllegaCartella.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/sheet/frmZoom.h"
#include "gui/shell/frmGuida.h"
#include "gui/shell/frmInfo.h"
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
};

QTEST_MAIN(TestWindowKeys)
#include "test_window_keys.moc"
