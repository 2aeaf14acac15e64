// What a report printer needs of the printing device: the chosen printer's names, paper and
// settings, and a document of pages to paint on. The program's device answers it; tests answer
// it with pages painted into images.
#pragma once

#include "platform/xbase/status.h"
#include "report/model/base_report.h"

#include <string>

class QPainter;

namespace report {

class PrintTarget {
  public:
    virtual ~PrintTarget() = default;

    virtual bool HasPrinters() const = 0;
    virtual DeviceNames Names() const = 0;
    // The paper and resolution of the chosen printer; 8.5 x 11 inches at 96 dots per inch when
    // there is none.
    virtual DeviceGeometry Geometry() const = 0;
    // Kept by the device when it lies within what the printer can do.
    virtual void SetCopies(int copies) = 0;
    virtual void SetOrientation(TOrientation orientation) = 0;

    // A document: begun with its title (Windows-1252), then a page at a time; the first page
    // comes with the document. Output is switched on or off for the current page, right after
    // it starts: a page with output off is laid out but never reaches the printer.
    virtual xbase::Status BeginDoc(const std::string& title) = 0;
    virtual xbase::Status NewPage() = 0;
    virtual xbase::Status EndDoc() = 0;
    virtual void Abort() = 0;
    virtual void SetOutputEnabled(bool on) = 0;
    // The painter of the current page; null while no document is active.
    virtual QPainter* Canvas() = 0;
};

}  // namespace report
