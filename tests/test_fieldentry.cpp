// Typing a card on the record sheet: the focused look, the Enter cycle, the
// value field's key filter and amount normalisation, the save that relies on
// it, and the status-line hints of the command bar.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include "TestSupport.h"
#include "core/archive/Archivio.h"
#include "gui/app/WindowSet.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/shell/frmAvvio.h"
#include "gui/widgets/PictureButton.h"

namespace {

const QColor kAliceBlue(0xF0, 0xF8, 0xFF);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kSkyBlue(0x87, 0xCE, 0xEB);
const QString kDesignText = QStringLiteral("Pronto per archiviare una nuova scheda...");

// The fill and the outline of a field as drawn, read beside the text area.
QColor fillOf(QLineEdit* field)
{
    return field->grab().toImage().pixelColor(2, field->height() / 2);
}

QColor outlineOf(QLineEdit* field)
{
    return field->grab().toImage().pixelColor(0, field->height() / 2);
}

QString focusName()
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

} // namespace

class TestFieldEntry : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString archivePath;

    void openSheet(const QString& valore = {})
    {
        archivePath = program->file(QStringLiteral("Treni.dbm"));
        TArchivio archive;
        archive.ApriArchivio(archivePath);
        if (!valore.isNull()) {
            TScheda record;
            record.ScriviCampo(Campo::Nome, QStringLiteral("Littorina"));
            record.ScriviCampo(Campo::Valore, valore);
            archive.AccodaScheda(record);
        }
        archive.ChiudiArchivio();
        QVERIFY(openRecordSheet(*windows, archivePath, QStringLiteral("Treni")));
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        QTRY_COMPARE(focusName(), QStringLiteral("txtNome"));
    }

    // Puts the focus in a field the way the user does, by clicking it.
    void enter(QLineEdit* field)
    {
        QTest::mouseClick(field, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
    }

    // Empties the value field with the keys it accepts.
    void emptyValue()
    {
        enter(named<QLineEdit>(sheet, "txtValore"));
        named<QLineEdit>(sheet, "txtValore")
            ->setCursorPosition(int(named<QLineEdit>(sheet, "txtValore")->text().size()));
        while (!named<QLineEdit>(sheet, "txtValore")->text().isEmpty())
            QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_Backspace);
    }

    void fillRequired()
    {
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Littorina ALn 56"));
        named<QLineEdit>(sheet, "txtTipologia")->setText(QStringLiteral("Treno"));
        named<QLineEdit>(sheet, "txtProduttore")->setText(QStringLiteral("Rivarossi"));
        named<QLineEdit>(sheet, "txtScala")->setText(QStringLiteral("H0"));
    }

    // A point of the field area's background, between txtNome and txtTipologia.
    QPoint backgroundPoint() const { return named<QLineEdit>(sheet, "txtNome")->geometry().topRight() + QPoint(5, 10); }

    // The test screen is smaller than the panel: the whole command bar must be
    // within reach of the pointer, which starts outside the window.
    void openSheetForPointer()
    {
        openSheet();
        sheet->setWindowState(Qt::WindowNoState);
        sheet->setGeometry(0, 0, 1100, 800);
        QTRY_COMPARE(sheet->windowHandle()->geometry().size(), QSize(1100, 800));
        QCursor::setPos(2000, 2000);
    }

    // Moves the pointer to a point of a widget through the window system, as the user does.
    bool pointAt(QWidget* widget, QPoint pos = {})
    {
        if (pos.isNull())
            pos = widget->rect().center();
        if (!sheet->rect().contains(widget->mapTo(sheet, pos)))
            return false;
        QTest::mouseMove(widget, pos);
        return true;
    }

    // The sheet's 21 edit fields.
    QList<QLineEdit*> sheetFields() const
    {
        QList<QLineEdit*> edits;
        for (const char* name :
             {"txtNome",   "txtTipologia",    "txtProduttore", "txtCodice", "txtDescrizione", "txtAnno",
              "txtValore", "txtProprietario", "txtMateriali",  "txtColori", "txtConfezione",  "txtDifetti",
              "txtData",   "txtProvenienza",  "txtMontaggio",  "txtScala",  "txtDimensioni",  "txtRarita",
              "txtStato",  "txtLuogo",        "txtNote"})
            edits << named<QLineEdit>(sheet, name);
        return edits;
    }

