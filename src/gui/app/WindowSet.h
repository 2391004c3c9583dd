#pragma once
#include <QString>

#include <functional>

class QWidget;
class TfrmPassword;
class TfrmApriCatalogo;
class TfrmAvvio;
class TfrmCambiaPassword;
class TfrmCartoline;
class TfrmCreaCatalogo;

// The long-lived windows of the program, created once in a fixed order and
// handing over to one another so that exactly one of them is visible. Each
// window only says what happened (a signal); the set alone knows which window
// comes next and connects them. The per-use windows are created by whoever
// opens them, not here.
class TWindowSet {
public:
    TWindowSet();
    ~TWindowSet();
    TWindowSet(const TWindowSet&) = delete;
    TWindowSet& operator=(const TWindowSet&) = delete;

    // Shows the login window, the only window visible at start.
    void start();

    // Shows `to` (maximised if it is a maximised window), then hides `from`:
    // the one way a long-lived window takes the place of another.
    static void handOver(QWidget* from, QWidget* to);

    // Opens a collection named from outside (command line, a second start,
    // a drop on the start window) in the record sheet, as if chosen in the
    // open window. Before the login it waits for the login.
    void openFile(const QString& path);
    // Brings the program's window in use to the front, over other programs.
    void bringForward();
    // The long-lived window on screen (the login at start).
    QWidget* currentWindow() const;

    // Ends the program; tests replace it to watch for the end.
    void terminate();
    std::function<void()> onTerminate;

    TfrmPassword* frmPassword = nullptr;
    TfrmApriCatalogo* frmApriCatalogo = nullptr;
    TfrmAvvio* frmAvvio = nullptr;
    TfrmCambiaPassword* frmCambiaPassword = nullptr;
    TfrmCartoline* frmCartoline = nullptr;
    TfrmCreaCatalogo* frmCreaCatalogo = nullptr;

private:
    void connectHandOvers();
    void bindGuideKey();
    void openPendingFile();

    bool m_loggedIn = false;
    QString m_pendingFile;

    // A new archive made from a spreadsheet: the file chosen at the start
    // window, then the archive the create window made for it.
    QString m_importFile;
    QString m_importArchivePath;
    QString m_importArchiveName;
};
