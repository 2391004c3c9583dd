#pragma once
#include <QObject>
#include <QString>

#include <chrono>

class QLocalServer;

// One running program per user and program folder. The first start listens
// on a local socket; a later start hands it the collection it was given (or
// nothing, to bring the window forward) and ends, so that no second program
// works over the same files and no second password is asked. A first program
// that hangs, or a socket left behind by one that crashed, costs the later
// start only a short wait: then it starts normally and takes the name over.
namespace SingleInstance {

// The socket's name for this user and this program folder.
QString serverName(const QString& programFolder);

// Gives `file` (an empty text: none) to the program listening on `name`;
// true when it took it. `wait` bounds the whole exchange.
bool handOver(const QString& name, const QString& file,
              std::chrono::milliseconds wait = std::chrono::milliseconds(2500));

} // namespace SingleInstance

// The first program's side: listens on the name and tells what each later
// start handed over.
class TInstanceServer : public QObject {
    Q_OBJECT
public:
    explicit TInstanceServer(const QString& name, QObject* parent = nullptr);
    // Takes the name, over a stale socket too; false when it cannot.
    bool listen();

signals:
    // A later start: `file` is the collection it named, or empty.
    void handedOver(const QString& file);

private:
    void takeConnection();
    QString m_name;
    QLocalServer* m_server;
};
