#include "core/archive/Archivio.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "ArchiveFixtures.h"
#include "FilePermissions.h"
#include "FileSizeLimit.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDim = TScheda::Dimensione;

TScheda scheda(const QString& nome)
{
    TScheda s;
    s.ScriviCampo(Campo::Nome, nome);
    s.ScriviCampo(Campo::Tipologia, QStringLiteral("Automobile"));
    s.ImpostaInVendita(nome.size() % 2 == 0);
    return s;
}

QByteArray leggiFile(const QString& percorso)
{
    QFile f(percorso);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

bool scriviFile(const QString& percorso, const QByteArray& byte)
{
    QFile f(percorso);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(byte) == byte.size();
}

// k records named R1..Rk, then r stray bytes.
QByteArray archivio(int k, int r)
{
    QByteArray byte;
    for (int i = 1; i <= k; ++i)
        byte += scheda(QStringLiteral("R%1").arg(i)).Byte();
    return byte + QByteArray(r, 'Z');
}

int descrittoriAperti()
{
    return int(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size());
}

// Child process of concurrentAppend: appends records named <prefix>-<i>,
// each in its own open/append/close action as the windows do, and prints the
// number each one got.
int scrittore(const char* percorso, const char* prefisso, int quante)
{
    return childProcess([&] {
        for (int i = 0; i < quante; ++i) {
            TArchivio a;
            a.ApriArchivio(QString::fromLocal8Bit(percorso));
            const qint32 n = a.AccodaScheda(scheda(QStringLiteral("%1-%2").arg(QLatin1String(prefisso)).arg(i)));
            a.ChiudiArchivio();
            std::cout << prefisso << '-' << i << ' ' << n << '\n';
        }
        return 0;
    });
}

// Child process of waitsForOtherWorkstation: one operation on the archive;
// prints what it got.
int operazione(const char* percorso, const char* op)
{
    return childProcess([&] {
        TArchivio a;
        a.ApriArchivio(QString::fromLocal8Bit(percorso));
        const std::string o = op;
        if (o == "conta")
            std::cout << a.ContaSchede();
        else if (o == "leggi")
            std::cout << a.LeggiScheda(1).LeggiCampo(Campo::Nome).toStdString();
        else if (o == "scrivi")
            a.ScriviScheda(1, scheda(QStringLiteral("Figlio")));
        else if (o == "accoda")
            std::cout << a.AccodaScheda(scheda(QStringLiteral("Figlio")));
        a.ChiudiArchivio();
        return 0;
    });
}

// Child process of concurrentSavesWithJournal: `quante` times appends
// <prefix>-<i> and then saves it over record 1, each in its own action;
// prints the number each append got.
int salvatore(const char* percorso, const char* prefisso, int quante)
{
    return childProcess([&] {
        for (int i = 0; i < quante; ++i) {
            const TScheda s = scheda(QStringLiteral("%1-%2").arg(QLatin1String(prefisso)).arg(i));
            TArchivio a;
            a.ApriArchivio(QString::fromLocal8Bit(percorso));
            const qint32 n = a.AccodaScheda(s);
            a.ChiudiArchivio();
            a.ApriArchivio(QString::fromLocal8Bit(percorso));
            a.ScriviScheda(1, s);
            a.ChiudiArchivio();
            std::cout << prefisso << '-' << i << ' ' << n << '\n';
        }
        return 0;
    });
}

// Child process of concurrentSavesWithJournal: opens the archive `volte`
// times, as a window does for each action, and reads record 1, which must be
// one of the cards the savers write (else exit 2). Opening while a saver has
// its journal out must leave it be.
int lettore(const char* percorso, int volte)
{
    return childProcess([&] {
        for (int i = 0; i < volte; ++i) {
            TArchivio a;
            a.ApriArchivio(QString::fromLocal8Bit(percorso));
            const QString nome = a.LeggiScheda(1).LeggiCampo(Campo::Nome);
            a.ChiudiArchivio();
            if (nome != QLatin1String("Prima") && !nome.startsWith(QLatin1String("A-"))
                && !nome.startsWith(QLatin1String("B-")))
                return 2;
        }
        return 0;
    });
}

// A card unlike the R<n> cards from its first byte to its last, so that part
// of it written over one of them reads as neither.
TScheda nuova()
{
    TScheda s = scheda(QStringLiteral("Nuova"));
    s.ScriviCampo(Campo::Descrizione, QString(250, QLatin1Char('d')));
    s.ScriviCampo(Campo::Note, QString(250, QLatin1Char('n')));
    s.ScriviCampo(Campo::Desc03, QString(250, QLatin1Char('z')));
    return s;
}

QString diarioDi(const QString& archivio)
{
    return TArchivio::JournalPath(archivio);
}

QString messoDaParte(const QString& archivio)
{
    return TArchivio::SetAsideJournalPath(archivio, 1);
}

// The journal's length: a header naming the archive, the bytes the write
// changes, the new record, a checksum.
qsizetype lunghezzaDiario(const QString& archivio, qsizetype vecchi)
{
    return 16 + 2 + QFileInfo(archivio).fileName().toUtf8().size() + 16 + vecchi + kDim + 4;
}

// CRC-32 as zip computes it, for journals made by hand.
quint32 crc32(const QByteArray& byte)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char b : byte) {
        c ^= quint8(b);
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

QByteArray piccoloEndian(quint64 v, int byte)
{
    QByteArray b;
    for (int i = 0; i < byte; ++i)
        b += char(quint8(v >> (8 * i)));
    return b;
}

// A program that knows nothing of journals (an older copy of this one, at
// another workstation) writes `byte` at `posizione` as it always did.
bool scriveUnAltroProgramma(const QString& archivio, qint64 posizione, const QByteArray& byte)
{
    QFile f(archivio);
    return f.open(QIODevice::ReadWrite) && f.seek(posizione) && f.write(byte) == byte.size();
}

// Makes the archive's next `quante` flushes fail as on a failing disk.
class FlushFails {
public:
    explicit FlushFails(int quante)
        : m_previous(TArchivio::SetFlushFailure([left = std::make_shared<int>(quante)] { return (*left)-- > 0; }))
    {}
    ~FlushFails() { TArchivio::SetFlushFailure(m_previous); }
    FlushFails(const FlushFails&) = delete;
    FlushFails& operator=(const FlushFails&) = delete;

private:
    TArchivio::FlushFailure m_previous;
};

// The journal a write of nuova() over record 2 of `archivio` leaves when
// it is cut right after writing it; the archive is left as it was.
QByteArray diarioLasciato(const QString& archivio)
{
    {
        const WriteStops taglio(TArchivio::WriteStep::JournalWritten, 0);
        TArchivio a;
        a.ApriArchivio(archivio);
        try {
            a.ScriviScheda(2, nuova());
        } catch (const TArchivio::WriteInterrupted&) {}
    }
    const QByteArray byte = leggiFile(diarioDi(archivio));
    QFile::remove(diarioDi(archivio));
    return byte;
}

// `prima` with the first half of nuova() over record 2, as a cut leaves it.
QByteArray strappato(const QByteArray& prima)
{
    QByteArray byte = prima;
    byte.replace(kDim, kDim / 2, nuova().Byte().left(kDim / 2));
    return byte;
}

// The cards of the batch the tests append: nuova() first.
QList<TScheda> lotto()
{
    return {nuova(), scheda(QStringLiteral("Lotto 2")), scheda(QStringLiteral("Lotto 3"))};
}

QByteArray byteDi(const QList<TScheda>& schede)
{
    QByteArray byte;
    for (const TScheda& s : schede)
        byte += s.Byte();
    return byte;
}

TArchivio::Accodamento accodaLotto(TArchivio& a)
{
    const QList<TScheda> schede = lotto();
    qsizetype i = 0;
    return a.AccodaSchede([&](TScheda& s) {
        if (i == schede.size())
            return false;
        s = schede[i++];
        return true;
    });
}

// The journal a batch appended to `archivio` leaves when it is cut right
// after writing it; the archive is left as it was.
QByteArray diarioLasciatoDaUnLotto(const QString& archivio)
{
    {
        const WriteStops taglio(TArchivio::WriteStep::JournalWritten, 0);
        TArchivio a;
        a.ApriArchivio(archivio);
        try {
            accodaLotto(a);
        } catch (const TArchivio::WriteInterrupted&) {}
    }
    const QByteArray byte = leggiFile(diarioDi(archivio));
    QFile::remove(diarioDi(archivio));
    return byte;
}

QStringList nomi(const QByteArray& file)
{
    QStringList risultato;
    TScheda s;
    for (qsizetype p = 0; p + kDim <= file.size(); p += kDim) {
        s.ImpostaByte(QByteArrayView(file).sliced(p, kDim));
        risultato << s.LeggiCampo(Campo::Nome);
    }
    return risultato;
}

// Starts this test program once per argument list, as so many workstations
// on a shared folder, releases them all at once and waits for every one to
// end well; their "<name> <number>" lines go into `numbers`.
void runWorkstations(const QList<QStringList>& arguments, std::map<QString, int>& numbers)
{
    std::vector<std::unique_ptr<QProcess>> children;
    for (const QStringList& args : arguments) {
        children.push_back(std::make_unique<QProcess>());
        children.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        children.back()->start(QCoreApplication::applicationFilePath(), args);
    }
    for (const auto& c : children)
        QVERIFY(c->waitForStarted());
    // All must be released together: QProcess only sends when asked to wait.
    for (const auto& c : children)
        c->write("go\n");
    for (const auto& c : children)
        QVERIFY(c->waitForBytesWritten());
    for (const auto& c : children) {
        QVERIFY(c->waitForFinished(240000));
        QCOMPARE(c->exitStatus(), QProcess::NormalExit);
        QCOMPARE(c->exitCode(), 0);
        for (const QByteArray& line : c->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2)
                numbers[QString::fromLatin1(parts[0])] = parts[1].toInt();
        }
    }
}

} // namespace

