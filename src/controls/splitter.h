// The splitter: ToxCustomSplit (bar colour, edge styles, pane properties), ToxSplit (two
// panes divided by a bar the user drags) and ToxScrollPane (a pane whose content scrolls).
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>

#include "controls/control_types.h"

namespace controls {

enum class TSplitStyle { oxsAuto, oxsWin31, oxsWin95, oxsInset, oxsGroove };
enum class TSplitOrientation { oxsVert, oxsHorz };

class ToxScrollPane : public QScrollArea {
    Q_OBJECT

  public:
    explicit ToxScrollPane(QWidget* parent = nullptr);
};

// The OnResize event is the resized() signal: raised when the splitter is resized and when
// its bar moves.
class ToxCustomSplit : public QWidget {
    Q_OBJECT

  public:
    explicit ToxCustomSplit(QWidget* parent = nullptr);

    int barWidth() const { return barWidth_; }
    void setBarWidth(int width);
    QColor barColor() const { return barColor_; }
    void setBarColor(const QColor& color);
    TSplitStyle style() const { return style_; }
    void setStyle(TSplitStyle style);
    TSplitStyle effectiveStyle() const { return effectiveStyle_; }
    TBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TBorderStyle style);
    bool autoUpdate() const { return autoUpdate_; }
    void setAutoUpdate(bool on) { autoUpdate_ = on; }
    bool autoScroll() const { return autoScroll_; }
    void setAutoScroll(bool on);
    bool syncScroll() const { return syncScroll_; }
    void setSyncScroll(bool on) { syncScroll_ = on; }
    bool locked() const { return locked_; }
    void setLocked(bool on);
    bool ctl3D() const { return ctl3D_; }
    void setCtl3D(bool on);
    // The panes' background colour.
    void setPaneColor(const QColor& color);

    // The margin kept around the panes, set by the style.
    int inset() const { return inset_; }
    // Panes in creation order; pane 1 is the first, pane 2 the second.
    ToxScrollPane* pane(int index) const;
    int paneCount() const { return static_cast<int>(panes_.size()); }

  Q_SIGNALS:
    void resized();

  protected:
    void addPane(ToxScrollPane* pane);
    void applyStyle();
    virtual void layoutPanes() = 0;
    void invalidate();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void render();
    void syncFrom(ToxScrollPane* source, Qt::Orientation orientation, int value);

    int barWidth_ = 4;
    QColor barColor_;
    TSplitStyle style_ = TSplitStyle::oxsAuto;
    TSplitStyle effectiveStyle_ = TSplitStyle::oxsWin95;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    bool autoUpdate_ = false;
    bool autoScroll_ = true;
    bool syncScroll_ = false;
    bool locked_ = false;
    bool ctl3D_ = true;
    int inset_ = 0;
    bool styleWritten_ = false;
    QList<QPointer<ToxScrollPane>> panes_;

    QImage cache_;
    bool dirty_ = true;
};

class ToxSplit : public ToxCustomSplit {
    Q_OBJECT

  public:
    explicit ToxSplit(QWidget* parent = nullptr);
    ~ToxSplit() override;

    int barPosition() const { return barPosition_; }
    void setBarPosition(int position);
    int maxBarPosition() const;
    TSplitOrientation orientation() const { return orientation_; }
    void setOrientation(TSplitOrientation orientation);
    int percent() const;
    void setPercent(int percent);

    // The band where the bar can be grabbed, in the splitter's coordinates.
    QRect barZone() const;
    bool dragging() const { return dragging_; }

  protected:
    void layoutPanes() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    class GhostBar;

    int axisOf(QPoint at) const;
    int clientSizeAlongAxis() const;
    void showGhost();
    void hideGhost();
    void updateCursor(QPoint at);

    int barPosition_ = 50;
    TSplitOrientation orientation_ = TSplitOrientation::oxsVert;
    bool dragging_ = false;
    int grabOffset_ = 0;
    int lastP_ = 0;
    QPointer<GhostBar> ghost_;
};

}  // namespace controls
