// The painter of a document on a paged device, across its pages.
#include "platform/print/page_turner.h"

namespace print {

PageTurner::~PageTurner() {
    if (painter_.isActive()) {
        painter_.end();
    }
}

QPainter* PageTurner::StartPage(const QPageLayout& layout, QString& error) {
    if (!painter_.isActive()) {
        // The first page takes the layout the device has when painting begins.
        device_.setPageLayout(layout);
        if (!painter_.begin(&device_)) {
            error = QStringLiteral("The printer could not start the document.");
            return nullptr;
        }
        return &painter_;
    }
    // The finished page keeps the paper it was started on; the new one takes the layout the
    // device has when it starts.
    device_.setPageLayout(layout);
    if (!device_.newPage()) {
        error = QStringLiteral("The printer could not start a new page.");
        return nullptr;
    }
    return &painter_;
}

bool PageTurner::End() {
    return !painter_.isActive() || painter_.end();
}

}  // namespace print
