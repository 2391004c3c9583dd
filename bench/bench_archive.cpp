// Scanning a large archive (what find, for-sale listing and export do)
// against reading the same file raw, to show what the record layer costs;
// and saving or appending one card to it, each a whole action as the record
// sheet runs it, with its journal against the write as it was before the
// journal (one write and one flush under the lock) in the same run; and the
// same saves keeping what they replace in the card history, and a version
// put back, against the journaled save. The benchmarks without "History" in
// their name write without it, as an archive opened without RegistraStoria
// does. `--history-sizes` instead reports what the history occupies after
// many saves.
#include "ArchivioDiProva.h"
#include "BenchSupport.h"
#include "core/history/CardHistory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace ArchivioDiProva;

// One LeggiScheda per record, as a window reading card by card does.
void BM_ScanRecordByRecord(benchmark::State& state)
{
    qint64 schede = 0;
    for (auto _ : state) {
        TArchivio a;
        a.ApriArchivio(g_file);
        const qint32 n = a.ContaSchede();
        qsizetype caratteri = 0;
        for (qint32 i = 1; i <= n; ++i)
            caratteri += caricaCampi(a.LeggiScheda(i));
        a.ChiudiArchivio();
        benchmark::DoNotOptimize(caratteri);
        schede += n;
    }
    state.SetItemsProcessed(schede);
}

// The same file read raw in 1 MiB chunks: the floor for any scan.
void BM_RawRead(benchmark::State& state)
{
    std::vector<char> buffer(1 << 20);
    const QByteArray nome = QFile::encodeName(g_file);
    qint64 schede = 0;
    for (auto _ : state) {
        const int fd = ::open(nome.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("open failed");
            return;
        }
        qint64 letti = 0;
        ssize_t r;
        while ((r = ::read(fd, buffer.data(), buffer.size())) > 0)
            letti += r;
        ::close(fd);
        benchmark::DoNotOptimize(letti);
        schede += letti / TScheda::Dimensione;
    }
    state.SetItemsProcessed(schede);
}

