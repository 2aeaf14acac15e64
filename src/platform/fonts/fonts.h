// Fonts requested by the names the windows were designed with, mapped to installed
// metric-compatible families.
#pragma once

#include <QFont>
#include <QString>

namespace ui {

// The installed family that stands in for a design-time family name: "Arial", "MS Sans Serif"
// and "System" become "Liberation Sans", "Times New Roman" becomes "Liberation Serif",
// "Courier New" becomes "Liberation Mono". Other names are returned unchanged. Matching
// ignores case.
QString mapFontFamily(const QString& family);

// Registers the mapping with Qt's font substitution table, so that fonts named in forms
// (and fonts a caller builds by name) resolve to the mapped families. Safe to call twice.
void installFontMapping();

// A font by design-time name and point size.
QFont makeFont(const QString& family, int pointSize, bool bold = false, bool italic = false);

// The font every dialog uses: Arial 8 point.
QFont dialogFont();

}  // namespace ui
