// The printed card of the record sheet: the preview and print windows, the
// page read back from the PDF (texts at their boxes, long texts cut, the
// photo fitted and sharp), the printer dialog's answers and the preview's
// commands.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include <cmath>
#include <functional>

#include "PdfFixtures.h"
#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "core/photos/Photo.h"
#include "gui/output/frmStampaCartolina.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/ReportOutput.h"

using namespace PdfFixtures;
using namespace PhotoFixtures;

namespace {

struct Box {
    double top;
    double left;
    const char* caption; // its first word
    const char* edit;
};

// The field boxes of the printed card, millimetres inside the margins.
const Box kBoxes[] = {
    {139, 1, "TIPOLOGIA", "txtTipologia"},
    {139, 96, "PRODUTTORE", "txtProduttore"},
    {153, 1, "ANNO", "txtAnno"},
    {153, 47, "CODICE", "txtCodice"},
    {153, 96, "DIMENSIONI", "txtDimensioni"},
    {167, 1, "MATERIALI", "txtMateriali"},
    {167, 96, "COLORI", "txtColori"},
    {181, 1, "VALORE", "txtValore"},
    {181, 47, "DESCRIZIONE", "txtDescrizione"},
    {195, 1, "PROPRIETARIO", "txtProprietario"},
    {195, 96, "RARITA'", "txtRarita"},
    {209, 1, "CONFEZIONE", "txtConfezione"},
    {209, 96, "DIFETTI", "txtDifetti"},
    {223, 1, "SCALA", "txtScala"},
    {223, 47, "PROVENIENZA", "txtProvenienza"},
    {237, 1, "MONTAGGIO", "txtMontaggio"},
    {251, 1, "DATA", "txtData"},
    {251, 47, "STATO", "txtStato"},
    {251, 96, "LUOGO", "txtLuogo"},
    {265, 1, "NOTE", "txtNote"},
};

// The photo frame on the paper: 188 x 121 mm at (1, 16) inside 10 mm margins.
const QRectF kFrameMm(11, 26, 188, 121);

QRectF fitted(QSize picture)
{
    QSizeF size(picture);
    size.scale(kFrameMm.size(), Qt::KeepAspectRatio);
    QRectF rect(QPointF(0, 0), size);
    rect.moveCenter(kFrameMm.center());
    return rect;
}

QImage solid(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Where the red pixels of `image` lie, in millimetres of the page, for an
// image of the frame at `dpi`.
QRectF redArea(const QImage& image, double dpi)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 180 && qGreen(p) < 90 && qBlue(p) < 90) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    if (right < 0)
        return {};
    const double mm = 25.4 / dpi;
    return QRectF(kFrameMm.left() + left * mm, kFrameMm.top() + top * mm, (right - left + 1) * mm,
                  (bottom - top + 1) * mm);
}

} // namespace

class TestPrintCard : public QObject, public SheetProgramTest {
    Q_OBJECT

    QString pdf() const { return program->file(QStringLiteral("scheda.pdf")); }

    // Opens the print window from the sheet and presses its "Stampa"; the
    // printer dialog answers with `printTo` (empty: cancelled).
    void printCard(const QString& printTo)
    {
        if (!printTo.isEmpty())
            Dialogs::setNextPrinterFile(printTo);
        OnWindow window(QStringLiteral("frmStampaCartolina"),
                        [](QWidget* w) { named<QPushButton>(w, "btnStampa")->click(); });
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdStampa"), Qt::LeftButton);
        QVERIFY(window.seen);
        QVERIFY(!sheet->findChild<TCardOutputWindow*>()); // discarded once closed
    }

    void setPhoto(const QImage& image, const char* format = "jpg")
    {
        named<TImageView>(sheet, "imgFoto")->setPhoto(TPhoto::fromBytes(encoded(image, format, 95)));
    }

private slots:
    void init()
    {
        startSheetProgram();
        const QString path = program->file(QStringLiteral("Navi.dbm"));
        writeArchive(path, 0);
        QVERIFY(openRecordSheet(*windows, path, QStringLiteral("Navi")));
    }