#define QVERIFY_THROWS_ARCHIVIO(expr)                                                                                  \
    do {                                                                                                               \
        bool lanciata = false;                                                                                         \
        try {                                                                                                          \
            expr;                                                                                                      \
        } catch (const EArchivioError& e) {                                                                            \
            lanciata = true;                                                                                           \
            QVERIFY2(!e.failure().cause.isEmpty(), e.what());                                                          \
        }                                                                                                              \
        QVERIFY2(lanciata, #expr " did not fail with the archive access error");                                       \
    } while (false)

class TestArchive : public QObject {
    Q_OBJECT

private slots:
    void init();
    void failureNamesOperationPathAndCause();
    void wholeRecordsAndTail_data();
    void wholeRecordsAndTail();
    void writeReadBack();
    void readMany();
    void outOfRange_data();
    void outOfRange();
    void missingFileIsCreated();
    void openFailures_data();
    void openFailures();
    void pathLength_data();
    void pathLength();
    void readOnlyFile();
    void closedArchive();
    void waitsForOtherWorkstation_data();
    void waitsForOtherWorkstation();
    void concurrentAppend();
    void lockHeldElsewhere_data();
    void lockHeldElsewhere();
    void journalOnlyWhileWriting_data();
    void journalOnlyWhileWriting();
    void crashPoints_data();
    void crashPoints();
    void batchFailures_data();
    void batchFailures();
    void batchUndoCut_data();
    void batchUndoCut();
    void damagedJournal_data();
    void damagedJournal();
    void leftoverJournalReadOnly_data();
    void leftoverJournalReadOnly();
    void journalCannotBeWritten_data();
    void journalCannotBeWritten();
    void journalNotRemovable_data();
    void journalNotRemovable();
    void notAJournal_data();
    void notAJournal();
    void journalName_data();
    void journalName();
    void concurrentSavesWithJournal();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString percorso(const QString& nome) const { return m_dir->filePath(nome); }
};

void TestArchive::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

// A failure deep inside an operation comes out naming that operation, the
// file and the system's own words; what() is the same as one line.
void TestArchive::failureNamesOperationPathAndCause()
{
    const QString mancante = m_dir->filePath(QStringLiteral("nessuna/Navi.dbm"));
    try {
        TArchivio a;
        a.ApriArchivio(mancante);
        QFAIL("an archive in a missing folder opened");
    } catch (const EArchivioError& e) {
        QCOMPARE(e.failure().operation, TFailure::Operation::OpenArchive);
        QCOMPARE(e.failure().path, mancante);
        QCOMPARE(e.failure().cause, qt_error_string(ENOENT));
        const std::exception& base = e;
        QCOMPARE(QString::fromUtf8(base.what()),
                 QStringLiteral("open-archive ") + mancante + QStringLiteral(": ") + qt_error_string(ENOENT));
    }

    const QString percorso = m_dir->filePath(QStringLiteral("Navi.dbm"));
    TArchivio a;
    a.ApriArchivio(percorso);
    a.AccodaScheda(TScheda());
    try {
        a.LeggiScheda(2);
        QFAIL("a card past the end was read");
    } catch (const EArchivioError& e) {
        QCOMPARE(e.failure().operation, TFailure::Operation::ReadCards);
        QCOMPARE(e.failure().path, percorso);
        QCOMPARE(e.failure().cause, QStringLiteral("no such card"));
    }

    // A folder that refuses the journal: the write fails on the journal's
    // path, with the system's reason.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        ObeyFilePermissions obey;
        QVERIFY(obey.holds());
        try {
            a.ScriviScheda(1, TScheda());
            QFAIL("a write went through a read-only folder");
        } catch (const EArchivioError& e) {
            QCOMPARE(e.failure().operation, TFailure::Operation::WriteCard);
            QCOMPARE(e.failure().path, TArchivio::JournalPath(percorso));
            QCOMPARE(e.failure().cause, qt_error_string(EACCES));
        }
    }
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestArchive::wholeRecordsAndTail_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("r");
    QTest::addColumn<qint64>("offsetNuova");

    QTest::newRow("empty file") << 0 << 0 << qint64(0);
    QTest::newRow("1 stray byte") << 0 << 1 << qint64(0);
    QTest::newRow("one byte short of a record") << 0 << 3445 << qint64(0);
    QTest::newRow("7 records") << 7 << 0 << qint64(24122);
    QTest::newRow("3 records + 1") << 3 << 1 << qint64(10338);
    QTest::newRow("3 records + 3445") << 3 << 3445 << qint64(10338);
}

// A partial record at the end is never counted, read or updated; an append
// lands right after the last whole record, over the partial one.
void TestArchive::wholeRecordsAndTail()
{
    QFETCH(int, k);
    QFETCH(int, r);
    QFETCH(qint64, offsetNuova);

    const QString file = percorso(QStringLiteral("Auto.dbm"));
    const QByteArray prima = archivio(k, r);
    QVERIFY(scriviFile(file, prima));

    TArchivio a;
    a.ApriArchivio(file);
    QCOMPARE(a.ContaSchede(), k);
    QVERIFY_THROWS_ARCHIVIO(a.LeggiScheda(k + 1));

    if (k > 0) {
        QCOMPARE(a.LeggiScheda(k).LeggiCampo(Campo::Nome), QStringLiteral("R%1").arg(k));
        a.ScriviScheda(k, scheda(QStringLiteral("Aggiornata")));
        QByteArray atteso = prima;
        atteso.replace((k - 1) * kDim, kDim, scheda(QStringLiteral("Aggiornata")).Byte());
        QCOMPARE(leggiFile(file), atteso);
    }

    const QByteArray dopo = leggiFile(file);
    const TScheda nuova = scheda(QStringLiteral("Nuova"));
    QCOMPARE(a.AccodaScheda(nuova), k + 1);
    a.ChiudiArchivio();

    const QByteArray finale = leggiFile(file);
    QCOMPARE(finale.size(), offsetNuova + kDim);
    QCOMPARE(finale.left(offsetNuova), dopo.left(offsetNuova));
    QCOMPARE(finale.mid(offsetNuova), nuova.Byte());
}

void TestArchive::writeReadBack()
{
    const QString file = percorso(QStringLiteral("Treni.dbm"));
    {
        TArchivio a;
        a.ApriArchivio(file);
        QCOMPARE(a.AccodaScheda(scheda(QStringLiteral("Uno"))), 1);
        QCOMPARE(a.AccodaScheda(scheda(QStringLiteral("Due"))), 2);
        QCOMPARE(a.AccodaScheda(scheda(QStringLiteral("Tre"))), 3);
        a.ScriviScheda(2, scheda(QStringLiteral("Due bis")));
        a.ChiudiArchivio();
    }
    TArchivio b;
    b.ApriArchivio(file);
    QCOMPARE(b.ContaSchede(), 3);
    QCOMPARE(b.LeggiScheda(1), scheda(QStringLiteral("Uno")));
    QCOMPARE(b.LeggiScheda(2), scheda(QStringLiteral("Due bis")));
    QCOMPARE(b.LeggiScheda(3), scheda(QStringLiteral("Tre")));
    QCOMPARE(b.LeggiScheda(2).LeggiInVendita(), StatoVendita::NonInVendita);
}

