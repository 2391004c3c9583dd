// A sequence of archive operations against a byte model of the file, with
// the file cut, grown or deleted behind the program's back in between, and
// writes cut at any of their steps (as by a power cut) followed by the
// opening that puts the archive right: the card must be wholly the old or
// wholly the new one, never a mix.
//
// Input: one operation per byte, each followed by its arguments.
#include "../ArchiveFixtures.h"
#include "../PhotoFixtures.h"
#include "FuzzSupport.h"

#include "core/archive/Archivio.h"

#include <QFile>

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
    std::filesystem::remove(file);
    QFile::remove(journal);
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
            const auto step = TArchivio::WriteStep(input.number(0, 4));
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
            archivio.ChiudiArchivio();
            FUZZ_CHECK(QFile::exists(journal));
            if (input.byte() % 4 == 0) {
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
                model.bytes = PhotoFixtures::readFile(path);
                archivio.ApriArchivio(path);
            } else {
                archivio.ApriArchivio(path);
                // Wholly old before the archive is touched, wholly new once
                // the record is all in it, one or the other in between.
                const QByteArray now = PhotoFixtures::readFile(path);
                if (step < TArchivio::WriteStep::RecordPartlyWritten)
                    FUZZ_CHECK(now == model.bytes);
                else if (step > TArchivio::WriteStep::RecordPartlyWritten)
                    FUZZ_CHECK(now == written);
                else
                    FUZZ_CHECK(now == model.bytes || now == written);
                model.bytes = now;
            }
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
