// The what's-this popup: one borderless, topmost window for the whole application that shows
// a control's help text in a coloured box with a dotted shadow, and closes on the next click,
// key or deactivation of the application.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class QFontMetrics;
class QPainter;

namespace controls {

// What one popup shows and where it comes from.
struct THelpRequest {
    QString text;           // "\r\n" or "\n" break lines
    quint32 context = 0;    // help file topic for the more line; 0 = none
    QRect control;          // the control's rectangle in screen coordinates
    QColor color;
    QFont font;
    int maxWidth = 300;
    QString moreText;
};

// The popup's geometry, measured once when it is shown.
struct THelpLayout {
    QSize textBox;   // the wrapped text plus 16 wide and 10 high
    QSize paintBox;  // the text box, plus the more line when there is a help context
    QSize moreSize;  // the more line's measured size, empty without a context
    QRect popup;     // in screen coordinates: the paint box plus the 6-pixel shadow
};

inline constexpr int kHelpShadow = 6;
inline constexpr int kHelpScreenMargin = 10;

// Lays the popup out for `request` on a screen whose area is `screen`: centred on the
// control's left edge, just below its top, and kept inside the screen's right and bottom
// edges.
THelpLayout LayoutHelpPopup(const THelpRequest& request, const QRect& screen);

// Paints the popup into `painter` (its top-left at 0, 0); `backdrop` is what lay below the
// popup when it was shown, darkened by the dotted shadow along the right and bottom edges.
void PaintHelpPopup(QPainter& painter, const THelpRequest& request, const THelpLayout& layout,
                    const QImage& backdrop);

class TODSHelpPopup : public QWidget {
    Q_OBJECT

  public:
    // The application's popup, created the first time it is asked for.
    static TODSHelpPopup* Instance();

    // Shows `request`; `onDone` runs once when the popup closes, however it closes.
    void ShowHelp(const THelpRequest& request, std::function<void()> onDone);

    const THelpLayout& Layout() const { return layout_; }
    const THelpRequest& Request() const { return request_; }
    bool ClosedByDeactivation() const { return closedByDeactivation_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    TODSHelpPopup();
    void CloseHelp();
    void OpenMore();
    QRect MoreArea() const;

    THelpRequest request_;
    THelpLayout layout_;
    QImage backdrop_;
    std::function<void()> onDone_;
    QMetaObject::Connection deactivation_;
    bool closedByDeactivation_ = false;
};

}  // namespace controls
