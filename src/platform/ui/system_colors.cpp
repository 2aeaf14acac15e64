// The fixed classic values behind the system colours.
#include "platform/ui/system_colors.h"

namespace ui {

QColor sysColor(SysColor which) {
    switch (which) {
        case SysColor::ButtonFace:
            return QColor(192, 192, 192);
        case SysColor::ButtonShadow:
            return QColor(128, 128, 128);
        case SysColor::ButtonHighlight:
            return QColor(255, 255, 255);
        case SysColor::ButtonLight:
            return QColor(223, 223, 223);
        case SysColor::DarkShadow:
            return QColor(0, 0, 0);
        case SysColor::ButtonText:
            return QColor(0, 0, 0);
        case SysColor::Window:
            return QColor(255, 255, 255);
        case SysColor::WindowText:
            return QColor(0, 0, 0);
        case SysColor::WindowFrame:
            return QColor(0, 0, 0);
        case SysColor::Highlight:
            return QColor(0, 0, 128);
        case SysColor::HighlightText:
            return QColor(255, 255, 255);
        case SysColor::GrayText:
            return QColor(128, 128, 128);
        case SysColor::InfoBackground:
            return QColor(255, 255, 225);
        case SysColor::InfoText:
            return QColor(0, 0, 0);
    }
    return QColor(0, 0, 0);
}

QPalette classicPalette() {
    QPalette p;
    const auto set = [&p](QPalette::ColorRole role, SysColor c) {
        p.setColor(QPalette::All, role, sysColor(c));
    };
    set(QPalette::Window, SysColor::ButtonFace);
    set(QPalette::WindowText, SysColor::WindowText);
    set(QPalette::Base, SysColor::Window);
    set(QPalette::AlternateBase, SysColor::Window);
    set(QPalette::Text, SysColor::WindowText);
    set(QPalette::Button, SysColor::ButtonFace);
    set(QPalette::ButtonText, SysColor::ButtonText);
    set(QPalette::Light, SysColor::ButtonHighlight);
    set(QPalette::Midlight, SysColor::ButtonLight);
    set(QPalette::Mid, SysColor::ButtonShadow);
    set(QPalette::Dark, SysColor::ButtonShadow);
    set(QPalette::Shadow, SysColor::DarkShadow);
    set(QPalette::Highlight, SysColor::Highlight);
    set(QPalette::HighlightedText, SysColor::HighlightText);
    set(QPalette::ToolTipBase, SysColor::InfoBackground);
    set(QPalette::ToolTipText, SysColor::InfoText);
    set(QPalette::BrightText, SysColor::ButtonHighlight);
    p.setColor(QPalette::Disabled, QPalette::WindowText, sysColor(SysColor::GrayText));
    p.setColor(QPalette::Disabled, QPalette::Text, sysColor(SysColor::GrayText));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, sysColor(SysColor::GrayText));
    return p;
}

}  // namespace ui
