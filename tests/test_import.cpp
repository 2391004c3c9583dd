// The import of tables into an archive, without widgets: the readers, the
// matching of columns, the cells put back, and the all-or-nothing write.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "ArchiveFixtures.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"
#include "core/export/Export.h"
#include "core/formats/CodePage.h"
#include "core/import/Importazione.h"

using namespace Importazione;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TScheda card(std::initializer_list<std::pair<Campo, QString>> fields, bool forSale)
{
    TScheda s;
    for (const auto& [campo, testo] : fields)
        s.ScriviCampo(campo, testo);
    s.ImpostaInVendita(forSale);
    return s;
}

// Cards that carry what usually goes wrong on the way through a spreadsheet.
QList<TScheda> trickyCards()
{
    return {
        card({{Campo::Nome, QStringLiteral("Ferrari 250 GTO «rossa» & <bella>")},
              {Campo::Tipologia, QStringLiteral("Auto")},
              {Campo::Produttore, QStringLiteral("Bburago")},
              {Campo::Codice, QStringLiteral("00123")},
              {Campo::Descrizione, QStringLiteral("Prima riga\nseconda riga con \"virgolette\"; e virgole, e | barre")},
              {Campo::Anno, QStringLiteral("1998")},
              {Campo::Valore, QStringLiteral("12,50")},
              {Campo::Data, QStringLiteral("15/03/2020")},
              {Campo::Scala, QStringLiteral("1:18")},
              {Campo::Rarita, QStringLiteral("Comune")},
              {Campo::Note, QStringLiteral("due  spazi   e tre, € 30, città")}},
             true),
        card({{Campo::Nome, QString(120, QLatin1Char('N'))},
              {Campo::Produttore, QStringLiteral("Märklin")},
              {Campo::Valore, QStringLiteral("1234,00")},
              {Campo::Data, QStringLiteral("01/01/1999")},
              {Campo::Scala, QStringLiteral("1:43")},
              {Campo::Stato, QStringLiteral("Ottimo")},
              {Campo::Luogo, QStringLiteral("Vetrina 2")}},
             false),
        card({{Campo::Nome, QStringLiteral("Solo il nome")}}, false),
    };
}

struct Program {
    QTemporaryDir dir;
    Program() { ProgramFolder::setOverride(dir.path() + QLatin1Char('/')); }
    ~Program() { ProgramFolder::setOverride(QString()); }
    QString path(const QString& name) const { return dir.filePath(name); }
};

// The export's file for `cards`.
QByteArray exportOf(const QList<TScheda>& cards)
{
    TTabellaSchede table;
    table.Reimposta(int(cards.size()));
    for (const TScheda& c : cards)
        table.AggiungiScheda(c);
    return Esportazione::Contenuto(table);
}

QList<TScheda> importInto(const QString& source, const QString& archive, bool* ok = nullptr)
{
    TImportazione imp;
    const bool opened = imp.Apri(source);
    if (ok)
        *ok = opened;
    if (!opened)
        return {};
    imp.Importa(archive, QStringLiteral("Prova"));
    QList<TScheda> out;
    TArchivio a;
    a.ApriArchivio(archive);
    for (qint32 n = 1; n <= a.ContaSchede(); ++n)
        out << a.LeggiScheda(n);
    return out;
}

QString fixture(const QString& name)
{
    return QStringLiteral(MINIARCA_IMPORT_FIXTURES) + QLatin1Char('/') + name;
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void delimitedText_data();
    void delimitedText();
    void headers_data();
    void headers();
    void mangledCells_data();
    void mangledCells();
    void mangledWorkbooks_data();
    void mangledWorkbooks();
    void sheets_data();
    void sheets();
    void badInput_data();
    void badInput();
    void lockedArchive();
    void cancelLeavesArchive();
    void cutInsideBatch_data();
    void cutInsideBatch();
    void photosAndUndo();
    void undoRefusedAfterAnotherWrite_data();
    void undoRefusedAfterAnotherWrite();
};

