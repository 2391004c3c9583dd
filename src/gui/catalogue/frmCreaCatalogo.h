#pragma once
#include "gui/widgets/GradientWindow.h"

class QLabel;
class QLineEdit;
class TPictureButton;

// Create window: makes a new, empty archive file in the program folder.
// Closing it, by any means, is reported by closed().
class TfrmCreaCatalogo : public TGradientWindow {
    Q_OBJECT
public:
    explicit TfrmCreaCatalogo(QWidget* parent = nullptr);

    void btnApplicaClick();
    void imgGuidaClick();

signals:
    void closed();
    // The archive at `path`, named `name`, was just created; closed() follows.
    void created(const QString& path, const QString& name);

protected:
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* icoIstruzioni;
    QLineEdit* txtFile;
    TPictureButton* btnApplica;
    TPictureButton* btnAnnulla;
    TPictureButton* imgGuida;
    QLabel* lblFile;
};
