// TGauge: progress shown as a bar, a pie, a needle or a bare percentage, with the
// percentage written across it in colours that invert against what lies beneath.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "controls/control_types.h"

namespace controls {

enum class TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

// The outcome of a write that can be refused. A refused write leaves the gauge unchanged and
// carries the invalid-operation message for the person.
struct TGaugeResult {
    bool ok = true;
    QString message;
};

// The gauge's scratch bitmap: a bitmap with one extra operation, MakeLike, which gives it
// another bitmap's size and fills it with the window-frame colour.
class TBltBitmap {
  public:
    TBltBitmap() = default;
    // `size` pixels on a screen of `ratio` dots per pixel, drawn on in pixels.
    explicit TBltBitmap(QSize size, qreal ratio = 1);

    void MakeLike(const TBltBitmap& other);
    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

  private:
    QImage image_;
};

class TGauge : public QWidget {
    Q_OBJECT

  public:
    explicit TGauge(QWidget* parent = nullptr);

    TGaugeKind kind() const { return kind_; }
    void setKind(TGaugeKind kind);
    std::int32_t minValue() const { return minValue_; }
    [[nodiscard]] TGaugeResult setMinValue(std::int32_t value);
    std::int32_t maxValue() const { return maxValue_; }
    [[nodiscard]] TGaugeResult setMaxValue(std::int32_t value);
    std::int32_t progress() const { return progress_; }
    void setProgress(std::int32_t value);
    // The whole percentage done; 0 when the range is empty.
    int percentDone() const;

    bool showText() const { return showText_; }
    void setShowText(bool on);
    TBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TBorderStyle style);
    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor& color);
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    // The surroundings of the pie and the needle dial; the parent's colour until set.
    QColor color() const;
    void setColor(const QColor& color);

    // The picture the gauge shows, rendered again only after a change of data or size.
    const QImage& image();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void invalidate();
    void render();
    void paintShape(QImage& overlay, const QRect& paintRect);

    TGaugeKind kind_ = TGaugeKind::gkHorizontalBar;
    std::int32_t minValue_ = 0;
    std::int32_t maxValue_ = 100;
    std::int32_t progress_ = 0;
    bool showText_ = true;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    QColor foreColor_{0, 0, 0};
    QColor backColor_{255, 255, 255};
    std::optional<QColor> color_;

    QImage cache_;
    bool dirty_ = true;
};

}  // namespace controls