void TestImport::roundTrip_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("our own export") << QStringLiteral("xls");
    QTest::newRow("UTF-8 CSV with BOM and line breaks") << QStringLiteral("csv");
    QTest::newRow("Calc .ods") << QStringLiteral("Archivio_Modellini.ods");
    QTest::newRow("Calc .fods") << QStringLiteral("Archivio_Modellini.fods");
    QTest::newRow("Calc .xlsx") << QStringLiteral("Archivio_Modellini.xlsx");
    QTest::newRow("Calc .xls (BIFF)") << QStringLiteral("Archivio_Modellini_biff.xls");
    QTest::newRow("Calc .csv") << QStringLiteral("Archivio_Modellini.csv");
}

void TestImport::roundTrip()
{
    QFETCH(QString, kind);
    Program program;
    const QList<TScheda> cards = trickyCards();
    QString source;
    if (kind == QStringLiteral("xls")) {
        source = program.path(Esportazione::NomeFile());
        QVERIFY(writeBytes(source, exportOf(cards)));
    } else if (kind == QStringLiteral("csv")) {
        // Written as a spreadsheet writes CSV: quoted where needed, doubled quotes.
        QString text = QStringLiteral("\xFEFF");
        auto quoted = [](QString s) {
            if (s.contains(u',') || s.contains(u'"') || s.contains(u'\n'))
                s = u'"' + s.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
            return s;
        };
        QStringList header;
        for (const auto& c : Esportazione::Colonne)
            header << quoted(QString::fromUtf8(c.intestazione));
        text += header.join(u',') + QStringLiteral("\r\n");
        for (const TScheda& s : cards) {
            QStringList row;
            for (const auto& c : Esportazione::Colonne)
                row << quoted(s.LeggiCampo(c.campo).trimmed());
            text += row.join(u',') + QStringLiteral("\r\n");
        }
        source = program.path(QStringLiteral("lista.csv"));
        QVERIFY(writeBytes(source, text.toUtf8()));
    } else {
        source = fixture(kind);
        if (!QFile::exists(source))
            QSKIP("fixture missing");
    }
    const QList<TScheda> back = importInto(source, program.path(QStringLiteral("Prova.dbm")));
    QCOMPARE(back.size(), cards.size());
    for (int i = 0; i < cards.size(); ++i)
        for (const auto& c : Esportazione::Colonne)
            QCOMPARE(back[i].LeggiCampo(c.campo).trimmed(), cards[i].LeggiCampo(c.campo).trimmed());
}

void TestImport::delimitedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QStringList>>("rows");
    const QList<QStringList> plain{{QStringLiteral("a"), QStringLiteral("b")},
                                   {QStringLiteral("1"), QStringLiteral("2")}};
    QTest::newRow("semicolon") << QByteArray("a;b\n1;2\n") << plain;
    QTest::newRow("comma, CRLF, no last break") << QByteArray("a,b\r\n1,2") << plain;
    QTest::newRow("tab") << QByteArray("a\tb\n1\t2\n") << plain;
    QTest::newRow("bar") << QByteArray("a|b\n1|2\n") << plain;
    QTest::newRow("commas inside a field do not win over the semicolon")
        << QByteArray("x;y\n\"1,5\";\"2,5\"\n")
        << QList<QStringList>{{QStringLiteral("x"), QStringLiteral("y")},
                              {QStringLiteral("1,5"), QStringLiteral("2,5")}};
    QTest::newRow("quoted break and doubled quotes")
        << QByteArray("a;b\n\"due\r\nrighe\";\"il \"\"nome\"\"\"\n")
        << QList<QStringList>{{QStringLiteral("a"), QStringLiteral("b")},
                              {QStringLiteral("due\nrighe"), QStringLiteral("il \"nome\"")}};
    QTest::newRow("Windows-1252") << QByteArray("Citt\xE0;\x80\n")
                                  << QList<QStringList>{{QStringLiteral("Città"), QStringLiteral("€")}};
    QTest::newRow("UTF-8 without BOM") << QByteArray("Citt\xC3\xA0;\xE2\x82\xAC\n")
                                       << QList<QStringList>{{QStringLiteral("Città"), QStringLiteral("€")}};
    QTest::newRow("UTF-16 with BOM") << QByteArray("\xFF\xFE"
                                                   "a\0;\0b\0\n\0",
                                                   10)
                                     << QList<QStringList>{{QStringLiteral("a"), QStringLiteral("b")}};
    QTest::newRow("blank lines skipped") << QByteArray("a;b\n\n;\n1;2\n") << plain;
}

