#pragma once
#include <QString>
#include <QStringList>

// The record sheet's own help text, shown in the guide window.
QString cartolineGuideTitle();
QStringList cartolineGuideParagraphs();
