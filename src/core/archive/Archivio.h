#pragma once
#include "core/archive/Failure.h"
#include "core/archive/Scheda.h"
#include "core/history/CardHistory.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Every failure of an archive operation, and of what is written under its
// lock (history, bin): what failed, on which file, and the system's error.
// The window that catches it chooses the message it shows.
class EArchivioError : public std::exception {
public:
    explicit EArchivioError(TFailure failure);
    // A failure deep inside an operation, on `path` (empty: the archive's),
    // which names the operation on the way out (locate()).
    EArchivioError(const QString& path, const QString& cause);
    // describe(failure()), for a log.
    const char* what() const noexcept override;
    const TFailure& failure() const { return m_failure; }

    // Names the operation, and the file where the failure does not name one
    // yet, of a failure made deep inside it; the innermost operation names
    // it, the ones around it leave it.
    void locate(TFailure::Operation operation, const QString& path);

private:
    TFailure m_failure;
    bool m_located = true;
    std::string m_what;
};

// Access to one archive file: records of TScheda::Dimensione bytes back to
// back, numbered from 1. Each action opens the archive, reads or writes
// whole records and closes it again.
//
// The program folder may be shared by several workstations, so every
// operation holds an advisory lock on the whole file for its duration:
// shared to count or read, exclusive to write. Writes reach the disk before
// they return. A lock that another process holds is waited for at most
// AttesaBlocco(); then the operation fails like any other, having written
// nothing, so that a workstation that hangs while holding it cannot freeze
// this one for good.
//
// A record is written in place, and a power cut in the middle of that write
// could leave it part old and part new. So every write first puts the
// record's bytes before and after it into a journal beside the archive
// (JournalPath()), flushed, and removes it once the archive is flushed; the
// journal exists only while a write is in progress. Opening an archive that
// has one left over by a cut, or the next write to it, puts the archive back
// as it was before that write, and reads meanwhile see it so. That happens
// only where the archive holds what a cut of that very write can leave: a
// journal of another archive, or one whose card was saved since by a program
// that knows nothing of journals, is set aside (SetAsideJournalPath()) and
// the archive left as it is. The archive file itself never holds anything
// but its records.
class TArchivio {
public:
    static constexpr std::chrono::milliseconds AttesaBloccoPredefinita{5000};
    // Process-wide; tests shorten it.
    static void ImpostaAttesaBlocco(std::chrono::milliseconds attesa);
    static std::chrono::milliseconds AttesaBlocco();

    // Told true when an operation starts waiting for a lock held elsewhere
    // and false when that wait ends, either way; never called when the lock
    // is free at once. The windows install one that shows the wait cursor.
    // Process-wide; returns the one it replaces.
    using AvvisoAttesa = std::function<void(bool inAttesa)>;
    static AvvisoAttesa ImpostaAvvisoAttesa(AvvisoAttesa avviso);

    // The journal of the archive at `archivePath`: beside it, its file name
    // followed by "-journal". A file name too long for that is cut, and told
    // apart from others cut alike by a checksum of the whole name.
    static QString JournalPath(const QString& archivePath);
    // Where the n-th journal (from 1) that did not fit the archive is kept.
    static QString SetAsideJournalPath(const QString& archivePath, int n);

    // Test seam: the steps of a write, in order. A power cut can stop a
    // write after any of them.
    enum class WriteStep {
        JournalPartlyWritten, // some of the journal's bytes are in its file
        JournalWritten,       // the journal is whole and flushed; the archive untouched
        RecordPartlyWritten,  // some of the record's bytes are in the archive
        RecordWritten,        // the record is in the archive, not yet flushed
        HistoryPartlyWritten, // the archive is flushed, some of the history's entry written (with history only)
        HistoryWritten,       // the history's entry is whole and flushed (with history only)
        JournalNotRemoved,    // the archive is flushed, the journal still there
    };
    // Asked at each step of every write, process-wide: nullopt carries on;
    // a number stops the write there by throwing WriteInterrupted, at the
    // partly-written steps after that many bytes of what was being written.
    // Nothing is tidied up on the way out, as after a cut. Returns the one it
    // replaces; tests alone install one.
    using WriteInterruption = std::function<std::optional<qint64>(WriteStep step)>;
    static WriteInterruption SetWriteInterruption(WriteInterruption interruption);
    struct WriteInterrupted : std::exception {
        const char* what() const noexcept override { return "write interrupted"; }
    };