void TestImport::delimitedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QStringList>, rows);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    QVERIFY(writeBytes(path, bytes));
    ErroreLettura error = ErroreLettura::Nessuno;
    const auto reader = ApriLettore(path, error);
    QVERIFY(reader);
    QList<QStringList> got;
    QStringList row;
    while (reader->RigaSuccessiva(row))
        got << row;
    QCOMPARE(reader->Errore(), ErroreLettura::Nessuno);
    QCOMPARE(got, rows);
}

void TestImport::headers_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("destination");
    QTest::newRow("export header") << QStringLiteral("Nome modellino") << int(Campo::Nome);
    QTest::newRow("export header with accent, other case") << QStringLiteral("RARITA") << int(Campo::Rarita);
    QTest::newRow("Rarità") << QStringLiteral("Rarità") << int(Campo::Rarita);
    QTest::newRow("synonym Marca") << QStringLiteral("marca") << int(Campo::Produttore);
    QTest::newRow("synonym Prezzo") << QStringLiteral("Prezzo (€)") << int(Campo::Valore);
    QTest::newRow("synonym Modello") << QStringLiteral(" Modello ") << int(Campo::Nome);
    QTest::newRow("photo B") << QStringLiteral("Foto B") << int(FotoB);
    QTest::newRow("unknown") << QStringLiteral("Colonna misteriosa") << int(NonImportare);
}

void TestImport::headers()
{
    QFETCH(QString, header);
    QFETCH(int, destination);
    QCOMPARE(DestinazionePerIntestazione(header), destination);
}

