#pragma once
#include <QList>
#include <QMessageBox>
#include <QString>

class QPrinter;
class QWidget;

// The one seam through which every window shows message boxes and file
// dialogs. Production shows the real Qt dialogs; tests switch to scripted
// mode, queue the answers and read back what was shown.
namespace Dialogs {

enum class Kind { Warning, Error, Information, Confirmation, Plain };

struct Shown {
    Kind kind;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QString parentName; // objectName of the owner window, for tests
};

// Warning, error and information boxes offer OK and Cancel; confirmations Yes
// and No; plain boxes OK alone. The title is the standard one of the kind.
QMessageBox::StandardButton message(QWidget* parent, Kind kind, const QString& text);

inline void warning(QWidget* parent, const QString& text)
{
    message(parent, Kind::Warning, text);
}
inline void error(QWidget* parent, const QString& text)
{
    message(parent, Kind::Error, text);
}
inline void information(QWidget* parent, const QString& text)
{
    message(parent, Kind::Information, text);
}
inline void plain(QWidget* parent, const QString& text)
{
    message(parent, Kind::Plain, text);
}
// Only No cancels a question.
inline bool confirm(QWidget* parent, const QString& text)
{
    return message(parent, Kind::Confirmation, text) != QMessageBox::No;
}

QString standardTitle(Kind kind);
QMessageBox::StandardButtons standardButtons(Kind kind);

// File dialogs. The filter is written as "description|patterns|description|patterns";
// patterns are separated by ';'.
struct FileRequest {
    enum Mode { Open, Save } mode = Open;
    QString title;
    QString filter;
    QString initialName;
    QString defaultSuffix; // without the dot; added to a name typed without extension
    bool confirmOverwrite = true;
};

// Returns the chosen full path, or an empty text when the user cancelled.
QString fileName(QWidget* parent, const FileRequest& request);

// Opening a file to import cards from: the spreadsheets and delimited texts
// the import reads, under `title`. The sheet and the start window ask so.
FileRequest importRequest(const QString& title);

// Asks for one line of text; empty when the user cancelled.
QString text(QWidget* parent, const QString& title, const QString& question, const QString& initial);

// Converts "desc|pat;pat|desc|pat" into Qt's "desc (pat pat);;desc (pat)".
QString qtFilter(const QString& filter);

// The printer dialog over `printer`, which comes set to the default printer,
// one copy, all pages. True when the user chose to print; a collector without
// a printer can choose a PDF file there.
bool printer(QWidget* parent, QPrinter& printer);

// ---- test seam -------------------------------------------------------------
void setScripted(bool scripted);
bool isScripted();
// One-shot answers, consumed in order. Without a queued answer a scripted box
// answers with its first button (OK or Yes) and a file dialog is cancelled.
void setNextAnswer(QMessageBox::StandardButton answer);
void setNextFileName(const QString& path);
QList<Shown> takeShown();
const QList<Shown>& shown();
QList<FileRequest> takeFileRequests();
void clear();
// A scripted printer dialog prints to the PDF file queued here; without a
// queued file, or with an empty one, it is cancelled.
void setNextPrinterFile(const QString& pdfPath);
// How many printer dialogs were shown since the last call.
int takePrinterRequests();
// A scripted text question answers with the text queued here, or is
// cancelled; the questions asked since the last call.
void setNextText(const QString& answer);
QList<QString> takeTextQuestions();

} // namespace Dialogs
