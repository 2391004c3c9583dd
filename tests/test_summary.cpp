// The printed summary of a listing window: pages, title bar, list lines and
// print line read back from the PDF; the printer dialog's answers; the
// program's date format in the print line; the report facility's finding by
// name and fixed-pitch fonts.
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLocale>
#include <QPdfWriter>
#include <QTemporaryDir>

#include "PdfFixtures.h"
#include "TestSupport.h"
#include "core/formats/ProcessFormats.h"
#include "core/report/Report.h"
#include "core/report/SummaryLayout.h"
#include "gui/search/SummaryReport.h"

using namespace PdfFixtures;

namespace {

const QDateTime kWhen(QDate(2024, 3, 5), QTime(9, 7, 3));

QString column(const QString& text, int width)
{
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

// A record line as the listing windows show it.
QString recordLine(const QString& name, const QString& kind, const QString& year, const QString& maker,
                   const QString& scale, const QString& value)
{
    return column(name, 30) + QStringLiteral("  Tipo: ") + column(kind, 26) + QStringLiteral("  Anno: ")
           + column(year, 4) + QStringLiteral("  Prod. ") + column(maker, 30) + QStringLiteral("  Scala: ")
           + column(scale, 12) + QStringLiteral("  Valore: € ") + value;
}

// `count` distinct lines, "Modello 0001" first, of 152 to 159 characters.
QStringList listOf(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << recordLine(QStringLiteral("Modello %1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("Auto"),
                            QStringLiteral("1965"), QStringLiteral("Officina Rossi"), QStringLiteral("1:43"),
                            QStringLiteral("%1,50").arg(i % 2 ? 35 : 1234567));
    return lines;
}

bool writePdf(const TReport& report, const QString& path)
{
    QPdfWriter writer(path);
    return report.print(writer);
}

} // namespace

class TestSummary : public QObject {
    Q_OBJECT

    QTemporaryDir scratch;

    QString pdfPath(const QString& name) const { return scratch.filePath(name); }

private slots:
    void pages_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("linesPerPage");
        // Centre of the print line's bar on the last page, from the top of the paper.
        QTest::addColumn<double>("printLineCentreMm");

        // 190 mm inside the margins; the title takes 8 mm of the first page,
        // a line 3.392 mm, the band 2.646 mm below the last line, the footer 8 mm.
        QTest::newRow("empty list") << 0 << QList<int>{0} << 10 + 8 + 2.646 + 4.5;
        QTest::newRow("one line") << 1 << QList<int>{1} << 10 + 8 + 3.392 + 2.646 + 4.5;
        QTest::newRow("fifty lines and the print line fill one page")
            << 50 << QList<int>{50} << 10 + 8 + 50 * 3.392 + 2.646 + 4.5;
        QTest::newRow("print line alone on the second page") << 51 << QList<int>{51, 0} << 10 + 2 + 2.5;
        QTest::newRow("first page full of lines") << 53 << QList<int>{53, 0} << 10 + 2 + 2.5;
        QTest::newRow("three pages") << 129 << QList<int>{53, 56, 20} << 10 + 20 * 3.392 + 2.646 + 4.5;
        QList<int> thousand{53};
        for (int i = 0; i < 16; ++i)
            thousand << 56;
        thousand << 51;
        QTest::newRow("a thousand lines") << 1000 << thousand << 10 + 51 * 3.392 + 2.646 + 4.5;
    }

    void pages()
    {
        QFETCH(int, count);
        QFETCH(QList<int>, linesPerPage);
        QFETCH(double, printLineCentreMm);

        const QStringList lines = listOf(count);
        TSummaryLayout layout;
        layout.fill(QStringLiteral("Riepilogo modellini in archivio"), lines, kWhen);
        const QString path = pdfPath(QStringLiteral("pages.pdf"));
        QVERIFY(writePdf(layout, path));

        const Pdf pdf(path);
        QVERIFY(pdf.isValid());
        QCOMPARE(pdf.pages(), linesPerPage.size());
        int next = 1; // the lines come out in list order, none lost, none twice
        for (int page = 0; page < pdf.pages(); ++page) {
            const QSizeF size = pdf.pageSizeMm(page);
            QVERIFY2(qAbs(size.width() - 297) < 0.5 && qAbs(size.height() - 210) < 0.5, "landscape A4");

            const QList<Word> titles = pdf.find(page, QStringLiteral("archivio"));
            QCOMPARE(titles.size(), page == 0 ? 1 : 0);
            if (page == 0)
                QVERIFY(qAbs(titles.first().mm.center().y() - 13.5) < 0.8);

            QList<Word> names;
            for (const Word& w : pdf.words(page))
                if (w.text.size() == 4 && w.text.toInt() > 0 && w.mm.left() < 40)
                    names << w;
            QCOMPARE(names.size(), linesPerPage.at(page));
            for (int i = 0; i < names.size(); ++i) {
                QCOMPARE(names.at(i).text.toInt(), next++);
                const double top = 10 + (page == 0 ? 8 : 0) + i * 3.392;
                QVERIFY2(names.at(i).mm.top() >= top - 0.2 && names.at(i).mm.bottom() <= top + 3.392 + 0.2,
                         qPrintable(QStringLiteral("line %1 of page %2 out of its place").arg(i).arg(page)));
            }

            const QList<Word> printed = pdf.find(page, QStringLiteral("eseguita"));
            QCOMPARE(printed.size(), page == pdf.pages() - 1 ? 1 : 0);
            if (!printed.isEmpty())
                QVERIFY2(qAbs(printed.first().mm.center().y() - printLineCentreMm) < 0.8,
                         qPrintable(QString::number(printed.first().mm.center().y())));
        }
        QCOMPARE(next, count + 1);
        QVERIFY(
            pdf.text(pdf.pages() - 1).contains(QStringLiteral("Stampa eseguita in data 05/03/2024 alle ore 09:07:03")));
    }

    // The record lines keep their columns: a fixed-pitch font, and a line of
    // 159 characters, the longest, is printed whole.
    void columnsStayAligned()
    {
        const QStringList lines = {
            recordLine(QStringLiteral("Spider 2000"), QStringLiteral("Auto"), QStringLiteral("1965"),
                       QStringLiteral("Officina Rossi"), QStringLiteral("1:43"), QStringLiteral("35,50")),
            recordLine(QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"), QStringLiteral("Mmmmmmmmmmmmmmmmmmmmmmmmmm"),
                       QStringLiteral("1999"), QStringLiteral("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"), QStringLiteral("1:1"),
                       QStringLiteral("999999999,99")),
            recordLine(QStringLiteral("iiiiiii"), QStringLiteral("l"), QStringLiteral(""), QStringLiteral("i"),
                       QStringLiteral("1:8"), QStringLiteral("1,00")),
        };
        QCOMPARE(lines.at(0).size(), 152);
        QCOMPARE(lines.at(1).size(), 159);

        TSummaryLayout layout;
        layout.fill(QStringLiteral("Riepilogo modellini in vendita"), lines, kWhen);
        QVERIFY(QFontInfo(layout.find<TReportText>(QStringLiteral("txtRiepilogo"))->font()).fixedPitch());
        const QString path = pdfPath(QStringLiteral("columns.pdf"));
        QVERIFY(writePdf(layout, path));
        const Pdf pdf(path);
        QCOMPARE(pdf.pages(), 1);
        for (const char* label : {"Tipo:", "Anno:", "Prod.", "Scala:", "Valore:"}) {
            const QList<Word> found = pdf.find(0, QString::fromLatin1(label));
            QCOMPARE(found.size(), 3);
            QVERIFY2(qAbs(found.at(0).mm.left() - found.at(1).mm.left()) < 0.05
                         && qAbs(found.at(0).mm.left() - found.at(2).mm.left()) < 0.05,
                     label);
        }
        const QList<Word> value = pdf.find(0, QStringLiteral("999999999,99"));
        QCOMPARE(value.size(), 1);
        QVERIFY(value.first().mm.right() < 10 + 3 + 273);
    }

    // Whatever "Courier New" turns out to be on this machine, the list is set
    // in a font whose letters all have one width.
    void listFontIsFixedPitch_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("Courier New") << QStringLiteral("Courier New");
        QTest::newRow("a proportional family") << QStringLiteral("DejaVu Sans");
        QTest::newRow("a family nobody has") << QStringLiteral("Nessun Carattere Simile");
    }

