#pragma once
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>

class QKeyEvent;

// How the edit fields of a card behave while the user types: the field with
// the keyboard focus is yellow, the others alice blue, all with a sky-blue
// outline; Enter walks the fields in a fixed cycle; the amount field takes
// only digits and a comma and is rewritten as an amount with two decimals
// whenever the user leaves it.
//
// A field counts as entered from the moment it gains the focus until the
// focus moves to another widget of the window. The focus leaving with the
// whole window (another window activated, a message box, the field's own
// context menu) is no exit: the field keeps its look and its text.
class TFieldEntry : public QObject {
    Q_OBJECT
public:
    // `cycle` is the Enter order, the last field leading back to the first;
    // `amount` is the value field, one of them.
    TFieldEntry(const QList<QLineEdit*>& cycle, QLineEdit* amount, QObject* parent = nullptr);

    // Finishes the exit processing of the field last entered when the focus
    // has since moved away from it, even where the window system sent no
    // focus event (a window that is not active). Saving calls it after moving
    // the focus, so that nothing is read from a half-typed amount.
    void finishEditing();

    // The field that shows the focused look, if any.
    QLineEdit* entered() const { return m_entered; }

    // The two looks of a field; the whole field is filled, the outline drawn over it.
    static QString normalStyle();
    static QString focusedStyle();

    // Handlers of every field.
    void FieldApplyStyleLookup(QLineEdit* field);
    void FieldEnter(QLineEdit* field);
    void FieldExit(QLineEdit* field);
    // True when the key press is used up here.
    bool FieldKeyDown(QLineEdit* field, QKeyEvent* event);

    // The value field's own exit processing and key filter.
    void txtValoreExit();
    bool txtValoreKeyDown(QKeyEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* nextInCycle(QLineEdit* field) const;
    void moveTo(QLineEdit* field);
    void keepTypingCapacity();

    QList<QLineEdit*> m_cycle;
    QLineEdit* m_amount;
    // What the value field takes by typing; a normalised amount may be longer.
    int m_amountCapacity;
    QPointer<QLineEdit> m_entered;
};
