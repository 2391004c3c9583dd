#pragma once
#include "core/report/CardLayout.h"
#include "gui/widgets/FixedWindow.h"

class QLabel;
class QPushButton;
class QWidget;
class TfrmCartoline;
class TImageView;

// The printed card of the record on the sheet, as the sheet shows it at this
// moment (unsaved edits included): one window previews it, its twin prints
// it. Per use: the sheet creates one, shows it modally and discards it.
class TCardOutputWindow : public TFixedDialog {
    Q_OBJECT
public:
    enum class Output { Preview, Print };

    QWidget* panInfo;     // the white panel holding the information pictures
    QWidget* icoInf01;
    QWidget* icoInf02;    // null where the window has one picture
    QPushButton* btnStampa;
    QPushButton* btnAnnulla;
    // Hidden: the picture that will print, and the built-in fallback.
    TImageView* imgLogo;
    TImageView* imgTemp;
    TCardLayout repDocumento;

    void btnStampaClick();
    void btnAnnullaClick();

    QString failureMessage() const;

protected:
    TCardOutputWindow(TfrmCartoline* sheet, Output output);

    void FormShow();
    void showEvent(QShowEvent* event) override;

private:
    // Fills the layout from the sheet and previews or prints it; false when
    // that did not succeed. A cancelled printer dialog is no failure.
    bool fillAndOutput();

    TfrmCartoline* m_sheet;
    Output m_output;
};

class TfrmStampaCartolina : public TCardOutputWindow {
    Q_OBJECT
public:
    explicit TfrmStampaCartolina(TfrmCartoline* sheet) : TCardOutputWindow(sheet, Output::Print) {}
};

class TfrmAnteprimaCartolina : public TCardOutputWindow {
    Q_OBJECT
public:
    explicit TfrmAnteprimaCartolina(TfrmCartoline* sheet) : TCardOutputWindow(sheet, Output::Preview) {}
};
