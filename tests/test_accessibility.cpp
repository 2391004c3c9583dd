// What a screen reader finds in every window of the program: each control
// that takes the focus and each picture button has a name; the status lines
// are status text.
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>

#include <functional>

#include "TestSupport.h"
#include "gui/catalogue/frmApriCatalogo.h"
#include "gui/catalogue/frmCreaCatalogo.h"
#include "gui/help/frmGuida.h"
#include "gui/output/frmExpCartoline.h"
#include "gui/output/frmGalleria.h"
#include "gui/output/frmSlideshow_Euro_01.h"
#include "gui/output/frmStampaCartolina.h"
#include "gui/output/frmStatistiche.h"
#include "gui/photos/frmZoom.h"
#include "gui/search/frmInVendita.h"
#include "gui/search/frmTrovaCartoline.h"
#include "gui/sheet/FrameSource.h"
#include "gui/sheet/frmAllegaCartella.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/shell/frmCambiaPassword.h"
#include "gui/shell/frmInfo.h"
#include "gui/shell/frmPassword.h"
#include "gui/shell/frmSplash.h"
#include "gui/widgets/PictureButton.h"

namespace {

class NoCamera : public TFrameSource {
protected:
    bool switchOn() override { return false; }
    void switchOff() override {}
};

// "frmCartoline/txtNome (EditableText)" for a nameless control.
QString describe(QAccessibleInterface* iface)
{
    QObject* object = iface->object();
    QString path;
    for (QObject* o = object; o; o = o->parent()) {
        if (!o->objectName().isEmpty())
            path = o->objectName() + (path.isEmpty() ? QString() : QLatin1Char('/') + path);
    }
    return QStringLiteral("%1 (%2, role %3)")
        .arg(path, QString::fromLatin1(object ? object->metaObject()->className() : "?"))
        .arg(int(iface->role()));
}

// Every control of the tree under `iface` that a screen reader would stop
// at without a name to read.
void collectNameless(QAccessibleInterface* iface, QStringList& nameless)
{
    if (!iface || iface->state().invisible)
        return;
    const bool pictureButton = qobject_cast<TPictureButton*>(iface->object()) != nullptr;
    // The cells and items of a list or grid are its data, read by their content.
    const QAccessible::Role role = iface->role();
    const bool item = role == QAccessible::Cell || role == QAccessible::ColumnHeader || role == QAccessible::RowHeader
                      || role == QAccessible::ListItem || role == QAccessible::TreeItem;
    if (!item && (iface->state().focusable || pictureButton) && iface->text(QAccessible::Name).trimmed().isEmpty())
        nameless << describe(iface);
    for (int i = 0; i < iface->childCount(); ++i)
        collectNameless(iface->child(i), nameless);
}

} // namespace

class TestAccessibility : public QObject, private SheetProgramTest {
    Q_OBJECT

    QStringList namelessIn(QWidget* window)
    {
        QStringList nameless;
        collectNameless(QAccessible::queryAccessibleInterface(window), nameless);
        return nameless;
    }

private slots:
    void init()
    {
        startSheetProgram();
        writeArchive(program->file(QStringLiteral("Navi.dbm")), 2);
        sheet->openArchive(program->file(QStringLiteral("Navi.dbm")), QStringLiteral("Navi"));
    }
    void cleanup() { endSheetProgram(); }

    void everyControlHasAName_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < 20; ++i)
            QTest::newRow(qPrintable(QString::number(i))) << i;
    }

    void everyControlHasAName()
    {
        QFETCH(int, index);
        const std::function<QWidget*()> windowsOfTheProgram[] = {
            [&] { return windows->frmPassword; },
            [&] { return windows->frmCambiaPassword; },
            [&] { return windows->frmAvvio; },
            [&] { return windows->frmCreaCatalogo; },
            [&] { return windows->frmApriCatalogo; },
            [&] { return windows->frmCartoline; },
            [&] { return new TfrmGuida(sheet); },
            [&] { return new TfrmInfo(sheet); },
            [&] { return new TfrmSplash(sheet); },
            [&] { return new TfrmZoom(sheet); },
            [&] { return new TfrmSlideshow_Euro_01(sheet, sheet->state().archivePath, sheet->state().archiveName); },
            [&] { return new TfrmWebCam(sheet, CompanionFiles::Photo::A, std::make_unique<NoCamera>()); },
            [&] { return new TfrmAllegaCartella(sheet, sheet->state().attachments); },
            [&] { return new TfrmTrovaCartoline(sheet, sheet->state().archivePath); },
            [&] { return new TfrmInVendita(sheet, sheet->state().archivePath); },
            [&] { return new TfrmStampaCartolina(sheet, sheet->shownCard()); },
            [&] { return new TfrmAnteprimaCartolina(sheet, sheet->shownCard()); },
            [&] { return new TfrmExpCartoline(sheet, sheet->state().archivePath); },
            [&] { return new TfrmGalleria(sheet, sheet->state().archivePath, sheet->state().archiveName); },
            [&] { return new TfrmStatistiche(sheet, sheet->state().archivePath, sheet->state().archiveName); },
        };
        QWidget* window = windowsOfTheProgram[index]();
        std::unique_ptr<QWidget> perUse(qobject_cast<QDialog*>(window) ? window : nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QStringList nameless = namelessIn(window);
        QVERIFY2(nameless.isEmpty(),
                 qPrintable(window->objectName() + QStringLiteral(": ") + nameless.join(QStringLiteral("; "))));
        window->hide();
        Dialogs::takeShown();
    }

    // The status line is read as the window's status, with the hint in it.
    void statusLineIsStatusText()
    {
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        auto* panInfo = named<QLabel>(sheet, "panInfo");
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(panInfo);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::StatusBar);
        QCOMPARE(iface->text(QAccessible::Name), panInfo->text());
        QTest::mouseMove(named<TPictureButton>(sheet, "cmdSalva"));
        QTRY_COMPARE(iface->text(QAccessible::Name), QStringLiteral("Salva la scheda in archivio. (Ctrl+S)"));
    }

    // A picture button with a caption under it is read by its caption, with
    // the hint as its description; one with no caption by its hint.
    void pictureButtonsReadTheirCaptionOrHint()
    {
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QAccessibleInterface* save = QAccessible::queryAccessibleInterface(named<TPictureButton>(sheet, "cmdSalva"));
        QCOMPARE(save->text(QAccessible::Name), QStringLiteral("Salva"));
        QCOMPARE(save->text(QAccessible::Description), QStringLiteral("Salva la scheda in archivio. (Ctrl+S)"));
        QAccessibleInterface* load = QAccessible::queryAccessibleInterface(
            named<TPictureButton>(sheet, "btnCaricaFoto02"));
        QCOMPARE(load->text(QAccessible::Name), QStringLiteral("Carica una foto esistente."));
        QAccessibleInterface* name = QAccessible::queryAccessibleInterface(named<QLineEdit>(sheet, "txtNome"));
        QCOMPARE(name->text(QAccessible::Name), QStringLiteral("Nome modellino:"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