void TestImport::mangledCells_data()
{
    QTest::addColumn<int>("destination");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<unsigned>("problems");
    const int scala = int(Campo::Scala), data = int(Campo::Data), valore = int(Campo::Valore),
              vendita = int(Campo::InVendita);
    QTest::newRow("scale as a fraction of a day")
        << scala << QStringLiteral("0.0541666666666667") << QStringLiteral("1:18") << unsigned(Ripristinato);
    QTest::newRow("scale as a time") << scala << QStringLiteral("01:18:00") << QStringLiteral("1:18")
                                     << unsigned(Ripristinato);
    QTest::newRow("scale 1:43 as a time")
        << scala << QStringLiteral("1:43:00") << QStringLiteral("1:43") << unsigned(Ripristinato);
    QTest::newRow("scale as typed") << scala << QStringLiteral("1:18") << QStringLiteral("1:18") << 0u;
    QTest::newRow("date as a serial number")
        << data << QStringLiteral("43905") << QStringLiteral("15/03/2020") << unsigned(Ripristinato);
    QTest::newRow("ISO date") << data << QStringLiteral("2020-03-15") << QStringLiteral("15/03/2020")
                              << unsigned(Ripristinato);
    QTest::newRow("date with time") << data << QStringLiteral("2020-03-15T00:00:00") << QStringLiteral("15/03/2020")
                                    << unsigned(Ripristinato);
    QTest::newRow("short date") << data << QStringLiteral("5/3/20") << QStringLiteral("05/03/2020")
                                << unsigned(Ripristinato);
    QTest::newRow("date as stored") << data << QStringLiteral("15/03/2020") << QStringLiteral("15/03/2020") << 0u;
    QTest::newRow("not a date") << data << QStringLiteral("a marzo") << QStringLiteral("a marzo") << unsigned(NonData);
    QTest::newRow("31 February") << data << QStringLiteral("31/02/2020") << QStringLiteral("31/02/2020")
                                 << unsigned(NonData);
    QTest::newRow("English amount") << valore << QStringLiteral("12.5") << QStringLiteral("12,50")
                                    << unsigned(Ripristinato);
    QTest::newRow("English thousands") << valore << QStringLiteral("1,234.50") << QStringLiteral("1234,50")
                                       << unsigned(Ripristinato);
    QTest::newRow("Italian thousands, euro")
        << valore << QStringLiteral("€ 1.234,5") << QStringLiteral("1234,50") << 0u;
    QTest::newRow("Italian amount") << valore << QStringLiteral("7") << QStringLiteral("7,00") << 0u;
    QTest::newRow("not an amount") << valore << QStringLiteral("circa dieci") << QStringLiteral("circa dieci")
                                   << unsigned(NonImporto);
    QTest::newRow("for sale: Si") << vendita << QStringLiteral("Si") << QStringLiteral("Sì") << 0u;
    QTest::newRow("for sale: x") << vendita << QStringLiteral("x") << QStringLiteral("Sì") << 0u;
    QTest::newRow("for sale: TRUE") << vendita << QStringLiteral("TRUE") << QStringLiteral("Sì") << 0u;
    QTest::newRow("for sale: 1") << vendita << QStringLiteral("1") << QStringLiteral("Sì") << 0u;
    QTest::newRow("for sale: no") << vendita << QStringLiteral("forse") << QStringLiteral("No") << 0u;
    QTest::newRow("too long, shown cut") << int(Campo::Anno) << QStringLiteral("19981") << QStringLiteral("1998")
                                         << unsigned(TroppoLungo);
    QTest::newRow("outside the code page")
        << int(Campo::Nome) << QStringLiteral("Łódź") << QStringLiteral("Lódz") << unsigned(FuoriCodifica);
    QTest::newRow("photo that is not there") << int(FotoA) << QStringLiteral("/nessuna/foto.jpg")
                                             << QStringLiteral("/nessuna/foto.jpg") << unsigned(FileIlleggibile);
}

void TestImport::mangledCells()
{
    QFETCH(int, destination);
    QFETCH(QString, raw);
    QFETCH(QString, stored);
    QFETCH(unsigned, problems);
    const Cella cell = Normalizza(destination, raw);
    QCOMPARE(cell.testo, stored);
    QCOMPARE(cell.problemi, problems);
}

void TestImport::mangledWorkbooks_data()
{
    QTest::addColumn<QString>("name");
    // Calc read "1:18" as a time, "2020-03-15" as a date and "12.5" as a
    // number before saving these.
    QTest::newRow("xlsx") << QStringLiteral("mangled.xlsx");
    QTest::newRow("ods") << QStringLiteral("mangled.ods");
    QTest::newRow("xls") << QStringLiteral("mangled.xls");
}

void TestImport::mangledWorkbooks()
{
    QFETCH(QString, name);
    TImportazione imp;
    QVERIFY(imp.Apri(fixture(name)));
    QVERIFY(imp.Intestazioni());
    QCOMPARE(imp.RigheAnteprima(), 2);
    const QStringList expected[2] = {
        {QStringLiteral("Fiat 500"), QStringLiteral("1:18"), QStringLiteral("15/03/2020"), QStringLiteral("12,50"),
         QStringLiteral("Sì")},
        {QStringLiteral("Alfa 33"), QStringLiteral("1:43"), QStringLiteral("02/01/1999"), QStringLiteral("1234,50"),
         QStringLiteral("Sì")},
    };
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c) {
            const Cella cell = imp.CellaAnteprima(r, c);
            QCOMPARE(cell.testo, expected[r][c]);
            QVERIFY(!(cell.problemi & ~unsigned(Ripristinato)));
        }
    QVERIFY(imp.CellaAnteprima(0, 1).problemi & Ripristinato);
}

