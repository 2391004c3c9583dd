// The spreadsheet file, without windows: the table of cards filled from an
// archive, the bytes written for it, its failures, and what LibreOffice Calc
// reads back where the machine has it.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>

#include "ArchiveFixtures.h"
#include "FilePermissions.h"
#include "FileSizeLimit.h"
#include "PhotoFixtures.h"
#include "core/archive/Archivio.h"
#include "core/archive/ProgramFolder.h"
#include "core/export/Export.h"

namespace {

// Every piece before the data rows, spelled out as the file must hold them.
QByteArray expectedHead()
{
    QByteArray head =
        "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\" xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
        "xmlns=\"http://www.w3.org/TR/REC-html40\">"
        "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
        "<!--[if gte mso 9]><xml><x:ExcelWorkbook><x:ExcelWorksheets><x:ExcelWorksheet>"
        "<x:Name>Archivio Modellini</x:Name><x:WorksheetOptions><x:Selected/><x:Panes><x:Pane>"
        "<x:Number>1</x:Number><x:ActiveRow>3</x:ActiveRow></x:Pane></x:Panes>"
        "<x:ProtectContents>False</x:ProtectContents><x:ProtectObjects>False</x:ProtectObjects>"
        "<x:ProtectScenarios>False</x:ProtectScenarios></x:WorksheetOptions></x:ExcelWorksheet>"
        "</x:ExcelWorksheets></x:ExcelWorkbook></xml><![endif]--></head><body><table x:str><tr>";
    const std::pair<const char*, int> headers[] = {
        {"Nome modellino", 300}, {"Tipologia", 250},       {"Produttore", 300},          {"Codice prodotto", 250},
        {"Descrizione", 400},    {"Anno produzione", 200}, {"Valore stimato", 250},      {"Proprietario", 300},
        {"Materiali", 400},      {"Colori", 300},          {"Confezione", 300},          {"Difetti", 400},
        {"Data acquisto", 200},  {"Provenienza", 400},     {"Montaggio", 450},           {"Scala", 200},
        {"Dimensioni", 300},     {"Rarit\xE0", 250},       {"Stato conservazione", 250}, {"Luogo conservazione", 300},
        {"Note", 400},           {"In vendita", 200}};
    for (const auto& [text, width] : headers)
        head += "<td style=\"text-align: left; font-weight: bold;\" width=" + QByteArray::number(width) + ">" + text
                + "</td>";
    return head + "</tr>";
}

// The cells of each row of a file, as written.
QList<QList<QByteArray>> rowsOf(const QByteArray& file)
{
    static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"));
    static const QRegularExpression cell(QStringLiteral("<td[^>]*>(.*?)</td>"));
    // Latin-1 maps every byte to one character, so offsets and bytes survive.
    const QString text = QString::fromLatin1(file);
    QList<QList<QByteArray>> rows;
    for (const auto& r : row.globalMatch(text)) {
        QList<QByteArray> cells;
        for (const auto& c : cell.globalMatch(r.captured(1)))
            cells << c.captured(1).toLatin1();
        rows << cells;
    }
    return rows;
}

// Stores raw bytes into a field, blanks and all, as a writer of another
// program might have left them.
void storeRaw(TScheda& record, Campo field, const QByteArray& bytes)
{
    const DescrizioneCampo& d = descrizione(field);
    QVERIFY(bytes.size() <= d.capacita);
    record.dati()[d.offset] = char(bytes.size());
    std::memcpy(record.dati() + d.offset + 1, bytes.constData(), size_t(bytes.size()));
}

int column(Campo field)
{
    for (int c = 0; c < Esportazione::NumeroColonne; ++c) {
        if (Esportazione::Colonne[size_t(c)].campo == field)
            return c;
    }
    return -1;
}

// One cell as Calc holds it after reading the file.
struct CalcCell {
    QString type; // "string", "float", ...; empty for an empty cell
    QString text; // what the cell shows
    bool formula = false;
};

// The first sheet of a flat OpenDocument spreadsheet Calc wrote: rows of
// cells, with trailing empty cells and rows left out.
QList<QList<CalcCell>> readFlatSheet(QIODevice& file)
{
    QList<QList<CalcCell>> rows;
    QXmlStreamReader xml(&file);
    const QString table = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
    const QString office = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
    const QString textNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
    int depthInSheet = 0;
    int rowRepeat = 1;
    int cellRepeat = 1;
    CalcCell cell;
    bool inCell = false;
    int paragraphs = 0;
    bool inParagraph = false;
    auto repeatOf = [&](const QString& attribute) {
        const int n = xml.attributes().value(table, attribute).toInt();
        return n > 0 ? n : 1;
    };
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.namespaceUri() == table && xml.name() == u"table") {
                if (++depthInSheet > 1 || !rows.isEmpty())
                    break; // the first sheet only
            } else if (xml.namespaceUri() == table && xml.name() == u"table-row") {
                rowRepeat = repeatOf(QStringLiteral("number-rows-repeated"));
                rows.append(QList<CalcCell>());
            } else if (xml.namespaceUri() == table
                       && (xml.name() == u"table-cell" || xml.name() == u"covered-table-cell")) {
                cell = CalcCell();
                cell.type = xml.attributes().value(office, QStringLiteral("value-type")).toString();
                cell.formula = xml.attributes().hasAttribute(table, QStringLiteral("formula"));
                cellRepeat = repeatOf(QStringLiteral("number-columns-repeated"));
                inCell = true;
                paragraphs = 0;
            } else if (inCell && xml.namespaceUri() == textNs) {
                if (xml.name() == u"p") {
                    if (paragraphs++ > 0)
                        cell.text += QLatin1Char('\n');
                    inParagraph = true;
                } else if (xml.name() == u"s")
                    cell.text += QString(std::max(1, xml.attributes().value(textNs, QStringLiteral("c")).toInt()),
                                         QLatin1Char(' '));
                else if (xml.name() == u"tab")
                    cell.text += QLatin1Char('\t');
                else if (xml.name() == u"line-break")
                    cell.text += QLatin1Char('\n');
            }
        } else if (xml.isCharacters() && inCell && inParagraph) {
            cell.text += xml.text();
        } else if (xml.isEndElement() && xml.namespaceUri() == textNs && xml.name() == u"p") {
            inParagraph = false;
        } else if (xml.isEndElement() && xml.namespaceUri() == table) {
            if (xml.name() == u"table-cell" || xml.name() == u"covered-table-cell") {
                inCell = false;
                const bool empty = cell.type.isEmpty() && cell.text.isEmpty() && !cell.formula;
                // Calc pads a row to the sheet's width with one repeated empty cell.
                for (int i = 0; i < (empty ? std::min(cellRepeat, 64) : cellRepeat); ++i)
                    rows.last().append(cell);
            } else if (xml.name() == u"table-row") {
                QList<CalcCell>& row = rows.last();
                while (!row.isEmpty() && row.last().type.isEmpty() && row.last().text.isEmpty() && !row.last().formula)
                    row.removeLast();
                for (int i = 1; i < std::min(rowRepeat, 64) && !row.isEmpty(); ++i)
                    rows.append(row);
            } else if (xml.name() == u"table") {
                break;
            }
        }
    }
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

