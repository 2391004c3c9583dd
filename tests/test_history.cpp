// The card history beside an archive: what a save keeps, restoring it, what
// a cut leaves, the bounds, damage and failures, and two workstations.
#include "core/history/CardHistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "ArchiveFixtures.h"
#include "FilePermissions.h"
#include "FileSizeLimit.h"
#include "core/archive/Archivio.h"

#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kDim = TScheda::Dimensione;
using Kind = CardHistory::Kind;

TScheda card(const QString& name, int fill = 0)
{
    TScheda s;
    s.ScriviCampo(Campo::Nome, name);
    s.ScriviCampo(Campo::Tipologia, QStringLiteral("Nave"));
    if (fill > 0)
        s.ScriviCampo(Campo::Note, QString(fill, QLatin1Char('n')));
    return s;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Bytes that do not compress: a photo file as far as the history can tell.
QByteArray photoBytes(int size, quint32 seed)
{
    QByteArray b(size, '\0');
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32*>(b.data()), size / 4);
    return b;
}

// A save as the record sheet makes it: the card through the archive with
// its history, then its photo files (absent when empty) written whole.
void save(const QString& archive, qint32 n, const TScheda& record, const QByteArray& a = {}, const QByteArray& b = {})
{
    TArchivio arch;
    arch.ApriArchivio(archive);
    arch.RegistraStoria(Kind::Saved);
    if (n == 0)
        n = arch.AccodaScheda(record);
    else
        arch.ScriviScheda(n, record);
    arch.ChiudiArchivio();
    QDir().mkpath(QFileInfo(archive).absolutePath() + QStringLiteral("/Foto_Modellini"));
    const QByteArray photos[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        const QString path = CardHistory::cardPhotoPath(archive, i == 1, n);
        // A new file each time, as the sheet writes photos.
        QFile::remove(path);
        if (!photos[i].isEmpty())
            QVERIFY(writeAll(path, photos[i]));
    }
}

// An import as the import makes it: `count` new cards in one batch.
TArchivio::Accodamento importCards(const QString& archive, int count)
{
    TArchivio arch;
    arch.ApriArchivio(archive);
    arch.RegistraStoria(Kind::Added);
    int made = 0;
    return arch.AccodaSchede([&](TScheda& s) {
        if (made == count)
            return false;
        ++made;
        s = card(QStringLiteral("Importata %1").arg(made), 40 * made);
        return true;
    });
}

bool undoImport(const QString& archive, const TArchivio::Accodamento& batch)
{
    TArchivio arch;
    arch.ApriArchivio(archive);
    arch.RegistraStoria(Kind::Undone);
    return arch.AnnullaAccodamento(batch);
}

int entryCount(const QString& archive)
{
    return int(CardHistory::allEntries(archive).size());
}

class MinimumLimit {
public:
    explicit MinimumLimit(qint64 bytes) : m_previous(CardHistory::setMinimumLimit(bytes)) {}
    ~MinimumLimit() { CardHistory::setMinimumLimit(m_previous); }
    MinimumLimit(const MinimumLimit&) = delete;
    MinimumLimit& operator=(const MinimumLimit&) = delete;

private:
    qint64 m_previous;
};

