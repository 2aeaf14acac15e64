// The program's one printing device: the printers it can print on, the chosen one with its
// settings, and the document being printed. Each printer is drawn on through a QPainter; the
// back ends (a PDF file, the system's print server) sit behind PrinterBackend.
#pragma once

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace print {

enum class Orientation { Portrait, Landscape };
enum class Duplex { Simplex = 0, LongSide = 1, ShortSide = 2 };

// Paper and settings of the chosen printer. Sizes in inches, resolution in dots per inch.
struct PageGeometry {
    double paperWidth = 8.5;  // the whole sheet, borders included, as it lies under the page
    double paperHeight = 11;
    double unprintableLeft = 0;
    double unprintableRight = 0;
    double unprintableTop = 0;
    double unprintableBottom = 0;
    int dpiX = 96;
    int dpiY = 96;
    friend bool operator==(const PageGeometry&, const PageGeometry&) = default;
};

// The old paper code of a custom size.
inline constexpr int kCustomPaperCode = 256;

struct PrinterSettings {
    Orientation orientation = Orientation::Portrait;
    int copies = 1;
    bool collate = false;
    Duplex duplex = Duplex::Simplex;
    int paperSize = 1;  // the old paper codes: 1 Letter, 9 A4, ... (QPageSize::windowsId)
    int paperBin = 265;
    QString paperName;  // the print system's key for the paper, when it has one
    // A paper of kCustomPaperCode, upright, in inches.
    double customWidth = 0;
    double customHeight = 0;
    // Where a printer that writes a file ("Print to PDF") puts the document.
    QString outputFile;
    friend bool operator==(const PrinterSettings&, const PrinterSettings&) = default;
};

// One entry of the printer list.
struct TReportDeviceItem {
    QString name;    // shown to the person, e.g. "Print to PDF"
    QString driver;  // for the status tokens
    QString port;
    bool writesFile = false;  // asks for a file name instead of printing copies on paper
};

inline constexpr char kPdfPrinterName[] = "Print to PDF";

// One document on one printer. Pages start lazily, so that a document whose pages were all
// skipped never reaches the printer or the file system.
class PrintJob {
  public:
    virtual ~PrintJob() = default;
    // Starts the next page (the first one starts the document) on the paper `settings` give
    // now, and returns the painter that draws on it; null with `error` when that fails.
    virtual QPainter* StartPage(const PrinterSettings& settings, QString& error) = 0;
    // Ends the document and hands it over (to the print server, to its file).
    virtual bool Finish(QString& error) = 0;
    // Drops the document: nothing of it is printed or left behind.
    virtual void Abandon() = 0;
};

// One printer kind: it lists its printers and prints documents on one of them.
class PrinterBackend {
  public:
    virtual ~PrinterBackend() = default;
    virtual std::vector<TReportDeviceItem> Printers() const = 0;
    // The printer that is chosen until the person chooses another; -1 for none.
    virtual int DefaultPrinter() const { return -1; }
    // What a printer starts with: its default paper, orientation and duplex.
    virtual PrinterSettings DefaultSettings(int index) const = 0;
    // The papers a printer takes, for the printer-setup dialog.
    virtual std::vector<QPageSize> Papers(int index) const = 0;
    virtual PageGeometry Geometry(int index, const PrinterSettings& settings) const = 0;
    virtual std::unique_ptr<PrintJob> Begin(int index, const PrinterSettings& settings,
                                            const QString& title, QString& error) = 0;
};

// The printing device. Its document runs through these states:
//
//   idle --BeginDoc--> active --NewPage--> active --EndDoc / Abort--> idle
//
// Within a document, each page is output or not as SetOutputEnabled says while it is drawn
// or ended: a page whose output is off is laid out on a scratch canvas of the same resolution
// and never reaches the printer.
class TReportDevice {
  public:
    TReportDevice();
    ~TReportDevice();
    TReportDevice(const TReportDevice&) = delete;
    TReportDevice& operator=(const TReportDevice&) = delete;

    // The device the program shares, made on first use; back ends are registered at start-up.
    static TReportDevice& Instance();

    // Printers are listed in the order their back ends were added. The first back end with a
    // default printer chooses the printer, unless one is chosen already. The back ends are
    // asked when the printers are first needed, not when they are added: a print server may
    // take its time, and a start-up should not wait for it.
    void AddBackend(std::unique_ptr<PrinterBackend> backend);
    // Asks the back ends again (a printer may have been added or removed); the chosen printer
    // stays chosen while it is still there.
    void Refresh();

    std::vector<TReportDeviceItem> Printers() const;
    bool HasPrinters() const;
    int PrinterIndex() const;  // -1 when there is none
    void SetPrinterIndex(int index);
    int FindPrinter(const QString& name) const;  // -1 when no printer has that name
    // The papers a printer takes and the settings it has (its defaults until it was chosen).
    std::vector<QPageSize> PapersOf(int index) const;
    PrinterSettings SettingsOf(int index) const;

    // Of the chosen printer; each printer keeps its own for later runs.
    PrinterSettings& Settings();
    PageGeometry Geometry() const;  // 8.5 x 11 at 96 dots per inch when no printer exists

    // A document. Output can be switched off for pages outside the page selection; such pages
    // are laid out but never reach the printer. The message of a failed call is in `error`.
    bool BeginDoc(const QString& title, QString& error);
    bool NewPage(QString& error);
    bool EndDoc(QString& error);
    void Abort();
    // Said at each page's start, after BeginDoc or NewPage. A blank page whose output is on
    // is still printed.
    void SetOutputEnabled(bool on);
    bool OutputEnabled() const { return outputOn_; }
    bool Active() const { return job_ != nullptr; }
    // The painter for the current page, null while no document is active. It changes when
    // output is switched on or off and may change at a new page: ask again, do not keep it.
    // Pen, brush, font and background carry over to the new one. A null result while
    // active means the page could not be started (EndDoc then reports why).
    QPainter* Canvas();

  private:
    struct Entry {
        PrinterBackend* backend;
        int index;  // within the back end
        TReportDeviceItem item;
    };
    const Entry* Chosen() const;
    void List() const;  // once, before the printers are first needed
    QPainter* ScratchCanvas();
    // Starts the real page for the current page unless it is started or its output is off.
    void StartOutputPage();
    void EndJob();

    std::vector<std::unique_ptr<PrinterBackend>> backends_;
    // The printer list, made on first use.
    mutable bool listed_ = false;
    mutable std::vector<Entry> entries_;
    mutable QString chosenName_;  // empty when no printer is chosen
    std::map<QString, PrinterSettings> settings_;
    PrinterSettings noPrinterSettings_;

    std::unique_ptr<PrintJob> job_;
    QPainter* pagePainter_ = nullptr;  // the job's painter, once it started the current page
    bool pageStarted_ = false;
    bool outputOn_ = true;
    QString pageError_;  // why the current page could not be started
    QImage scratch_;
    std::unique_ptr<QPainter> scratchPainter_;
    QPainter* lastCanvas_ = nullptr;
};

// Registers the "Print to PDF" printer with the shared device.
void RegisterPdfPrinter();

}  // namespace print
