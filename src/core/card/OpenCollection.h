#pragma once
#include <QString>

#include <utility>
#include <variant>

#include "core/archive/CompanionFiles.h"
#include "core/archive/Failure.h"
#include "core/card/Card.h"

// A value or the failure that kept it from being made. A failure names the
// collection's action (count, read, write, append); its cause says which
// step of it failed when that was another. The window chooses the words it
// shows.
template <typename T> class TCollectionResult {
public:
    TCollectionResult(T value) : m_outcome(std::move(value)) {}
    TCollectionResult(TFailure failure) : m_outcome(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(m_outcome); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<T>(m_outcome); }
    const TFailure& failure() const { return std::get<TFailure>(m_outcome); }

private:
    std::variant<T, TFailure> m_outcome;
};

// The collection a window works on: its archive file and name, the card
// in hand and the record count last seen. Every action opens the archive,
// does its reads or writes and closes it again, so nothing stays open
// between the collector's actions and other workstations see each write.
class TOpenCollection {
public:
    enum class Move { First, Previous, Next, Last };

    // Where a move leads: the card to show, or 0 to stay; `empty` when the
    // archive holds no card at all, which the collector is told.
    struct Step {
        qint32 target = 0;
        bool empty = false;
    };

    TOpenCollection() = default;
    // `archivePath` is trimmed; `archiveName` names the cards' photo files;
    // `current` is the card in hand, 0 for a new card.
    TOpenCollection(const QString& archivePath, const QString& archiveName, qint32 current = 0);

    const QString& path() const { return m_path; }
    const QString& name() const { return m_name; }

    // The card in hand: its record number, 0 for a new card not yet stored.
    qint32 current() const { return m_current; }
    bool isNewCard() const { return m_current == 0; }
    // A new card is begun; nothing is read or written.
    void startNewCard() { m_current = 0; }
    // The record count as last read, 0 when not yet known.
    qint32 knownCount() const { return m_knownCount; }

    // Reads the count and works out where the move leads from the card in
    // hand. Moving on from the last card or back from the first stays;
    // "next" on an empty archive also forgets the card in hand.
    TCollectionResult<Step> step(Move move);

    // Reads card n; on success it is the card in hand.
    TCollectionResult<TCard> load(qint32 n);

    // Writes the card over the card in hand, or appends it when that is a
    // new card; returns the number it now has, which is the card in hand.
    TCollectionResult<qint32> save(const TCard& card);

    // The companion files of card n.
    QString photoPath(CompanionFiles::Photo which, qint32 n) const;
    static QString attachmentPath(const QString& name);

private:
    QString m_path;
    QString m_name;
    qint32 m_current = 0;
    qint32 m_knownCount = 0;
};