void TestArchive::readMany()
{
    const QString file = percorso(QStringLiteral("Navi.dbm"));
    QVERIFY(scriviFile(file, archivio(5, 100)));
    TArchivio a;
    a.ApriArchivio(file);

    const std::vector<TScheda> tutte = a.LeggiSchede(1, 5);
    QCOMPARE(tutte.size(), size_t(5));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(tutte[size_t(i)], a.LeggiScheda(i + 1));
    QCOMPARE(a.LeggiSchede(2, 3).front(), a.LeggiScheda(2));
    QVERIFY(a.LeggiSchede(6, 0).empty());

    QVERIFY_THROWS_ARCHIVIO(a.LeggiSchede(5, 2)); // into the partial record
    QVERIFY_THROWS_ARCHIVIO(a.LeggiSchede(0, 1));
    QVERIFY_THROWS_ARCHIVIO(a.LeggiSchede(1, -1));
    QVERIFY_THROWS_ARCHIVIO(a.LeggiSchede(7, 0));
    QVERIFY_THROWS_ARCHIVIO(a.LeggiSchede(2, INT_MAX));
}

void TestArchive::outOfRange_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("count + 1") << 4;
    QTest::newRow("INT_MIN") << INT_MIN;
    QTest::newRow("INT_MAX") << INT_MAX;
}

void TestArchive::outOfRange()
{
    QFETCH(int, n);
    const QString file = percorso(QStringLiteral("Aerei.dbm"));
    const QByteArray prima = archivio(3, 10);
    QVERIFY(scriviFile(file, prima));

    TArchivio a;
    a.ApriArchivio(file);
    QVERIFY_THROWS_ARCHIVIO(a.LeggiScheda(n));
    QVERIFY_THROWS_ARCHIVIO(a.ScriviScheda(n, scheda(QStringLiteral("Fuori"))));
    a.ChiudiArchivio();
    QCOMPARE(leggiFile(file), prima);
}

void TestArchive::missingFileIsCreated()
{
    const QString file = percorso(QStringLiteral("Nuova collezione.dbm"));
    QVERIFY(!QFileInfo::exists(file));
    TArchivio a;
    a.ApriArchivio(file);
    QCOMPARE(a.ContaSchede(), 0);
    a.ChiudiArchivio();
    QVERIFY(QFileInfo(file).isFile());
    QCOMPARE(QFileInfo(file).size(), qint64(0));
}

void TestArchive::openFailures_data()
{
    QTest::addColumn<QString>("relativo");
    QTest::newRow("missing folder") << QStringLiteral("manca/Auto.dbm");
    QTest::newRow("folder in place of the file") << QStringLiteral("cartella.dbm");
    QTest::newRow("file used as a folder") << QStringLiteral("file.dbm/Auto.dbm");
    QTest::newRow("empty path") << QString();
}

void TestArchive::openFailures()
{
    QFETCH(QString, relativo);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("cartella.dbm")));
    QVERIFY(scriviFile(percorso(QStringLiteral("file.dbm")), archivio(1, 0)));
    const int descrittori = descrittoriAperti();

    TArchivio a;
    QVERIFY_THROWS_ARCHIVIO(a.ApriArchivio(relativo.isEmpty() ? QString() : percorso(relativo)));
    QVERIFY(!a.Aperto());
    QVERIFY_THROWS_ARCHIVIO(a.ContaSchede());
    QCOMPARE(descrittoriAperti(), descrittori);
    QVERIFY(!QFileInfo::exists(percorso(QStringLiteral("manca"))));
}

void TestArchive::pathLength_data()
{
    QTest::addColumn<int>("lunghezza");
    QTest::addColumn<bool>("apribile");
    QTest::newRow("259") << 259 << true;
    QTest::newRow("260") << 260 << false;
    QTest::newRow("400") << 400 << false;
}

void TestArchive::pathLength()
{
    QFETCH(int, lunghezza);
    QFETCH(bool, apribile);

    // Folders of 100 characters until one file name of at most 200 fills the rest.
    QString cartella = m_dir->path();
    while (lunghezza - cartella.size() - 1 > 200) {
        cartella += QLatin1Char('/') + QString(100, QLatin1Char('c'));
        QVERIFY(QDir().mkpath(cartella));
    }
    const int resto = lunghezza - int(cartella.size()) - 1 - 4;
    if (resto < 1)
        QSKIP("temporary folder path too long for this check");
    const QString file = cartella + QLatin1Char('/') + QString(resto, QLatin1Char('n')) + QStringLiteral(".dbm");
    QCOMPARE(file.size(), lunghezza);

    TArchivio a;
    if (apribile) {
        a.ApriArchivio(file);
        QCOMPARE(a.AccodaScheda(scheda(QStringLiteral("Lunga"))), 1);
        QCOMPARE(a.ContaSchede(), 1);
    } else {
        QVERIFY_THROWS_ARCHIVIO(a.ApriArchivio(file));
        QVERIFY(!QFileInfo::exists(file));
    }
}

void TestArchive::readOnlyFile()
{
    const QString file = percorso(QStringLiteral("Sola lettura.dbm"));
    const QByteArray prima = archivio(2, 0);
    QVERIFY(scriviFile(file, prima));
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    const ObeyFilePermissions permessi;
    QVERIFY(permessi.holds());
    // Readable, and refused for writing on its permissions alone.
    QVERIFY(QFile(file).open(QIODevice::ReadOnly));
    QVERIFY(!QFile(file).open(QIODevice::ReadWrite));
    TArchivio a;
    QVERIFY_THROWS_ARCHIVIO(a.ApriArchivio(file));
    QCOMPARE(leggiFile(file), prima);
}

void TestArchive::closedArchive()
{
    const QString file = percorso(QStringLiteral("Moto.dbm"));
    QVERIFY(scriviFile(file, archivio(2, 0)));
    const int descrittori = descrittoriAperti();
    {
        TArchivio a;
        QVERIFY_THROWS_ARCHIVIO(a.ContaSchede());
        a.ApriArchivio(file);
        a.ApriArchivio(file); // opening again must not leak the first descriptor
        QVERIFY(a.Aperto());
        QCOMPARE(descrittoriAperti(), descrittori + 1);
        a.ChiudiArchivio();
        a.ChiudiArchivio();
        QVERIFY_THROWS_ARCHIVIO(a.LeggiScheda(1));
        QVERIFY_THROWS_ARCHIVIO(a.ScriviScheda(1, scheda(QStringLiteral("X"))));
        QVERIFY_THROWS_ARCHIVIO(a.AccodaScheda(scheda(QStringLiteral("X"))));
        QVERIFY_THROWS_ARCHIVIO(a.LeggiSchede(1, 1));
        a.ApriArchivio(file); // left open: the destructor closes it
    }
    QCOMPARE(descrittoriAperti(), descrittori);
    QCOMPARE(leggiFile(file), archivio(2, 0));
}

void TestArchive::waitsForOtherWorkstation_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QByteArray>("risposta");
    QTest::addColumn<QStringList>("finale");

    // Meanwhile the other workstation rewrites record 1 as "Nuova" and appends "Altra".
    QTest::newRow("count") << "conta" << QByteArray("2")
                           << QStringList{QStringLiteral("Nuova"), QStringLiteral("Altra")};
    QTest::newRow("read") << "leggi" << QByteArray("Nuova")
                          << QStringList{QStringLiteral("Nuova"), QStringLiteral("Altra")};
    QTest::newRow("write") << "scrivi" << QByteArray()
                           << QStringList{QStringLiteral("Figlio"), QStringLiteral("Altra")};
    QTest::newRow("append") << "accoda" << QByteArray("3")
                            << QStringList{QStringLiteral("Nuova"), QStringLiteral("Altra"), QStringLiteral("Figlio")};
}

// Another workstation holds an exclusive lock on the archive while it
// changes it: every operation must wait for it and see its changes whole.
void TestArchive::waitsForOtherWorkstation()
{
    QFETCH(QString, op);
    QFETCH(QByteArray, risposta);
    QFETCH(QStringList, finale);

    const QString file = percorso(QStringLiteral("Condiviso.dbm"));
    QVERIFY(scriviFile(file, scheda(QStringLiteral("Vecchia")).Byte()));

    QProcess figlio;
    figlio.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    figlio.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--op"), file, op});
    QVERIFY(figlio.waitForStarted());

    // The lock is held on a descriptor of our own: closing any other
    // descriptor of the file in this process would drop it.
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CLOEXEC);
    QVERIFY(fd >= 0);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    QCOMPARE(fcntl(fd, F_SETLK, &fl), 0);

    figlio.write("go\n");
    QVERIFY(figlio.waitForBytesWritten());
    QVERIFY2(!figlio.waitForFinished(500), "the operation did not wait for the lock");

    const QByteArray cambi = scheda(QStringLiteral("Nuova")).Byte() + scheda(QStringLiteral("Altra")).Byte();
    QCOMPARE(pwrite(fd, cambi.constData(), size_t(cambi.size()), 0), ssize_t(cambi.size()));
    fl.l_type = F_UNLCK;
    QCOMPARE(fcntl(fd, F_SETLK, &fl), 0);

    QVERIFY(figlio.waitForFinished(60000));
    ::close(fd);
    QCOMPARE(figlio.exitCode(), 0);
    QCOMPARE(figlio.readAllStandardOutput(), risposta);
    QCOMPARE(nomi(leggiFile(file)), finale);
    QCOMPARE(leggiFile(file).size() % kDim, 0);
}

