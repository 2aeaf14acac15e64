// The program's icon, from the PNGs rendered for the icon theme (data/icons/render_icons.sh).
#include "app/app_icon.h"

#include <algorithm>

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/%2.png")
                         .arg(size)
                         .arg(QLatin1String(kApplicationId)),
                     QSize(size, size));
    }
    return icon;
}

QPixmap AboutPicture(qreal devicePixelRatio) {
    // Drawn from the next larger size, so that a high-DPI screen gets dots of its own rather
    // than the 1x picture blown up.
    return ApplicationIcon().pixmap(QSize(96, 96), std::clamp<qreal>(devicePixelRatio, 1, 4));
}
