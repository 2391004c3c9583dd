#include "gui/sheet/FieldEntry.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "core/formats/Amount.h"
#include "gui/widgets/Look.h"

namespace {

bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool isAmountCharacter(QChar c)
{
    return c == QLatin1Char(',') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

} // namespace

TFieldEntry::TFieldEntry(const QList<QLineEdit*>& cycle, QLineEdit* amount, QObject* parent)
    : QObject(parent), m_cycle(cycle), m_amount(amount), m_amountCapacity(amount->maxLength())
{
    for (QLineEdit* field : m_cycle) {
        field->installEventFilter(this);
        FieldApplyStyleLookup(field);
        if (field->hasFocus())
            FieldEnter(field);
    }
    // Every change of the amount comes by the keyboard filter or by a paste
    // inside the field, so that leaving it always normalises what it holds:
    // no composed input around the filter, no text dropped in from outside.
    m_amount->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_amount->setAcceptDrops(false);
}

QString TFieldEntry::normalStyle()
{
    return Look::normalFieldStyle();
}

QString TFieldEntry::focusedStyle()
{
    return Look::focusedFieldStyle();
}

void TFieldEntry::FieldApplyStyleLookup(QLineEdit* field)
{
    field->setStyleSheet(normalStyle());
}

void TFieldEntry::FieldEnter(QLineEdit* field)
{
    m_entered = field;
    field->setStyleSheet(focusedStyle());
}

void TFieldEntry::FieldExit(QLineEdit* field)
{
    if (m_entered == field)
        m_entered = nullptr;
    field->setStyleSheet(normalStyle());
    if (field == m_amount)
        txtValoreExit();
}

bool TFieldEntry::FieldKeyDown(QLineEdit* field, QKeyEvent* event)
{
    if (field == m_amount)
        return txtValoreKeyDown(event);
    if (isEnter(event)) {
        moveTo(nextInCycle(field));
        return true;
    }
    return false;
}

void TFieldEntry::txtValoreExit()
{
    const QString amount = NormalizzaImporto(m_amount->text());
    // A 12-digit amount gains ",00": the limit is on typing, not on the amount.
    if (amount.size() > m_amount->maxLength())
        m_amount->setMaxLength(static_cast<int>(amount.size()));
    if (amount != m_amount->text())
        m_amount->setText(amount);
}

bool TFieldEntry::txtValoreKeyDown(QKeyEvent* event)
{
    if (isEnter(event)) {
        moveTo(nextInCycle(m_amount));
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right: keepTypingCapacity(); return false;
    default: break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return true;
    const QString typed = event->text();
    if (typed.size() != 1 || !isAmountCharacter(typed.at(0)))
        return true;
    keepTypingCapacity();
    // Typing stays within the field's capacity even while it shows a longer amount.
    return m_amount->text().size() - m_amount->selectedText().size() >= m_amountCapacity;
}

void TFieldEntry::finishEditing()
{
    if (!m_entered || m_entered->hasFocus())
        return;
    if (m_entered->window()->focusWidget() == m_entered)
        return; // still the field the window gives the focus back to
    FieldExit(m_entered);
}

bool TFieldEntry::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || !m_cycle.contains(field))
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::FocusIn:
        // The previous field may have lost the focus while its window was
        // not active, without an exit of its own.
        if (m_entered && m_entered != field)
            FieldExit(m_entered);
        if (m_entered != field)
            FieldEnter(field);
        if (field == m_amount)
            keepTypingCapacity();
        break;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && m_entered == field)
            FieldExit(field);
        break;
    }
    case QEvent::KeyPress: return FieldKeyDown(field, static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod:
        if (field == m_amount) {
            const auto* input = static_cast<QInputMethodEvent*>(event);
            if (!input->preeditString().isEmpty())
                return true;
            for (QChar c : input->commitString()) {
                if (!isAmountCharacter(c))
                    return true;
            }
        }
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

QLineEdit* TFieldEntry::nextInCycle(QLineEdit* field) const
{
    const qsizetype i = m_cycle.indexOf(field);
    return m_cycle.at((i + 1) % m_cycle.size());
}

void TFieldEntry::moveTo(QLineEdit* field)
{
    // Like Tab: the next field comes with its text selected, ready to be typed over.
    field->setFocus(Qt::TabFocusReason);
}

void TFieldEntry::keepTypingCapacity()
{
    if (m_amount->maxLength() <= m_amountCapacity || m_amount->text().size() > m_amountCapacity)
        return;
    // Giving the capacity back rewrites the text; keep the cursor where it was.
    const int cursor = m_amount->cursorPosition();
    const int selectionStart = m_amount->selectionStart();
    const int selectionLength = m_amount->selectionLength();
    m_amount->setMaxLength(m_amountCapacity);
    if (selectionStart >= 0 && selectionLength > 0) {
        if (cursor == selectionStart)
            m_amount->setSelection(selectionStart + selectionLength, -selectionLength);
        else
            m_amount->setSelection(selectionStart, selectionLength);
    } else {
        m_amount->setCursorPosition(cursor);
    }
}
