// Placement sections of the settings file: reading, keeping on the screen, writing.
#include "app/form_placement.h"

#include <QWidget>

#include "platform/ini/profile.h"
#include "platform/ui/application.h"

namespace {

std::string SectionOf(const QWidget* form) {
    return PlacementSection(form->metaObject()->className(),
                            ui::CurrentScreenMetrics().dotsPerInch);
}

}  // namespace

std::string PlacementSection(std::string_view className, int dotsPerInch) {
    std::string section = std::string(className) + "_Placement";
    if (dotsPerInch > 96) {
        section += std::to_string(dotsPerInch);
    }
    return section;
}

QRect KeptOnScreen(const QRect& stored, QSize screen) {
    // QRect's right() is the last pixel inside; the stored right edge is one past it.
    int left = stored.left();
    int top = stored.top();
    const int right = left + stored.width();
    const int bottom = top + stored.height();
    if (screen.width() < right) {
        left += screen.width() - right;
    }
    if (screen.height() < bottom) {
        top += screen.height() - bottom;
    }
    return {left, top, stored.width(), stored.height()};
}

void RestoreFormPlacement(QWidget* form, const std::string& iniFile, bool designedMaximized) {
    if (form == nullptr) {
        return;
    }
    const std::string section = SectionOf(form);
    const int left = ini::ReadInteger(iniFile, section, "Left", 0);
    const int top = ini::ReadInteger(iniFile, section, "Top", 0);
    const int right = ini::ReadInteger(iniFile, section, "Right", 0);
    const int bottom = ini::ReadInteger(iniFile, section, "Bottom", 0);
    const bool maximized = ini::ReadBool(iniFile, section, "Maximized", designedMaximized);
    if (bottom == 0) {
        ui::CentreForm(form);
    } else {
        const ui::ScreenMetrics screen = ui::CurrentScreenMetrics();
        ui::SetFormBounds(form, KeptOnScreen(QRect(left, top, right - left, bottom - top),
                                             QSize(screen.width, screen.height)));
    }
    if (maximized) {
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
    }
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
        ok = ini::WriteInteger(iniFile, section, key, value) == ini::WriteResult::kOk && ok;
    };
    write("Left", r.left());
    write("Top", r.top());
    write("Right", r.left() + r.width());
    write("Bottom", r.top() + r.height());
    ok = ini::WriteBool(iniFile, section, "Maximized", placement.maximized) ==
             ini::WriteResult::kOk &&
         ok;
    return ok;
}
