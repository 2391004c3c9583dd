#include "gui/widgets/FailureMessages.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcArchive, "miniarca.archive")
Q_LOGGING_CATEGORY(lcHistory, "miniarca.history")
Q_LOGGING_CATEGORY(lcBin, "miniarca.bin")
Q_LOGGING_CATEGORY(lcPhotos, "miniarca.photos")
Q_LOGGING_CATEGORY(lcAccess, "miniarca.access")
Q_LOGGING_CATEGORY(lcExport, "miniarca.export")

const QLoggingCategory& categoryOf(TFailure::Operation operation)
{
    using Op = TFailure::Operation;
    switch (operation) {
    case Op::History: return lcHistory();
    case Op::Bin: return lcBin();
    case Op::PhotoFolder:
    case Op::WritePhoto: return lcPhotos();
    case Op::ReadPasswords:
    case Op::WritePasswords: return lcAccess();
    case Op::Export: return lcExport();
    default: return lcArchive();
    }
}

} // namespace

QString ArchiveAccessMessage()
{
    return QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.") + QStringLiteral("\n\r\n\r")
           + QStringLiteral(
               "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del programma.");
}

namespace FailureMessages {

QString text(const TFailure& failure)
{
    using Op = TFailure::Operation;
    switch (failure.operation) {
    case Op::PhotoFolder:
    case Op::WritePhoto:
        return QStringLiteral("Attenzione: non è stato possibile salvare le foto della scheda nella cartella "
                              "Foto_Modellini. Le foto sono ancora visualizzate: salvare di nuovo la scheda per "
                              "riprovare.");
    case Op::ReadPasswords:
        return QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura della "
                              "password. Si consiglia di reinstallare il software.");
    case Op::WritePasswords:
        return QStringLiteral("Attenzione: si è verificato un errore durante la procedura di modifica della "
                              "password. Si consiglia di reinstallare il software.");
    case Op::Export:
        return QStringLiteral("Attenzione: il sistema non permette di esportare i dati.\n\r\n\r"
                              "Accertarsi che il file di Excel non sia già aperto.");
    default: return ArchiveAccessMessage();
    }
}

void log(const TFailure& failure)
{
    qCWarning(categoryOf(failure.operation)).noquote()
        << operationName(failure.operation) << "failed on" << failure.path << "-" << failure.cause;
}

void show(QWidget* parent, const TFailure& failure, Dialogs::Kind kind)
{
    log(failure);
    Dialogs::message(parent, kind, text(failure));
}

QString importReadError(Importazione::ErroreLettura error)
{
    using Importazione::ErroreLettura;
    switch (error) {
    case ErroreLettura::Nessuno: return {};
    case ErroreLettura::NonLeggibile:
        return QStringLiteral("Attenzione: non è possibile leggere il file scelto.\r\n\r\n"
                              "Verificare che il file esista e di avere i permessi per aprirlo.");
    case ErroreLettura::NonFoglio:
        return QStringLiteral(
            "Attenzione: il file scelto non è un foglio di calcolo né un file di testo con colonne "
            "separate (CSV).\r\n\r\nSi possono importare file .csv, .txt, .xls, .xlsx, .ods e .fods.");
    case ErroreLettura::Danneggiato:
        return QStringLiteral("Attenzione: il file scelto è danneggiato e non può essere letto.");
    case ErroreLettura::VirgoletteAperte:
        return QStringLiteral("Attenzione: nel file scelto un testo tra virgolette non viene mai chiuso.\r\n\r\n"
                              "Correggere il file e ripetere l'importazione.");
    case ErroreLettura::TroppoGrande:
        return QStringLiteral("Attenzione: il file scelto è troppo grande o contiene troppe celle per essere "
                              "importato.");
    case ErroreLettura::FoglioVuoto:
        return QStringLiteral("Attenzione: il foglio scelto non contiene dati da importare.");
    }
    return {};
}

QString passwordRefusal(PasswordStore::Refusal refusal)
{
    switch (refusal) {
    case PasswordStore::Refusal::None: return {};
    case PasswordStore::Refusal::TooLong:
        return QStringLiteral("Attenzione: la nuova password non può superare i 255 caratteri. "
                              "Scegliere una password più corta.");
    case PasswordStore::Refusal::OutsideCodePage:
        return QStringLiteral("Attenzione: la nuova password contiene caratteri non ammessi. "
                              "Utilizzare soltanto lettere, cifre e simboli dell'alfabeto latino.");
    }
    return {};
}

QString attachmentOverwriteQuestion()
{
    return QStringLiteral("Attenzione: nella cartella dei documenti allegati è presente un file con lo stesso "
                          "nome.\r\n\r\nSi vuole sovrascrivere il file esistente?");
}

} // namespace FailureMessages
