#pragma once
#include "core/card/ShownCard.h"
#include "core/report/CardLayout.h"
#include "gui/widgets/FixedWindow.h"

class QLabel;
class QPushButton;
class QWidget;
class TImageView;

// The printed card of the record on the sheet, as the sheet shows it when
// the window is opened (unsaved edits included): one window previews it, its
// twin prints it. Per use: the sheet creates one with the card, shows it
// modally and discards it.
class TCardOutputWindow : public TFixedDialog {
    Q_OBJECT
public:
    enum class Output { Preview, Print };

    TCardLayout repDocumento;

    void btnStampaClick();
    void btnAnnullaClick();

    QString failureMessage() const;

protected:
    TCardOutputWindow(QWidget* owner, const TShownCard& card, Output output);

    void FormShow();
    void showEvent(QShowEvent* event) override;

private:
    // Fills the layout from the card and previews or prints it; false when
    // that did not succeed. A cancelled printer dialog is no failure.
    bool fillAndOutput();

    QWidget* panInfo; // the white panel holding the information pictures
    QWidget* icoInf01;
    QWidget* icoInf02; // null where the window has one picture
    QPushButton* btnStampa;
    QPushButton* btnAnnulla;
    // Hidden: the picture that will print, and the built-in fallback.
    TImageView* imgLogo;
    TImageView* imgTemp;

    TShownCard m_card;
    Output m_output;
};

class TfrmStampaCartolina : public TCardOutputWindow {
    Q_OBJECT
public:
    TfrmStampaCartolina(QWidget* owner, const TShownCard& card) : TCardOutputWindow(owner, card, Output::Print) {}
};

class TfrmAnteprimaCartolina : public TCardOutputWindow {
    Q_OBJECT
public:
    TfrmAnteprimaCartolina(QWidget* owner, const TShownCard& card) : TCardOutputWindow(owner, card, Output::Preview) {}
};
