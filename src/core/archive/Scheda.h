#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstddef>

// One model card as stored in an archive file: 3446 bytes, 28 fixed-width
// text fields back to back, each one length byte L followed by C bytes of
// room holding the text in the archive code page (see CodePage).

enum class Campo : int {
    Nome,
    Tipologia,
    Produttore,
    Codice,
    Descrizione,
    Anno,
    Valore,
    Proprietario,
    Materiali,
    Colori,
    Confezione,
    Difetti,
    Data,
    Provenienza,
    Montaggio,
    Scala,
    Dimensioni,
    Rarita,
    Stato,
    Luogo,
    Note,
    InVendita,
    File01,
    File02,
    File03,
    Desc01,
    Desc02,
    Desc03,
};

struct DescrizioneCampo {
    Campo campo;
    const char* nome;
    int offset;   // of the length byte, from the start of the record
    int capacita; // bytes of room after the length byte
};

inline constexpr int NumeroCampi = 28;

inline constexpr std::array<DescrizioneCampo, NumeroCampi> Campi{{
    {Campo::Nome, "Nome", 0, 120},
    {Campo::Tipologia, "Tipologia", 121, 50},
    {Campo::Produttore, "Produttore", 172, 50},
    {Campo::Codice, "Codice", 223, 50},
    {Campo::Descrizione, "Descrizione", 274, 250},
    {Campo::Anno, "Anno", 525, 4},
    {Campo::Valore, "Valore", 530, 12},
    {Campo::Proprietario, "Proprietario", 543, 120},
    {Campo::Materiali, "Materiali", 664, 120},
    {Campo::Colori, "Colori", 785, 50},
    {Campo::Confezione, "Confezione", 836, 120},
    {Campo::Difetti, "Difetti", 957, 120},
    {Campo::Data, "Data", 1078, 10},
    {Campo::Provenienza, "Provenienza", 1089, 120},
    {Campo::Montaggio, "Montaggio", 1210, 250},
    {Campo::Scala, "Scala", 1461, 20},
    {Campo::Dimensioni, "Dimensioni", 1482, 50},
    {Campo::Rarita, "Rarita", 1533, 50},
    {Campo::Stato, "Stato", 1584, 50},
    {Campo::Luogo, "Luogo", 1635, 50},
    {Campo::Note, "Note", 1686, 250},
    {Campo::InVendita, "InVendita", 1937, 2},
    {Campo::File01, "File01", 1940, 250},
    {Campo::File02, "File02", 2191, 250},
    {Campo::File03, "File03", 2442, 250},
    {Campo::Desc01, "Desc01", 2693, 250},
    {Campo::Desc02, "Desc02", 2944, 250},
    {Campo::Desc03, "Desc03", 3195, 250},
}};

constexpr const DescrizioneCampo& descrizione(Campo campo)
{
    return Campi[std::size_t(campo)];
}

// The for-sale marker as read back: a record no writer of this program
// produced may hold neither value.
enum class StatoVendita { Assente, InVendita, NonInVendita };

class TScheda {
public:
    static constexpr int Dimensione = 3446;

    // All bytes zero: every field empty, no for-sale marker.
    TScheda() = default;

    // Stores a text the way every writer does: trimmed, its first 255
    // characters converted to the code page, cut to 255 and then to the
    // field's capacity in bytes; the unused room is zeroed.
    void ScriviCampo(Campo campo, const QString& testo);

    // The first L bytes of the field as text (not trimmed). A damaged length
    // byte above the capacity reads the whole room and no further.
    QString LeggiCampo(Campo campo) const;

    // Length byte as stored, and the L bytes it announces (clamped like LeggiCampo).
    int Lunghezza(Campo campo) const;
    QByteArray ByteCampo(Campo campo) const;
    // The same bytes where they lie in the record, for scans that copy
    // nothing; good while the record lives.
    QByteArrayView VistaCampo(Campo campo) const;
    // The same without leading and trailing bytes of code 32 or less. Those
    // bytes are the only ones that decode to codes of 32 or less, so this is
    // the trimmed text, still as bytes.
    QByteArrayView VistaCampoRifilata(Campo campo) const;

    // Writes the marker's fixed bytes: 02 53 EC ("Sì") or 02 4E 6F ("No").
    void ImpostaInVendita(bool inVendita);
    StatoVendita LeggiInVendita() const;

    // The whole record as it lies in the file.
    const char* dati() const { return m_byte.data(); }
    char* dati() { return m_byte.data(); }
    QByteArray Byte() const { return QByteArray(m_byte.data(), Dimensione); }
    // False, and the record unchanged, unless exactly 3446 bytes are given.
    bool ImpostaByte(QByteArrayView byte);

    friend bool operator==(const TScheda&, const TScheda&) = default;

private:
    std::array<char, Dimensione> m_byte{};
};

// Records are read and written as raw bytes, also many at once from an array.
static_assert(sizeof(TScheda) == TScheda::Dimensione);
static_assert(alignof(TScheda) == 1);