// Child process of twoWorkstations: after "go", appends a card and saves it
// `times` times, each in its own action.
int workstation(const char* archive, const char* prefix, int times)
{
    std::string line;
    std::getline(std::cin, line);
    try {
        const QString path = QString::fromLocal8Bit(archive);
        for (int i = 0; i < times; ++i) {
            TArchivio a;
            a.ApriArchivio(path);
            a.RegistraStoria(Kind::Saved);
            const qint32 n = a.AccodaScheda(card(QStringLiteral("%1-%2").arg(QLatin1String(prefix)).arg(i)));
            a.ScriviScheda(1, card(QStringLiteral("%1 saved %2").arg(QLatin1String(prefix)).arg(i)));
            a.ChiudiArchivio();
            std::cout << prefix << '-' << i << ' ' << n << '\n';
        }
    } catch (const EArchivioError&) {
        return 1;
    }
    std::cout.flush();
    return 0;
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT

private slots:
    void init();
    void saveThenRestore_data();
    void saveThenRestore();
    void cutAtEveryStep_data();
    void cutAtEveryStep();
    void cutBatchAtEveryStep_data();
    void cutBatchAtEveryStep();
    void importThenUndo();
    void bounds_data();
    void bounds();
    void damagedHistory_data();
    void damagedHistory();
    void historyCannotBeWritten_data();
    void historyCannotBeWritten();
    void twoWorkstations();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestHistory::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestHistory::saveThenRestore_data()
{
    QTest::addColumn<QByteArray>("photoA");
    QTest::addColumn<QByteArray>("photoB");
    QTest::addColumn<QByteArray>("newA");
    QTest::addColumn<QByteArray>("newB");
    const QByteArray a = photoBytes(40000, 1);
    const QByteArray b = photoBytes(30000, 2);
    QTest::newRow("both photos replaced") << a << b << photoBytes(50000, 3) << photoBytes(20000, 4);
    QTest::newRow("photo B removed") << a << b << a << QByteArray();
    QTest::newRow("photos added to a card without") << QByteArray() << QByteArray() << a << b;
    QTest::newRow("same picture on both sides") << a << a << b << b;
    QTest::newRow("no photos at all") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
}

// A save over the wrong card, then its version put back: the card and its
// photo files byte for byte as they were, and the restore itself undoable.
void TestHistory::saveThenRestore()
{
    QFETCH(QByteArray, photoA);
    QFETCH(QByteArray, photoB);
    QFETCH(QByteArray, newA);
    QFETCH(QByteArray, newB);
    const QString archive = path(QStringLiteral("Navi.dbm"));
    save(archive, 0, card(QStringLiteral("Prima")));
    save(archive, 0, card(QStringLiteral("Amerigo Vespucci"), 40), photoA, photoB);
    const QByteArray before = readAll(archive);
    save(archive, 2, card(QStringLiteral("Sbagliata")), newA, newB);

    const std::vector<CardHistory::TVersion> kept = CardHistory::versions(archive, 2);
    QCOMPARE(kept.size(), size_t(2)); // the save, and the append before it
    QCOMPARE(kept[0].kind, Kind::Saved);
    QCOMPARE(kept[1].kind, Kind::Added);
    QVERIFY(kept[1].record.isEmpty());
    QCOMPARE(kept[0].record, before.mid(kDim, kDim));
    QVERIFY(CardHistory::restore(archive, 2, kept[0]));

    QCOMPARE(readAll(archive), before);
    const QString fileA = CardHistory::cardPhotoPath(archive, false, 2);
    const QString fileB = CardHistory::cardPhotoPath(archive, true, 2);
    QCOMPARE(QFileInfo::exists(fileA), !photoA.isEmpty());
    QCOMPARE(QFileInfo::exists(fileB), !photoB.isEmpty());
    QCOMPARE(readAll(fileA), photoA);
    QCOMPARE(readAll(fileB), photoB);
    // Nothing of the history lies among the photos.
    for (const QString& name : QDir(QFileInfo(fileA).absolutePath()).entryList(QDir::Files))
        QVERIFY2(name.startsWith(QLatin1String("Navi_Foto_")), qPrintable(name));

    // The restore is a save of its own: the wrong card can come back too.
    const std::vector<CardHistory::TVersion> after = CardHistory::versions(archive, 2);
    QCOMPARE(after.size(), size_t(3));
    QCOMPARE(after[0].kind, Kind::Restored);
    QCOMPARE(after[0].record, card(QStringLiteral("Sbagliata")).Byte());
    QVERIFY(CardHistory::restore(archive, 2, after[0]));
    QCOMPARE(recordAt(archive, 2).Byte(), card(QStringLiteral("Sbagliata")).Byte());
    QCOMPARE(readAll(fileA), newA);
    QCOMPARE(readAll(fileB), newB);
    QCOMPARE(CardHistory::versions(archive, 1).size(), size_t(1));
}

void TestHistory::cutAtEveryStep_data()
{
    QTest::addColumn<bool>("append");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("written"); // the card is in the archive after the cut

    using Step = TArchivio::WriteStep;
    const std::pair<Step, const char*> steps[] = {
        {Step::JournalPartlyWritten, "journal half written"},       {Step::JournalWritten, "journal written"},
        {Step::RecordPartlyWritten, "record half written"},         {Step::RecordWritten, "record written"},
        {Step::HistoryPartlyWritten, "history entry half written"}, {Step::HistoryWritten, "history entry written"},
        {Step::JournalNotRemoved, "journal not yet removed"},
    };
    for (const bool append : {false, true})
        for (const auto& [step, name] : steps)
            QTest::addRow("%s, %s", append ? "append" : "overwrite", name)
                << append << int(step) << (step >= Step::RecordWritten);
}

// A write cut after any of its steps, then the archive opened again: the
// history keeps exactly one entry for the write when the card is the new
// one and none when it is the old one; done again, the write adds one.
void TestHistory::cutAtEveryStep()
{
    QFETCH(bool, append);
    QFETCH(int, step);
    QFETCH(bool, written);
    const QString archive = path(QStringLiteral("Cut.dbm"));
    for (int i = 1; i <= 3; ++i)
        save(archive, 0, card(QStringLiteral("R%1").arg(i)), photoBytes(1000, quint32(i)));
    save(archive, 2, card(QStringLiteral("R2 changed")));
    const QByteArray before = readAll(archive);
    const int entriesBefore = entryCount(archive);
    QCOMPARE(entriesBefore, 4);
    const TScheda fresh = card(QStringLiteral("Nuova"), 250);

    bool cut = false;
    {
        const WriteStops stop([&](TArchivio::WriteStep at) -> std::optional<qint64> {
            if (int(at) != step)
                return std::nullopt;
            return at == TArchivio::WriteStep::RecordPartlyWritten ? kDim / 2 : 40;
        });
        TArchivio a;
        a.ApriArchivio(archive);
        a.RegistraStoria(Kind::Saved);
        try {
            if (append)
                a.AccodaScheda(fresh);
            else
                a.ScriviScheda(2, fresh);
        } catch (const TArchivio::WriteInterrupted&) {
            cut = true;
        }
    }
    QVERIFY(cut);

    TArchivio b;
    b.ApriArchivio(archive);
    b.ChiudiArchivio();
    QVERIFY(!QFileInfo::exists(TArchivio::JournalPath(archive)));
    QVERIFY(!QFileInfo::exists(CardHistory::setAsidePath(archive, 1)));
    const QByteArray after = readAll(archive);
    const QByteArray expected = append ? before + fresh.Byte() : QByteArray(before).replace(kDim, kDim, fresh.Byte());
    QCOMPARE(after, written ? expected : before);
    std::vector<CardHistory::TVersion> entries = CardHistory::allEntries(archive);
    QCOMPARE(int(entries.size()), entriesBefore + (written ? 1 : 0));
    if (written) {
        QCOMPARE(entries.back().kind, append ? Kind::Added : Kind::Saved);
        QCOMPARE(entries.back().record, append ? QByteArray() : before.mid(kDim, kDim));
    }

    // Done again: one more entry, whatever the cut left.
    save(archive, append ? 0 : 2, fresh);
    entries = CardHistory::allEntries(archive);
    QCOMPARE(int(entries.size()), entriesBefore + (written ? 2 : 1));
    QCOMPARE(entries.back().record, append ? QByteArray() : (written ? fresh.Byte() : before.mid(kDim, kDim)));
}

void TestHistory::cutBatchAtEveryStep_data()
{
    QTest::addColumn<bool>("undo");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("batchStays"); // the imported cards are in the archive after the cut
    QTest::addColumn<int>("newEntries");  // entries beyond those before the import

    using Step = TArchivio::WriteStep;
    const std::pair<Step, const char*> steps[] = {
        {Step::JournalPartlyWritten, "journal half written"},         {Step::JournalWritten, "journal written"},
        {Step::RecordPartlyWritten, "second card half written"},      {Step::RecordWritten, "cards written"},
        {Step::HistoryPartlyWritten, "history entries half written"}, {Step::HistoryWritten, "history entries written"},
        {Step::JournalNotRemoved, "journal not yet removed"},
    };
    // A cut import is taken back, and its entries with it.
    for (const auto& [step, name] : steps)
        QTest::addRow("import, %s", name) << false << int(step) << false << 0;
    // A cut undo: finished from its journal; its own entries stay once they
    // are whole, otherwise the import leaves the history as if it had never been.
    QTest::newRow("undo, journal half written") << true << int(Step::JournalPartlyWritten) << true << 2;
    QTest::newRow("undo, journal written") << true << int(Step::JournalWritten) << false << 0;
    QTest::newRow("undo, cards taken back") << true << int(Step::RecordWritten) << false << 0;
    QTest::newRow("undo, history entries half written") << true << int(Step::HistoryPartlyWritten) << false << 0;
    QTest::newRow("undo, history entries written") << true << int(Step::HistoryWritten) << false << 4;
    QTest::newRow("undo, journal not yet removed") << true << int(Step::JournalNotRemoved) << false << 4;
}

// An import of two cards, or its undo, cut after any step, then the archive
// opened again: archive and history agree, no entry of a card that is not
// there, none twice, none of a card 0; the next import adds its two.
void TestHistory::cutBatchAtEveryStep()
{
    QFETCH(bool, undo);
    QFETCH(int, step);
    QFETCH(bool, batchStays);
    QFETCH(int, newEntries);
    const QString archive = path(QStringLiteral("CutBatch.dbm"));
    for (int i = 1; i <= 3; ++i)
        save(archive, 0, card(QStringLiteral("R%1").arg(i)), photoBytes(1000, quint32(i)));
    save(archive, 2, card(QStringLiteral("R2 changed")));
    const QByteArray before = readAll(archive);
    const int entriesBefore = entryCount(archive);
    QCOMPARE(entriesBefore, 4);
    TArchivio::Accodamento batch;
    if (undo) {
        batch = importCards(archive, 2);
        QCOMPARE(entryCount(archive), entriesBefore + 2);
    }
    const QByteArray withBatch = undo ? readAll(archive) : QByteArray();

    bool cut = false;
    {
        const WriteStops stop([&](TArchivio::WriteStep at) -> std::optional<qint64> {
            if (int(at) != step)
                return std::nullopt;
            return at == TArchivio::WriteStep::RecordPartlyWritten ? kDim + kDim / 2 : 40;
        });
        try {
            if (undo)
                undoImport(archive, batch);
            else
                importCards(archive, 2);
        } catch (const TArchivio::WriteInterrupted&) {
            cut = true;
        }
    }
    QVERIFY(cut);

    TArchivio b;
    b.ApriArchivio(archive);
    b.ChiudiArchivio();
    QVERIFY(!QFileInfo::exists(TArchivio::JournalPath(archive)));
    QVERIFY(!QFileInfo::exists(CardHistory::setAsidePath(archive, 1)));
    QCOMPARE(readAll(archive), batchStays ? withBatch : before);
    std::vector<CardHistory::TVersion> entries = CardHistory::allEntries(archive);
    QCOMPARE(int(entries.size()), entriesBefore + newEntries);
    for (size_t i = size_t(entriesBefore); i < entries.size(); ++i) {
        const bool undone = i >= size_t(entriesBefore) + 2;
        QCOMPARE(entries[i].kind, undone ? Kind::Undone : Kind::Added);
        if (undone)
            QCOMPARE(entries[i].record, withBatch.mid(qsizetype(3 + i - size_t(entriesBefore) - 2) * kDim, kDim));
    }

    // Imported again: two more entries, numbered after the cards there are.
    const int count = int(readAll(archive).size() / kDim);
    importCards(archive, 2);
    entries = CardHistory::allEntries(archive);
    QCOMPARE(int(entries.size()), entriesBefore + newEntries + 2);
    QCOMPARE(entries[entries.size() - 2].kind, Kind::Added);
    QCOMPARE(entries[entries.size() - 2].record, QByteArray());
    for (const qint32 n : {count + 1, count + 2}) {
        const std::vector<CardHistory::TVersion> v = CardHistory::versions(archive, n);
        QVERIFY(!v.empty());
        QCOMPARE(v[0].kind, Kind::Added);
    }
    QVERIFY(CardHistory::versions(archive, 0).empty());
}

// An import and its undo are versions of each card like any other: the new
// card first, then what the undo took away, photo included, put back by a
// restore.
void TestHistory::importThenUndo()
{
    const QString archive = path(QStringLiteral("Import.dbm"));
    save(archive, 0, card(QStringLiteral("Before")));
    const TArchivio::Accodamento batch = importCards(archive, 3);
    QCOMPARE(batch.primo, 2);
    const QByteArray imported = readAll(archive);
    // Photos are copied in after the cards, as the import does.
    QDir().mkpath(QFileInfo(archive).absolutePath() + QStringLiteral("/Foto_Modellini"));
    const QByteArray photo = photoBytes(30000, 9);
    QVERIFY(writeAll(CardHistory::cardPhotoPath(archive, false, 3), photo));
    for (qint32 n = 2; n <= 4; ++n) {
        const std::vector<CardHistory::TVersion> v = CardHistory::versions(archive, n);
        QCOMPARE(v.size(), size_t(1));
        QCOMPARE(v[0].kind, Kind::Added);
    }

    QVERIFY(undoImport(archive, batch));
    QFile::remove(CardHistory::cardPhotoPath(archive, false, 3));
    QCOMPARE(readAll(archive).size(), qsizetype(kDim));
    for (qint32 n = 2; n <= 4; ++n) {
        const std::vector<CardHistory::TVersion> v = CardHistory::versions(archive, n);
        QCOMPARE(v.size(), size_t(2));
        QCOMPARE(v[0].kind, Kind::Undone);
        QCOMPARE(v[0].record, imported.mid(qsizetype(n - 1) * kDim, kDim));
        QCOMPARE(v[0].photoA.isEmpty(), n != 3);
        QCOMPARE(v[1].kind, Kind::Added);
    }
    QCOMPARE(readAll(CardHistory::versions(archive, 3)[0].photoA), photo);
    QCOMPARE(entryCount(archive), 1 + 3 + 3);
}

void TestHistory::bounds_data()
{
    QTest::addColumn<int>("saves");
    QTest::addColumn<int>("photoSize"); // 0: no photos
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("kept"); // versions of card 1 expected, -1: as many as fit
    QTest::newRow("25 saves keep the last 20") << 25 << 0 << qint64(50) * 1024 * 1024 << 20;
    QTest::newRow("2000 saves, superseded versions dropped") << 2000 << 0 << qint64(50) * 1024 * 1024 << 20;
    QTest::newRow("new photos each save, 400 KB bound") << 40 << 30000 << qint64(400) * 1024 << -1;
}

// The oldest versions go first, and the history never grows past its bound.
void TestHistory::bounds()
{
    QFETCH(int, saves);
    QFETCH(int, photoSize);
    QFETCH(qint64, limit);
    QFETCH(int, kept);
    const MinimumLimit bound(limit);
    const QString archive = path(QStringLiteral("Bound.dbm"));
    save(archive, 0, card(QStringLiteral("Card 1")));
    for (int i = 1; i <= saves; ++i) {
        const QByteArray photo = photoSize > 0 ? photoBytes(photoSize, quint32(i)) : QByteArray();
        save(archive, 1, card(QStringLiteral("Version %1").arg(i), i % 200), photo, photo);
        QVERIFY2(CardHistory::sizeOnDisk(archive) <= limit, qPrintable(QString::number(i)));
    }
    const std::vector<CardHistory::TVersion> versions = CardHistory::versions(archive, 1);
    if (kept >= 0)
        QCOMPARE(int(versions.size()), kept);
    QVERIFY(versions.size() >= 5);
    // Newest first and with no gap: what went were the oldest.
    for (size_t i = 0; i < versions.size(); ++i) {
        const int version = saves - 1 - int(i);
        QCOMPARE(versions[i].record, card(QStringLiteral("Version %1").arg(version), version % 200).Byte());
    }
    // The kept photo files are only those the kept versions name.
    QStringList named;
    for (const CardHistory::TVersion& v : versions)
        if (!v.photoA.isEmpty())
            named << QFileInfo(v.photoA).fileName();
    named.removeDuplicates();
    QCOMPARE(QDir(CardHistory::photosFolder(archive)).entryList(QDir::Files).size(), named.size());
    if (saves >= 2000)
        QVERIFY(QFileInfo(CardHistory::historyPath(archive)).size() < 2 * 1024 * 1024);
}

void TestHistory::damagedHistory_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("setAside");
    QTest::addColumn<int>("entriesAfter");
    QTest::newRow("another file's header") << QStringLiteral("header") << true << 1;
    QTest::newRow("a byte flipped inside an entry") << QStringLiteral("flip") << true << 1;
    QTest::newRow("garbage after the last entry") << QStringLiteral("garbage") << true << 1;
    QTest::newRow("last entry cut short") << QStringLiteral("cut") << false << 3;
    QTest::newRow("empty file") << QStringLiteral("empty") << false << 1;
    QTest::newRow("header cut short") << QStringLiteral("short") << false << 1;
}