    // Test seam: asked before each flush of the archive file itself,
    // process-wide; true makes that flush fail as on a failing disk. Returns
    // the one it replaces; tests alone install one.
    using FlushFailure = std::function<bool()>;
    static FlushFailure SetFlushFailure(FlushFailure failure);

    TArchivio() = default;
    ~TArchivio(); // closes, never throws
    TArchivio(const TArchivio&) = delete;
    TArchivio& operator=(const TArchivio&) = delete;

    // Opens for reading and writing; a missing file is created empty (an
    // existing one is never truncated). Paths over 259 characters fail.
    // A journal left by an interrupted write is dealt with first, when the
    // exclusive lock can be had within a moment and the folder may be
    // written; otherwise the archive is opened as it is. Anything at the
    // journal's path that is not a regular file is left alone, and every
    // write fails while it is there.
    void ApriArchivio(const QString& percorso);

    // Whole records in the file; a partial record at the end is not counted.
    qint32 ContaSchede() const;

    // n from 1 to ContaSchede().
    TScheda LeggiScheda(qint32 n) const;
    void ScriviScheda(qint32 n, const TScheda& scheda);

    // Writes after the last whole record; returns the new record's number.
    qint32 AccodaScheda(const TScheda& scheda);

    // Records primo .. primo+quante-1 read at once, for scans of the whole
    // archive. All of them must exist; quante may be 0.
    std::vector<TScheda> LeggiSchede(qint32 primo, qint32 quante) const;

    // Every whole record with its number, in file order, read a block at a
    // time through LeggiSchede: the one way whole-archive scans read.
    void ScorriSchede(const std::function<void(const TScheda& scheda, qint32 numero)>& visita) const;

    // What a batch append left behind: enough to take it back while no
    // other write has touched the archive since.
    struct Accodamento {
        qint32 primo = 0;  // number of the first card appended
        qint32 quante = 0; // cards appended
        qint64 dimensionePrima = 0;
        qint64 dimensioneDopo = 0;
        QByteArray codaPrima;  // a partial record the append wrote over (usually none)
        quint64 impronta = 0;  // of the appended bytes
        qint64 modificaNs = 0; // the file's change time once the append was flushed
    };
    // Appends the cards that `prossima` fills in, one per call, until it
    // returns false: all under one exclusive lock and one journal, so either
    // every card is stored or none is. Anything thrown on the way (by
    // `prossima` too, e.g. to cancel) puts the archive back as it was and
    // is thrown on; a cut does the same at the next opening or write, and
    // reads meanwhile see only the cards before the batch. `prossima` runs
    // while the lock is held. The write steps are those of a single write,
    // RecordPartlyWritten asked once per card.
    Accodamento AccodaSchede(const std::function<bool(TScheda& scheda)>& prossima);

    // Takes back a batch append, under the exclusive lock and with a
    // journal, when the archive still ends with exactly those bytes and has
    // not been written since; false, and nothing touched, otherwise.
    bool AnnullaAccodamento(const Accodamento& accodamento);

    // The writes of this opening keep what they replace in the card history
    // (CardHistory), as `motivo`; appends always as CardHistory::Kind::Added.
    // Without it the archive is written as before the history. A history
    // that cannot be written fails the write with the archive unchanged.
    void RegistraStoria(CardHistory::Kind motivo) { m_storia = motivo; }

    // Runs `fai` under the shared lock, as a read does: what lies beside the
    // archive and is written only under its exclusive lock reads whole.
    void ConBloccoCondiviso(const std::function<void()>& fai) const;
    // The same under the exclusive lock, as a write: for moving the archive
    // and what lies beside it as one.
    void ConBloccoEsclusivo(const std::function<void()>& fai);

    // Closes the file; nothing happens when it is closed already.
    void ChiudiArchivio();

    bool Aperto() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    QString m_percorso;
    QByteArray m_journal; // the journal's path, encoded for the file system
    QByteArray m_nome;    // the archive's file name as its journal records it
    std::optional<CardHistory::Kind> m_storia;
};
