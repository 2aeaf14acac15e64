// Text measuring in a Qt font, for the export writers' note wrapping.
#pragma once

#include <QFont>
#include <QFontMetrics>

#include "report/export/text_measure.h"

namespace report {

class FontTextMeasure : public TextMeasure {
  public:
    explicit FontTextMeasure(const QFont& font) : metrics_(font) {}
    int TextWidth(std::string_view text) const override;

  private:
    QFontMetrics metrics_;
};

}  // namespace report
