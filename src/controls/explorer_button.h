// TExplorerButton: the flat command button of every window, with its hot and pressed looks,
// drop-down menu, button groups, accelerator, and Enter/Escape roles.
#pragma once

#include <QFlags>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "controls/explorer_layout.h"
#include "controls/glyph_effects.h"
#include "platform/ui/painting.h"

class QMenu;
class QShortcut;

namespace controls {

enum class TButtonOption { boMonoDisplay = 0x1, boIconOnly = 0x2, boPopupMark = 0x4 };
Q_DECLARE_FLAGS(TButtonOptions, TButtonOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TButtonOptions)

enum class TBevelStyle { bsLowered, bsRaised };

// The button's OnClick event is the clicked() signal. It paints no background of its own,
// so its parent shows through. It takes the keyboard focus by Tab only (never by a click, so
// the mouse leaves the focus where it was), so that people who work by keyboard or screen
// reader reach every command; Space and Enter then press it.
class TExplorerButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Default READ isDefault WRITE setDefault)
    Q_PROPERTY(bool Cancel READ isCancel WRITE setCancel)
    Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
    Q_PROPERTY(bool Down READ isDown WRITE setDown)
    Q_PROPERTY(bool AllowAllUp READ allowAllUp WRITE setAllowAllUp)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(bool ShowDownPattern READ showDownPattern WRITE setShowDownPattern)
    Q_PROPERTY(bool ShowHint READ showHint WRITE setShowHint)
    Q_PROPERTY(QColor FontColor READ fontColor WRITE setFontColor)
    Q_PROPERTY(QColor UnselectedFontColor READ unselectedFontColor WRITE setUnselectedFontColor)
    Q_PROPERTY(QColor ShadowColor READ shadowColor WRITE setShadowColor)

  public:
    explicit TExplorerButton(QWidget* parent = nullptr);
    ~TExplorerButton() override;

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    QImage bitmap() const { return bitmap_; }
    void setBitmap(const QImage& bitmap);
    // For forms: a .ui file gives the glyph as a pixmap (e.g. ":/glyphs/check.png").
    void setBitmap(const QPixmap& bitmap) { setBitmap(bitmap.toImage()); }
    QImage noFocusBitmap() const { return noFocusBitmap_; }
    void setNoFocusBitmap(const QImage& bitmap);
    QImage disabledBitmap() const { return disabledBitmap_; }
    void setDisabledBitmap(const QImage& bitmap);

    using QWidget::setLayout;
    TButtonLayout bitmapLayout() const { return layout_; }
    void setLayout(TButtonLayout layout);
    ui::TAlignment alignment() const { return alignment_; }
    void setAlignment(ui::TAlignment alignment);
    TButtonOptions options() const { return options_; }
    void setOptions(TButtonOptions options);
    TShadingType shadingType() const { return shadingType_; }
    void setShadingType(TShadingType type);
    TBevelStyle bevelStyle() const { return bevelStyle_; }
    void setBevelStyle(TBevelStyle style);

    QColor shadowColor() const { return shadowColor_; }
    void setShadowColor(const QColor& color);
    QColor unselectedFontColor() const { return unselectedFontColor_; }
    void setUnselectedFontColor(const QColor& color);
    // The caption colour when hot or pressed (the colour of the button's font).
    QColor fontColor() const { return fontColor_; }
    void setFontColor(const QColor& color);
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);
    bool showHint() const { return showHint_; }
    void setShowHint(bool on) { showHint_ = on; }

    bool isDefault() const { return default_; }
    void setDefault(bool on) { default_ = on; }
    bool isCancel() const { return cancel_; }
    void setCancel(bool on) { cancel_ = on; }

    QMenu* dropDownMenu() const;
    void setDropDownMenu(QMenu* menu);
    QMenu* popupMenu() const;
    void setPopupMenu(QMenu* menu);

    int groupIndex() const { return groupIndex_; }
    void setGroupIndex(int index);
    bool isDown() const { return down_; }
    void setDown(bool down);
    bool allowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool on);
    bool showDownPattern() const { return showDownPattern_; }
    void setShowDownPattern(bool on);

  public Q_SLOTS:
    // Raises OnClick as Enter and Escape do for the default and cancel buttons: only when the
    // button is enabled and visible, and also for a button that drops a menu down.
    void click();
    // Presses the button as its accelerator letter does: drops its menu down or clicks it,
    // with the pressed look in between.
    void press();

  Q_SIGNALS:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void invalidate();
    void render();
    void remakeShadedBitmap();
    void updateShortcut();
    QList<TExplorerButton*> groupPeers() const;
    void goDownInGroup();
    void pressStep();
    void releaseStep();
    void mouseEntered();
    void mouseLeft();
    void accelerate();
    bool cursorInside() const;
    void afterMenu();

    QString caption_;
    QImage bitmap_;
    QImage noFocusBitmap_;
    QImage disabledBitmap_;
    QImage shadedBitmap_;
    TButtonLayout layout_ = TButtonLayout::blBitmapTop;
    ui::TAlignment alignment_ = ui::TAlignment::taCenter;
    TButtonOptions options_ = TButtonOption::boMonoDisplay | TButtonOption::boPopupMark;
    TShadingType shadingType_ = TShadingType::stMedium;
    TBevelStyle bevelStyle_ = TBevelStyle::bsRaised;
    QColor shadowColor_;
    QColor unselectedFontColor_;
    QColor fontColor_;
    bool wordWrap_ = false;
    bool showHint_ = false;
    bool default_ = false;
    bool cancel_ = false;
    QPointer<QMenu> dropDownMenu_;
    QPointer<QMenu> popupMenu_;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool showDownPattern_ = true;

    bool mouseInside_ = false;  // MouseInside
    bool pressed_ = false;      // Pressed
    QShortcut* shortcut_ = nullptr;

    QImage cache_;
    bool dirty_ = true;
};

}  // namespace controls