// Damage never stops a save: a damaged history is set aside whole and
// started afresh; an entry cut at the end is only cut off.
void TestHistory::damagedHistory()
{
    QFETCH(QString, damage);
    QFETCH(bool, setAside);
    QFETCH(int, entriesAfter);
    const QString archive = path(QStringLiteral("Damaged.dbm"));
    save(archive, 0, card(QStringLiteral("One")));
    save(archive, 1, card(QStringLiteral("Two")));
    save(archive, 1, card(QStringLiteral("Three")));
    const QString history = CardHistory::historyPath(archive);
    QByteArray bytes = readAll(history);
    if (damage == QLatin1String("header"))
        bytes.replace(0, 8, "NOTOURS!");
    else if (damage == QLatin1String("flip"))
        bytes[bytes.size() - 30] = char(bytes[bytes.size() - 30] ^ 0x40);
    else if (damage == QLatin1String("garbage"))
        bytes += QByteArray(100, 'x');
    else if (damage == QLatin1String("cut"))
        bytes.chop(7);
    else if (damage == QLatin1String("short"))
        bytes.truncate(9);
    else
        bytes.clear();
    const QByteArray damaged = bytes;
    // A fresh look, as another process or a later start has it.
    QVERIFY(writeAll(history + QStringLiteral(".x"), damaged));
    QVERIFY(QFile::remove(history));
    QVERIFY(QFile::rename(history + QStringLiteral(".x"), history));

    save(archive, 1, card(QStringLiteral("Four")));
    QCOMPARE(recordAt(archive, 1).Byte(), card(QStringLiteral("Four")).Byte());
    QCOMPARE(QFileInfo::exists(CardHistory::setAsidePath(archive, 1)), setAside);
    if (setAside)
        QCOMPARE(readAll(CardHistory::setAsidePath(archive, 1)), damaged);
    const std::vector<CardHistory::TVersion> entries = CardHistory::allEntries(archive);
    QCOMPARE(int(entries.size()), entriesAfter);
    QCOMPARE(entries.back().record, card(QStringLiteral("Three")).Byte());
}