// A profile for LibreOffice whose only setting is the locale, as a user
// picks it under Tools, Options, Languages.
bool writeCalcProfile(const QString& folder, const QString& locale)
{
    if (!QDir().mkpath(folder + QStringLiteral("/user")))
        return false;
    QFile settings(folder + QStringLiteral("/user/registrymodifications.xcu"));
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    settings.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                   "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                   "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                   "<item oor:path=\"/org.openoffice.Setup/L10N\"><prop oor:name=\"ooSetupSystemLocale\" "
                   "oor:op=\"fuse\"><value>"
                   + locale.toUtf8() + "</value></prop></item>\n</oor:items>\n");
    return settings.flush();
}

} // namespace

class TestExportFile : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QString folder;

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        QVERIFY(dir->isValid());
        folder = dir->path() + QLatin1Char('/');
        ProgramFolder::setOverride(dir->path());
    }

    void cleanup()
    {
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ProgramFolder::setOverride({});
        delete dir;
    }

    void exportPathIsInTheProgramFolder()
    {
        QCOMPARE(Esportazione::Percorso(), folder + QStringLiteral("Archivio_Modellini.xls"));
        QCOMPARE(Esportazione::FileDiBlocco(Esportazione::Percorso()),
                 folder + QStringLiteral(".~lock.Archivio_Modellini.xls#"));
    }

    // The grid of a fresh window holds 10 empty rows; an empty archive leaves
    // them, and the file is the head, the header row and 10 rows of 22 empty
    // cells, on one line.
    void emptyArchiveWritesTenEmptyRows()
    {
        const QString archive = folder + QStringLiteral("Vuoto.dbm");
        writeRecords(archive, {});
        TTabellaSchede table;
        table.Reimposta(10);
        Esportazione::RiempiDaArchivio(table, archive);
        QCOMPARE(table.Righe(), 10);
        QCOMPARE(table.RigheRiempite(), 0);

        QByteArray expected = expectedHead();
        for (int r = 0; r < 10; ++r) {
            expected += "<tr>";
            for (int c = 0; c < 22; ++c)
                expected += "<td style=\"text-align: left;\" sdnum=\"1040;0;@\"></td>";
            expected += "</tr>";
        }
        expected += "</table></body></html>";

        QVERIFY(Esportazione::ScriviFile(Esportazione::Percorso(), table));
        QCOMPARE(PhotoFixtures::readFile(Esportazione::Percorso()), expected);
    }

    // Cards come in file order, one row each, without their numbers, every
    // field in its column, stripped of blanks, in the code page's bytes.
    void recordsInFileOrder()
    {
        QList<TScheda> records;
        for (int i = 1; i <= 3; ++i) {
            TScheda record;
            for (int c = 0; c < Esportazione::NumeroColonne; ++c) {
                const Campo field = Esportazione::Colonne[size_t(c)].campo;
                if (field != Campo::InVendita)
                    record.ScriviCampo(field, QStringLiteral("r%1c%2").arg(i).arg(c));
            }
            record.ImpostaInVendita(i == 2);
            record.ScriviCampo(Campo::File01, QStringLiteral("ricevuta.pdf"));
            record.ScriviCampo(Campo::Desc01, QStringLiteral("Ricevuta"));
            records << record;
        }
        storeRaw(records[0], Campo::Nome, "  Fiat 500 \t");
        storeRaw(records[0], Campo::Valore, "0,00");
        storeRaw(records[1], Campo::Note, "   ");
        storeRaw(records[2], Campo::Codice, "007");
        storeRaw(records[2], Campo::Data, "01/02/2003");
        storeRaw(records[2], Campo::Provenienza, "Citt\xE0 \x80");
        const QString archive = folder + QStringLiteral("Tre.dbm");
        writeRecords(archive, records);
        // A partial record at the end is no card.
        {
            QFile file(archive);
            QVERIFY(file.open(QIODevice::Append));
            file.write(QByteArray(100, 'x'));
        }

        TTabellaSchede table;
        table.Reimposta(10);
        Esportazione::RiempiDaArchivio(table, archive);
        QCOMPARE(table.Righe(), 3);
        QCOMPARE(table.RigheRiempite(), 3);
        QCOMPARE(table.Testo(0, column(Campo::Nome)), QStringLiteral("Fiat 500"));
        QCOMPARE(table.Testo(1, column(Campo::Note)), QString());
        QCOMPARE(table.Testo(2, column(Campo::Provenienza)), QStringLiteral("Città €"));
        QCOMPARE(table.Testo(1, column(Campo::InVendita)), QStringLiteral("Sì"));

        QVERIFY(Esportazione::ScriviFile(Esportazione::Percorso(), table));
        const QByteArray file = PhotoFixtures::readFile(Esportazione::Percorso());
        QVERIFY(!file.contains('\n'));
        QVERIFY(!file.contains('\r'));
        QVERIFY(file.startsWith(expectedHead()));
        QVERIFY(file.endsWith("</tr></table></body></html>"));
        const auto rows = rowsOf(file);
        QCOMPARE(rows.size(), 4);
        for (int i = 1; i <= 3; ++i) {
            QList<QByteArray> expected;
            for (int c = 0; c < Esportazione::NumeroColonne; ++c)
                expected << QStringLiteral("r%1c%2").arg(i).arg(c).toLatin1();
            expected[column(Campo::InVendita)] = i == 2 ? "S\xEC" : "No";
            if (i == 1) {
                expected[column(Campo::Nome)] = "Fiat 500";
                expected[column(Campo::Valore)] = "0,00";
            } else if (i == 2) {
                expected[column(Campo::Note)] = "";
            } else {
                expected[column(Campo::Codice)] = "007";
                expected[column(Campo::Data)] = "01/02/2003";
                expected[column(Campo::Provenienza)] = "Citt\xE0 \x80";
            }
            QCOMPARE(rows[i], expected);
        }
    }

    // What a cell becomes in the file, typed into the grid or read from the
    // archive: markup and line breaks as references, Windows-1252 bytes where
    // the code page has the character, a numeric reference where it has not,
    // and in a run of blanks every blank after the first as a reference.
    void cellBytes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored"); // archive bytes of the same text, empty: not storable
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("markup characters") << "scala 1<43 & scatola" << QByteArray("scala 1<43 & scatola")
                                           << QByteArray("scala 1&lt;43 &amp; scatola");
        QTest::newRow("a tag stays text")
            << "<b>rosso</b>" << QByteArray("<b>rosso</b>") << QByteArray("&lt;b&gt;rosso&lt;/b&gt;");
        QTest::newRow("a reference stays text") << "&amp;" << QByteArray("&amp;") << QByteArray("&amp;amp;");
        QTest::newRow("blanks around") << "  due spazi \t" << QByteArray("  due spazi \t") << QByteArray("due spazi");
        QTest::newRow("accents and euro")
            << "città € 5, Sì" << QByteArray("citt\xE0 \x80 5, S\xEC") << QByteArray("citt\xE0 \x80 5, S\xEC");
        QTest::newRow("line break inside")
            << "riga 1\nriga 2" << QByteArray("riga 1\nriga 2") << QByteArray("riga 1&#10;riga 2");
        QTest::newRow("tab inside") << "a\tb" << QByteArray("a\tb") << QByteArray("a&#9;b");
        QTest::newRow("number-like text as typed") << "0,00" << QByteArray("0,00") << QByteArray("0,00");
        QTest::newRow("leading zeros") << "007" << QByteArray("007") << QByteArray("007");
        QTest::newRow("empty") << "" << QByteArray("") << QByteArray("");
        QTest::newRow("single blanks stay blanks")
            << "Fiat 500 Abarth" << QByteArray("Fiat 500 Abarth") << QByteArray("Fiat 500 Abarth");
        QTest::newRow("runs of blanks") << "Fiat  500   Abarth" << QByteArray("Fiat  500   Abarth")
                                        << QByteArray("Fiat &#32;500 &#32;&#32;Abarth");
        QTest::newRow("runs of blanks inside blanks around")
            << "  a  b  " << QByteArray("  a  b  ") << QByteArray("a &#32;b");
        QTest::newRow("blanks beside references")
            << "&  Ł  <" << QByteArray() << QByteArray("&amp; &#32;&#321; &#32;&lt;");
        QTest::newRow("blanks after a tab") << "a\t  b" << QByteArray("a\t  b") << QByteArray("a&#9; &#32;b");
        QTest::newRow("byte the code page leaves undefined")
            << QString(QChar(0x81)) << QByteArray("\x81") << QByteArray("\x81");
        QTest::newRow("letters outside the code page") << "Łódź" << QByteArray()
                                                       << QByteArray("&#321;\xF3"
                                                                     "d&#378;");
        QTest::newRow("other scripts") << "東京" << QByteArray() << QByteArray("&#26481;&#20140;");
        QTest::newRow("beyond 16 bits") << "🚗 auto" << QByteArray() << QByteArray("&#128663; auto");
        QTest::newRow("combining accent composed")
            << QStringLiteral("caffe\u0301") << QByteArray() << QByteArray("caff\xE9");
        QTest::newRow("half a surrogate pair")
            << QString(QChar(0xD83D)) + QStringLiteral("x") << QByteArray() << QByteArray("&#65533;x");
    }

    void cellBytes()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, expected);
        const int note = column(Campo::Note);

        TTabellaSchede table;
        table.Reimposta(1);
        TScheda record;
        storeRaw(record, Campo::Note, stored);
        QVERIFY(table.AggiungiScheda(record));
        QByteArray fromArchive;
        table.AccodaCella(0, note, fromArchive);
        if (!stored.isEmpty() || typed.isEmpty()) {
            QCOMPARE(fromArchive, expected);
            // A whole row read from the archive is written by a path of its own.
            QCOMPARE(rowsOf(Esportazione::Contenuto(table)).value(1).value(note), expected);
        }

        table.ImpostaTesto(0, note, typed);
        QCOMPARE(table.Testo(0, note), typed);
        QByteArray fromGrid;
        table.AccodaCella(0, note, fromGrid);
        QCOMPARE(fromGrid, expected);
    }

    // The export takes the grid, edits included, not the archive; an edit in
    // an empty row is exported too.
    void editedCellsAreExported()
    {
        const QString archive = folder + QStringLiteral("Due.dbm");
        TScheda first;
        first.ScriviCampo(Campo::Nome, QStringLiteral("Vespa"));
        first.ScriviCampo(Campo::Note, QStringLiteral("vecchia nota"));
        writeRecords(archive, {first, TScheda()});
        TTabellaSchede table;
        Esportazione::RiempiDaArchivio(table, archive);
        table.ImpostaTesto(0, column(Campo::Note), QStringLiteral("nuova nota"));
        table.ImpostaTesto(1, column(Campo::Tipologia), QStringLiteral("Moto"));

        const auto rows = rowsOf(Esportazione::Contenuto(table));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1][column(Campo::Nome)], QByteArray("Vespa"));
        QCOMPARE(rows[1][column(Campo::Note)], QByteArray("nuova nota"));
        QCOMPARE(rows[2][column(Campo::Tipologia)], QByteArray("Moto"));

        QCOMPARE(recordAt(archive, 1).LeggiCampo(Campo::Note), QStringLiteral("vecchia nota"));

        TTabellaSchede empty;
        empty.Reimposta(10);
        empty.ImpostaTesto(9, column(Campo::Note), QStringLiteral("a mano"));
        const auto emptyRows = rowsOf(Esportazione::Contenuto(empty));
        QCOMPARE(emptyRows.size(), 11);
        QCOMPARE(emptyRows[10][column(Campo::Note)], QByteArray("a mano"));
    }

    // An archive that cannot be opened stops the filling with an access error
    // and leaves the table as it was; a missing one comes into being empty.
    void fillingFailures()
    {
        TTabellaSchede table;
        table.Reimposta(10);
        const QString tooLong = folder + QString(300, QLatin1Char('a')) + QStringLiteral(".dbm");
        QVERIFY_THROWS_EXCEPTION(EArchivioError, Esportazione::RiempiDaArchivio(table, tooLong));
        QCOMPARE(table.Righe(), 10);

        const QString missing = folder + QStringLiteral("Nuovo.dbm");
        Esportazione::RiempiDaArchivio(table, missing);
        QVERIFY(QFile::exists(missing));
        QCOMPARE(table.Righe(), 10);
    }

    // Whatever stops the export, the previous file stays as it was and no
    // half-written file or leftover is left beside it.
    void failedExportKeepsThePreviousFile_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("spreadsheet holds the file open") << "lock";
        QTest::newRow("a folder where the file goes") << "folder";
        QTest::newRow("program folder not writable") << "readonly";
        QTest::newRow("program folder missing") << "missing";
        QTest::newRow("disk fills up midway") << "full";
        QTest::newRow("disk fills up with the last byte of a short file") << "full at the end";
    }

    void failedExportKeepsThePreviousFile()
    {
        QFETCH(QString, obstacle);
        QString target = Esportazione::Percorso();
        const QByteArray previous = "<html>export di ieri</html>";
        auto writePrevious = [&] {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(previous);
        };
        if (obstacle == QLatin1String("lock")) {
            writePrevious();
            QFile lock(Esportazione::FileDiBlocco(target));
            QVERIFY(lock.open(QIODevice::WriteOnly));
        } else if (obstacle == QLatin1String("folder")) {
            QVERIFY(QDir(folder).mkdir(Esportazione::NomeFile()));
        } else if (obstacle == QLatin1String("readonly")) {
            writePrevious();
            QVERIFY(QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        } else if (obstacle == QLatin1String("missing")) {
            target = folder + QStringLiteral("non esiste/") + Esportazione::NomeFile();
        } else {
            writePrevious();
        }

        // Enough rows for a file of several megabytes, written in slices.
        TTabellaSchede table;
        table.Reimposta(20000);
        // A short file, written at once when it is complete, can take all but
        // its last byte: only that final write fails.
        qint64 lastByte = 0;
        if (obstacle == QLatin1String("full at the end")) {
            table.Reimposta(10);
            const QString measure = dir->filePath(QStringLiteral("misura.xls"));
            QVERIFY(Esportazione::ScriviFile(measure, table));
            lastByte = QFileInfo(measure).size() - 1;
            QVERIFY(QFile::remove(measure));
        }
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        bool written = true;
        if (obstacle.startsWith(QLatin1String("full"))) {
            // A file size limit stops writes part of the way, even for root.
            FileSizeLimit limit(lastByte ? lastByte : 256 * 1024);
            written = Esportazione::ScriviFile(target, table);
        } else if (obstacle == QLatin1String("readonly")) {
            const ObeyFilePermissions permissions;
            QVERIFY(permissions.holds());
            QVERIFY(!QFile(folder + QStringLiteral("prova")).open(QIODevice::WriteOnly));
            written = Esportazione::ScriviFile(target, table);
        } else {
            written = Esportazione::ScriviFile(target, table);
        }
        QVERIFY(!written);

        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        if (obstacle == QLatin1String("folder"))
            QVERIFY(QFileInfo(target).isDir());
        else if (QFile::exists(target))
            QCOMPARE(PhotoFixtures::readFile(target), previous);
    }

    // A new export replaces the old file whole, however long it was.
    void exportReplacesThePreviousFile()
    {
        {
            QFile file(Esportazione::Percorso());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(3 << 20, 'z'));
        }
        TTabellaSchede table;
        table.Reimposta(2);
        QVERIFY(Esportazione::ScriviFile(Esportazione::Percorso(), table));
        QCOMPARE(PhotoFixtures::readFile(Esportazione::Percorso()), Esportazione::Contenuto(table));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{Esportazione::NomeFile()});
    }

    // A file large enough to be written in several slices is the same as the
    // one built at once.
    void largeExportIsWholeAndOneLine()
    {
        QList<TScheda> records;
        for (int i = 0; i < 3000; ++i) {
            TScheda record;
            record.ScriviCampo(Campo::Nome, QStringLiteral("Modello %1 <&>").arg(i));
            record.ScriviCampo(Campo::Descrizione, QString(200, QLatin1Char('d')));
            record.ScriviCampo(Campo::Montaggio, QString(200, QLatin1Char('m')));
            records << record;
        }
        const QString archive = folder + QStringLiteral("Grande.dbm");
        writeRecords(archive, records);
        TTabellaSchede table;
        Esportazione::RiempiDaArchivio(table, archive);
        QCOMPARE(table.RigheRiempite(), 3000);
        QVERIFY(Esportazione::ScriviFile(Esportazione::Percorso(), table));
        const QByteArray file = PhotoFixtures::readFile(Esportazione::Percorso());
        QVERIFY(file.size() > 2 << 20);
        QCOMPARE(file, Esportazione::Contenuto(table));
        QVERIFY(!file.contains('\n'));
        const auto rows = rowsOf(file);
        QCOMPARE(rows.size(), 3001);
        QCOMPARE(rows[3000][0], QByteArray("Modello 2999 &lt;&amp;&gt;"));
    }

    // LibreOffice Calc opens the file as a worksheet with every card, accent
    // and mark in place, in an English and an Italian locale: every cell is
    // text, exactly as typed, and nothing is evaluated. Number-like texts
    // stay texts, a leading "=" starts no formula, runs of blanks stay.
    void calcReadsTheFileBack_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language"); // the default language of the document Calc writes
        QTest::newRow("English") << "en-US"
                                 << "en";
        QTest::newRow("Italian") << "it-IT"
                                 << "it";
    }

    void calcReadsTheFileBack()
    {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed");

        // Texts a spreadsheet would take for numbers, dates, fractions or
        // formulas, and blanks it would fold.
        const QStringList lookAlikes = {QStringLiteral("007"),
                                        QStringLiteral("0042"),
                                        QStringLiteral("+39 333"),
                                        QStringLiteral("1E5"),
                                        QStringLiteral("1965"),
                                        QStringLiteral("0,00"),
                                        QStringLiteral("12,50"),
                                        QStringLiteral("1/43"),
                                        QStringLiteral("3/4/1998"),
                                        QStringLiteral("=1+1"),
                                        QStringLiteral("=HYPERLINK(\"http://example.invalid\";\"x\")"),
                                        QStringLiteral("Fiat  500   Abarth")};

        QList<TScheda> records;
        const QStringList names = {QStringLiteral("Ferrari 250 GTO"), QStringLiteral("Märklin locomotiva"),
                                   QStringLiteral("Nave \"Amerigo\"")};
        for (int i = 0; i < 3; ++i) {
            TScheda record;
            record.ScriviCampo(Campo::Nome, names[i]);
            record.ScriviCampo(Campo::Tipologia, QStringLiteral("Tipo %1").arg(i));
            record.ScriviCampo(Campo::Valore, i == 0 ? QStringLiteral("0,00") : QStringLiteral("12,50"));
            record.ScriviCampo(Campo::Codice, QStringLiteral("007"));
            record.ScriviCampo(Campo::Data, QStringLiteral("01/02/2003"));
            record.ScriviCampo(Campo::Rarita, QStringLiteral("Rarità alta, città"));
            record.ScriviCampo(Campo::Note, QStringLiteral("scala 1<43 & scatola, <b>"));
            record.ImpostaInVendita(i != 1);
            records << record;
        }
        // One card per look-alike, in every field that has room for it.
        for (const QString& text : lookAlikes) {
            TScheda record;
            for (const auto& c : Esportazione::Colonne) {
                if (c.campo != Campo::InVendita && text.size() <= descrizione(c.campo).capacita)
                    record.ScriviCampo(c.campo, text);
            }
            records << record;
        }
        // And a card left empty, for the same texts typed into the grid.
        records << TScheda();
        const QString archive = folder + QStringLiteral("Calc.dbm");
        writeRecords(archive, records);
        TTabellaSchede table;
        Esportazione::RiempiDaArchivio(table, archive);
        table.ImpostaTesto(1, column(Campo::Note), QStringLiteral("Łódź 東京 🚗 & <i>"));
        table.ImpostaTesto(2, column(Campo::Luogo), QStringLiteral("Vetrina €, ripiano ½"));
        const int typedRow = int(records.size()) - 1;
        for (int i = 0; i < lookAlikes.size(); ++i)
            table.ImpostaTesto(typedRow, i, lookAlikes[i]);
        QVERIFY(Esportazione::ScriviFile(Esportazione::Percorso(), table));

        QTemporaryDir profile;
        QVERIFY(writeCalcProfile(profile.path(), locale));
        QTemporaryDir out;
        QProcess calc;
        calc.setProgram(soffice);
        calc.setArguments({QStringLiteral("--headless"), QStringLiteral("--norestore"),
                           QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                           QStringLiteral("--infilter=HTML (StarCalc)"), QStringLiteral("--convert-to"),
                           QStringLiteral("fods"), QStringLiteral("--outdir"), out.path(), Esportazione::Percorso()});
        calc.start();
        if (!calc.waitForFinished(180000)) {
            calc.kill();
            calc.waitForFinished();
            QFAIL("LibreOffice did not finish the conversion in time");
        }
        QFile sheet(out.filePath(QStringLiteral("Archivio_Modellini.fods")));
        QVERIFY2(sheet.open(QIODevice::ReadOnly), qPrintable(QString::fromLocal8Bit(calc.readAllStandardError())));
        // The locale was in force: Calc gives the document its language.
        QVERIFY(sheet.readAll().contains("fo:language=\"" + language.toLatin1() + "\""));
        sheet.seek(0);
        const QList<QList<CalcCell>> cells = readFlatSheet(sheet);

        QCOMPARE(cells.size(), table.Righe() + 1);
        for (int c = 0; c < Esportazione::NumeroColonne; ++c)
            QCOMPARE(cells[0].value(c).text, QString::fromUtf8(Esportazione::Colonne[size_t(c)].intestazione));
        for (int r = 0; r < table.Righe(); ++r) {
            for (int c = 0; c < Esportazione::NumeroColonne; ++c) {
                const QString typed = table.Testo(r, c);
                const CalcCell read = cells[r + 1].value(c);
                const bool asTyped = read.text == typed && !read.formula
                                     && read.type == (typed.isEmpty() ? QString() : QStringLiteral("string"));
                QVERIFY2(asTyped, qPrintable(QStringLiteral("row %1 column %2: typed \"%3\", read %4 \"%5\"%6")
                                                 .arg(r + 1)
                                                 .arg(c)
                                                 .arg(typed, read.type, read.text,
                                                      read.formula ? QStringLiteral(" (formula)") : QString())));
            }
        }
        QCOMPARE(cells[1][column(Campo::InVendita)].text, QStringLiteral("Sì"));
        QCOMPARE(cells[2][column(Campo::Note)].text, QStringLiteral("Łódź 東京 🚗 & <i>"));
        QCOMPARE(cells[typedRow + 1][lookAlikes.size() - 1].text, QStringLiteral("Fiat  500   Abarth"));
    }
};

QTEST_GUILESS_MAIN(TestExportFile)
#include "test_export_file.moc"