// Two processes (two workstations on a shared folder) append at the same
// time: every record must land in a slot of its own, under the number its
// writer was given.
void TestArchive::concurrentAppend()
{
    constexpr int quante = 200;
    const QString file = percorso(QStringLiteral("Condiviso.dbm"));
    QVERIFY(scriviFile(file, QByteArray()));

    const char* prefissi[2] = {"A", "B"};
    std::map<QString, int> numeri;
    QList<QStringList> args;
    for (const char* p : prefissi)
        args.append({QStringLiteral("--writer"), file, QLatin1String(p), QString::number(quante)});
    runWorkstations(args, numeri);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(QFileInfo(file).size(), qint64(2 * quante) * kDim);
    QCOMPARE(numeri.size(), size_t(2 * quante));
    TArchivio a;
    a.ApriArchivio(file);
    QCOMPARE(a.ContaSchede(), 2 * quante);
    std::map<QString, int> trovate;
    const std::vector<TScheda> tutte = a.LeggiSchede(1, 2 * quante);
    for (size_t i = 0; i < tutte.size(); ++i)
        trovate[tutte[i].LeggiCampo(Campo::Nome)] = int(i) + 1;
    QCOMPARE(trovate.size(), size_t(2 * quante)); // each name exactly once
    for (const char* p : prefissi) {
        for (int i = 0; i < quante; ++i) {
            const QString nome = QStringLiteral("%1-%2").arg(QLatin1String(p)).arg(i);
            QVERIFY2(trovate.count(nome) == 1, qPrintable(nome + QStringLiteral(" lost")));
            QCOMPARE(trovate[nome], numeri[nome]);
        }
    }
}

void TestArchive::lockHeldElsewhere_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("exclusive"); // how the other workstation holds it
    QTest::addColumn<bool>("waits");

    const char* ops[] = {"count", "read", "read block", "write", "append"};
    for (const char* op : ops) {
        const bool writes = std::strcmp(op, "write") == 0 || std::strcmp(op, "append") == 0;
        QTest::addRow("%s, held by a writer", op) << QString::fromLatin1(op) << true << true;
        QTest::addRow("%s, held by a reader", op) << QString::fromLatin1(op) << false << writes;
    }
}

// Another workstation keeps the lock: an operation that must wait for it
// gives up after the bound with the access error, writing nothing, and
// works again once the lock is let go. Only a wait is announced.
void TestArchive::lockHeldElsewhere()
{
    QFETCH(QString, op);
    QFETCH(bool, exclusive);
    QFETCH(bool, waits);

    const QString file = percorso(QStringLiteral("Condiviso.dbm"));
    const QByteArray prima = archivio(2, 0);
    QVERIFY(scriviFile(file, prima));
    QStringList avvisi;
    const LockWaitListener ascolto(
        [&](bool inAttesa) { avvisi << (inAttesa ? QStringLiteral("inizio") : QStringLiteral("fine")); });
    const ShortLockWait attesaBreve;

    TArchivio a;
    a.ApriArchivio(file);
    const auto esegui = [&] {
        if (op == QLatin1String("count"))
            QCOMPARE(a.ContaSchede(), 2);
        else if (op == QLatin1String("read"))
            QCOMPARE(a.LeggiScheda(2).LeggiCampo(Campo::Nome), QStringLiteral("R2"));
        else if (op == QLatin1String("read block"))
            QCOMPARE(a.LeggiSchede(1, 2).at(1).LeggiCampo(Campo::Nome), QStringLiteral("R2"));
        else if (op == QLatin1String("write"))
            a.ScriviScheda(1, scheda(QStringLiteral("Nuova")));
        else
            QCOMPARE(a.AccodaScheda(scheda(QStringLiteral("Nuova"))), 3);
    };

    OtherWorkstationLock altra(file, exclusive);
    QVERIFY(altra.held());
    if (waits) {
        QVERIFY_THROWS_ARCHIVIO(esegui());
        QCOMPARE(avvisi, QStringList({QStringLiteral("inizio"), QStringLiteral("fine")}));
    } else {
        esegui();
        QVERIFY(avvisi.isEmpty());
    }
    QCOMPARE(leggiFile(file), prima);

    altra.release();
    avvisi.clear();
    esegui();
    QVERIFY(avvisi.isEmpty());
    a.ChiudiArchivio();
    if (op == QLatin1String("write") || op == QLatin1String("append"))
        QVERIFY(nomi(leggiFile(file)).contains(QStringLiteral("Nuova")));
}

void TestArchive::journalOnlyWhileWriting_data()
{
    QTest::addColumn<bool>("accoda");
    QTest::addColumn<int>("coda"); // stray bytes after the last record
    QTest::newRow("overwrite") << false << 0;
    QTest::newRow("append") << true << 0;
    QTest::newRow("append over a partial record") << true << 1000;
}

// Each step of a write leaves the files as its name says: the journal whole
// before the archive is touched, gone once the write returns.
void TestArchive::journalOnlyWhileWriting()
{
    QFETCH(bool, accoda);
    QFETCH(int, coda);
    const QString file = percorso(QStringLiteral("Passi.dbm"));
    const QByteArray prima = archivio(3, coda);
    QVERIFY(scriviFile(file, prima));
    const QByteArray dopo = accoda ? prima.left(3 * kDim) + nuova().Byte()
                                   : QByteArray(prima).replace(kDim, kDim, nuova().Byte());
    const qsizetype diario = lunghezzaDiario(file, accoda ? coda : kDim);

    using Passo = TArchivio::WriteStep;
    QList<int> passi;
    QStringList guasti;
    const WriteStops ascolto([&](Passo passo) -> std::optional<qint64> {
        passi << int(passo);
        const qint64 dimensione = QFileInfo(diarioDi(file)).size();
        const QByteArray archivioOra = leggiFile(file);
        const bool diarioCompleto = QFileInfo::exists(diarioDi(file)) && dimensione == diario;
        switch (passo) {
        case Passo::JournalPartlyWritten:
            if (!QFileInfo::exists(diarioDi(file)) || archivioOra != prima)
                guasti << QStringLiteral("journal missing or archive touched before it is written");
            break;
        case Passo::JournalWritten:
        case Passo::RecordPartlyWritten:
            if (!diarioCompleto || archivioOra != prima)
                guasti << QStringLiteral("journal not whole or archive touched at step %1").arg(int(passo));
            break;
        case Passo::RecordWritten:
        case Passo::HistoryPartlyWritten: // asked only of writes with history
        case Passo::HistoryWritten:
        case Passo::JournalNotRemoved:
            if (!diarioCompleto || archivioOra != dopo)
                guasti << QStringLiteral("record not written or journal gone at step %1").arg(int(passo));
            break;
        }
        return std::nullopt;
    });
    TArchivio a;
    a.ApriArchivio(file);
    if (accoda)
        QCOMPARE(a.AccodaScheda(nuova()), 4);
    else
        a.ScriviScheda(2, nuova());
    QCOMPARE(guasti, QStringList());
    QCOMPARE(passi,
             (QList<int>{int(Passo::JournalPartlyWritten), int(Passo::JournalWritten), int(Passo::RecordPartlyWritten),
                         int(Passo::RecordWritten), int(Passo::JournalNotRemoved)}));
    QVERIFY(!QFileInfo::exists(diarioDi(file)));
    QCOMPARE(leggiFile(file), dopo);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Passi.dbm")});
}