void TestImport::sheets_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("ods") << QStringLiteral("twosheets.ods");
    QTest::newRow("xlsx") << QStringLiteral("twosheets.xlsx");
}

void TestImport::sheets()
{
    QFETCH(QString, name);
    TImportazione imp;
    QVERIFY(imp.Apri(fixture(name)));
    QCOMPARE(imp.Fogli(), (QStringList{QStringLiteral("Riepilogo"), QStringLiteral("Treni")}));
    QCOMPARE(imp.CellaAnteprima(0, 0).testo, QStringLiteral("Solo un titolo"));
    QVERIFY(imp.ScegliFoglio(1));
    QVERIFY(imp.Intestazioni());
    QCOMPARE(imp.DestinazioneColonna(1), int(Campo::Produttore));
    QCOMPARE(imp.CellaAnteprima(0, 1).testo, QStringLiteral("Rivarossi"));
    QCOMPARE(imp.Conta().righe, 1);
}

void TestImport::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    QTest::newRow("binary garbage") << QByteArray("\x01\x02\x00\x03garbage\x00", 12) << int(ErroreLettura::NonFoglio);
    QTest::newRow("empty file") << QByteArray() << int(ErroreLettura::FoglioVuoto);
    QTest::newRow("blank lines only") << QByteArray(";;\n\n;\n") << int(ErroreLettura::FoglioVuoto);
    QTest::newRow("unbalanced quote") << QByteArray("Nome;Scala\n\"Fiat;1:43\nAlfa;1:18\n")
                                      << int(ErroreLettura::VirgoletteAperte);
    QTest::newRow("truncated zip") << QByteArray("PK\x03\x04\x14\x00\x00\x00", 8) << int(ErroreLettura::Danneggiato);
    QTest::newRow("broken OLE file") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1rest", 12)
                                     << int(ErroreLettura::Danneggiato);
    QTest::newRow("zip bomb") << fileBytes(fixture(QStringLiteral("bomb.xlsx"))) << int(ErroreLettura::TroppoGrande);
    // What keeps a file of gigabytes in bounded memory: it is read a row at
    // a time, and a row past any sheet's length is refused.
    QTest::newRow("a row longer than any sheet's")
        << QByteArray("Nome;Scala\n") + QByteArray(kRigaMassima + 10, 'x') + QByteArray(";1:43\n")
        << int(ErroreLettura::TroppoGrande);
    QTest::newRow("repeated-cell bomb") << fileBytes(fixture(QStringLiteral("cells.fods")))
                                        << int(ErroreLettura::TroppoGrande);
}

void TestImport::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    Program program;
    const QString archive = program.path(QStringLiteral("Prova.dbm"));
    writeRecords(archive, trickyCards());
    const QByteArray before = fileBytes(archive);
    const QString source = program.path(QStringLiteral("input.dat"));
    QVERIFY(writeBytes(source, bytes));

    TImportazione imp;
    ErroreLettura got = ErroreLettura::Nessuno;
    if (!imp.Apri(source)) {
        got = imp.Errore();
    } else {
        try {
            imp.Importa(archive, QStringLiteral("Prova"));
        } catch (ErroreLettura e) {
            got = e;
        }
    }
    QCOMPARE(int(got), error);
    QCOMPARE(fileBytes(archive), before);
    QVERIFY(!QFile::exists(TArchivio::JournalPath(archive)));
}

