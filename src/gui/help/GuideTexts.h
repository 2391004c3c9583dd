#pragma once
#include <QString>
#include <QStringList>

// A help text: the guide window's title and its paragraphs, in order.
struct GuideText {
    QString title;
    QStringList paragraphs;
};

// The help texts of the windows that offer one, all kept here.
namespace GuideTexts {

GuideText startWindow();
// Shared by the create and open windows.
GuideText catalogue();
GuideText recordSheet();
GuideText exportWindow();

} // namespace GuideTexts