void TestArchive::crashPoints_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("passo");
    QTest::addColumn<bool>("nuovaAttesa");
    QTest::addColumn<QString>("poi"); // what happens before the archive is opened again

    using Passo = TArchivio::WriteStep;
    const std::pair<Passo, const char*> passi[] = {
        {Passo::JournalPartlyWritten, "journal half written"}, {Passo::JournalWritten, "journal written"},
        {Passo::RecordPartlyWritten, "record half written"},   {Passo::RecordWritten, "record written"},
        {Passo::JournalNotRemoved, "journal not yet removed"},
    };
    const char* poi[] = {"", "opened while another workstation reads", "an older program saves card 2",
                         "an older program appends a card"};
    for (const char* dopo : poi) {
        const QString suffisso = *dopo ? QStringLiteral(", then %1").arg(QLatin1String(dopo)) : QString();
        for (const char* op : {"overwrite", "append", "append over a partial record"})
            for (const auto& [passo, nome] : passi)
                QTest::addRow("%s, %s%s", op, nome, qPrintable(suffisso))
                    << QString::fromLatin1(op) << int(passo) << (passo >= Passo::RecordWritten)
                    << QString::fromLatin1(dopo);
        // FAT and exFAT grow the file, zero-filled, before its bytes arrive.
        QTest::addRow("append, file grown with zeros%s", qPrintable(suffisso))
            << QStringLiteral("append grown with zeros") << int(Passo::RecordPartlyWritten) << false
            << QString::fromLatin1(dopo);
        // A batch's cards are not in its journal: a card that a program
        // knowing nothing of journals appends over a cut batch cannot be told
        // from the batch's own, and goes back with them.
        if (QLatin1String(dopo).contains(QLatin1String("appends")))
            continue;
        // A batch is stored only once its journal is gone: it goes back
        // from every step.
        for (const char* op : {"batch", "batch over a partial record"})
            for (const auto& [passo, nome] : passi)
                QTest::addRow("%s, %s%s", op, nome, qPrintable(suffisso))
                    << QString::fromLatin1(op) << int(passo) << false << QString::fromLatin1(dopo);
        QTest::addRow("batch, file grown with zeros%s", qPrintable(suffisso))
            << QStringLiteral("batch grown with zeros") << int(Passo::RecordPartlyWritten) << false
            << QString::fromLatin1(dopo);
    }
}

// A write cut after any of its steps, then the archive opened again: the
// card is wholly the old one or wholly the new one (new once the record is
// all in the archive), every other byte as it was, the journal gone. When
// the opening cannot have the lock to put it right, reads see it so all the
// same, and the next write puts it right first. A program that knows
// nothing of journals may write in between: where it wrote over what the
// cut write touched, its write stands and the journal is set aside.
void TestArchive::crashPoints()
{
    QFETCH(QString, op);
    QFETCH(int, passo);
    QFETCH(bool, nuovaAttesa);
    QFETCH(QString, poi);
    using Passo = TArchivio::WriteStep;
    const bool inLotto = op.startsWith(QLatin1String("batch"));
    const bool accoda = op.startsWith(QLatin1String("append")) || inLotto;
    const int coda = op.contains(QLatin1String("partial")) ? 1000 : 0;

    const QString file = percorso(QStringLiteral("Interrotto.dbm"));
    const QByteArray prima = archivio(3, coda);
    QVERIFY(scriviFile(file, prima));
    const QByteArray dopo = inLotto  ? prima.left(3 * kDim) + byteDi(lotto())
                            : accoda ? prima.left(3 * kDim) + nuova().Byte()
                                     : QByteArray(prima).replace(kDim, kDim, nuova().Byte());
    // A batch's journal holds no new card.
    const qint64 diario = lunghezzaDiario(file, accoda ? coda : kDim) - (inLotto ? kDim : 0);

    bool interrotta = false;
    {
        int schede = 0;
        const WriteStops taglio([&](Passo a) -> std::optional<qint64> {
            if (int(a) != passo)
                return std::nullopt;
            // A batch is cut inside its second card.
            if (inLotto && a == Passo::RecordPartlyWritten && ++schede < 2)
                return std::nullopt;
            // By name: a descriptor of the archive closed here would drop the write's lock.
            if (op.contains(QLatin1String("zeros"))
                && truncate(QFile::encodeName(file).constData(), (inLotto ? 5 : 4) * kDim) != 0)
                return std::nullopt;
            return a == Passo::JournalPartlyWritten ? diario / 2 : kDim / 2;
        });
        TArchivio a;
        a.ApriArchivio(file);
        try {
            if (inLotto)
                accodaLotto(a);
            else if (accoda)
                a.AccodaScheda(nuova());
            else
                a.ScriviScheda(2, nuova());
        } catch (const TArchivio::WriteInterrupted&) {
            interrotta = true;
        }
    }
    QVERIFY(interrotta);
    QVERIFY(QFileInfo::exists(diarioDi(file)));
    if (passo == int(Passo::RecordPartlyWritten)) {
        // What the journal is for: the card as the cut left it is neither.
        QVERIFY(leggiFile(file) != prima);
        QVERIFY(leggiFile(file) != dopo);
    }
    const QByteArray rimesso = nuovaAttesa ? dopo : prima; // the archive put right

    if (poi.startsWith(QLatin1String("an older program"))) {
        const bool salva = poi.contains(QLatin1String("saves"));
        const QByteArray altra = scheda(QStringLiteral("Vecchio programma")).Byte();
        const qint64 dove = salva ? kDim : QFileInfo(file).size() / kDim * kDim;
        QVERIFY(scriveUnAltroProgramma(file, dove, altra));
        const QByteArray lasciato = leggiFile(file);
        // Only where it wrote over what the cut write touched is the journal
        // no longer this archive's.
        const bool sopraIlTaglio = salva != accoda;
        QByteArray atteso = lasciato;
        if (!sopraIlTaglio) {
            atteso = rimesso;
            atteso.resize(std::max<qsizetype>(atteso.size(), dove + kDim));
            atteso.replace(dove, kDim, altra);
        }
        TArchivio b;
        b.ApriArchivio(file);
        QVERIFY(!QFileInfo::exists(diarioDi(file)));
        QCOMPARE(leggiFile(file), atteso);
        // A journal cut while it was being written is only removed.
        const bool messo = sopraIlTaglio && passo != int(Passo::JournalPartlyWritten);
        QCOMPARE(QFileInfo::exists(messoDaParte(file)), messo);
        return;
    }

    TArchivio b;
    if (poi.isEmpty()) {
        b.ApriArchivio(file);
        QVERIFY(!QFileInfo::exists(diarioDi(file)));
        QCOMPARE(leggiFile(file), rimesso);
    } else {
        OtherWorkstationLock lettore(file, false);
        QVERIFY(lettore.held());
        b.ApriArchivio(file);
        QVERIFY(QFileInfo::exists(diarioDi(file)));
        const qint32 conta = b.ContaSchede();
        QCOMPARE(conta, nuovaAttesa && accoda ? 4 : 3);
        QCOMPARE(b.LeggiScheda(2).Byte(), rimesso.mid(kDim, kDim));
        QByteArray lette;
        for (const TScheda& s : b.LeggiSchede(1, conta))
            lette += s.Byte();
        QCOMPARE(lette, rimesso.left(conta * kDim));
    }
    QCOMPARE(b.ContaSchede(), nuovaAttesa && accoda ? 4 : 3);
    // And the write, done again, gives what it would have given.
    if (inLotto)
        QCOMPARE(accodaLotto(b).primo, 4);
    else if (accoda && !nuovaAttesa)
        QCOMPARE(b.AccodaScheda(nuova()), 4);
    else if (!nuovaAttesa || !poi.isEmpty())
        b.ScriviScheda(accoda ? 4 : 2, nuova());
    QCOMPARE(leggiFile(file), dopo);
    QVERIFY(!QFileInfo::exists(diarioDi(file)));
    QVERIFY(!QFileInfo::exists(messoDaParte(file)));
}

void TestArchive::batchFailures_data()
{
    QTest::addColumn<qint64>("limite");  // file size limit of this process, 0 for none
    QTest::addColumn<int>("svuotature"); // the archive's flushes that fail
    QTest::addColumn<bool>("chiusa");    // the folder turns read-only once the cards are flushed
    QTest::addColumn<bool>("resta");     // the journal stays for the next opening

    QTest::newRow("disk full inside the batch") << qint64(3 * kDim + 5000) << 0 << false << false;
    QTest::newRow("the batch's flush fails") << qint64(0) << 1 << false << false;
    // The cards may be in the cache: they are taken off and the archive
    // flushed again; when that fails too, the next opening does it.
    QTest::newRow("the batch's flush fails, then the put-back's") << qint64(0) << 2 << false << true;
    // Whoever finds the journal takes the batch back, so a batch whose
    // journal stays is not stored.
    QTest::newRow("its journal cannot be removed") << qint64(0) << 0 << true << true;
}

