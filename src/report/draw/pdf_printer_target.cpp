// The "Print to PDF" printer on a device of its own, counting the pages it outputs.
#include "report/draw/pdf_printer_target.h"

#include "platform/print/paper.h"
#include "platform/print/pdf_printer.h"

namespace report {
namespace {

// A stream's header may carry any number; a sheet beyond these is not paper.
double SanePaper(double inches, double fallback) {
    return inches > 0.5 && inches < 200 ? inches : fallback;
}

}  // namespace

PdfPrinterTarget::PdfPrinterTarget(const QString& file, double paperWidth,
                                   double paperHeight) {
    device_.AddBackend(std::make_unique<print::PdfPrinter>());
    device_.SetPrinterIndex(device_.FindPrinter(QString::fromLatin1(print::kPdfPrinterName)));
    print::PrinterSettings& settings = device_.Settings();
    settings.outputFile = file;
    print::SetPaperInches(settings, SanePaper(paperWidth, 8.5), SanePaper(paperHeight, 11));
}

xbase::Status PdfPrinterTarget::BeginDoc(const std::string& title) {
    pageCounted_ = false;
    return target_.BeginDoc(title);
}

xbase::Status PdfPrinterTarget::NewPage() {
    pageCounted_ = false;
    return target_.NewPage();
}

void PdfPrinterTarget::SetOutputEnabled(bool on) {
    if (on && !pageCounted_) {
        ++pagesOutput_;
        pageCounted_ = true;
    }
    target_.SetOutputEnabled(on);
}

}  // namespace report
