// TGraphicPanel: a windowless panel that draws its bevels and caption and reacts to the mouse
// (the time dialog's hour and minute cells), and to Space and Enter where its owner lets it
// take the focus (the report's colour panel).
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "controls/control_types.h"
#include "platform/ui/painting.h"

namespace controls {

enum class TPanelBevel { bvNone, bvLowered, bvRaised };

// OnClick, OnDblClick, OnMouseDown/Move/Up are the signals clicked(), doubleClicked(),
// mouseDown(), mouseMoved() and mouseUp().
class TGraphicPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(int Tag READ tag WRITE setTag)

  public:
    explicit TGraphicPanel(QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    ui::TAlignment alignment() const { return alignment_; }
    void setAlignment(ui::TAlignment alignment);
    TPanelBevel bevelInner() const { return bevelInner_; }
    void setBevelInner(TPanelBevel bevel);
    TPanelBevel bevelOuter() const { return bevelOuter_; }
    void setBevelOuter(TPanelBevel bevel);
    int bevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int width);
    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    TBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TBorderStyle style);
    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QColor fontColor() const { return fontColor_; }
    void setFontColor(const QColor& color);
    bool locked() const { return locked_; }
    void setLocked(bool on) { locked_ = on; }
    // A number the owner keeps with the panel (the time dialog stores the hour or minute).
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

  Q_SIGNALS:
    void clicked();
    void doubleClicked();
    void mouseDown(Qt::MouseButton button, QPoint at);
    void mouseMoved(QPoint at);
    void mouseUp(Qt::MouseButton button, QPoint at);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void invalidate();
    void render();

    QString caption_;
    ui::TAlignment alignment_ = ui::TAlignment::taCenter;
    TPanelBevel bevelInner_ = TPanelBevel::bvNone;
    TPanelBevel bevelOuter_ = TPanelBevel::bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    QColor color_;
    QColor fontColor_;
    bool locked_ = false;
    int tag_ = 0;
    bool pressedInside_ = false;

    QImage cache_;
    bool dirty_ = true;
};

}  // namespace controls