void TestImport::lockedArchive()
{
    Program program;
    const QString archive = program.path(QStringLiteral("Prova.dbm"));
    writeRecords(archive, trickyCards());
    const QByteArray before = fileBytes(archive);
    const QString source = program.path(Esportazione::NomeFile());
    QVERIFY(writeBytes(source, exportOf(trickyCards())));
    TImportazione imp;
    QVERIFY(imp.Apri(source));
    ShortLockWait shortWait;
    OtherWorkstationLock lock(archive);
    QVERIFY(lock.held());
    QVERIFY_THROWS_EXCEPTION(EArchivioError, imp.Importa(archive, QStringLiteral("Prova")));
    lock.release();
    QCOMPARE(fileBytes(archive), before);
}

void TestImport::cancelLeavesArchive()
{
    Program program;
    const QString archive = program.path(QStringLiteral("Prova.dbm"));
    writeRecords(archive, trickyCards());
    const QByteArray before = fileBytes(archive);
    QByteArray csv("Nome;Scala\n");
    for (int i = 0; i < 2000; ++i)
        csv += "Modello " + QByteArray::number(i) + ";1:43\n";
    const QString source = program.path(QStringLiteral("molti.csv"));
    QVERIFY(writeBytes(source, csv));
    TImportazione imp;
    QVERIFY(imp.Apri(source));
    int calls = 0;
    QVERIFY_THROWS_EXCEPTION(Interrotta,
                             imp.Importa(archive, QStringLiteral("Prova"), [&](int) { return ++calls < 3; }));
    QCOMPARE(fileBytes(archive), before);
    QVERIFY(!QFile::exists(TArchivio::JournalPath(archive)));
}

void TestImport::cutInsideBatch_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("atCall");
    QTest::addColumn<qint64>("bytes");
    QTest::newRow("journal half written") << int(TArchivio::WriteStep::JournalPartlyWritten) << 1 << qint64(10);
    QTest::newRow("journal written") << int(TArchivio::WriteStep::JournalWritten) << 1 << qint64(0);
    QTest::newRow("third card half written") << int(TArchivio::WriteStep::RecordPartlyWritten) << 3 << qint64(1000);
    QTest::newRow("cards written, not flushed") << int(TArchivio::WriteStep::RecordWritten) << 1 << qint64(0);
    QTest::newRow("flushed, journal still there") << int(TArchivio::WriteStep::JournalNotRemoved) << 1 << qint64(0);
}

void TestImport::cutInsideBatch()
{
    QFETCH(int, step);
    QFETCH(int, atCall);
    QFETCH(qint64, bytes);
    Program program;
    const QString archive = program.path(QStringLiteral("Prova.dbm"));
    writeRecords(archive, trickyCards());
    // A partial record at the end, as a cut of another program may leave.
    QFile tail(archive);
    QVERIFY(tail.open(QIODevice::Append));
    tail.write(QByteArray(100, 'z'));
    tail.close();
    const QByteArray before = fileBytes(archive);
    QByteArray csv("Nome;Scala\n");
    for (int i = 0; i < 600; ++i)
        csv += "Modello " + QByteArray::number(i) + ";1:43\n";
    const QString source = program.path(QStringLiteral("molti.csv"));
    QVERIFY(writeBytes(source, csv));
    TImportazione imp;
    QVERIFY(imp.Apri(source));
    int calls = 0;
    const auto previous = TArchivio::SetWriteInterruption([&](TArchivio::WriteStep s) -> std::optional<qint64> {
        if (int(s) == step && ++calls == atCall)
            return bytes;
        return std::nullopt;
    });
    QVERIFY_THROWS_EXCEPTION(TArchivio::WriteInterrupted, imp.Importa(archive, QStringLiteral("Prova")));
    TArchivio::SetWriteInterruption(previous);
    TArchivio reopened;
    reopened.ApriArchivio(archive); // puts back what the cut left
    reopened.ChiudiArchivio();
    QCOMPARE(fileBytes(archive), before);
    QVERIFY(!QFile::exists(TArchivio::JournalPath(archive)));
}

