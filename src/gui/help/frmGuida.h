#pragma once
#include <QStringList>

#include "gui/widgets/FixedWindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TBanner;
class TLinkLabel;
class TPictureButton;
struct GuideText;

// Guide window: shows the help text its opener gives and offers the user
// guide "Guida.pdf". Per-use: created by the opener, shown modally, destroyed.
class TfrmGuida : public TFixedDialog {
    Q_OBJECT
public:
    explicit TfrmGuida(QWidget* owner);

    void lnkWebClick();

    // The opener's whole part: a fresh window owned by `owner`, given the
    // title and paragraphs of `guide`, shown modally and destroyed when it
    // closes.
    static void showGuide(QWidget* owner, const GuideText& guide);

    // Paragraphs of a help text are separated by CR LF CR LF.
    static QString joinParagraphs(const QStringList& paragraphs);

    // Program folder + "Guida.pdf".
    static QString userGuidePath();

private:
    TBanner* imgLogo;
    QLabel* lblTitolo;
    QPlainTextEdit* txtGuida;
    TPictureButton* imgPDF;
    TLinkLabel* lnkWeb;
    QPushButton* btnChiudi;
};
