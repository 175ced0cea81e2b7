// Conversions between the controls' world (twips, &HBBGGRR colours, UTF-8
// texts with CR LF, the common dialog's filter) and Qt's.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <string>

#include "ui/Control.h"

namespace desktop {

// The application's title: message boxes without a title of their own show it.
inline const QString kAppTitle = QStringLiteral("D3Vantor");

// 15 twips to a pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;
inline int px(int twips) { return (twips >= 0 ? twips + 7 : twips - 7) / kTwipsPerPixel; }
inline int twips(int pixels) { return pixels * kTwipsPerPixel; }

inline QString qs(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string ss(const QString& s) { return s.toStdString(); }

// A VB colour: &HBBGGRR, or a system colour 0x800000xx taken from the palette.
QColor colour(ui::Colour c);

// "MS Sans Serif" 8.25 and friends, sized in pixels as on a 96 dpi screen so
// that texts fit their controls whatever the display's dpi.
QFont font(const ui::Font& f);

// A text box's text as the widget shows it: CR LF (and a lone CR) become one
// line break. Positions are counted in characters on both sides.
QString displayText(const std::string& utf8);
// The character position in the widget's text that matches a position in the
// control's text, and back.
int widgetPosition(const std::string& utf8, int modelPos);
int modelPosition(const std::string& utf8, int widgetPos);

// "Beschreibung|Muster|Beschreibung|Muster" as Qt name filters
// "Beschreibung (Muster)", patterns separated by ';' in the filter and by
// blanks in Qt's form. A trailing '|' is allowed.
QStringList nameFilters(const std::string& vbFilter);
// The patterns of the filter with the 1-based index (the first for an index
// out of range); empty without a filter.
QStringList filterPatterns(const std::string& vbFilter, int index);

// The Windows-1252 code of one typed character, or -1 when the code page
// lacks it.
int ansiCode(QChar c);

}  // namespace desktop
