// The painter of a document on a paged device (a PDF file, a system printer): it begins on
// the first page and turns to a new page for every later one, each on its own paper.
#pragma once

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QString>

namespace print {

// The device must outlive the turner: declare it before the turner.
class PageTurner {
  public:
    explicit PageTurner(QPagedPaintDevice& device) : device_(device) {}
    ~PageTurner();
    PageTurner(const PageTurner&) = delete;
    PageTurner& operator=(const PageTurner&) = delete;

    // The painter on the next page, laid out as `layout`; null when the device refused.
    QPainter* StartPage(const QPageLayout& layout, QString& error);
    // Whether a page was started, so that the document exists.
    bool Started() const { return painter_.isActive(); }
    // Ends the document; false when the device could not finish it.
    bool End();

  private:
    QPagedPaintDevice& device_;
    QPainter painter_;
};

}  // namespace print
