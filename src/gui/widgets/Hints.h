#pragma once
#include <QHash>
#include <QObject>
#include <QString>

class QLabel;
class QWidget;

// The status-line hints of a window: moving the pointer over a command writes
// its hint, moving over the background empties the line, and edit fields leave
// it alone. Nothing else writes it, so the design text stays until the pointer
// first crosses the background.
class THints : public QObject {
    Q_OBJECT
public:
    explicit THints(QLabel* statusLine, QObject* parent = nullptr);

    void addCommand(QWidget* command, const QString& hint);
    void addBackground(QWidget* background);
    // Widgets that swallow pointer moves so that the background under them
    // does not empty the line (edit fields).
    void addQuiet(QWidget* widget);

    QString hintOf(QObject* command) const { return m_hints.value(command); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_status;
    QHash<QObject*, QString> m_hints;
    QHash<QObject*, bool> m_background;
    QHash<QObject*, bool> m_quiet;
};