void TestImport::photosAndUndo()
{
    Program program;
    const QString archive = program.path(QStringLiteral("Prova.dbm"));
    writeRecords(archive, trickyCards());
    const QByteArray before = fileBytes(archive);
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(program.path(QStringLiteral("rossa.png"))));
    QVERIFY(red.save(program.path(QStringLiteral("rossa.jpg"))));
    QVERIFY(writeBytes(program.path(QStringLiteral("scontrino.pdf")), "%PDF-1.4 finto"));
    const QByteArray csv = "Nome;Foto A;Foto B;Allegato\n"
                           "Uno;rossa.png;rossa.jpg;scontrino.pdf\n"
                           "Due;manca.jpg;;\n";
    const QString source = program.path(QStringLiteral("foto.csv"));
    QVERIFY(writeBytes(source, csv));
    TImportazione imp;
    QVERIFY(imp.Apri(source));
    QCOMPARE(imp.DestinazioneColonna(1), int(FotoA));
    QCOMPARE(imp.CellaAnteprima(1, 1).problemi, unsigned(FileIlleggibile));
    const Esito esito = imp.Importa(archive, QStringLiteral("Prova"));
    QCOMPARE(esito.accodamento.primo, 4);
    QCOMPARE(esito.accodamento.quante, 2);
    QCOMPARE(esito.fotoNonCopiate, 1);
    const QString photoA = CompanionFiles::photoPath(CompanionFiles::Photo::A, QStringLiteral("Prova"), 4);
    const QString photoB = CompanionFiles::photoPath(CompanionFiles::Photo::B, QStringLiteral("Prova"), 4);
    QCOMPARE(QImage(photoA).size(), QSize(40, 30));
    QCOMPARE(QImage(photoB).size(), QSize(40, 30));
    QVERIFY(!QFile::exists(CompanionFiles::photoPath(CompanionFiles::Photo::A, QStringLiteral("Prova"), 5)));
    QCOMPARE(recordAt(archive, 4).LeggiCampo(Campo::File01), QStringLiteral("scontrino.pdf"));
    QVERIFY(QFile::exists(CompanionFiles::attachmentPath(QStringLiteral("scontrino.pdf"))));

    QVERIFY(AnnullaImportazione(archive, esito));
    QCOMPARE(fileBytes(archive), before);
    QVERIFY(!QFile::exists(photoA));
    QVERIFY(!QFile::exists(photoB));
    QVERIFY(!QFile::exists(CompanionFiles::attachmentPath(QStringLiteral("scontrino.pdf"))));
    QVERIFY(!QFile::exists(TArchivio::JournalPath(archive)));
}

void TestImport::undoRefusedAfterAnotherWrite_data()
{
    QTest::addColumn<int>("record");
    QTest::newRow("an imported card saved again") << 4;
    QTest::newRow("a card added") << 0;
}

void TestImport::undoRefusedAfterAnotherWrite()
{
    QFETCH(int, record);
    Program program;
    const QString archive = program.path(QStringLiteral("Prova.dbm"));
    writeRecords(archive, trickyCards());
    const QString source = program.path(QStringLiteral("due.csv"));
    QVERIFY(writeBytes(source, "Nome;Scala\nUno;1:18\nDue;1:43\n"));
    TImportazione imp;
    QVERIFY(imp.Apri(source));
    const Esito esito = imp.Importa(archive, QStringLiteral("Prova"));
    TArchivio other;
    other.ApriArchivio(archive);
    const TScheda changed = card({{Campo::Nome, QStringLiteral("Cambiata")}}, false);
    if (record > 0)
        other.ScriviScheda(record, changed);
    else
        other.AccodaScheda(changed);
    other.ChiudiArchivio();
    const QByteArray afterOtherWrite = fileBytes(archive);
    QVERIFY(!AnnullaImportazione(archive, esito));
    QCOMPARE(fileBytes(archive), afterOtherWrite);
}

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
