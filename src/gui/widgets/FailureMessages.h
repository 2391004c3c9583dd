#pragma once
#include <QString>

#include "core/access/PasswordStore.h"
#include "core/archive/Failure.h"
#include "core/import/LettoreTabella.h"
#include "gui/widgets/Dialogs.h"

class QWidget;

// The message every window shows when an archive action fails.
QString ArchiveAccessMessage();

// The words the windows show for what the core reports as values: its
// failures, its refusals and the one question it has a window ask. The core
// says what happened; the texts are the program's and live only here.
namespace FailureMessages {

// The text shown for a failure where every window says the same: the
// access message for an archive and what is written under its lock, the
// export's message, the sheet's message for a card's photos, the login's
// for a store it cannot read and the password change's for one it cannot
// write. A window with words of its own for a failure (the password change
// reading the store, saving a photo to a chosen file) shows them and only
// log()s.
QString text(const TFailure& failure);

// Writes the failure (operation, file, the system's error) to standard
// error under its subject's logging category ("miniarca.archive",
// "miniarca.photos", ...). Called once per failure, where a window takes it.
void log(const TFailure& failure);

// log(), then text() in a box of `kind`.
void show(QWidget* parent, const TFailure& failure, Dialogs::Kind kind = Dialogs::Kind::Error);

// Why a chosen file cannot be imported.
QString importReadError(Importazione::ErroreLettura error);

// Why a new password cannot be stored; empty for Refusal::None.
QString passwordRefusal(PasswordStore::Refusal refusal);

// Asked before an attachment copy replaces a file of the same name.
QString attachmentOverwriteQuestion();

} // namespace FailureMessages
