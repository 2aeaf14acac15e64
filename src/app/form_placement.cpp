// Placement sections of the settings file: reading, keeping on the screen, writing.
#include "app/form_placement.h"

#include <QWidget>

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/ini/profile.h"
#include "platform/ui/application.h"

namespace {

std::string SectionOf(const QWidget* form) {
    return PlacementSection(form->metaObject()->className(),
                            ui::CurrentScreenMetrics().dotsPerInch);
}

}  // namespace

std::string PlacementSection(std::string_view className, int dotsPerInch) {
    // A form's class is named without the namespace its code lives in.
    if (const std::size_t colons = className.rfind("::"); colons != std::string_view::npos) {
        className.remove_prefix(colons + 2);
    }
    std::string section = std::string(className) + "_Placement";
    if (dotsPerInch > 96) {
        section += std::to_string(dotsPerInch);
    }
    return section;
}

namespace {

// One axis of KeptOnScreen: the start and length of the span on a screen of `screen` pixels.
std::pair<int, int> KeptOnAxis(std::int64_t start, std::int64_t end, int screen, int designed) {
    std::int64_t length = end - start;
    if (length <= 0) {
        length = designed;
    }
    if (screen <= 0) {  // no screen to measure against: nothing better to go by
        return {static_cast<int>(std::clamp<std::int64_t>(start, INT_MIN / 2, INT_MAX / 2)),
                static_cast<int>(std::min<std::int64_t>(length, INT_MAX / 2))};
    }
    length = std::min<std::int64_t>(length, screen);
    start = std::clamp<std::int64_t>(start, 0, screen - length);
    return {static_cast<int>(start), static_cast<int>(length)};
}

}  // namespace

QRect KeptOnScreen(const StoredEdges& stored, QSize screen, QSize designed) {
    const auto [left, width] =
        KeptOnAxis(stored.left, stored.right, screen.width(), designed.width());
    const auto [top, height] =
        KeptOnAxis(stored.top, stored.bottom, screen.height(), designed.height());
    return {left, top, width, height};
}

void ApplyFormPlacement(QWidget* form, const std::string& iniFile, bool designedMaximized) {
    if (form == nullptr) {
        return;
    }
    const std::string section = SectionOf(form);
    const StoredEdges stored{ini::ReadInteger(iniFile, section, "Left", 0),
                             ini::ReadInteger(iniFile, section, "Top", 0),
                             ini::ReadInteger(iniFile, section, "Right", 0),
                             ini::ReadInteger(iniFile, section, "Bottom", 0)};
    const bool maximized = ini::ReadBool(iniFile, section, "Maximized", designedMaximized);
    if (stored.bottom == 0) {
        ui::CentreForm(form);
    } else {
        const ui::ScreenMetrics screen = ui::CurrentScreenMetrics();
        ui::SetFormBounds(form, KeptOnScreen(stored, QSize(screen.width, screen.height),
                                             ui::FormBounds(form).size()));
    }
    if (maximized) {
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
    }
}

void RestoreFormPlacement(QWidget* form, const std::string& iniFile, bool designedMaximized) {
    ApplyFormPlacement(form, iniFile, designedMaximized);
    SaveFormPlacement(form, iniFile);
}

bool SaveFormPlacement(QWidget* form, const std::string& iniFile) {
    if (form == nullptr) {
        return false;
    }
    const std::string section = SectionOf(form);
    const ui::WindowPlacement placement = ui::FormPlacement(form);
    const QRect& r = placement.normalBounds;
    bool ok = true;
    auto write = [&](const char* key, int value) {
        ok = ini::WriteInteger(iniFile, section, key, value) && ok;
    };
    write("Left", r.left());
    write("Top", r.top());
    write("Right", r.left() + r.width());
    write("Bottom", r.top() + r.height());
    ok = ini::WriteBool(iniFile, section, "Maximized", placement.maximized) && ok;
    return ok;
}
