// Font name mapping onto the Liberation families.
#include "platform/fonts/fonts.h"

#include <QStringList>
#include <array>
#include <utility>

namespace ui {
namespace {

struct FontMapping {
    const char* from;
    const char* to;
};

constexpr std::array<FontMapping, 5> kMappings{{
    {"Arial", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"System", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
}};

}  // namespace

QString mapFontFamily(const QString& family) {
    const QString trimmed = family.trimmed();
    for (const FontMapping& m : kMappings) {
        if (trimmed.compare(QLatin1String(m.from), Qt::CaseInsensitive) == 0) {
            return QString::fromLatin1(m.to);
        }
    }
    return family;
}

void installFontMapping() {
    for (const FontMapping& m : kMappings) {
        const QString from = QString::fromLatin1(m.from);
        const QString to = QString::fromLatin1(m.to);
        if (!QFont::substitutes(from).contains(to, Qt::CaseInsensitive)) {
            QFont::insertSubstitution(from, to);
        }
    }
}

QFont makeFont(const QString& family, int pointSize, bool bold, bool italic) {
    QFont font(mapFontFamily(family));
    font.setPointSize(pointSize > 0 ? pointSize : 8);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont dialogFont() {
    return makeFont(QStringLiteral("Arial"), 8);
}

}  // namespace ui