// A batch that fails anywhere fails with the access message and leaves the
// archive as it was, whatever the failure left for the next opening.
void TestArchive::batchFailures()
{
    QFETCH(qint64, limite);
    QFETCH(int, svuotature);
    QFETCH(bool, chiusa);
    QFETCH(bool, resta);

    const QString cartella = percorso(QStringLiteral("Lotto"));
    QVERIFY(QDir().mkpath(cartella));
    const QString file = cartella + QStringLiteral("/Lotto.dbm");
    const QByteArray prima = archivio(3, 100);
    QVERIFY(scriviFile(file, prima));
    const QFile::Permissions permessi = QFile::permissions(cartella);
    {
        const ObeyFilePermissions obbedisci;
        QVERIFY(obbedisci.holds());
        std::optional<FileSizeLimit> pieno;
        if (limite > 0)
            pieno.emplace(rlim_t(limite));
        const FlushFails guasto(svuotature);
        const WriteStops chiudi([&](TArchivio::WriteStep passo) -> std::optional<qint64> {
            if (chiusa && passo == TArchivio::WriteStep::JournalNotRemoved)
                QFile::setPermissions(cartella, QFile::ReadOwner | QFile::ExeOwner);
            return std::nullopt;
        });
        if (chiusa)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not be removed")));
        TArchivio a;
        a.ApriArchivio(file);
        QVERIFY_THROWS_ARCHIVIO(accodaLotto(a));
        QCOMPARE(leggiFile(file), prima);
        QCOMPARE(a.ContaSchede(), 3);
    }
    QVERIFY(QFile::setPermissions(cartella, permessi));
    QCOMPARE(QFileInfo::exists(diarioDi(file)), resta);
    TArchivio b;
    b.ApriArchivio(file);
    QVERIFY(!QFileInfo::exists(diarioDi(file)));
    QCOMPARE(leggiFile(file), prima);
}

void TestArchive::batchUndoCut_data()
{
    QTest::addColumn<int>("passo");
    QTest::addColumn<bool>("annullato"); // the batch is gone after the next opening
    using Passo = TArchivio::WriteStep;
    QTest::newRow("journal half written") << int(Passo::JournalPartlyWritten) << false;
    QTest::newRow("journal written") << int(Passo::JournalWritten) << true;
    QTest::newRow("cards taken off, not flushed") << int(Passo::RecordWritten) << true;
    QTest::newRow("journal not yet removed") << int(Passo::JournalNotRemoved) << true;
}

// Taking a batch back writes the journal of that batch first, so that a cut
// of the undo is finished by the next opening, or had not begun.
void TestArchive::batchUndoCut()
{
    QFETCH(int, passo);
    QFETCH(bool, annullato);
    const QString file = percorso(QStringLiteral("Annullo.dbm"));
    const QByteArray prima = archivio(3, 100);
    QVERIFY(scriviFile(file, prima));
    const QByteArray dopo = prima.left(3 * kDim) + byteDi(lotto());
    TArchivio a;
    a.ApriArchivio(file);
    const TArchivio::Accodamento accodamento = accodaLotto(a);
    QCOMPARE(accodamento.primo, 4);
    QCOMPARE(accodamento.quante, 3);
    QCOMPARE(leggiFile(file), dopo);
    {
        const WriteStops taglio(TArchivio::WriteStep(passo), 10);
        QVERIFY_THROWS_EXCEPTION(TArchivio::WriteInterrupted, a.AnnullaAccodamento(accodamento));
    }
    a.ChiudiArchivio();
    TArchivio b;
    b.ApriArchivio(file);
    QVERIFY(!QFileInfo::exists(diarioDi(file)));
    QCOMPARE(leggiFile(file), annullato ? prima : dopo);
    // Not taken back twice; an undo that had not begun can still be done.
    QCOMPARE(b.AnnullaAccodamento(accodamento), !annullato);
    QCOMPARE(leggiFile(file), prima);
}

void TestArchive::damagedJournal_data()
{
    QTest::addColumn<QString>("danno");
    QTest::addColumn<bool>("ripara");
    QTest::addColumn<bool>("messo"); // set aside rather than removed
    QTest::newRow("whole: puts the card back") << QString() << true << false;
    QTest::newRow("bad mark") << QStringLiteral("mark") << false << false;
    QTest::newRow("bad checksum") << QStringLiteral("checksum") << false << false;
    QTest::newRow("cut short") << QStringLiteral("short") << false << false;
    QTest::newRow("only its header") << QStringLiteral("header") << false << false;
    QTest::newRow("empty") << QStringLiteral("empty") << false << false;
    QTest::newRow("another archive's") << QStringLiteral("other") << false << true;
    QTest::newRow("longer than any journal") << QStringLiteral("long") << false << true;
    QTest::newRow("a copy's, same cards under another name") << QStringLiteral("copy") << false << true;
    QTest::newRow("another folder's archive of the same name and size") << QStringLiteral("same name") << false << true;
    QTest::newRow("another version") << QStringLiteral("version") << false << true;
    QTest::newRow("the layout before versions") << QStringLiteral("first layout") << false << true;
    QTest::newRow("a batch's, whole: takes the batch back") << QStringLiteral("batch") << true << false;
    QTest::newRow("a batch of another archive's") << QStringLiteral("batch other") << false << true;
    QTest::newRow("a batch's, the archive shorter than before") << QStringLiteral("batch shorter") << false << true;
}

// A journal that is not whole was cut before the archive was touched: it is
// removed. A whole one that is not this archive's, or that this program
// cannot judge, is set aside untouched. Either way the archive is left
// exactly as it is, torn card included.
void TestArchive::damagedJournal()
{
    QFETCH(QString, danno);
    QFETCH(bool, ripara);
    QFETCH(bool, messo);

    const QString file = percorso(QStringLiteral("Danni.dbm"));
    const QByteArray prima = archivio(3, 0);
    QVERIFY(scriviFile(file, prima));
    QByteArray diario = diarioLasciato(file);
    QCOMPARE(diario.size(), lunghezzaDiario(file, kDim));
    if (danno == QLatin1String("mark"))
        diario[0] = 'X';
    else if (danno == QLatin1String("checksum"))
        diario[100] = char(diario[100] ^ 0x01);
    else if (danno == QLatin1String("short"))
        diario.chop(1);
    else if (danno == QLatin1String("header"))
        diario.truncate(28);
    else if (danno == QLatin1String("empty"))
        diario.clear();
    else if (danno == QLatin1String("long"))
        diario += QByteArray(kDim, 'x');
    else if (danno == QLatin1String("version")) {
        diario[8] = char(3);
        diario = diario.chopped(4) + piccoloEndian(crc32(diario.chopped(4)), 4);
    } else if (danno == QLatin1String("first layout")) {
        // Mark, size before, number, old bytes' count, the new record's CRC,
        // the old bytes, the CRC of all before.
        diario = QByteArrayLiteral("MINIJRNL") + piccoloEndian(3 * kDim, 8) + piccoloEndian(2, 4)
                 + piccoloEndian(kDim, 4) + piccoloEndian(crc32(nuova().Byte()), 4) + prima.mid(kDim, kDim);
        diario += piccoloEndian(crc32(diario), 4);
    } else if (danno == QLatin1String("other")) {
        const QString altro = percorso(QStringLiteral("Altro.dbm"));
        QVERIFY(scriviFile(altro, archivio(5, 0)));
        diario = diarioLasciato(altro);
    } else if (danno == QLatin1String("copy")) {
        const QString copia = percorso(QStringLiteral("Copia.dbm"));
        QVERIFY(scriviFile(copia, prima));
        diario = diarioLasciato(copia);
    } else if (danno == QLatin1String("batch") || danno == QLatin1String("batch shorter")) {
        diario = diarioLasciatoDaUnLotto(file);
    } else if (danno == QLatin1String("batch other")) {
        const QString altro = percorso(QStringLiteral("Altro.dbm"));
        QVERIFY(scriviFile(altro, prima));
        diario = diarioLasciatoDaUnLotto(altro);
    } else if (danno == QLatin1String("same name")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("altrove")));
        const QString omonimo = percorso(QStringLiteral("altrove/Danni.dbm"));
        QByteArray altre;
        for (int i = 1; i <= 3; ++i) {
            TScheda s = scheda(QStringLiteral("R%1").arg(i));
            s.ScriviCampo(Campo::Desc03, QStringLiteral("altrove"));
            altre += s.Byte();
        }
        QVERIFY(scriviFile(omonimo, altre));
        diario = diarioLasciato(omonimo);
    }
    // As a cut leaves it: a card torn, or a batch cut inside its second card.
    QByteArray guasto = strappato(prima);
    if (danno.startsWith(QLatin1String("batch")))
        guasto = prima + byteDi(lotto()).left(kDim * 3 / 2);
    if (danno == QLatin1String("batch shorter"))
        guasto = prima.left(2 * kDim + kDim / 2);
    QVERIFY(scriviFile(file, guasto));
    QVERIFY(scriviFile(diarioDi(file), diario));

    TArchivio a;
    a.ApriArchivio(file);
    QVERIFY(!QFileInfo::exists(diarioDi(file)));
    QCOMPARE(leggiFile(file), ripara ? prima : guasto);
    QCOMPARE(QFileInfo::exists(messoDaParte(file)), messo);
    if (messo)
        QCOMPARE(leggiFile(messoDaParte(file)), diario);
}

