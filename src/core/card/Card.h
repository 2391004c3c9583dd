#pragma once
#include <QString>

#include <array>
#include <optional>

#include "core/archive/Scheda.h"

// One attached file of a card: its name in the attachments folder and what
// the collector wrote about it.
struct TAttachment {
    QString name;
    QString description;
    friend bool operator==(const TAttachment&, const TAttachment&) = default;
};

using TAttachments = std::array<TAttachment, 3>;

// A card as the program works with it: the 21 texts, the for-sale mark and
// the three attachments. TScheda stays its byte form in the archive; the two
// meet only in fromRecord and toRecord.
struct TCard {
    static constexpr int TextCount = 21; // Campo::Nome .. Campo::Note

    std::array<QString, TextCount> texts;
    // Empty when the record held a mark no writer of this program produces;
    // whoever shows the card then keeps what it showed before.
    std::optional<bool> forSale = false;
    TAttachments attachments;

    // Only the 21 text fields (Campo::Nome .. Campo::Note).
    const QString& text(Campo field) const;
    void setText(Campo field, const QString& value);

    // Every text trimmed, as a loaded card is shown.
    static TCard fromRecord(const TScheda& record);
    // Texts stored by the record's rule (trimmed, cut to each field's room);
    // an unknown for-sale mark is written as not for sale.
    TScheda toRecord() const;

    friend bool operator==(const TCard&, const TCard&) = default;
};
