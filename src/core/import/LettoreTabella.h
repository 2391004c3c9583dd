#pragma once
#include <QString>
#include <QStringList>

#include <memory>

// The readers of the tables an import takes cards from: delimited text, our
// own export, OpenDocument and Office Open XML workbooks, old binary Excel
// files. Each hands out one row at a time, so a file of any size is read in
// bounded memory; the kind of file is told by its content, never by its name.
namespace Importazione {

enum class ErroreLettura {
    Nessuno,
    NonLeggibile,     // missing, a folder, no permission, a read failing
    NonFoglio,        // no table this program knows
    Danneggiato,      // a known kind, but its content is broken
    VirgoletteAperte, // a quoted field of delimited text never closed
    TroppoGrande,     // past the bounds on unpacked size, cells or row length
    FoglioVuoto,      // nothing to import in the chosen sheet
};

// Bounds that keep a hostile or broken file from taking the machine.
inline constexpr int kColonneMassime = 1024;
inline constexpr qint64 kCelleMassime = 60'000'000;
inline constexpr qsizetype kRigaMassima = 8 << 20; // characters of one row

class LettoreTabella {
public:
    virtual ~LettoreTabella() = default;

    // The names of the workbook's sheets, in order; one name or none when
    // there is nothing to choose.
    virtual QStringList Fogli() const { return {}; }

    // Starts over at the first row of sheet `indice`; false when it cannot
    // be read (Errore() says why).
    virtual bool ApriFoglio(int indice) = 0;

    // The next row that holds anything, its cells as the sheet shows them;
    // false at the end or on a failure (Errore() says which).
    bool RigaSuccessiva(QStringList& celle);

    ErroreLettura Errore() const { return m_errore; }

    // How far the reading has got, from 0 to 1000, for a progress bar.
    virtual int Avanzamento() const { return 0; }

protected:
    // Any next row, empty ones too.
    virtual bool rigaGrezza(QStringList& celle) = 0;
    bool fallisci(ErroreLettura errore)
    {
        m_errore = errore;
        return false;
    }
    void azzeraErrore()
    {
        m_errore = ErroreLettura::Nessuno;
        m_celle = 0;
    }

private:
    ErroreLettura m_errore = ErroreLettura::Nessuno;
    qint64 m_celle = 0;
};

// Opens the file at `percorso` with the reader its content calls for, on its
// first sheet; nothing, and `errore` set, when it cannot.
std::unique_ptr<LettoreTabella> ApriLettore(const QString& percorso, ErroreLettura& errore);

// The readers, for the opener and the tests.
std::unique_ptr<LettoreTabella> LettoreTesto(const QString& percorso);
std::unique_ptr<LettoreTabella> LettoreHtml(const QString& percorso);
std::unique_ptr<LettoreTabella> LettoreOds(const QString& percorso, bool piatto);
std::unique_ptr<LettoreTabella> LettoreXlsx(const QString& percorso);
std::unique_ptr<LettoreTabella> LettoreXls(const QString& percorso);

} // namespace Importazione