void TestArchive::leftoverJournalReadOnly_data()
{
    QTest::addColumn<bool>("archivioBloccato");
    QTest::newRow("read-only archive") << true;
    QTest::newRow("read-only folder") << false;
}

// A leftover journal where nothing may be written: the archive opens as it
// always has (a read-only archive not at all), reads see the card as it was
// before the cut write, both files stay as they are, and a write fails
// before it touches anything.
void TestArchive::leftoverJournalReadOnly()
{
    QFETCH(bool, archivioBloccato);
    const QString cartella = percorso(QStringLiteral("Chiusa"));
    QVERIFY(QDir().mkpath(cartella));
    const QString file = cartella + QStringLiteral("/Chiuso.dbm");
    const QByteArray prima = archivio(3, 0);
    QVERIFY(scriviFile(file, prima));
    const QByteArray diario = diarioLasciato(file);
    QVERIFY(scriviFile(file, strappato(prima)));
    QVERIFY(scriviFile(diarioDi(file), diario));
    const QString bloccato = archivioBloccato ? file : cartella;
    const QFile::Permissions permessi = QFile::permissions(bloccato);
    QVERIFY(QFile::setPermissions(bloccato, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ReadOther));

    {
        const ObeyFilePermissions obbedisci;
        QVERIFY(obbedisci.holds());
        TArchivio a;
        if (archivioBloccato) {
            QVERIFY_THROWS_ARCHIVIO(a.ApriArchivio(file));
        } else {
            a.ApriArchivio(file);
            QCOMPARE(a.ContaSchede(), 3);
            QCOMPARE(a.LeggiScheda(2).Byte(), prima.mid(kDim, kDim));
            QVERIFY_THROWS_ARCHIVIO(a.ScriviScheda(2, scheda(QStringLiteral("Altra"))));
            QVERIFY_THROWS_ARCHIVIO(a.AccodaScheda(scheda(QStringLiteral("Altra"))));
        }
    }
    QVERIFY(QFile::setPermissions(bloccato, permessi));
    QCOMPARE(leggiFile(file), strappato(prima));
    QCOMPARE(leggiFile(diarioDi(file)), diario);
}

void TestArchive::journalCannotBeWritten_data()
{
    QTest::addColumn<QString>("ostacolo");
    QTest::addColumn<bool>("accoda");
    QTest::addColumn<int>("numero");     // the record overwritten
    QTest::addColumn<qint64>("limite");  // file size limit of this process, 0 for none
    QTest::addColumn<int>("svuotature"); // the archive's flushes that fail
    QTest::addColumn<bool>("resta");     // the journal stays for the next opening

    QTest::newRow("read-only folder, overwrite") << QStringLiteral("folder") << false << 2 << qint64(0) << 0 << false;
    QTest::newRow("read-only folder, append") << QStringLiteral("folder") << true << 0 << qint64(0) << 0 << false;
    QTest::newRow("a folder in its place") << QStringLiteral("name taken") << false << 2 << qint64(0) << 0 << false;
    // The limit cuts the journal; without it, record 1 would be cut instead.
    QTest::newRow("disk full inside the journal") << QString() << false << 1 << qint64(2000) << 0 << false;
    // The journal fits, the record does not; nor, for the same reason, does
    // the old card put back, so the next opening does that.
    QTest::newRow("disk full inside the record") << QString() << false << 3 << qint64(8000) << 0 << true;
    QTest::newRow("disk full inside the appended record") << QString() << true << 0 << qint64(12000) << 0 << false;
    // The new card may be in the cache and not on the disk: the old one goes
    // back and is flushed.
    QTest::newRow("the record's flush fails") << QString() << false << 2 << qint64(0) << 1 << false;
    QTest::newRow("the appended record's flush fails") << QString() << true << 0 << qint64(0) << 1 << false;
    QTest::newRow("the record's flush fails, then the old card's") << QString() << false << 2 << qint64(0) << 2 << true;
}

// When the journal cannot be written, or the write fails after it, the save
// fails with the access message and the archive is as it was, with no
// journal left behind (unless one was there already, or the old card could
// not be made sure on the disk: then the next opening puts it back).
void TestArchive::journalCannotBeWritten()
{
    QFETCH(QString, ostacolo);
    QFETCH(bool, accoda);
    QFETCH(int, numero);
    QFETCH(qint64, limite);
    QFETCH(int, svuotature);
    QFETCH(bool, resta);

    const QString cartella = percorso(QStringLiteral("Scrittura"));
    QVERIFY(QDir().mkpath(cartella));
    const QString file = cartella + QStringLiteral("/Pieno.dbm");
    const QByteArray prima = archivio(3, 0);
    QVERIFY(scriviFile(file, prima));
    if (ostacolo == QLatin1String("name taken"))
        QVERIFY(QDir().mkpath(diarioDi(file)));
    const QFile::Permissions permessi = QFile::permissions(cartella);
    if (ostacolo == QLatin1String("folder"))
        QVERIFY(
            QFile::setPermissions(cartella, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ReadOther));

    {
        const ObeyFilePermissions obbedisci;
        QVERIFY(obbedisci.holds());
        std::optional<FileSizeLimit> pieno;
        if (limite > 0)
            pieno.emplace(rlim_t(limite));
        const FlushFails guasto(svuotature);
        TArchivio a;
        a.ApriArchivio(file);
        if (accoda)
            QVERIFY_THROWS_ARCHIVIO(a.AccodaScheda(nuova()));
        else
            QVERIFY_THROWS_ARCHIVIO(a.ScriviScheda(numero, nuova()));
        // What any reader sees now, through the cache.
        QCOMPARE(leggiFile(file), prima);
    }
    QVERIFY(QFile::setPermissions(cartella, permessi));
    if (ostacolo == QLatin1String("name taken"))
        QVERIFY(QFileInfo(diarioDi(file)).isDir());
    else
        QCOMPARE(QFileInfo::exists(diarioDi(file)), resta);
    if (resta) {
        TArchivio b;
        b.ApriArchivio(file);
    }
    QCOMPARE(leggiFile(file), prima);
    if (ostacolo != QLatin1String("name taken"))
        QVERIFY(!QFileInfo::exists(diarioDi(file)));
}

void TestArchive::journalNotRemovable_data()
{
    QTest::addColumn<bool>("accoda");
    QTest::newRow("overwrite") << false;
    QTest::newRow("append") << true;
}

// Once the record is flushed the write is done: a journal that cannot be
// removed then does not make the save fail (the sheet would take the card
// for a new one and append it again). The next opening finds the new card
// whole and only removes the journal.
void TestArchive::journalNotRemovable()
{
    QFETCH(bool, accoda);
    const QString cartella = percorso(QStringLiteral("Chiusa dopo"));
    QVERIFY(QDir().mkpath(cartella));
    const QString file = cartella + QStringLiteral("/Salvato.dbm");
    const QByteArray prima = archivio(3, 0);
    QVERIFY(scriviFile(file, prima));
    const QByteArray dopo = accoda ? prima + nuova().Byte() : QByteArray(prima).replace(kDim, kDim, nuova().Byte());
    const QFile::Permissions permessi = QFile::permissions(cartella);
    {
        const ObeyFilePermissions obbedisci;
        QVERIFY(obbedisci.holds());
        const WriteStops chiudi([&](TArchivio::WriteStep passo) -> std::optional<qint64> {
            if (passo == TArchivio::WriteStep::JournalNotRemoved)
                QFile::setPermissions(cartella, QFile::ReadOwner | QFile::ExeOwner);
            return std::nullopt;
        });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not be removed")));
        TArchivio a;
        a.ApriArchivio(file);
        if (accoda)
            QCOMPARE(a.AccodaScheda(nuova()), 4);
        else
            a.ScriviScheda(2, nuova());
    }
    QVERIFY(QFile::setPermissions(cartella, permessi));
    QVERIFY(QFileInfo::exists(diarioDi(file)));
    QCOMPARE(leggiFile(file), dopo);

    TArchivio b;
    b.ApriArchivio(file);
    QVERIFY(!QFileInfo::exists(diarioDi(file)));
    QCOMPARE(leggiFile(file), dopo);
    QCOMPARE(b.ContaSchede(), accoda ? 4 : 3);
}

