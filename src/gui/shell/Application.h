#pragma once
#include <QApplication>

// The application object: a failure that no window catches is shown in an
// error box, in Italian, and the window stays as it was.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    // The id of the menu entry, its icon and its software-centre description.
    static constexpr const char* DesktopId = "org.miniarca.MiniarcaPro";
    bool notify(QObject* receiver, QEvent* event) override;
};
