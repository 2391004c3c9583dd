#include "core/card/Card.h"

#include "core/formats/Text.h"

namespace {

constexpr std::array<Campo, 3> kAttachmentNames = {Campo::File01, Campo::File02, Campo::File03};
constexpr std::array<Campo, 3> kAttachmentDescriptions = {Campo::Desc01, Campo::Desc02, Campo::Desc03};

std::size_t textIndex(Campo field)
{
    Q_ASSERT(int(field) >= 0 && int(field) < TCard::TextCount);
    return std::size_t(field);
}

} // namespace

const QString& TCard::text(Campo field) const
{
    return texts[textIndex(field)];
}

void TCard::setText(Campo field, const QString& value)
{
    texts[textIndex(field)] = value;
}

TCard TCard::fromRecord(const TScheda& record)
{
    TCard card;
    for (int i = 0; i < TextCount; ++i)
        card.texts[std::size_t(i)] = Text::trimmed(record.LeggiCampo(Campo(i)));
    switch (record.LeggiInVendita()) {
    case StatoVendita::InVendita: card.forSale = true; break;
    case StatoVendita::NonInVendita: card.forSale = false; break;
    case StatoVendita::Assente: card.forSale.reset(); break;
    }
    for (std::size_t i = 0; i < card.attachments.size(); ++i)
        card.attachments[i] = {Text::trimmed(record.LeggiCampo(kAttachmentNames[i])),
                               Text::trimmed(record.LeggiCampo(kAttachmentDescriptions[i]))};
    return card;
}

TScheda TCard::toRecord() const
{
    TScheda record;
    for (int i = 0; i < TextCount; ++i)
        record.ScriviCampo(Campo(i), texts[std::size_t(i)]);
    record.ImpostaInVendita(forSale.value_or(false));
    for (std::size_t i = 0; i < attachments.size(); ++i) {
        record.ScriviCampo(kAttachmentNames[i], attachments[i].name);
        record.ScriviCampo(kAttachmentDescriptions[i], attachments[i].description);
    }
    return record;
}