void TestArchive::notAJournal_data()
{
    QTest::addColumn<QString>("cosa");
    QTest::newRow("FIFO") << QStringLiteral("fifo");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("link to a whole journal") << QStringLiteral("link");
    QTest::newRow("link to nothing") << QStringLiteral("dangling");
}

// Anything but a regular file at the journal's path is not a journal of
// ours: opening does not wait on it, reads see the archive as it is, writes
// fail with the access message and say why on standard error, and the thing
// itself is neither read nor removed.
void TestArchive::notAJournal()
{
    QFETCH(QString, cosa);
    const QString file = percorso(QStringLiteral("Bloccato.dbm"));
    const QByteArray prima = archivio(3, 0);
    QVERIFY(scriviFile(file, prima));
    const QByteArray diario = diarioLasciato(file);
    QVERIFY(scriviFile(file, strappato(prima)));
    const QByteArray nome = QFile::encodeName(diarioDi(file));
    if (cosa == QLatin1String("fifo"))
        QCOMPARE(mkfifo(nome.constData(), 0666), 0);
    else if (cosa == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(diarioDi(file)));
    else if (cosa == QLatin1String("link")) {
        QVERIFY(scriviFile(percorso(QStringLiteral("altrove")), diario));
        QVERIFY(QFile::link(percorso(QStringLiteral("altrove")), diarioDi(file)));
    } else {
        QVERIFY(QFile::link(percorso(QStringLiteral("nessuno")), diarioDi(file)));
    }
    struct stat prime {};
    QCOMPARE(lstat(nome.constData(), &prime), 0);

    // Should the opening wait on the FIFO after all, a writer lets it go, so
    // that the test fails rather than hangs.
    std::promise<void> finito;
    std::atomic<bool> sbloccato{false};
    std::thread soccorso([&, fatto = finito.get_future()] {
        if (cosa == QLatin1String("fifo") && fatto.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            sbloccato = true;
            const int fd = ::open(nome.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    });
    {
        // The opening tells it too, trying to deal with it.
        for (int i = 0; i < 3; ++i)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("is not a regular file")));
        TArchivio a;
        a.ApriArchivio(file);
        finito.set_value();
        soccorso.join();
        QVERIFY2(!sbloccato, "the opening waited on the FIFO");
        QCOMPARE(a.ContaSchede(), 3);
        QCOMPARE(a.LeggiScheda(2).Byte(), strappato(prima).mid(kDim, kDim));
        QVERIFY_THROWS_ARCHIVIO(a.ScriviScheda(2, nuova()));
        QVERIFY_THROWS_ARCHIVIO(a.AccodaScheda(nuova()));
    }
    QCOMPARE(leggiFile(file), strappato(prima));
    struct stat dopo {};
    QCOMPARE(lstat(nome.constData(), &dopo), 0);
    QCOMPARE(dopo.st_ino, prime.st_ino);
    QCOMPARE(dopo.st_mode, prime.st_mode);
    if (cosa == QLatin1String("link"))
        QCOMPARE(leggiFile(percorso(QStringLiteral("altrove"))), diario);
    QVERIFY(!QFileInfo::exists(messoDaParte(file)));
}

void TestArchive::journalName_data()
{
    QTest::addColumn<QString>("nome");
    QTest::addColumn<bool>("tagliato");
    QTest::newRow("plain") << QStringLiteral("Navi.dbm") << false;
    // Two-byte letters: the path stays within its 259 characters.
    QTest::newRow("247 bytes: the journal's name just fits")
        << QString(121, QChar(0xE0)) + QStringLiteral("x.dbm") << false;
    QTest::newRow("248 bytes") << QString(122, QChar(0xE0)) + QStringLiteral(".dbm") << true;
    QTest::newRow("255 bytes") << QString(125, QChar(0xE0)) + QStringLiteral("x.dbm") << true;
}

// The journal sits beside its archive; a name too long to take "-journal"
// is cut to a name of its own, still in the folder, that the catalogue's
// pattern does not take for an archive. Writes work either way.
void TestArchive::journalName()
{
    QFETCH(QString, nome);
    QFETCH(bool, tagliato);
    const QString file = percorso(nome);
    const QString diario = diarioDi(file);
    QCOMPARE(QFileInfo(diario).absolutePath(), QFileInfo(file).absolutePath());
    QVERIFY(diario.endsWith(QLatin1String("-journal")));
    QCOMPARE(diario == file + QStringLiteral("-journal"), !tagliato);
    QVERIFY(QFile::encodeName(QFileInfo(diario).fileName()).size() <= 255);
    QVERIFY(!QDir::match(QStringLiteral("*.dbm"), QFileInfo(diario).fileName()));
    // Another name cut to the same start gets a journal of its own.
    QString sorella = nome;
    sorella[sorella.size() - 5] = QLatin1Char('y');
    QVERIFY(diarioDi(percorso(sorella)) != diario);

    QVERIFY(scriviFile(file, archivio(2, 0)));
    {
        const WriteStops taglio(TArchivio::WriteStep::JournalNotRemoved, 0);
        TArchivio a;
        a.ApriArchivio(file);
        QVERIFY_THROWS_EXCEPTION(TArchivio::WriteInterrupted, a.ScriviScheda(1, nuova()));
    }
    QVERIFY(QFileInfo::exists(diario));
    TArchivio a;
    a.ApriArchivio(file);
    QVERIFY(!QFileInfo::exists(diario));
    QCOMPARE(a.AccodaScheda(nuova()), 3);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{nome});
}

// Two workstations save and append at once while a third keeps opening the
// archive to read it: every journal belongs to a write in progress, so none
// is put back and nothing is lost.
void TestArchive::concurrentSavesWithJournal()
{
    constexpr int quante = 60;
    const QString file = percorso(QStringLiteral("Condiviso.dbm"));
    QVERIFY(scriviFile(file, scheda(QStringLiteral("Prima")).Byte()));

    const char* prefissi[2] = {"A", "B"};
    std::map<QString, int> numeri;
    QList<QStringList> args;
    for (const char* p : prefissi)
        args.append({QStringLiteral("--saver"), file, QLatin1String(p), QString::number(quante)});
    args.append({QStringLiteral("--reader"), file, QString::number(4 * quante)});
    runWorkstations(args, numeri);
    if (QTest::currentTestFailed())
        return;

    QVERIFY(!QFileInfo::exists(diarioDi(file)));
    const QByteArray finale = leggiFile(file);
    QCOMPARE(finale.size(), qsizetype(1 + 2 * quante) * kDim);
    const QStringList tutte = nomi(finale);
    for (const char* p : prefissi) {
        for (int i = 0; i < quante; ++i) {
            const QString nome = QStringLiteral("%1-%2").arg(QLatin1String(p)).arg(i);
            QCOMPARE(tutte.count(nome), 1 + (tutte.first() == nome ? 1 : 0));
            QCOMPARE(tutte.lastIndexOf(nome) + 1, numeri[nome]);
        }
    }
    // The last save of either one.
    QVERIFY(tutte.first() == QStringLiteral("A-%1").arg(quante - 1)
            || tutte.first() == QStringLiteral("B-%1").arg(quante - 1));
    for (qsizetype p = 0; p < finale.size(); p += kDim)
        QCOMPARE(finale.mid(p, kDim), scheda(tutte[p / kDim]).Byte()); // whole cards only
}

int main(int argc, char** argv)
{
    // The children write back to back: a lock that is let go for a moment
    // between two actions is seldom caught by the other one's polling, which
    // may then wait for a whole run of the other's writes. What they test is
    // that nothing is lost, not how long a wait lasts.
    if (argc >= 2
        && (std::strcmp(argv[1], "--writer") == 0 || std::strcmp(argv[1], "--saver") == 0
            || std::strcmp(argv[1], "--reader") == 0))
        TArchivio::ImpostaAttesaBlocco(std::chrono::minutes(2));
    if (argc == 5 && std::strcmp(argv[1], "--saver") == 0)
        return salvatore(argv[2], argv[3], std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "--reader") == 0)
        return lettore(argv[2], std::atoi(argv[3]));
    if (argc == 5 && std::strcmp(argv[1], "--writer") == 0)
        return scrittore(argv[2], argv[3], std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "--op") == 0)
        return operazione(argv[2], argv[3]);
    QCoreApplication app(argc, argv);
    TestArchive test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_archive.moc"