    void listFontIsFixedPitch()
    {
        QFETCH(QString, family);
        const QFont font = Report::fixedPitchFont(family, 8);
        QVERIFY(QFontInfo(font).fixedPitch());
        QCOMPARE(font.pointSizeF(), 8.0);
    }

    // Dates have four-digit years whatever the Italian locale's short format
    // says; times carry seconds.
    void printLineDate_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("line");
        QTest::newRow("single-digit day and month")
            << kWhen << QStringLiteral("Stampa eseguita in data 05/03/2024 alle ore 09:07:03");
        QTest::newRow("last second of a century")
            << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))
            << QStringLiteral("Stampa eseguita in data 31/12/1999 alle ore 23:59:59");
        QTest::newRow("year 2000 at midnight")
            << QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0))
            << QStringLiteral("Stampa eseguita in data 01/01/2000 alle ore 00:00:00");
    }

    void printLineDate()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, line);
        QCOMPARE(TSummaryLayout::printLine(when), line);
    }

    // Installed once as the application object starts.
    void processFormats()
    {
        QCOMPARE(ProcessFormats::shortDate(QDate(2024, 3, 5)), QStringLiteral("05/03/2024"));
        QCOMPARE(QLocale().toString(1234.5, 'f', 2), QStringLiteral("1234,50"));
    }

    // "Stampa" of a listing window: the printer dialog decides.
    void printThroughPrinterDialog()
    {
        TestProgram program;
        const QString path = program.file(QStringLiteral("riepilogo.pdf"));
        TSummaryReport frxReport;

        Dialogs::setNextPrinterFile(path);
        QCOMPARE(frxReport.print(nullptr, QStringLiteral("Riepilogo modellini in archivio"), listOf(129)),
                 ReportOutput::Result::Printed);
        QCOMPARE(Dialogs::takePrinterRequests(), 1);
        QVERIFY(Dialogs::shown().isEmpty());
        {
            const Pdf pdf(path);
            QCOMPARE(pdf.pages(), 3);
            QVERIFY(pdf.text(0).contains(QStringLiteral("Riepilogo modellini in archivio")));
        }

        // A second print starts afresh: nothing of the first list is left.
        QVERIFY(QFile::remove(path));
        Dialogs::setNextPrinterFile(path);
        QCOMPARE(frxReport.print(nullptr, QStringLiteral("Riepilogo modellini in vendita"), listOf(3)),
                 ReportOutput::Result::Printed);
        const Pdf pdf(path);
        QCOMPARE(pdf.pages(), 1);
        QVERIFY(pdf.text(0).contains(QStringLiteral("Riepilogo modellini in vendita")));
        QVERIFY(pdf.text(0).contains(QStringLiteral("Modello 0003")));
        QVERIFY(!pdf.text(0).contains(QStringLiteral("Modello 0004")));
    }

    void cancelledPrinterDialogPrintsNothing()
    {
        TestProgram program;
        TSummaryReport frxReport;
        QCOMPARE(frxReport.print(nullptr, QStringLiteral("Riepilogo modellini in archivio"), listOf(5)),
                 ReportOutput::Result::Cancelled);
        QCOMPARE(Dialogs::takePrinterRequests(), 1);
        QVERIFY(Dialogs::shown().isEmpty());
        QVERIFY(QDir(program.folder()).entryList(QDir::Files).isEmpty());
    }

    void failedPrintIsReported()
    {
        TestProgram program;
        TSummaryReport frxReport;
        Dialogs::setNextPrinterFile(program.file(QStringLiteral("cartella-inesistente/riepilogo.pdf")));
        QCOMPARE(frxReport.print(nullptr, QStringLiteral("Riepilogo modellini in archivio"), listOf(5)),
                 ReportOutput::Result::Failed);
        const QList<Dialogs::Shown> shown = Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().kind, Dialogs::Kind::Warning);
        QVERIFY(shown.first().text.startsWith(QStringLiteral("Attenzione: la stampa non è andata a buon fine.")));
    }

    void findsObjectsByNameAndKind()
    {
        TSummaryLayout layout;
        QVERIFY(layout.find<TReportText>(QStringLiteral("txtRiepilogo")));
        QVERIFY(!layout.find<TReportPicture>(QStringLiteral("txtRiepilogo")));
        QVERIFY(!layout.findObject(QStringLiteral("txtInesistente")));
        QVERIFY(layout.findBand(QStringLiteral("MasterData")));
        QVERIFY(layout.findPage(QStringLiteral("Page")));
        // Design texts stand until the first fill, as laid out.
        QCOMPARE(layout.find<TReportText>(QStringLiteral("txtTitolo"))->text(), QStringLiteral("Riepilogo"));
        QCOMPARE(layout.find<TReportText>(QStringLiteral("txtPagina"))->text(),
                 QStringLiteral("Stampa eseguita in data [DATE]"));
    }
};

QTEST_MAIN(TestSummary)
#include "test_summary.moc"
