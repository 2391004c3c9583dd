#pragma once
#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// Shared looks of the program: named fonts with a metric-compatible fallback,
// the process-wide number and date formats, the standard colours.
namespace Look {

// Fonts are asked for by name; the style hint lets fontconfig pick a
// metric-compatible face where the original is not installed.
QFont verdana(int points, bool bold = false);
QFont courierNew(int points, bool bold = false);
QFont arial(int points, bool bold = false);
QFont tahoma(int points, bool bold = false);

// Amounts with a decimal comma, whatever the regional settings of the machine
// say (dates and times are written through ProcessFormats). Set once, by the
// application object as the program starts.
void applyProcessFormats();

inline const QColor steelBlue{0x46, 0x82, 0xB4};
inline const QColor catalogueBlue{0x42, 0x7A, 0xA8};
inline const QColor aliceBlue{0xF0, 0xF8, 0xFF};
inline const QColor skyBlue{0x87, 0xCE, 0xEB};
inline const QColor focusYellow{0xFF, 0xFF, 0x00};
inline const QColor darkBlue{0x00, 0x00, 0x8B};
inline const QColor orange{0xFF, 0xA5, 0x00};

// The edit-field looks: alice-blue fill with a sky-blue outline, yellow fill
// while the field has the focus. editFieldStyle() switches by itself on focus.
QString normalFieldStyle();
QString focusedFieldStyle();
QString editFieldStyle();

// Maximised windows of the program: at start-up they open maximised.
void showMaximised(QWidget* window);

} // namespace Look
