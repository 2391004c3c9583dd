// Keys the windows must not take: Escape in the per-use windows, which close
// only through their own commands, and Tab around the record sheet's fields.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "TestSupport.h"
#include "output/frmExpCartoline.h"
#include "output/frmSlideshow_Euro_01.h"
#include "output/frmStampaCartolina.h"
#include "search/frmInVendita.h"
#include "search/frmTrovaCartoline.h"
#include "sheet/FrameSource.h"
#include "sheet/frmAllegaCartella.h"
#include "sheet/frmCartoline.h"
#include "sheet/frmWebCam.h"
#include "sheet/frmZoom.h"
#include "shell/frmGuida.h"
#include "shell/frmInfo.h"
#include "shell/frmSplash.h"
#include "ui/PictureButton.h"

namespace {

// A webcam window without a camera behind it.
class NoCamera : public TFrameSource {
protected:
    bool switchOn() override { return false; }
    void switchOff() override {}
};

QDialog* createWindow(const QString& name, TfrmCartoline* sheet)
{
    if (name == QLatin1String("frmGuida"))
        return new TfrmGuida(sheet);
    if (name == QLatin1String("frmInfo"))
        return new TfrmInfo(sheet);
    if (name == QLatin1String("frmSplash"))
        return new TfrmSplash(sheet);
    if (name == QLatin1String("frmZoom"))
        return new TfrmZoom(sheet);
    if (name == QLatin1String("frmSlideshow_Euro_01"))
        return new TfrmSlideshow_Euro_01(sheet);
    if (name == QLatin1String("frmWebCam"))
        return new TfrmWebCam(sheet, std::make_unique<NoCamera>());
    if (name == QLatin1String("frmAllegaCartella"))
        return new TfrmAllegaCartella(sheet);
    if (name == QLatin1String("frmTrovaCartoline"))
        return new TfrmTrovaCartoline(sheet);
    if (name == QLatin1String("frmInVendita"))
        return new TfrmInVendita(sheet);
    if (name == QLatin1String("frmStampaCartolina"))
        return new TfrmStampaCartolina(sheet);
    if (name == QLatin1String("frmAnteprimaCartolina"))
        return new TfrmAnteprimaCartolina(sheet);
    if (name == QLatin1String("frmExpCartoline"))
        return new TfrmExpCartoline(sheet);
    return nullptr;
}

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
        QTest::addColumn<QString>("name");
        for (const char* name : {"frmGuida", "frmInfo", "frmSplash", "frmZoom", "frmSlideshow_Euro_01", "frmWebCam",
                                 "frmAllegaCartella", "frmTrovaCartoline", "frmInVendita", "frmStampaCartolina",
                                 "frmAnteprimaCartolina", "frmExpCartoline"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void escapeLeavesTheWindowOpen()
    {
        QFETCH(QString, name);
        openSheet();
        std::unique_ptr<QDialog> window(createWindow(name, sheet));
        QVERIFY(window);
        QCOMPARE(window->objectName(), name);
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
        sheet->chkInVendita->setFocus();
        QTest::keyClick(sheet->chkInVendita, Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("txtNome"));
        QTest::keyClick(sheet->txtNome, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focusName(), QStringLiteral("chkInVendita"));

        // Saving still parks the focus on it, so that the field being edited
        // is finished; Tab then goes on from the start.
        fillRequiredFields(sheet);
        sheet->txtNote->setFocus();
        QTest::mouseClick(sheet->cmdSalva, Qt::LeftButton);
        QCOMPARE(focusName(), QStringLiteral("btnFocus"));
        Dialogs::takeShown();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("txtNome"));
    }
};

QTEST_MAIN(TestWindowKeys)
#include "test_window_keys.moc"