void TestHistory::historyCannotBeWritten_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("import");
    QTest::newRow("read-only history file") << QStringLiteral("file") << false;
    QTest::newRow("read-only folder, no history yet") << QStringLiteral("folder") << false;
    QTest::newRow("disk full while the entry is written") << QStringLiteral("full") << false;
    QTest::newRow("history path is a folder") << QStringLiteral("notafile") << false;
    QTest::newRow("import, read-only history file") << QStringLiteral("file") << true;
    QTest::newRow("import, disk full while the entries are written") << QStringLiteral("full") << true;
}

// Nothing is written to the archive that history could not protect: the
// save fails with the access message, the archive and the history as they
// were, no journal left.
void TestHistory::historyCannotBeWritten()
{
    QFETCH(QString, how);
    QFETCH(bool, import);
    const QString folder = path(QStringLiteral("sub"));
    QVERIFY(QDir().mkpath(folder));
    const QString archive = folder + QStringLiteral("/Locked.dbm");
    const QString history = CardHistory::historyPath(archive);
    {
        const bool wasEnabled = CardHistory::setEnabled(how != QLatin1String("folder"));
        save(archive, 0, card(QStringLiteral("One")));
        // Enough entries that the history outgrows the archive and its journal.
        for (int i = 0; i < 150; ++i)
            save(archive, 1, card(QStringLiteral("Version %1").arg(i), 100 + i));
        CardHistory::setEnabled(wasEnabled);
    }
    if (how == QLatin1String("notafile")) {
        QVERIFY(QFile::remove(history));
        QVERIFY(QDir().mkpath(history));
    }
    const QByteArray archiveBefore = readAll(archive);
    const QByteArray historyBefore = readAll(history);
    const int entriesBefore = how == QLatin1String("full") ? entryCount(archive) : 0;

    std::unique_ptr<ObeyFilePermissions> obey;
    std::unique_ptr<FileSizeLimit> full;
    if (how == QLatin1String("file")) {
        QVERIFY(QFile::setPermissions(history, QFile::ReadOwner));
        obey = std::make_unique<ObeyFilePermissions>();
        QVERIFY(obey->holds());
    } else if (how == QLatin1String("folder")) {
        QVERIFY(!QFileInfo::exists(history));
        QVERIFY(QFile::setPermissions(archive, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        obey = std::make_unique<ObeyFilePermissions>();
        QVERIFY(obey->holds());
    } else if (how == QLatin1String("full")) {
        QVERIFY(historyBefore.size() > archiveBefore.size() + 2 * kDim);
        full = std::make_unique<FileSizeLimit>(rlim_t(historyBefore.size() + 10));
    }

    bool failed = false;
    try {
        TArchivio a;
        a.ApriArchivio(archive);
        a.RegistraStoria(Kind::Saved);
        if (import) {
            int made = 0;
            a.AccodaSchede([&](TScheda& s) {
                s = card(QStringLiteral("Lost?"));
                return made++ < 2;
            });
        } else {
            a.ScriviScheda(1, card(QStringLiteral("Lost?")));
        }
    } catch (const EArchivioError& e) {
        failed = true;
        // Names a file of the collection's folder and the system's reason.
        QVERIFY2(e.failure().path.startsWith(folder) && !e.failure().cause.isEmpty(), e.what());
    }
    full.reset();
    obey.reset();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(history, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(failed);
    QCOMPARE(readAll(archive), archiveBefore);
    QVERIFY(!QFileInfo::exists(TArchivio::JournalPath(archive)));
    if (how == QLatin1String("full")) {
        QCOMPARE(readAll(history), historyBefore);
        QCOMPARE(entryCount(archive), entriesBefore);
    }
}

// Two workstations appending and saving into one collection at once: every
// write has its entry, none twice.
void TestHistory::twoWorkstations()
{
    const QString archive = path(QStringLiteral("Shared.dbm"));
    save(archive, 0, card(QStringLiteral("First")));
    constexpr int times = 12;
    std::vector<std::unique_ptr<QProcess>> children;
    for (const char* prefix : {"A", "B"}) {
        children.push_back(std::make_unique<QProcess>());
        children.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        children.back()->start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--workstation"), archive, QLatin1String(prefix), QString::number(times)});
    }
    for (const auto& c : children)
        QVERIFY(c->waitForStarted());
    for (const auto& c : children)
        c->write("go\n");
    for (const auto& c : children)
        QVERIFY(c->waitForBytesWritten());
    for (const auto& c : children) {
        QVERIFY(c->waitForFinished(240000));
        QCOMPARE(c->exitCode(), 0);
    }
    const std::vector<CardHistory::TVersion> entries = CardHistory::allEntries(archive);
    QCOMPARE(int(entries.size()), 1 + 2 * 2 * times);
    int added = 0;
    QSet<QByteArray> savedOver;
    for (const CardHistory::TVersion& e : entries) {
        if (e.kind == Kind::Added)
            ++added;
        else
            savedOver.insert(e.record);
    }
    QCOMPARE(added, 1 + 2 * times);
    // Each save over card 1 kept what the one before it wrote: all different
    // but for the first card, which both may have found.
    QVERIFY(savedOver.size() >= 2 * times - 1);
}

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--workstation") == 0) {
        TArchivio::ImpostaAttesaBlocco(std::chrono::minutes(2));
        return workstation(argv[2], argv[3], std::atoi(argv[4]));
    }
    QCoreApplication app(argc, argv);
    TestHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_history.moc"
