// The system colours the drawing rules name, as one fixed classic palette so that every
// window and every pixel test sees the same values on any desktop theme.
#pragma once

#include <QColor>
#include <QPalette>

namespace ui {

enum class SysColor {
    ButtonFace,       // 192,192,192: dialog and toolbar background
    ButtonShadow,     // 128,128,128: dark edge of a 3-D frame
    ButtonHighlight,  // 255,255,255: light edge of a 3-D frame
    ButtonLight,      // 223,223,223: inner light edge
    DarkShadow,       // 0,0,0: outer dark edge
    ButtonText,       // 0,0,0
    Window,           // 255,255,255: background of edits and lists
    WindowText,       // 0,0,0
    WindowFrame,      // 0,0,0: thin frames around windows and panes
    Highlight,        // 0,0,128: selection background
    HighlightText,    // 255,255,255
    GrayText,         // 128,128,128: disabled text
    InfoBackground,   // 255,255,225: hints and help popups
    InfoText,         // 0,0,0
};

// The colour of one system colour entry.
QColor sysColor(SysColor which);

// A Qt palette carrying the same colours, for the application and for widgets that paint
// through Qt's styles.
QPalette classicPalette();

}  // namespace ui
