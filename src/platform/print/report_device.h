// The program's one printing device: the printers it can print on, the chosen one with its
// settings, and the document being printed. Each printer is drawn on through a QPainter; the
// back ends (a PDF file, the system's print server) sit behind PrinterBackend.
#pragma once

#include <QString>

#include <memory>
#include <vector>

class QPainter;

namespace print {

enum class Orientation { Portrait, Landscape };
enum class Duplex { Simplex = 0, LongSide = 1, ShortSide = 2 };

// Paper and settings of the chosen printer. Sizes in inches, resolution in dots per inch.
struct PageGeometry {
    double paperWidth = 8.5;  // the whole sheet, borders included
    double paperHeight = 11;
    double unprintableLeft = 0;
    double unprintableRight = 0;
    double unprintableTop = 0;
    double unprintableBottom = 0;
    int dpiX = 96;
    int dpiY = 96;
};

struct PrinterSettings {
    Orientation orientation = Orientation::Portrait;
    int copies = 1;
    bool collate = false;
    Duplex duplex = Duplex::Simplex;
    int paperSize = 1;  // the old paper codes: 1 Letter, 9 A4, ...
    int paperBin = 265;
    QString paperName;  // the print system's name for the paper, when it has one
};

// One entry of the printer list.
struct TReportDeviceItem {
    QString name;    // shown to the person, e.g. "Print to PDF"
    QString driver;  // for the status tokens
    QString port;
};

// One printer kind: it lists its printers and prints documents on one of them.
class PrinterBackend {
  public:
    virtual ~PrinterBackend() = default;
    virtual std::vector<TReportDeviceItem> Printers() const = 0;
    // ... begin/page/end/abort of a document on one printer; defined with the back ends.
};

class TReportDevice {
  public:
    // The device the program shares, made on first use; back ends are registered at start-up.
    static TReportDevice& Instance();

    void AddBackend(std::unique_ptr<PrinterBackend> backend);
    std::vector<TReportDeviceItem> Printers() const;
    bool HasPrinters() const;
    int PrinterIndex() const;  // -1 when there is none
    void SetPrinterIndex(int index);

    PrinterSettings& Settings();
    PageGeometry Geometry() const;  // 8.5 x 11 at 96 dots per inch when no printer exists

    // A document. Output can be switched off for pages outside the page selection; such pages
    // are laid out but never reach the printer.
    bool BeginDoc(const QString& title, QString& error);
    bool NewPage(QString& error);
    bool EndDoc(QString& error);
    void Abort();
    void SetOutputEnabled(bool on);
    QPainter* Canvas();  // null while no document is active
};

}  // namespace print
