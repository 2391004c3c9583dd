#pragma once
#include <QList>
#include <QString>

#include "core/report/Report.h"

// The printed card of one model on portrait A4: the archive name, the model's
// name on a blue title bar, the first photo, and the other twenty fields in
// labelled boxes. Everything stands directly on the one page.
class TCardLayout : public TReport {
public:
    TCardLayout();

    // One labelled field box: caption bar above a value box.
    struct FieldBox {
        double top;
        double left;
        double width;
        QString caption;
        QString textObject; // the value text, named as the sheet's edit it shows
    };
    static const QList<FieldBox>& fieldBoxes();
};
