#pragma once
#include <QList>

#include "gui/search/frmRiepilogo.h"

class QFrame;

// Find window: up to ten criteria typed on the criteria panel, then the
// matching records of the sheet's archive as a sorted list of record lines
// on the results panel, from which a record is brought back to the sheet.
// Per use: each opening from the sheet starts with empty criteria.
class TfrmTrovaCartoline : public TfrmRiepilogo {
    Q_OBJECT
public:
    TfrmTrovaCartoline(QWidget* owner, const QString& archivePath);

    // The last find-in-list text of every find window.
    static QString UltimaRicerca;

    void btnCercaMouseDown();
    void btnCercaClick();
    void btnAnnullaClick();

protected:
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Criterio;
    // The criteria fields in Enter order, with their places and highlights.
    static const Criterio kCriteri[10];

    // Criteria panel.
    QWidget* panAvvio;
    QLabel* imgSpiega;
    QLabel* icoTrova01;
    QLineEdit* txtNome;
    QLineEdit* txtTipologia;
    QLineEdit* txtProduttore;
    QLineEdit* txtCodice;
    QLineEdit* txtDescrizione;
    QLineEdit* txtAnno;
    QLineEdit* txtProprietario;
    QLineEdit* txtProvenienza;
    QLineEdit* txtRarita;
    QLineEdit* txtNote;
    QFrame* effCampo01;
    QFrame* effCampo02;
    QFrame* effCampo03;
    QFrame* effCampo04;
    QFrame* effCampo05;
    QFrame* effCampo06;
    QFrame* effCampo07;
    QFrame* effCampo08;
    QFrame* effCampo09;
    QFrame* effCampo10;
    QPushButton* btnAnnulla;
    QPushButton* btnCerca;
    QLabel* lblAttendere;
    QLabel* lblConta;
    QLabel* lblMemory;

    // Results panel, besides the shared part.
    QLabel* lblTrovate;

    void buildCriteria();

    QList<QLineEdit*> m_criteri;
    QHash<QObject*, QFrame*> m_highlights;
};