private slots:
    void init() { startSheetProgram(); }

    void cleanup()
    {
        endSheetProgram();
        QApplication::clipboard()->clear();
    }

    // ---- the value field's key filter

    void valueKeyFilter_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursorAfter");

        const int none = Qt::NoModifier;
        // The field holds "12,5" with the cursor at `cursor`.
        QTest::newRow("letter") << int(Qt::Key_A) << none << 4 << "12,5" << 4;
        QTest::newRow("capital letter") << int(Qt::Key_E) << int(Qt::ShiftModifier) << 4 << "12,5" << 4;
        QTest::newRow("full stop") << int(Qt::Key_Period) << none << 4 << "12,5" << 4;
        QTest::newRow("minus") << int(Qt::Key_Minus) << none << 0 << "12,5" << 0;
        QTest::newRow("space") << int(Qt::Key_Space) << none << 2 << "12,5" << 2;
        QTest::newRow("Home") << int(Qt::Key_Home) << none << 4 << "12,5" << 4;
        QTest::newRow("End") << int(Qt::Key_End) << none << 1 << "12,5" << 1;
        QTest::newRow("Up") << int(Qt::Key_Up) << none << 4 << "12,5" << 4;
        QTest::newRow("Down") << int(Qt::Key_Down) << none << 0 << "12,5" << 0;
        QTest::newRow("F2") << int(Qt::Key_F2) << none << 4 << "12,5" << 4;
        QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << 4 << "12,5" << 4;
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier) << 4 << "12,5" << 4;
        QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << 4 << "12,5" << 4;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << 4 << "12," << 3;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << none << 0 << "2,5" << 0;
        QTest::newRow("Left") << int(Qt::Key_Left) << none << 4 << "12,5" << 3;
        QTest::newRow("Right") << int(Qt::Key_Right) << none << 0 << "12,5" << 1;
        QTest::newRow("Shift+Left selects") << int(Qt::Key_Left) << int(Qt::ShiftModifier) << 4 << "12,5" << 3;
        QTest::newRow("comma") << int(Qt::Key_Comma) << none << 2 << "12,,5" << 3;
        QTest::newRow("digit") << int(Qt::Key_7) << none << 4 << "12,57" << 5;
        QTest::newRow("digit in the middle") << int(Qt::Key_0) << none << 1 << "102,5" << 2;
        QTest::newRow("keypad digit") << int(Qt::Key_3) << int(Qt::KeypadModifier) << 0 << "312,5" << 1;
    }

    void valueKeyFilter()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, cursor);
        QFETCH(QString, text);
        QFETCH(int, cursorAfter);
        openSheet();
        QApplication::clipboard()->setText(QStringLiteral("99"));
        enter(named<QLineEdit>(sheet, "txtValore"));
        named<QLineEdit>(sheet, "txtValore")->setText(QStringLiteral("12,5"));
        named<QLineEdit>(sheet, "txtValore")->setCursorPosition(cursor);

        QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), text);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->cursorPosition(), cursorAfter);
        QCOMPARE(focusName(), QStringLiteral("txtValore"));
        if (key != Qt::Key_Left)
            QVERIFY(!named<QLineEdit>(sheet, "txtValore")->hasSelectedText());
    }

    void tabStaysInTheValueField()
    {
        openSheet();
        enter(named<QLineEdit>(sheet, "txtValore"));
        QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_Tab);
        QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focusName(), QStringLiteral("txtValore"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("0,00"));
    }

    void otherFieldsTakeEveryKey()
    {
        openSheet();
        enter(named<QLineEdit>(sheet, "txtCodice"));
        QTest::keyClicks(named<QLineEdit>(sheet, "txtCodice"), QStringLiteral("A-12. x"));
        QCOMPARE(named<QLineEdit>(sheet, "txtCodice")->text(), QStringLiteral("A-12. x"));
        QTest::keyClick(named<QLineEdit>(sheet, "txtCodice"), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("txtDescrizione"));
    }

    // ---- the Enter cycle

    void enterCycle_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        const char* const cycle[] = {
            "txtNome",   "txtTipologia",    "txtProduttore", "txtCodice", "txtDescrizione", "txtAnno",
            "txtValore", "txtProprietario", "txtMateriali",  "txtColori", "txtConfezione",  "txtDifetti",
            "txtData",   "txtProvenienza",  "txtMontaggio",  "txtScala",  "txtDimensioni",  "txtRarita",
            "txtStato",  "txtLuogo",        "txtNote"};
        const int n = int(std::size(cycle));
        for (int i = 0; i < n; ++i)
            QTest::addRow("%s", cycle[i]) << cycle[i] << int(Qt::Key_Return) << cycle[(i + 1) % n];
        QTest::newRow("keypad Enter in txtNote") << "txtNote" << int(Qt::Key_Enter) << "txtNome";
        QTest::newRow("keypad Enter in txtValore") << "txtValore" << int(Qt::Key_Enter) << "txtProprietario";
    }

    void enterCycle()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, to);
        openSheet();
        auto* field = named<QLineEdit>(sheet, from.toLatin1().constData());
        field->setFocus();
        QCOMPARE(focusName(), from);
        QTest::keyClick(field, Qt::Key(key));
        QCOMPARE(focusName(), to);
        // The field reached is the one that looks focused, and the one left is not.
        QCOMPARE(fillOf(named<QLineEdit>(sheet, to.toLatin1().constData())), kYellow);
        QCOMPARE(fillOf(field), kAliceBlue);
    }

    void enterWalksTheWholeCardOnce()
    {
        openSheet();
        QStringList visited{focusName()};
        for (int i = 0; i < 21; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            visited << focusName();
        }
        QCOMPARE(visited.first(), QStringLiteral("txtNome"));
        QCOMPARE(visited.last(), QStringLiteral("txtNome"));
        visited.removeLast();
        QCOMPARE(visited.size(), 21);
        QCOMPARE(QSet<QString>(visited.begin(), visited.end()).size(), 21);
        QVERIFY(!visited.contains(QStringLiteral("chkInVendita")));
    }

    void enterSelectsTheNextFieldForTypingOver()
    {
        openSheet();
        enter(named<QLineEdit>(sheet, "txtAnno"));
        QTest::keyClick(named<QLineEdit>(sheet, "txtAnno"), Qt::Key_Return);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->selectedText(), QStringLiteral("0,00"));
        QTest::keyClicks(named<QLineEdit>(sheet, "txtValore"), QStringLiteral("35"));
        QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_Return);
        QCOMPARE(focusName(), QStringLiteral("txtProprietario"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("35,00"));
    }

    // ---- the focused look

    void lookFollowsTheFocus()
    {
        openSheet();
        for (QLineEdit* edit : sheetFields()) {
            QCOMPARE(outlineOf(edit), kSkyBlue);
            QCOMPARE(fillOf(edit), edit == named<QLineEdit>(sheet, "txtNome") ? kYellow : kAliceBlue);
        }
        enter(named<QLineEdit>(sheet, "txtScala"));
        QCOMPARE(fillOf(named<QLineEdit>(sheet, "txtScala")), kYellow);
        QCOMPARE(outlineOf(named<QLineEdit>(sheet, "txtScala")), kSkyBlue);
        QCOMPARE(fillOf(named<QLineEdit>(sheet, "txtNome")), kAliceBlue);

        // Away from the fields: none looks focused.
        QTest::mouseClick(named<QCheckBox>(sheet, "chkInVendita"), Qt::LeftButton);
        QCOMPARE(focusName(), QStringLiteral("chkInVendita"));
        for (QLineEdit* edit : sheetFields())
            QCOMPARE(fillOf(edit), kAliceBlue);

        // The fill covers the whole field inside its outline.
        enter(named<QLineEdit>(sheet, "txtDescrizione"));
        named<QLineEdit>(sheet, "txtDescrizione")->clear();
        const QImage image = named<QLineEdit>(sheet, "txtDescrizione")->grab().toImage();
        for (int y = 1; y < image.height() - 1; ++y) {
            QCOMPARE(image.pixelColor(1, y), kYellow);
            QCOMPARE(image.pixelColor(image.width() - 2, y), kYellow);
        }
        for (int x = 0; x < image.width(); ++x) {
            QCOMPARE(image.pixelColor(x, 0), kSkyBlue);
            QCOMPARE(image.pixelColor(x, image.height() - 1), kSkyBlue);
        }
    }

    void anotherWindowIsNoExit()
    {
        openSheet();
        enter(named<QLineEdit>(sheet, "txtValore"));
        named<QLineEdit>(sheet, "txtValore")->setText(QStringLiteral("4,5"));

        QWidget other;
        other.setObjectName(QStringLiteral("other"));
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("4,5"));
        QCOMPARE(fillOf(named<QLineEdit>(sheet, "txtValore")), kYellow);

        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        QCOMPARE(focusName(), QStringLiteral("txtValore"));
        QCOMPARE(fillOf(named<QLineEdit>(sheet, "txtValore")), kYellow);
        enter(named<QLineEdit>(sheet, "txtNome"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("4,50"));
        QCOMPARE(fillOf(named<QLineEdit>(sheet, "txtValore")), kAliceBlue);
    }

    void popupFocusIsNoExit()
    {
        // The field's own context menu takes the focus for a moment.
        openSheet();
        enter(named<QLineEdit>(sheet, "txtValore"));
        named<QLineEdit>(sheet, "txtValore")->setText(QStringLiteral("4,5"));
        QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(named<QLineEdit>(sheet, "txtValore"), &out);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("4,5"));
        QCOMPARE(fillOf(named<QLineEdit>(sheet, "txtValore")), kYellow);
    }

    // ---- the amount normalisation on leaving the value field

    void leavingTheValueField_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("emptied") << ""
                                 << "0,00";
        QTest::newRow("zero") << "0,00"
                              << "0,00";
        QTest::newRow("carry") << "999,999"
                               << "1000,00";
        QTest::newRow("two commas") << "1,2,3"
                                    << "0,00";
        QTest::newRow("decimal comma only") << ",5"
                                            << "0,50";
        QTest::newRow("12 digits gain the decimals") << "999999999999"
                                                     << "999999999999,00";
    }

    void leavingTheValueField()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        openSheet();
        emptyValue();
        QTest::keyClicks(named<QLineEdit>(sheet, "txtValore"), typed);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), typed);
        enter(named<QLineEdit>(sheet, "txtProprietario"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), shown);
    }

    void typingStaysWithin12CharactersAfterALongAmount()
    {
        openSheet();
        emptyValue();
        QTest::keyClicks(named<QLineEdit>(sheet, "txtValore"), QStringLiteral("1234567890123"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("123456789012"));
        enter(named<QLineEdit>(sheet, "txtNome"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("123456789012,00"));

        enter(named<QLineEdit>(sheet, "txtValore"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("123456789012,00"));
        named<QLineEdit>(sheet, "txtValore")->setCursorPosition(15);
        QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_5);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("123456789012,00"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_Backspace);
        QTest::keyClicks(named<QLineEdit>(sheet, "txtValore"), QStringLiteral(",5"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("123456789012"));
        QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_Left);
        QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_Backspace);
        QTest::keyClicks(named<QLineEdit>(sheet, "txtValore"), QStringLiteral("78"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("123456789072"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->cursorPosition(), 11);
    }

    void pastedTextIsNormalisedOnLeaving_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::newRow("negative") << "-12,345"
                                  << "-12,35";
        QTest::newRow("letters") << "dodici"
                                 << "0,00";
        QTest::newRow("full stop") << "12.50"
                                   << "0,00";
        QTest::newRow("exponent") << "1,5e3"
                                  << "1500,00";
        QTest::newRow("blanks") << " 8 "
                                << "8,00";
    }

    void pastedTextIsNormalisedOnLeaving()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        openSheet();
        emptyValue();
        QApplication::clipboard()->setText(pasted);
        named<QLineEdit>(sheet, "txtValore")->paste(); // what the field's context menu does
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), pasted);
        QTest::keyClick(named<QLineEdit>(sheet, "txtValore"), Qt::Key_Return);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), shown);
    }

    void loadedValueShowsUnchangedUntilEnteredAndLeft()
    {
        openSheet(QStringLiteral("12,5"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("12,5"));
        enter(named<QLineEdit>(sheet, "txtAnno"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("12,5"));
        enter(named<QLineEdit>(sheet, "txtValore"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("12,5"));
        enter(named<QLineEdit>(sheet, "txtAnno"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("12,50"));

        // Saving from another field leaves a loaded amount as it came.
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdUltimo"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("12,5"));
        fillRequired();
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(recordAt(archivePath, 1).LeggiCampo(Campo::Valore), QStringLiteral("12,5"));
    }

    // ---- saving reads a normalised amount

    void saveWithAnEmptiedValuePassesTheCheck()
    {
        openSheet();
        fillRequired();
        emptyValue();
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);

        QCOMPARE(shownTexts(), QStringList{QStringLiteral("La scheda corrente è stata inserita in archivio.")});
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("0,00"));
        QCOMPARE(named<QLabel>(sheet, "lblPosizione")->text(), QStringLiteral("1"));
        QCOMPARE(recordAt(archivePath, 1).LeggiCampo(Campo::Valore), QStringLiteral("0,00"));
        QCOMPARE(fillOf(named<QLineEdit>(sheet, "txtValore")), kAliceBlue);
    }

    void saveNormalisesEvenWhenTheWindowIsNotActive()
    {
        openSheet();
        fillRequired();
        emptyValue();
        QTest::keyClicks(named<QLineEdit>(sheet, "txtValore"), QStringLiteral("7,5"));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("La scheda corrente è stata inserita in archivio.")});
        QCOMPARE(recordAt(archivePath, 1).LeggiCampo(Campo::Valore), QStringLiteral("7,50"));
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("7,50"));
    }

    void saveOfA12DigitAmountStoresItsDigits()
    {
        openSheet();
        fillRequired();
        emptyValue();
        QTest::keyClicks(named<QLineEdit>(sheet, "txtValore"), QStringLiteral("999999999999"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("999999999999,00"));
        QCOMPARE(recordAt(archivePath, 1).LeggiCampo(Campo::Valore), QStringLiteral("999999999999"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdPrimo"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("999999999999"));
    }

    void missingNameStillWarnsAfterNormalising()
    {
        openSheet();
        fillRequired();
        named<QLineEdit>(sheet, "txtNome")->clear();
        emptyValue();
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Attenzione: per salvare la scheda è necessario indicare il nome del modellino.")});
        QCOMPARE(named<QLineEdit>(sheet, "txtValore")->text(), QStringLiteral("0,00"));
        QCOMPARE(focusName(), QStringLiteral("txtNome"));
        QCOMPARE(fillOf(named<QLineEdit>(sheet, "txtNome")), kYellow);
    }

    // ---- status-line hints

    void designTextStaysUntilTheBackground()
    {
        openSheetForPointer();
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), kDesignText);
        QVERIFY(pointAt(named<QLineEdit>(sheet, "txtNome")));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), kDesignText);
        QVERIFY(pointAt(named<QLineEdit>(sheet, "txtValore")));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), kDesignText);
        QVERIFY(pointAt(sheet->panel(), backgroundPoint()));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), QString());
    }

    void hintStaysOverAnEditField()
    {
        openSheetForPointer();
        QVERIFY(pointAt(named<TPictureButton>(sheet, "cmdSalva")));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), QStringLiteral("Salva la scheda in archivio. (Ctrl+S)"));
        QVERIFY(pointAt(named<QLineEdit>(sheet, "txtNome")));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), QStringLiteral("Salva la scheda in archivio. (Ctrl+S)"));
        QVERIFY(pointAt(named<QLineEdit>(sheet, "txtTipologia"), QPoint(5, 5)));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), QStringLiteral("Salva la scheda in archivio. (Ctrl+S)"));
        // Between two fields lies the background of the field area.
        QVERIFY(pointAt(sheet->panel(), backgroundPoint()));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), QString());
    }

    void hints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("hint");
        const std::pair<const char*, const char*> table[] = {
            {"cmdNuovo", "Prepara la schermata per l'inserimento di una nuova scheda. (Ctrl+N)"},
            {"cmdSalva", "Salva la scheda in archivio. (Ctrl+S)"},
            {"cmdTrova", "Trova schede in archivio. (Ctrl+F)"},
            {"cmdCercaDisponibili", "Visualizza il riepilogo dei modellini in vendita."},
            {"cmdFile", "Allega file alla scheda corrente."},
            {"cmdAnteprima", "Visualizza l'anteprima di stampa della scheda corrente."},
            {"cmdStampa", "Stampa la scheda corrente. (Ctrl+P)"},
            {"cmdPrimo", "Visualizza la prima scheda in archivio. (Ctrl+Home)"},
            {"cmdIndietro", "Visualizza la scheda precedente in archivio. (PgUp)"},
            {"cmdAvanti", "Visualizza la scheda successiva in archivio. (PgDown)"},
            {"cmdUltimo", "Visualizza l'ultima scheda in archivio. (Ctrl+End)"},
            {"cmdEsporta", "Esporta l'archivio in un file di Excel."},
            {"cmdSlideShow", "Esegui lo slide show dei modellini in archivio."},
            {"cmdGuida", "Visualizza la pagina della guida sensibile al contesto. (F1)"},
            {"cmdEsci", "Esci da questa schermata."},
            {"chkInVendita", "Spunta questa casella per annotare che il modellino è in vendita."},
        };
        for (const auto& [control, hint] : table)
            QTest::newRow(control) << QString::fromLatin1(control) << QString::fromUtf8(hint);
    }

    void hints()
    {
        QFETCH(QString, control);
        QFETCH(QString, hint);
        openSheetForPointer();
        QVERIFY(pointAt(sheet->panel(), backgroundPoint()));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), QString());
        QVERIFY(pointAt(named<QWidget>(sheet, control.toLatin1().constData())));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), hint);
        // On over the status bar itself: empty again.
        QVERIFY(pointAt(named<QLabel>(sheet, "panInfo")));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), QString());
    }

    void backgroundUnderLabelsEmptiesTheLine_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("field caption") << "lblCapProduttore";
        QTest::newRow("card number") << "lblPosizione";
        QTest::newRow("archive name") << "lblNome";
    }

    void backgroundUnderLabelsEmptiesTheLine()
    {
        QFETCH(QString, label);
        openSheetForPointer();
        QVERIFY(pointAt(named<TPictureButton>(sheet, "cmdNuovo")));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(),
                 QStringLiteral("Prepara la schermata per l'inserimento di una nuova scheda. (Ctrl+N)"));
        QVERIFY(pointAt(named<QLabel>(sheet, label.toLatin1().constData()), QPoint(3, 3)));
        QCOMPARE(named<QLabel>(sheet, "panInfo")->text(), QString());
    }
};

QTEST_MAIN(TestFieldEntry)
#include "test_fieldentry.moc"