    void cleanup() { endSheetProgram(); }

    void twinWindows_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("preview")
            << "cmdAnteprima"
            << "frmAnteprimaCartolina"
            << " Anteprima di stampa"
            << "Mostra anteprima"
            << QStringList{QStringLiteral("Anteprima di stampa"),
                           QStringLiteral("Questa operazione consente di visualizzare in anteprima i dati che "
                                          "appariranno in stampa."),
                           QStringLiteral("Fare clic su Mostra anteprima per visualizzare il documento sullo schermo "
                                          "prima di eseguire la stampa su carta.")};
        QTest::newRow("print")
            << "cmdStampa"
            << "frmStampaCartolina"
            << " Stampa documento"
            << "Stampa"
            << QStringList{QStringLiteral("Stampa documento"),
                           QStringLiteral("Questa operazione provvederà a stampare su carta il documento con i "
                                          "dati immessi nei campi di testo."),
                           QStringLiteral("Premere il pulsante Stampa per dare avvio alla stampa su carta oppure "
                                          "premere Annulla per annullare l'operazione.")};
    }

    // The twins as they open from the sheet, and "Annulla", which closes
    // without output.
    void twinWindows()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, button);
        QFETCH(QStringList, texts);

        OnWindow window(name, [&](QWidget* w) {
            QCOMPARE(w->windowTitle(), caption);
            QCOMPARE(w->size(), QSize(364, 287));
            QVERIFY(!(w->windowFlags() & Qt::WindowCloseButtonHint));
            QVERIFY(!(w->windowFlags() & Qt::WindowSystemMenuHint));
            QVERIFY(qAbs(w->geometry().center().x() - sheet->geometry().center().x()) <= 2);
            auto* print = named<QPushButton>(w, "btnStampa");
            auto* cancel = named<QPushButton>(w, "btnAnnulla");
            QCOMPARE(print->text(), button);
            QCOMPARE(cancel->text(), QStringLiteral("Annulla"));
            QVERIFY(cancel->geometry().right() < print->geometry().left());
            QVERIFY(print->geometry().top() > 200 && cancel->geometry().top() > 200);
            QStringList shown;
            for (QLabel* label : named<QWidget>(w, "panInfo")->findChildren<QLabel*>())
                shown << label->text();
            for (const QString& text : texts)
                QVERIFY2(shown.contains(text), qPrintable(text));
            QVERIFY(!named<QWidget>(w, "imgLogo")->isVisible());
            QVERIFY(!named<QWidget>(w, "imgTemp")->isVisible());
            cancel->click();
        });
        named<TPictureButton>(sheet, command.toLatin1().constData())->click();
        QVERIFY(window.seen);
        QCOMPARE(Dialogs::takePrinterRequests(), 0);
        QVERIFY(Dialogs::shown().isEmpty());
        QVERIFY(!sheet->findChild<TCardOutputWindow*>());
    }

    // Every text of the sheet, as typed and not saved, trimmed, in its box.
    void printsTheSheetAsShown()
    {
        sheet->openArchive(sheet->state().archivePath, QStringLiteral("Navi"));
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("  Spider 2000 "));
        int i = 0;
        for (const Box& box : kBoxes) {
            auto* edit = named<QLineEdit>(sheet, box.edit);
            const QString value = QStringLiteral("v%1x").arg(++i, 2, 10, QLatin1Char('0'));
            edit->setText(edit->maxLength() > value.size() + 1 ? QLatin1Char(' ') + value + QLatin1Char(' ') : value);
        }
        printCard(pdf());

        const Pdf out(pdf());
        QCOMPARE(out.pages(), 1);
        const QSizeF size = out.pageSizeMm(0);
        QVERIFY2(qAbs(size.width() - 210) < 0.5 && qAbs(size.height() - 297) < 0.5, "portrait A4");

        const QList<Word> archive = out.find(0, QStringLiteral("Navi"));
        QCOMPARE(archive.size(), 1);
        QVERIFY(qAbs(archive.first().mm.center().y() - 12.5) < 0.8 && qAbs(archive.first().mm.left() - 11) < 0.8);
        const QList<Word> spider = out.find(0, QStringLiteral("Spider"));
        const QList<Word> year = out.find(0, QStringLiteral("2000"));
        QCOMPARE(spider.size(), 1);
        QCOMPARE(year.size(), 1);
        QVERIFY(qAbs(spider.first().mm.center().y() - 19.2) < 0.8);
        QVERIFY(qAbs((spider.first().mm.left() + year.first().mm.right()) / 2 - 105) < 1.0); // centred

        i = 0;
        for (const Box& box : kBoxes) {
            const QString value = QStringLiteral("v%1x").arg(++i, 2, 10, QLatin1Char('0'));
            const QList<Word> found = out.find(0, value);
            QVERIFY2(found.size() == 1, qPrintable(value));
            QVERIFY2(qAbs(found.first().mm.center().y() - (10 + box.top + 8.4)) < 0.8, box.edit);
            QVERIFY2(qAbs(found.first().mm.left() - (10 + box.left + 1)) < 0.8, box.edit);
            bool captionFound = false;
            for (const Word& caption : out.find(0, QString::fromLatin1(box.caption)))
                captionFound |= qAbs(caption.mm.center().y() - (10 + box.top + 2.8)) < 0.8
                                && qAbs(caption.mm.left() - (10 + box.left + 1)) < 0.8;
            QVERIFY2(captionFound, box.caption);
        }
        QVERIFY(!out.text(0).contains(QStringLiteral("NOME ARCHIVIO")));
    }

    // Texts longer than their boxes are cut at the box's right edge: one
    // line, the head printed, the tail not.
    void longTextsAreCut_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<double>("rightEdgeMm");
        QTest::addColumn<int>("words");
        QTest::newRow("notes of 250 characters") << "txtNote" << 10 + 1 + 1 + 186.0 << 31;
        QTest::newRow("a long description") << "txtDescrizione" << 10 + 47 + 1 + 140.0 << 20;
        QTest::newRow("a long product code") << "txtCodice" << 10 + 47 + 1 + 45.0 << 6;
    }

    void longTextsAreCut()
    {
        QFETCH(QString, edit);
        QFETCH(double, rightEdgeMm);
        QFETCH(int, words);
        QStringList text;
        for (int i = 1; i <= words; ++i)
            text << QStringLiteral("w%1abcd").arg(i, 2, 10, QLatin1Char('0'));
        named<QLineEdit>(sheet, edit.toLatin1().constData())->setText(text.join(QLatin1Char(' ')));
        printCard(pdf());

        const Pdf out(pdf());
        QList<Word> printed;
        for (const Word& w : out.words(0))
            if (w.text.startsWith(QLatin1Char('w')) && w.text.size() >= 2 && w.text.at(1).isDigit())
                printed << w;
        QVERIFY(!printed.isEmpty());
        QCOMPARE(printed.first().text, text.first());
        QVERIFY2(printed.size() < words, "the tail must not be printed");
        for (const Word& w : printed) {
            QVERIFY2(qAbs(w.mm.center().y() - printed.first().mm.center().y()) < 0.1, "one line, no wrap");
            QVERIFY(w.mm.left() < rightEdgeMm);
        }
        // Only the last word printed may run past the edge, and only by a character.
        QVERIFY(printed.last().mm.right() < rightEdgeMm + 2.5);
        QVERIFY(printed.size() < 2 || printed.at(printed.size() - 2).mm.right() < rightEdgeMm);
    }

    // Wide, tall and small photos fill the frame as far as their proportions
    // allow, centred, undistorted.
    void photoFitsTheFrame_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("wide") << QSize(1600, 400);
        QTest::newRow("tall") << QSize(400, 1600);
        QTest::newRow("small, enlarged") << QSize(80, 60);
        QTest::newRow("the frame's own shape") << QSize(1880, 1210);
    }

    void photoFitsTheFrame()
    {
        QFETCH(QSize, size);
        setPhoto(solid(size, Qt::red));
        printCard(pdf());

        const double dpi = 60;
        const QRectF red = redArea(Pdf(pdf()).render(0, kFrameMm, dpi), dpi);
        const QRectF expected = fitted(size);
        const double pixel = 25.4 / dpi;
        QVERIFY2(qAbs(red.left() - expected.left()) < 2 * pixel && qAbs(red.right() - expected.right()) < 2 * pixel
                     && qAbs(red.top() - expected.top()) < 2 * pixel
                     && qAbs(red.bottom() - expected.bottom()) < 2 * pixel,
                 qPrintable(QStringLiteral("photo at %1,%2 %3x%4 mm")
                                .arg(red.left())
                                .arg(red.top())
                                .arg(red.width())
                                .arg(red.height())));
    }

    // On paper the photo is the slot's own picture at the printed size, not
    // the small bitmap drawn on screen: fine stripes stay stripes.
    void photoPrintsSharp()
    {
        QImage stripes(1880, 1210, QImage::Format_RGB32);
        for (int x = 0; x < stripes.width(); ++x)
            for (int y = 0; y < stripes.height(); ++y)
                stripes.setPixel(x, y, (x / 3) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        named<TImageView>(sheet, "imgFoto")->setPhoto(TPhoto::fromBytes(encoded(stripes, "jpg", 100)));
        printCard(pdf());

        const QRectF middle(kFrameMm.center() - QPointF(4, 4), QSizeF(8, 8));
        const QImage printed = Pdf(pdf()).render(0, middle, 400);
        int dark = 0, light = 0;
        for (int y = 0; y < printed.height(); ++y)
            for (int x = 0; x < printed.width(); ++x) {
                const int grey = qGray(printed.pixel(x, y));
                dark += grey < 70;
                light += grey > 185;
            }
        const int all = printed.width() * printed.height();
        QVERIFY2(dark > all / 4 && light > all / 4,
                 qPrintable(QStringLiteral("%1 dark, %2 light of %3").arg(dark).arg(light).arg(all)));
    }

    // Photos far beyond what the page needs print and preview reduced, in
    // their frame and upright (red left, blue right); a strip one pixel wide
    // still shows.
    void bigPhotosPrintInTheirFrame_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QSize>("size");
        for (const char* command : {"cmdStampa", "cmdAnteprima"}) {
            const QString how = QLatin1String(command) == QLatin1String("cmdStampa") ? QStringLiteral("print")
                                                                                     : QStringLiteral("preview");
            QTest::newRow(qPrintable(how + QStringLiteral(", 48 MP"))) << command << QSize(8000, 6000);
            QTest::newRow(qPrintable(how + QStringLiteral(", a 1 x 12000 strip"))) << command << QSize(1, 12000);
        }
        QTest::newRow("print, 108 MP") << "cmdStampa" << QSize(12000, 9000);
        QTest::newRow("print, 200 MP") << "cmdStampa" << QSize(16330, 12250);
    }

    void bigPhotosPrintInTheirFrame()
    {
        QFETCH(QString, command);
        QFETCH(QSize, size);
        HandMadeJpeg shape;
        shape.size = size;
        named<TImageView>(sheet, "imgFoto")->setPhoto(TPhoto::fromBytes(handMadeJpeg(shape)));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), size);

        bool previewStayed = false;
        OnWindow preview(QStringLiteral("frmAnteprimaReport"), [&](QWidget* w) {
            previewStayed = w->isVisible();
            Dialogs::setNextPrinterFile(pdf());
            named<QAction>(w, "actStampa")->trigger();
        });
        if (command == QLatin1String("cmdStampa"))
            Dialogs::setNextPrinterFile(pdf());
        OnWindow card(command == QLatin1String("cmdStampa") ? QStringLiteral("frmStampaCartolina")
                                                            : QStringLiteral("frmAnteprimaCartolina"),
                      [](QWidget* w) { named<QPushButton>(w, "btnStampa")->click(); });
        named<TPictureButton>(sheet, command.toLatin1().constData())->click();
        QVERIFY(card.seen);
        if (command == QLatin1String("cmdAnteprima"))
            QVERIFY(preview.seen && previewStayed);
        QVERIFY(Dialogs::takeShown().isEmpty());

        const Pdf out(pdf());
        QCOMPARE(out.pages(), 1);
        const QRectF expected = fitted(size);
        if (size.width() == 1) {
            // One device pixel wide at the printer's 1200 dpi, the frame's height tall.
            const double dpi = 1200;
            const QRectF column(kFrameMm.center().x() - 0.5, kFrameMm.top(), 1.0, kFrameMm.height());
            const QImage printed = out.render(0, column, dpi);
            int top = printed.height(), bottom = -1, reds = 0;
            for (int y = 0; y < printed.height(); ++y)
                for (int x = 0; x < printed.width(); ++x)
                    if (near(printed.pixel(x, y), Qt::red, 60)) {
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                        ++reds;
                    }
            QVERIFY2(bottom >= 0, "the strip is not on the page");
            QVERIFY((bottom - top + 1) * 25.4 / dpi > kFrameMm.height() - 1);
            QVERIFY(reds < 4 * printed.height()); // a line, not a band
            return;
        }
        const double dpi = 60;
        const QImage printed = out.render(0, kFrameMm, dpi);
        const QRectF red = redArea(printed, dpi);
        const double pixel = 25.4 / dpi;
        QVERIFY2(qAbs(red.left() - expected.left()) < 2 * pixel && qAbs(red.top() - expected.top()) < 2 * pixel
                     && qAbs(red.bottom() - expected.bottom()) < 2 * pixel
                     && qAbs(red.right() - expected.center().x()) < 2 * pixel,
                 qPrintable(QStringLiteral("red at %1,%2 %3x%4 mm")
                                .arg(red.left())
                                .arg(red.top())
                                .arg(red.width())
                                .arg(red.height())));
        const QPointF blueAt = QPointF(expected.right() - expected.width() / 4, expected.center().y())
                               - kFrameMm.topLeft();
        QVERIFY(near(printed.pixel((blueAt * dpi / 25.4).toPoint()), Qt::blue));
    }

    // The size a photo is decoded at for the page: the printed size at the
    // device's resolution, capped at 600 dpi over the whole frame, never
    // below one pixel, never beyond the photo.
    void printDecodeSize_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("12 MP at 1200 dpi: its own pixels") << QSize(4000, 3000) << 1200.0 << QSize(4000, 3000);
        QTest::newRow("12 MP at 300 dpi: the printed size") << QSize(4000, 3000) << 300.0 << QSize(1906, 1429);
        QTest::newRow("48 MP at 1200 dpi: the frame at 600 dpi") << QSize(8000, 6000) << 1200.0 << QSize(4114, 3085);
        QTest::newRow("48 MP at 600 dpi") << QSize(8000, 6000) << 600.0 << QSize(3811, 2858);
        QTest::newRow("200 MP at 1200 dpi") << QSize(16330, 12250) << 1200.0 << QSize(4114, 3086);
        QTest::newRow("a strip at 1200 dpi") << QSize(1, 12000) << 1200.0 << QSize(1, 5717);
        QTest::newRow("a strip lying at 300 dpi") << QSize(12000, 1) << 300.0 << QSize(2220, 1);
    }

    void printDecodeSize()
    {
        QFETCH(QSize, photo);
        QFETCH(double, dpi);
        QFETCH(QSize, decoded);
        const QRectF frame(QPointF(0, 0), kFrameMm.size() * dpi / 25.4);
        QSizeF drawn = TReportPicture::fittedRect(QSizeF(photo), frame).size();
        drawn = drawn.expandedTo(QSizeF(1, 1));
        QCOMPARE(TReportPicture::printDecodeSize(photo, drawn, kFrameMm.size()), decoded);
        // The frame's pixels at 600 dpi, give or take the rounding of each side.
        const double most = 188 * 121 * std::pow(600 / 25.4, 2);
        QVERIFY(decoded.width() * double(decoded.height()) <= most + decoded.width() + decoded.height());
    }

    // The picture the report prints: the slot's photo, the placeholder the
    // slot shows, or the window's own picture when the slot holds none.
    void pictureOfTheCard_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::newRow("a photo") << "photo";
        QTest::newRow("the placeholder of a card without photo") << "placeholder";
        QTest::newRow("nothing at all") << "none";
    }

    void pictureOfTheCard()
    {
        QFETCH(QString, slot);
        if (slot == QLatin1String("photo"))
            setPhoto(solid(QSize(640, 480), Qt::red));
        else if (slot == QLatin1String("none"))
            named<TImageView>(sheet, "imgFoto")->setPhoto(TPhoto());
        const TPhoto onSheet = named<TImageView>(sheet, "imgFoto")->photo();

        OnWindow window(QStringLiteral("frmStampaCartolina"), [&](QWidget* w) {
            auto* card = static_cast<TCardOutputWindow*>(w);
            const TPhoto expected = slot == QLatin1String("none") ? named<TImageView>(card, "imgTemp")->photo()
                                                                  : onSheet;
            QVERIFY(!expected.isNull());
            QVERIFY(named<TImageView>(card, "imgLogo")->photo().sharesWith(expected));
            Dialogs::setNextPrinterFile(pdf());
            named<QPushButton>(card, "btnStampa")->click();
            QVERIFY(card->repDocumento.find<TReportPicture>(QStringLiteral("imgLogo"))->picture().sharesWith(expected));
        });
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdStampa"), Qt::LeftButton);
        QVERIFY(window.seen);
        QVERIFY(QFile::exists(pdf()));
        QVERIFY(named<TImageView>(sheet, "imgFoto")->photo().sharesWith(onSheet)
                || onSheet.isNull()); // the sheet is left as it was
    }

    void cancelledPrinterDialog()
    {
        printCard({});
        QCOMPARE(Dialogs::takePrinterRequests(), 1);
        QVERIFY(Dialogs::shown().isEmpty());
        QVERIFY(QDir(program->folder()).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty());
    }

    void failedPrintShowsTheWindowsMessage()
    {
        printCard(program->file(QStringLiteral("manca/scheda.pdf")));
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
        QCOMPARE(shown.first().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(shown.first().text, QStringLiteral("Attenzione: la stampa non è andata a buon fine.\n\r\n\r"
                                                    "Si consiglia di ridurre le dimensioni della foto."));
    }

    // A photo too large to decode for the page: the window says so and
    // suggests a smaller photo; the preview does not stay up empty.
    void photoTooLargeToPrint_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("message");
        QTest::newRow("print") << "cmdStampa"
                               << "frmStampaCartolina"
                               << "Attenzione: la stampa non è andata a buon fine.\n\r\n\r"
                                  "Si consiglia di ridurre le dimensioni della foto.";
        QTest::newRow("preview") << "cmdAnteprima"
                                 << "frmAnteprimaCartolina"
                                 << "Attenzione: la visualizzazione dell'anteprima di stampa non è andata a buon "
                                    "fine.\n\r\n\rSi consiglia di ridurre le dimensioni della foto.";
    }

    void photoTooLargeToPrint()
    {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QFETCH(QString, message);
        QByteArray jpeg = encoded(solid(QSize(64, 48), Qt::red), "jpg");
        const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(frame > 0);
        for (int i : {5, 7}) { // height, then width: 65000 each
            jpeg[frame + i] = char(65000 >> 8);
            jpeg[frame + i + 1] = char(65000 & 0xFF);
        }
        named<TImageView>(sheet, "imgFoto")->setPhoto(TPhoto::fromBytes(jpeg));
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), QSize(65000, 65000));
        Dialogs::setNextPrinterFile(pdf());
        bool previewClosedItself = true;
        OnWindow preview(QStringLiteral("frmAnteprimaReport"), [&](QWidget* w) {
            QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 5000);
            previewClosedItself = !w->isVisible();
        });
        OnWindow card(window, [](QWidget* w) { named<QPushButton>(w, "btnStampa")->click(); });
        named<TPictureButton>(sheet, command.toLatin1().constData())->click();
        QVERIFY(card.seen);
        QVERIFY(previewClosedItself);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
        QCOMPARE(shown.first().text, message);
    }

    // The preview offers print, zoom, full screen and close, and nothing else.
    void previewCommands()
    {
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Spider 2000"));
        bool checked = false;
        OnWindow preview(QStringLiteral("frmAnteprimaReport"), [&](QWidget* w) {
            auto* view = w->findChild<QPrintPreviewWidget*>();
            QVERIFY(view);
            QCOMPARE(view->pageCount(), 1);
            QCOMPARE(view->zoomFactor(), 1.0);
            QStringList commands;
            for (QAction* action : named<QToolBar>(w, "barComandi")->actions())
                if (!action->isSeparator() && action->isVisible())
                    commands << action->objectName();
            QCOMPARE(commands, (QStringList{QStringLiteral("actStampa"), QStringLiteral("actZoomMeno"),
                                            QStringLiteral("actZoom"), QStringLiteral("actZoomPiu"),
                                            QStringLiteral("actSchermoIntero"), QStringLiteral("actChiudi")}));
            QCOMPARE(w->findChildren<QToolBar*>().size(), 1);

            named<QAction>(w, "actZoomPiu")->trigger();
            QVERIFY(view->zoomFactor() > 1.0);
            QCOMPARE(named<QComboBox>(w, "cmbZoom")->currentText(), QStringLiteral("125 %"));
            named<QAction>(w, "actSchermoIntero")->trigger();
            QVERIFY(w->windowState() & Qt::WindowFullScreen);
            named<QAction>(w, "actChiudi")->trigger();
            checked = !w->isVisible();
        });
        OnWindow window(QStringLiteral("frmAnteprimaCartolina"),
                        [](QWidget* w) { named<QPushButton>(w, "btnStampa")->click(); });
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAnteprima"), Qt::LeftButton);
        QVERIFY(window.seen);
        QVERIFY(preview.seen);
        QVERIFY(checked);
        QVERIFY(Dialogs::shown().isEmpty());
        QCOMPARE(Dialogs::takePrinterRequests(), 0);
        QVERIFY(!sheet->findChild<TCardOutputWindow*>());
    }

    void printFromThePreview()
    {
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Spider 2000"));
        OnWindow preview(QStringLiteral("frmAnteprimaReport"), [&](QWidget* w) {
            Dialogs::setNextPrinterFile(pdf());
            named<QAction>(w, "actStampa")->trigger();
            QVERIFY(!w->isVisible()); // printed: the preview closes
        });
        OnWindow window(QStringLiteral("frmAnteprimaCartolina"),
                        [](QWidget* w) { named<QPushButton>(w, "btnStampa")->click(); });
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdAnteprima"), Qt::LeftButton);
        QVERIFY(preview.seen);
        const Pdf out(pdf());
        QCOMPARE(out.pages(), 1);
        QVERIFY(out.text(0).contains(QStringLiteral("Spider 2000")));
        QVERIFY(Dialogs::shown().isEmpty());
    }
};

QTEST_MAIN(TestPrintCard)
#include "test_printcard.moc"
