// The report stream on N task-like rows with notes, laid out through the report model: recording
// the stream (time and the memory it adds), playing one page into a page image at page width
// (100%, 816 dots across) and at 200%, and playing the whole stream into a PDF. The peer is Qt's
// QTextDocument printing the same rows to a PDF, as a table with the notes under each row.
// Offscreen; measuring at 600 dots per inch, as the PDF is written.
// Usage: report_stream_bench [N...]   (default 10000)
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "report/draw/file_player.h"
#include "report/draw/painter_surface.h"
#include "report/draw/pdf_file_target.h"
#include "report/model/report_filer.h"

namespace {

struct Row {
    std::string date, time, priority, description, keys, note;
};

// Deterministic rows: a quarter with a note of one to four sentences.
std::vector<Row> MakeRows(int count) {
    static const char* words[] = {"call",  "the",     "plumber",   "about",  "kitchen",
                                  "sink",  "invoice", "review",    "draft",  "meeting",
                                  "notes", "send",    "quarterly", "report", "to",
                                  "Anna",  "buy",     "milk",      "bread",  "garden"};
    std::vector<Row> rows;
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245 + 12345, (seed >> 16) & 0x7fff; };
    for (int i = 0; i < count; ++i) {
        Row r;
        char date[16];
        std::snprintf(date, sizeof date, "%02u/%02u/2026", next() % 12 + 1, next() % 28 + 1);
        r.date = date;
        char time[16];
        std::snprintf(time, sizeof time, "%02u:%02u", next() % 24, next() % 60);
        r.time = time;
        r.priority = std::string(1, static_cast<char>('A' + next() % 3));
        for (unsigned w = 0, n = 3 + next() % 6; w < n; ++w)
            r.description += (w ? " " : "") + std::string(words[next() % 20]);
        r.keys = next() % 2 ? "WORK" : "HOME";
        if (i % 4 == 0)
            for (unsigned w = 0, n = 12 + next() % 40; w < n; ++w)
                r.note += (w ? " " : "") + std::string(words[next() % 20]);
        rows.push_back(std::move(r));
    }
    return rows;
}

