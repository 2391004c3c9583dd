// A sequence of archive operations against a byte model of the file, with
// the file cut, grown or deleted behind the program's back in between, and
// writes cut at any of their steps (as by a power cut) followed by the
// opening that puts the archive right: the card must be wholly the old or
// wholly the new one, never a mix. Between the cut and the opening, the
// journal may be damaged or be another version's, a program that knows
// nothing of journals may save a card, or the opening may not get to put it
// right (reads and the next write must then see it put right all the same);
// and a journal of another archive put beside this one must leave it as it
// is.
//
// Input: one operation per byte, each followed by its arguments.
#include "../ArchiveFixtures.h"
#include "../PhotoFixtures.h"
#include "FuzzSupport.h"

#include "core/archive/Archivio.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

constexpr qsizetype kDim = TScheda::Dimensione;

struct Model {
    bool exists = false;
    bool open = false;
    QByteArray bytes;
    qint32 count() const { return qint32(bytes.size() / kDim); }
};

TScheda recordFrom(FuzzInput& input)
{
    QByteArray bytes(kDim, char(input.byte()));
    for (int edits = input.number(0, 3); edits > 0; --edits)
        bytes[input.number(0, int(kDim) - 1)] = char(input.byte());
    TScheda scheda;
    scheda.ImpostaByte(bytes);
    return scheda;
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char b : bytes) {
        c ^= quint8(b);
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

QByteArray littleEndian(quint32 v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b += char(quint8(v >> (8 * i)));
    return b;
}

// Runs `operation`; it must fail exactly when `fails` says so.
template <typename Operation> void expect(bool fails, Operation&& operation)
{
    bool failed = false;
    try {
        operation();
    } catch (const EArchivioError&) {
        failed = true;
    }
    FUZZ_CHECK(failed == fails);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file = fuzzScratchFolder() + "/prova.dbm";
    const QString path = QString::fromStdString(file);
    const QString journal = TArchivio::JournalPath(path);
    const QString setAside = TArchivio::SetAsideJournalPath(path, 1);
    // Another folder holding an archive of the same name.
    const std::string elsewhere = fuzzScratchFolder() + "/altrove";
    std::filesystem::remove(file);
    QFile::remove(journal);
    QFile::remove(setAside);
    std::filesystem::create_directory(elsewhere);
    // 260 characters: one past the limit.
    const QString tooLong = QString::fromStdString(fuzzScratchFolder() + "/")
                            + QString(260 - qsizetype(fuzzScratchFolder().size()) - 1, QLatin1Char('x'));

    FuzzInput input(data, size);
    Model model;
    TArchivio archivio;
    for (int steps = 0; steps < 64 && !input.empty(); ++steps) {
        switch (input.byte() % 14) {
        case 0: // open: a missing file is created empty
            archivio.ApriArchivio(path);
            model.open = true;
            model.exists = true;
            break;
        case 1: // a path over the limit: fails, and leaves the archive closed
            expect(true, [&] { archivio.ApriArchivio(tooLong); });
            model.open = false;
            FUZZ_CHECK(!QFile::exists(tooLong));
            break;
        case 2: {
            qint32 n = -1;
            expect(!model.open, [&] { n = archivio.ContaSchede(); });
            if (model.open)
                FUZZ_CHECK(n == model.count());
            break;
        }
        case 3: {
            const qint32 n = input.number(-1, 12);
            std::optional<TScheda> read;
            expect(!model.open || n < 1 || n > model.count(), [&] { read = archivio.LeggiScheda(n); });
            if (read)
                FUZZ_CHECK(read->Byte() == model.bytes.mid((n - 1) * kDim, kDim));
            break;
        }
        case 4: {
            const qint32 first = input.number(-1, 12);
            const qint32 many = input.number(-1, 12);
            const bool fails = !model.open || many < 0 || first < 1 || first - 1 + many > model.count();
            std::vector<TScheda> read;
            expect(fails, [&] { read = archivio.LeggiSchede(first, many); });
            if (!fails) {
                FUZZ_CHECK(read.size() == std::size_t(many));
                for (qint32 i = 0; i < many; ++i)
                    FUZZ_CHECK(read[std::size_t(i)].Byte() == model.bytes.mid((first - 1 + i) * kDim, kDim));
            }
            break;
        }
        case 5: {
            const qint32 n = input.number(-1, 12);
            const TScheda scheda = recordFrom(input);
            const bool fails = !model.open || n < 1 || n > model.count();
            expect(fails, [&] { archivio.ScriviScheda(n, scheda); });
            if (!fails)
                model.bytes.replace((n - 1) * kDim, kDim, scheda.Byte());
            break;
        }
        case 6: {
            const TScheda scheda = recordFrom(input);
            qint32 n = 0;
            expect(!model.open, [&] { n = archivio.AccodaScheda(scheda); });
            if (model.open) {
                // Over a partial record at the end, if any.
                FUZZ_CHECK(n == model.count() + 1);
                model.bytes = model.bytes.left(model.count() * kDim) + scheda.Byte();
            }
            break;
        }
        case 7:
            archivio.ChiudiArchivio();
            model.open = false;
            break;
        case 8: { // cut or grow the file to whole records plus a part
            if (!model.exists)
                break;
            const qsizetype length = input.number(0, 10) * kDim
                                     + (input.byte() % 2 ? input.number(1, int(kDim) - 1) : 0);
            FUZZ_CHECK(truncate(file.c_str(), off_t(length)) == 0);
            model.bytes.resize(length, '\0');
            break;
        }
        case 9: { // another program appends to the file
            if (!model.exists)
                break;
            const QByteArray extra(input.number(1, 8000), char(input.byte()));
            const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND);
            FUZZ_CHECK(fd >= 0 && write(fd, extra.constData(), size_t(extra.size())) == extra.size());
            close(fd);
            model.bytes += extra;
            break;
        }
        case 10: // the file deleted between two actions
            if (model.open)
                break;
            std::filesystem::remove(file);
            model.exists = false;
            model.bytes.clear();
            break;
        case 11: { // a whole scan
            std::vector<std::pair<qint32, QByteArray>> seen;
            expect(!model.open, [&] {
                archivio.ScorriSchede([&](const TScheda& scheda, qint32 n) { seen.emplace_back(n, scheda.Byte()); });
            });
            if (model.open) {
                FUZZ_CHECK(seen.size() == std::size_t(model.count()));
                for (std::size_t i = 0; i < seen.size(); ++i)
                    FUZZ_CHECK(seen[i].first == qint32(i + 1)
                               && seen[i].second == model.bytes.mid(qsizetype(i) * kDim, kDim));
            }
            break;
        }
        case 12:
        case 13: { // a write cut at one of its steps, then the archive opened again
            if (!model.open)
                break;
            const bool append = input.byte() % 2;
            const qint32 n = append ? model.count() + 1 : input.number(1, 12);
            if (n > model.count() + (append ? 1 : 0))
                break;
            // The five steps of a write without history; the history's own
            // steps come between the last two and are never asked here.
            constexpr TArchivio::WriteStep withoutHistory[] = {
                TArchivio::WriteStep::JournalPartlyWritten, TArchivio::WriteStep::JournalWritten,
                TArchivio::WriteStep::RecordPartlyWritten, TArchivio::WriteStep::RecordWritten,
                TArchivio::WriteStep::JournalNotRemoved};
            const auto step = withoutHistory[input.number(0, 4)];
            const qint64 bytes = input.number(0, 4000);
            const bool zeros = input.byte() % 2; // the file system grows the file before the bytes arrive
            const TScheda scheda = recordFrom(input);
            QByteArray written = model.bytes;
            if (append)
                written = written.left(model.count() * kDim) + scheda.Byte();
            else
                written.replace((n - 1) * kDim, kDim, scheda.Byte());
            bool stopped = false;
            {
                const WriteStops stop([&](TArchivio::WriteStep at) -> std::optional<qint64> {
                    if (at != step)
                        return std::nullopt;
                    if (at == TArchivio::WriteStep::RecordPartlyWritten && append && zeros)
                        FUZZ_CHECK(truncate(file.c_str(), off_t(n) * kDim) == 0);
                    return bytes;
                });
                try {
                    if (append)
                        FUZZ_CHECK(archivio.AccodaScheda(scheda) == n);
                    else
                        archivio.ScriviScheda(n, scheda);
                } catch (const TArchivio::WriteInterrupted&) {
                    stopped = true;
                }
            }
            FUZZ_CHECK(stopped);
            FUZZ_CHECK(QFile::exists(journal));
            const QByteArray cut = PhotoFixtures::readFile(path); // as the cut left it
            // What putting the archive right may give: wholly old before the
            // archive is touched, wholly new once the record is all in it,
            // one or the other in between.
            const auto putRight = [&](const QByteArray& before, const QByteArray& after) {
                QList<QByteArray> right;
                if (step <= TArchivio::WriteStep::RecordPartlyWritten)
                    right << before;
                if (step >= TArchivio::WriteStep::RecordPartlyWritten)
                    right << after;
                return right;
            };
            const std::uint8_t then = input.byte();
            if (then % 8 == 5) {
                // The opening did not have the lock to put it right: reads see
                // the archive put right all the same, and the next write puts
                // it right before it reads what it needs.
                const qint32 count = archivio.ContaSchede();
                QByteArray seen;
                for (const TScheda& read : archivio.LeggiSchede(1, count))
                    seen += read.Byte();
                std::optional<QByteArray> right;
                for (const QByteArray& candidate : putRight(model.bytes, written))
                    if (candidate.size() / kDim == count && candidate.left(count * kDim) == seen)
                        right = candidate;
                FUZZ_CHECK(right.has_value());
                const TScheda next = recordFrom(input);
                if (input.byte() % 2 || count == 0) {
                    FUZZ_CHECK(archivio.AccodaScheda(next) == count + 1);
                    model.bytes = right->left(count * kDim) + next.Byte();
                } else {
                    const qint32 m = input.number(1, count);
                    archivio.ScriviScheda(m, next);
                    model.bytes = right->replace((m - 1) * kDim, kDim, next.Byte());
                }
                FUZZ_CHECK(!QFile::exists(journal));
                break;
            }
            archivio.ChiudiArchivio();
            if (then % 8 == 0) {
                // The journal damaged too, by a byte or a cut: it is
                // removed and the archive left exactly as the cut left it.
                QByteArray bytesOfJournal = PhotoFixtures::readFile(journal);
                if (!bytesOfJournal.isEmpty()) {
                    const int at = input.number(0, int(bytesOfJournal.size()) - 1);
                    if (input.byte() % 2)
                        bytesOfJournal[at] = char(bytesOfJournal[at] ^ (1 + input.byte() % 255));
                    else
                        bytesOfJournal.truncate(at);
                    FUZZ_CHECK(PhotoFixtures::writeFile(journal, bytesOfJournal));
                }
                archivio.ApriArchivio(path);
                FUZZ_CHECK(PhotoFixtures::readFile(path) == cut);
                FUZZ_CHECK(!QFile::exists(setAside));
                model.bytes = cut;
            } else if (then % 8 == 6) {
                // A journal of another version of the program, whole by its
                // own checksum: set aside, the archive as the cut left it.
                QByteArray bytesOfJournal = PhotoFixtures::readFile(journal);
                if (bytesOfJournal.size() >= 16) {
                    bytesOfJournal[8] = char(3 + input.byte() % 250);
                    bytesOfJournal = bytesOfJournal.chopped(4) + littleEndian(crc32(bytesOfJournal.chopped(4)));
                    FUZZ_CHECK(PhotoFixtures::writeFile(journal, bytesOfJournal));
                }
                archivio.ApriArchivio(path);
                FUZZ_CHECK(PhotoFixtures::readFile(path) == cut);
                model.bytes = cut;
            } else if (then % 8 == 4) {
                // A program that knows nothing of journals saves a card. Over
                // what the cut write touched (the card, or the end of the file
                // after an append), its save stands and the journal is set
                // aside: its first byte is neither the old nor the new card's,
                // nor a zero, so no cut can have left it.
                const qint32 countNow = qint32(cut.size() / kDim);
                const bool overTheCut = input.byte() % 2 || (!append && countNow < 2) || (append && n < 2);
                TScheda other = recordFrom(input);
                qint64 at = 0;
                if (overTheCut) {
                    at = append ? countNow * qint64(kDim) : (n - 1) * qint64(kDim);
                    const char first = written.at((n - 1) * kDim);
                    const char old = (n - 1) * kDim < model.bytes.size() ? model.bytes.at((n - 1) * kDim) : '\0';
                    char mark = 1;
                    while (mark == first || mark == old || mark == 0)
                        ++mark;
                    other.dati()[0] = mark;
                } else if (append) {
                    at = input.number(0, n - 2) * qint64(kDim); // a card before the appended one
                } else {
                    qint32 m = input.number(1, countNow + 1); // another card, or one more at the end
                    if (m == n)
                        m = countNow + 1;
                    at = (m - 1) * qint64(kDim);
                }
                QFile older(path);
                FUZZ_CHECK(older.open(QIODevice::ReadWrite) && older.seek(at) && older.write(other.Byte()) == kDim);
                older.close();
                const auto withOther = [&](QByteArray before) {
                    before.resize(std::max<qsizetype>(before.size(), at + kDim), '\0');
                    return before.replace(at, kDim, other.Byte());
                };
                archivio.ApriArchivio(path);
                const QByteArray now = PhotoFixtures::readFile(path);
                if (overTheCut) {
                    FUZZ_CHECK(now == withOther(cut));
                    if (step >= TArchivio::WriteStep::JournalWritten)
                        FUZZ_CHECK(QFile::exists(setAside));
                } else {
                    bool one = false;
                    for (const QByteArray& candidate : putRight(withOther(model.bytes), withOther(written)))
                        one = one || now == candidate;
                    FUZZ_CHECK(one);
                    FUZZ_CHECK(!QFile::exists(setAside));
                }
                model.bytes = now;
            } else if (then % 8 == 7) {
                // First put right, then a journal that is not this archive's
                // put beside it: one of a copy under another name, cut in the
                // same write (so its cards fit, its name does not), or one of
                // an archive of this name in another folder whose card differs
                // from this one's. The archive stays as it is.
                archivio.ApriArchivio(path);
                model.bytes = PhotoFixtures::readFile(path);
                archivio.ChiudiArchivio();
                const bool copy = input.byte() % 2;
                const QString other = copy ? QString::fromStdString(fuzzScratchFolder() + "/copia.dbm")
                                           : QString::fromStdString(elsewhere + "/prova.dbm");
                QByteArray otherBytes = model.bytes;
                TScheda otherCard = scheda;
                const qsizetype start = (n - 1) * kDim;
                if (!copy) {
                    if (start < otherBytes.size())
                        otherBytes[start] = char(otherBytes[start] ^ 1);
                    if (start < model.bytes.size())
                        otherCard.dati()[0] = char(model.bytes[start] ^ 2);
                }
                FUZZ_CHECK(PhotoFixtures::writeFile(other, otherBytes));
                {
                    const WriteStops stop(step, bytes);
                    TArchivio another;
                    another.ApriArchivio(other);
                    try {
                        if (append)
                            another.AccodaScheda(otherCard);
                        else
                            another.ScriviScheda(n, otherCard);
                    } catch (const TArchivio::WriteInterrupted&) {}
                }
                FUZZ_CHECK(std::rename(QFile::encodeName(TArchivio::JournalPath(other)).constData(),
                                       QFile::encodeName(journal).constData())
                           == 0);
                QFile::remove(other);
                archivio.ApriArchivio(path);
                FUZZ_CHECK(PhotoFixtures::readFile(path) == model.bytes);
            } else {
                archivio.ApriArchivio(path);
                const QByteArray now = PhotoFixtures::readFile(path);
                bool one = false;
                for (const QByteArray& candidate : putRight(model.bytes, written))
                    one = one || now == candidate;
                FUZZ_CHECK(one);
                FUZZ_CHECK(!QFile::exists(setAside));
                model.bytes = now;
            }
            QFile::remove(setAside);
            FUZZ_CHECK(!QFile::exists(journal));
            break;
        }
        }
        FUZZ_CHECK(!QFile::exists(journal));
        FUZZ_CHECK(archivio.Aperto() == model.open);
        FUZZ_CHECK(QFile::exists(path) == model.exists);
        if (model.exists)
            FUZZ_CHECK(PhotoFixtures::readFile(path) == model.bytes);
    }
    return 0;
}
