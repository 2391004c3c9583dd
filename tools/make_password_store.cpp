// Writes the password store delivered with the program: the initial password
// "vetrinamodelli", upper-cased and enciphered.
//
//   make_password_store [--if-missing] <store file>
//
// With --if-missing an existing store is left alone, so that a password the
// user has changed survives every rebuild.
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include "core/access/Crypt.h"
#include "core/access/PasswordStore.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    QTextStream err(stderr);
    if (args.size() != 1) {
        err << "usage: make_password_store [--if-missing] <store file>\n";
        return 2;
    }
    const QString store = args.constFirst();
    if (ifMissing && QFileInfo::exists(store))
        return 0;
    const QString value = Crypt::Encrypt(
        PasswordStore::normalised(QString::fromLatin1(PasswordStore::kInitialPassword)));
    if (!PasswordStore::writeValue(store, value)) {
        err << "cannot write " << store << "\n";
        return 1;
    }
    return 0;
}