// Words of `text` that fit `width` inches per line, each word measured once.
std::vector<std::string> Wrap(report::TBaseReport& r, const std::string& text, double width) {
    std::vector<std::string> lines;
    std::string line;
    double lineWidth = 0;
    const double space = r.TextWidth(" ");
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(at, end - at);
        const double wordWidth = r.TextWidth(word);
        if (!line.empty() && lineWidth + space + wordWidth > width) {
            lines.push_back(line);
            line.clear();
        }
        lineWidth = line.empty() ? wordWidth : lineWidth + space + wordWidth;
        line += (line.empty() ? "" : " ") + word;
        at = end + 1;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The rows as a report: a header line on each page, a row per line in tab cells, the note's
// lines under it in italics.
void LayOut(report::TBaseReport& r, const std::vector<Row>& rows) {
    std::size_t next = 0;
    r.SetMarginLeft(0.5);
    r.SetMarginRight(0.5);
    r.SetMarginTop(0.5);
    r.SetMarginBottom(0.5);
    r.OnPrintPage = [&](report::TBaseReport& rep, int) {
        rep.ClearTabStops();
        rep.AddTabStop(-1, report::TPrintJustify::pjLeft, 1.0, 3, 0, 0);
        rep.AddTabStop(-1, report::TPrintJustify::pjLeft, 0.6, 3, 0, 0);
        rep.AddTabStop(-1, report::TPrintJustify::pjCenter, 0.4, 3, 0, 0);
        rep.AddTabStop(-1, report::TPrintJustify::pjLeft, 4.5, 3, 0, 0);
        rep.AddTabStop(-1, report::TPrintJustify::pjLeft, 1.0, 3, 0, 0);
        rep.SelectFont("Arial", 10);
        rep.SetFontBold(true);
        rep.PrintTextLine("\tDate\tTime\tP\tDescription\tKeys");
        rep.SetFontBold(false);
        while (next < rows.size()) {
            const Row& row = rows[next];
            const auto noteLines =
                row.note.empty() ? std::vector<std::string>() : Wrap(rep, row.note, 6.0);
            if (rep.LinesRemaining() < 1 + static_cast<int>(noteLines.size()) &&
                rep.LinesRemaining() < 12)
                return true;
            rep.PrintTextLine("\t" + row.date + "\t" + row.time + "\t" + row.priority + "\t" +
                              row.description + "\t" + row.keys);
            rep.SetFontItalic(true);
            for (const std::string& line : noteLines) {
                rep.PrintAt(line, 1.5);
                rep.AdvanceLine();
            }
            rep.SetFontItalic(false);
            ++next;
        }
        return false;
    };
}

// The rows recorded as the program records its report for the preview: positions kept exact.
bool Record(const std::vector<Row>& rows, report::MemoryStream& stream) {
    report::PainterSurface measure;
    report::DeviceMapping mapping;
    mapping.dpiX = mapping.dpiY = 600;
    measure.SetMapping(mapping);
    report::TReportFiler filer(measure);
    filer.SetDevice({8.5, 11, 0, 0, 0, 0, 600, 600}, {});
    filer.SetStreamMode(report::TStreamMode::smUser);
    filer.SetStream(&stream);
    filer.SetAccuracyMethod(report::TAccuracyMethod::amPositioning);
    filer.SetLineHeightMethod(report::TLineHeightMethod::lhmFont);
    LayOut(filer, rows);
    return filer.RunReport().ok();
}

double Seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// Processor time of the process: on a shared machine the wall clock also counts the time other
// processes had the processor.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Resident memory of the process now, in MiB.
double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Run(int count) {
    QTemporaryDir dir;
    const std::vector<Row> rows = MakeRows(count);

    // Recording, after a small one: the process's first font pays for the font configuration's
    // start-up, which is not the recording's.
    {
        report::MemoryStream scratch;
        if (!Record(std::vector<Row>(rows.begin(), rows.begin() + std::min(count, 50)), scratch))
            return 1;
    }
    const double before = ResidentMiB();
    report::MemoryStream stream;
    QElapsedTimer timer;
    double cpu = CpuSeconds();
    timer.start();
    if (!Record(rows, stream)) {
        std::fprintf(stderr, "recording failed\n");
        return 1;
    }
    const double record = Seconds(timer);
    const double recordCpu = CpuSeconds() - cpu;
    const double added = ResidentMiB() - before;

    // One page into an image, at page width and at 200%: the median of 20 plays of page 2.
    report::TFilePreview preview;
    preview.SetStreamMode(report::TStreamMode::smUser);
    preview.SetStream(&stream);
    if (!preview.Open())
        return 1;
    double page[2] = {};
    double pageCpu[2] = {};
    for (int z = 0; z < 2; ++z) {
        preview.SetZoomFactor(z == 0 ? 100 : 200);
        std::vector<double> times, cpuTimes;
        QImage image;
        for (int i = 0; i < 21; ++i) {
            cpu = CpuSeconds();
            timer.restart();
            preview.RenderPage(2, image);
            times.push_back(Seconds(timer) * 1000);
            cpuTimes.push_back((CpuSeconds() - cpu) * 1000);
        }
        page[z] = Median(times);
        pageCpu[z] = Median(cpuTimes);
    }

    // The whole stream into a PDF.
    const std::string streamFile = dir.filePath(QStringLiteral("r.rs")).toStdString();
    {
        std::ofstream f(streamFile, std::ios::binary);
        f.write(reinterpret_cast<const char*>(stream.bytes().data()),
                static_cast<std::streamsize>(stream.bytes().size()));
    }
    cpu = CpuSeconds();
    timer.restart();
    report::PdfFileTarget target(dir.filePath(QStringLiteral("ours.pdf")), 8.5, 11);
    report::TFilePrinter player(&target);
    player.SetStreamMode(report::TStreamMode::smFile);
    player.SetFileName(streamFile);
    if (!player.RunReport())
        return 1;
    const double pdf = Seconds(timer);
    const double pdfCpu = CpuSeconds() - cpu;

    // The peer: the same rows as rich text printed to a PDF.
    cpu = CpuSeconds();
    timer.restart();
    {
        QString html = QStringLiteral(
            "<table cellspacing=0 cellpadding=2>"
            "<tr><th>Date</th><th>Time</th><th>P</th><th>Description</th>"
            "<th>Keys</th></tr>");
        for (const Row& row : rows) {
            html +=
                QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td></tr>")
                    .arg(QString::fromStdString(row.date), QString::fromStdString(row.time),
                         QString::fromStdString(row.priority),
                         QString::fromStdString(row.description).toHtmlEscaped(),
                         QString::fromStdString(row.keys));
            if (!row.note.empty())
                html += QStringLiteral("<tr><td></td><td colspan=4><i>%1</i></td></tr>")
                            .arg(QString::fromStdString(row.note).toHtmlEscaped());
        }
        html += QStringLiteral("</table>");
        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
        document.setHtml(html);
        QPdfWriter writer(dir.filePath(QStringLiteral("peer.pdf")));
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                         QMarginsF(36, 36, 36, 36), QPageLayout::Point));
        document.print(&writer);
    }
    const double peer = Seconds(timer);
    const double peerCpu = CpuSeconds() - cpu;

    std::printf("rows %d: stream %.1f MiB, %d pages (%d in the PDF)\n", count,
                static_cast<double>(stream.bytes().size()) / (1 << 20), preview.PageCount(),
                target.PagesWritten());
    std::printf("  (wall clock / processor time)\n");
    std::printf("  record the stream          %8.3f s  / %8.3f s   (goal <= 1 s)\n", record,
                recordCpu);
    std::printf("  memory the recording adds  %8.1f MiB (goal <= 64 MiB, the stream included)\n",
                added);
    std::printf("  one page at page width    %8.2f ms / %8.2f ms  (goal <= 20 ms)\n", page[0],
                pageCpu[0]);
    std::printf("  one page at 200%%          %8.2f ms / %8.2f ms  (goal <= 50 ms)\n", page[1],
                pageCpu[1]);
    std::printf("  whole stream into a PDF    %8.3f s  / %8.3f s   (goal <= 5 s)\n", pdf, pdfCpu);
    std::printf(
        "  record + PDF / QTextDocument PDF: %.3f s / %.3f s = %.2f (processor time %.2f)\n",
        record + pdf, peer, (record + pdf) / peer, (recordCpu + pdfCpu) / peerCpu);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts.push_back(10000);
    for (const int n : counts)
        if (n <= 0 || Run(n) != 0)
            return 1;
    return 0;
}