// The write as the archive did it before the journal: open, exclusive lock,
// one positioned write, one flush, close. Record n, or appended when none.
bool scriviSenzaDiario(const QByteArray& nome, const TScheda& scheda, std::optional<qint32> n)
{
    const int fd = ::open(nome.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    struct stat st {};
    bool ok = fcntl(fd, F_SETLK, &fl) == 0 && fstat(fd, &st) == 0;
    const off_t posizione = n ? off_t(*n - 1) * TScheda::Dimensione
                              : st.st_size / TScheda::Dimensione * TScheda::Dimensione;
    ok = ok && pwrite(fd, scheda.dati(), TScheda::Dimensione, posizione) == TScheda::Dimensione && fdatasync(fd) == 0;
    fl.l_type = F_UNLCK;
    fcntl(fd, F_SETLK, &fl);
    return ::close(fd) == 0 && ok;
}

// The card saved is one of the archive's own, moved around the file so that
// no two saves in a row hit the same page.
qint32 numeroDaSalvare(qint64 i)
{
    return qint32(1 + (i * 7919) % kSchede);
}

// Saving a changed card over its record: what the collector waits for after
// "Salva", photos aside.
void BM_SaveWithJournal(benchmark::State& state)
{
    qint64 i = 0;
    for (auto _ : state) {
        const qint32 n = numeroDaSalvare(i++);
        TArchivio a;
        a.ApriArchivio(g_file);
        a.ScriviScheda(n, schedaRealistica(n));
        a.ChiudiArchivio();
    }
    state.SetItemsProcessed(i);
}

void BM_SaveWithoutJournal(benchmark::State& state)
{
    const QByteArray nome = QFile::encodeName(g_file);
    qint64 i = 0;
    for (auto _ : state) {
        const qint32 n = numeroDaSalvare(i++);
        if (!scriviSenzaDiario(nome, schedaRealistica(n), n)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    state.SetItemsProcessed(i);
}

// Saving a new card: appended at the end.
void BM_AppendWithJournal(benchmark::State& state)
{
    qint64 i = 0;
    for (auto _ : state) {
        TArchivio a;
        a.ApriArchivio(g_file);
        a.AccodaScheda(schedaRealistica(int(++i)));
        a.ChiudiArchivio();
    }
    state.SetItemsProcessed(i);
}

void BM_AppendWithoutJournal(benchmark::State& state)
{
    const QByteArray nome = QFile::encodeName(g_file);
    qint64 i = 0;
    for (auto _ : state) {
        if (!scriviSenzaDiario(nome, schedaRealistica(int(++i)), std::nullopt)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    state.SetItemsProcessed(i);
}

// The same saves, each keeping the card it replaces in the history.
void BM_SaveWithHistory(benchmark::State& state)
{
    qint64 i = 0;
    for (auto _ : state) {
        const qint32 n = numeroDaSalvare(i++);
        TArchivio a;
        a.ApriArchivio(g_file);
        a.RegistraStoria(CardHistory::Kind::Saved);
        a.ScriviScheda(n, schedaRealistica(n + int(i)));
        a.ChiudiArchivio();
    }
    state.SetItemsProcessed(i);
}

void BM_AppendWithHistory(benchmark::State& state)
{
    qint64 i = 0;
    for (auto _ : state) {
        TArchivio a;
        a.ApriArchivio(g_file);
        a.RegistraStoria(CardHistory::Kind::Saved);
        a.AccodaScheda(schedaRealistica(int(++i)));
        a.ChiudiArchivio();
    }
    state.SetItemsProcessed(i);
}

// A kept version put back over its card, as "Ripristina" does: itself a
// save with history.
void BM_RestoreVersion(benchmark::State& state)
{
    constexpr qint32 n = 4242;
    {
        TArchivio a;
        a.ApriArchivio(g_file);
        a.RegistraStoria(CardHistory::Kind::Saved);
        a.ScriviScheda(n, schedaRealistica(1));
        a.ChiudiArchivio();
    }
    const std::vector<CardHistory::TVersion> versions = CardHistory::versions(g_file, n);
    if (versions.empty()) {
        state.SkipWithError("no version kept");
        return;
    }
    qint64 i = 0;
    for (auto _ : state) {
        if (!CardHistory::restore(g_file, n, versions.front())) {
            state.SkipWithError("restore failed");
            return;
        }
        ++i;
    }
    state.SetItemsProcessed(i);
}

BENCHMARK(BM_ScanRecordByRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanInBlocks)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
// The flushes wait for the disk, not the processor: real time counts.
BENCHMARK(BM_SaveWithoutJournal)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveWithJournal)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendWithoutJournal)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendWithJournal)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveWithHistory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendWithHistory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RestoreVersion)->Unit(benchmark::kMillisecond)->UseRealTime();

QByteArray photoOf(int size, quint32 seed)
{
    QByteArray b(size, '\0');
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(b.data()), size / 4);
    return b;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile::remove(path); // a new file, as the sheet writes photos
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// `saves` saves over cards 1..cards of a fresh collection in `folder`, as the
// sheet makes them: the card with its history, then its two photo files
// (photoSize bytes each, new pictures each time; none when 0). Prints the
// history's size.
void historySize(const QString& folder, const char* what, int cards, int saves, int photoSize)
{
    const QString archive = folder + QStringLiteral("/Misura.dbm");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/Foto_Modellini"));
    QElapsedTimer clock;
    clock.start();
    {
        // Written in bulk: the cards are there before the history starts.
        QByteArray all;
        for (int i = 1; i <= cards; ++i)
            all += schedaRealistica(i).Byte();
        QFile f(archive);
        if (!f.open(QIODevice::WriteOnly) || f.write(all) != all.size())
            return;
    }
    for (int i = 0; i < saves; ++i) {
        const qint32 n = 1 + i % cards;
        TArchivio a;
        a.ApriArchivio(archive);
        a.RegistraStoria(CardHistory::Kind::Saved);
        a.ScriviScheda(n, schedaRealistica(n + i + 1));
        a.ChiudiArchivio();
        if (photoSize > 0)
            for (const bool b : {false, true})
                writeFile(CardHistory::cardPhotoPath(archive, b, n), photoOf(photoSize, quint32(2 * i + b)));
    }
    qint64 photos = 0;
    for (const QFileInfo& f : QDir(folder + QStringLiteral("/Foto_Modellini")).entryInfoList(QDir::Files))
        photos += f.size();
    std::printf("%s: %d saves over %d cards in %.1f s; history %.1f MB (file %.1f MB), archive %.1f MB, photos "
                "%.1f MB\n",
                what, saves, cards, double(clock.elapsed()) / 1000, double(CardHistory::sizeOnDisk(archive)) / 1e6,
                double(QFileInfo(CardHistory::historyPath(archive)).size()) / 1e6,
                double(QFileInfo(archive).size()) / 1e6, double(photos) / 1e6);
    std::fflush(stdout);
    QDir(folder).removeRecursively();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--history-sizes") == 0) {
        QTemporaryDir scratch;
        const QString folder = scratch.filePath(QStringLiteral("misura"));
        // A 12-megapixel phone photo is a JPEG of about 3.5 MB.
        const int saves = argc >= 3 ? std::atoi(argv[2]) : 1000;
        historySize(folder, "12-MP photo cards, new photos each save", 20, saves, 3500000);
        const int plain = argc >= 4 ? std::atoi(argv[3]) : 100000;
        historySize(folder, "no photo changes", 100000, plain, 0);
        return 0;
    }
    if (!BenchSupport::initialise(argc, argv))
        return 1;
    QTemporaryDir folder; // removes the archive at the end
    if (!folder.isValid() || !creaArchivio(folder.filePath(QStringLiteral("Banco di prova.dbm"))))
        return 1;
    BenchSupport::RatioReporter reporter("BM_SaveWithJournal", "journaled save of one card",
                                         "save and append with history <= 1.5 x, restore <= 2 x",
                                         {"BM_SaveWithHistory", "BM_AppendWithHistory", "BM_RestoreVersion"});
    reporter.addGroup("BM_AppendWithJournal", "journaled append of one card", "append with history <= 1.5 x",
                      {"BM_AppendWithHistory"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
