#include "gui/widgets/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

namespace {

struct Script {
    bool scripted = false;
    QList<QMessageBox::StandardButton> answers;
    QList<QString> fileNames;
    QList<Dialogs::Shown> shown;
    QList<Dialogs::FileRequest> requests;
    QList<QString> printerFiles;
    int printerRequests = 0;
    QList<QString> texts;
    QList<QString> textQuestions;
};

Script& script()
{
    static Script s;
    return s;
}

QMessageBox::Icon iconOf(Dialogs::Kind kind)
{
    switch (kind) {
    case Dialogs::Kind::Warning: return QMessageBox::Warning;
    case Dialogs::Kind::Error: return QMessageBox::Critical;
    case Dialogs::Kind::Information: return QMessageBox::Information;
    case Dialogs::Kind::Confirmation: return QMessageBox::Question;
    case Dialogs::Kind::Plain: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QString withDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + suffix;
}

} // namespace

namespace Dialogs {

QString standardTitle(Kind kind)
{
    switch (kind) {
    case Kind::Warning: return QStringLiteral("Attenzione");
    case Kind::Error: return QStringLiteral("Errore");
    case Kind::Information: return QStringLiteral("Informazione");
    case Kind::Confirmation: return QStringLiteral("Conferma");
    case Kind::Plain: return QStringLiteral("Miniarca Pro");
    }
    return {};
}

QMessageBox::StandardButtons standardButtons(Kind kind)
{
    switch (kind) {
    case Kind::Confirmation: return QMessageBox::Yes | QMessageBox::No;
    case Kind::Plain: return QMessageBox::Ok;
    default: return QMessageBox::Ok | QMessageBox::Cancel;
    }
}

QMessageBox::StandardButton message(QWidget* parent, Kind kind, const QString& text)
{
    const QMessageBox::StandardButtons buttons = standardButtons(kind);
    const QMessageBox::StandardButton first = kind == Kind::Confirmation ? QMessageBox::Yes : QMessageBox::Ok;
    Script& s = script();
    if (s.scripted) {
        QWidget* owner = parent ? parent->window() : nullptr;
        s.shown.append({kind, standardTitle(kind), text, buttons, owner ? owner->objectName() : QString()});
        return s.answers.isEmpty() ? first : s.answers.takeFirst();
    }
    QMessageBox box(iconOf(kind), standardTitle(kind), text, buttons, parent);
    box.setDefaultButton(first);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        entries << parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

FileRequest importRequest(const QString& title)
{
    FileRequest request;
    request.title = title;
    request.filter = QStringLiteral("Fogli di calcolo e file CSV|*.xls;*.xlsx;*.ods;*.fods;*.csv;*.txt|"
                                    "Tutti i file|*");
    return request;
}

QString fileName(QWidget* parent, const FileRequest& request)
{
    Script& s = script();
    if (s.scripted) {
        s.requests.append(request);
        const QString path = s.fileNames.isEmpty() ? QString() : s.fileNames.takeFirst();
        return request.mode == FileRequest::Save ? withDefaultSuffix(path, request.defaultSuffix) : path;
    }
    QFileDialog dialog(parent, request.title);
    dialog.setNameFilter(qtFilter(request.filter));
    // The list shows each entry as it is described ("File Jpeg (*.jpg)"),
    // not the description followed by its patterns once more.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(request.mode == FileRequest::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mode == FileRequest::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    return request.mode == FileRequest::Save ? withDefaultSuffix(path, request.defaultSuffix) : path;
}

void setScripted(bool scripted)
{
    script().scripted = scripted;
}
bool isScripted()
{
    return script().scripted;
}
void setNextAnswer(QMessageBox::StandardButton answer)
{
    script().answers.append(answer);
}
void setNextFileName(const QString& path)
{
    script().fileNames.append(path);
}
QList<Shown> takeShown()
{
    return std::exchange(script().shown, {});
}
const QList<Shown>& shown()
{
    return script().shown;
}
QList<FileRequest> takeFileRequests()
{
    return std::exchange(script().requests, {});
}

void clear()
{
    Script& s = script();
    s.answers.clear();
    s.fileNames.clear();
    s.shown.clear();
    s.requests.clear();
    s.printerFiles.clear();
    s.printerRequests = 0;
    s.texts.clear();
    s.textQuestions.clear();
}

QString text(QWidget* parent, const QString& title, const QString& question, const QString& initial)
{
    Script& s = script();
    if (s.scripted) {
        s.textQuestions.append(question);
        return s.texts.isEmpty() ? QString() : s.texts.takeFirst();
    }
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, title, question, QLineEdit::Normal, initial, &ok);
    return ok ? answer : QString();
}

void setNextText(const QString& answer)
{
    script().texts.append(answer);
}

QList<QString> takeTextQuestions()
{
    return std::exchange(script().textQuestions, {});
}

bool printer(QWidget* parent, QPrinter& printer)
{
    Script& s = script();
    if (s.scripted) {
        ++s.printerRequests;
        const QString path = s.printerFiles.isEmpty() ? QString() : s.printerFiles.takeFirst();
        if (path.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

void setNextPrinterFile(const QString& pdfPath)
{
    script().printerFiles.append(pdfPath);
}
int takePrinterRequests()
{
    return std::exchange(script().printerRequests, 0);
}

} // namespace Dialogs
