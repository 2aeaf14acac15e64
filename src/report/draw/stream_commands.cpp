// The play and dump commands: a stream file played into a PDF through TFilePrinter, or listed
// record by record.
#include "report/draw/stream_commands.h"

#include <QFile>
#include <QString>

#include <string_view>

#include "report/draw/file_player.h"
#include "report/draw/pdf_file_target.h"
#include "report/model/stream_dump.h"
#include "report/model/stream_modes.h"

namespace report {

namespace {

int Usage(std::ostream& err, const std::string& problem) {
    err << "quillet-report: " << problem << "\n" << kStreamUsage << "\n";
    return 2;
}

// One line: the message, and where a malformed stream went wrong.
int Failed(std::ostream& err, const Status& status, std::int64_t offset) {
    err << status.message();
    if (status.code() == xbase::ErrorCode::kCorrupt && offset >= 0)
        err << " at offset " << offset;
    err << "\n";
    return 1;
}

bool Blank(std::string_view s) {
    return s.find_first_not_of(' ') == std::string_view::npos;
}

bool Number(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
    return s.find_first_not_of("0123456789") == std::string_view::npos;
}

// Numbers and ranges ("4", "2-3", "4-", "-2") separated by commas.
bool ValidSelection(std::string_view text) {
    for (;;) {
        const auto comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const auto dash = part.find('-');
        if (dash == std::string_view::npos) {
            if (!Number(part))
                return false;
        } else {
            const std::string_view from = part.substr(0, dash), to = part.substr(dash + 1);
            if (!(Number(from) || Blank(from)) || !(Number(to) || Blank(to)) ||
                (Blank(from) && Blank(to)))
                return false;
        }
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

int Dump(const std::string& file, std::ostream& out, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    if (Status s = LoadRecording(TStreamMode::smFile, file, nullptr, bytes); !s)
        return Failed(err, s, -1);
    std::int64_t offset = -1;
    if (Status s = stream::Dump(bytes, out, offset); !s) {
        out.flush();
        return Failed(err, s, offset);
    }
    return 0;
}

int Play(const std::string& file, const std::string& pdf, const std::string& pages,
         std::ostream& err) {
    // The header gives the paper; the player reads it again when it opens the stream.
    TFilePreview probe;
    probe.SetStreamMode(TStreamMode::smFile);
    probe.SetFileName(file);
    if (Status s = probe.Open(); !s)
        return Failed(err, s, probe.ErrorOffset());
    const stream::StreamHeader& header = probe.Header();

    const QString out = QString::fromStdString(pdf);
    PdfFileTarget target(out, header.paperWidth, header.paperHeight);
    TFilePrinter player(&target);
    player.SetStreamMode(TStreamMode::smFile);
    player.SetFileName(file);
    player.SetPageSelection(pages);
    if (Status s = player.RunReport(); !s) {
        // A PDF of part of a stream would pass for the whole one.
        QFile::remove(out);
        return Failed(err, s, player.ErrorOffset());
    }
    if (target.PagesWritten() == 0) {
        QFile::remove(out);
        err << "no page of the stream is selected\n";
        return 1;
    }
    return 0;
}

}  // namespace

std::optional<int> RunStreamCommand(const std::vector<std::string>& args, std::ostream& out,
                                    std::ostream& err) {
    if (args.empty() || (args[0] != "play" && args[0] != "dump"))
        return std::nullopt;
    if (args[0] == "dump") {
        if (args.size() != 2)
            return Usage(err, "dump takes one stream file");
        return Dump(args[1], out, err);
    }
    std::vector<std::string> files;
    std::string pages;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--pages") {
            if (i + 1 >= args.size())
                return Usage(err, "--pages needs a page selection");
            pages = args[++i];
            if (!ValidSelection(pages))
                return Usage(err, "not a page selection: " + pages);
        } else if (args[i].rfind("--", 0) == 0) {
            return Usage(err, "unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2)
        return Usage(err, "play takes a stream file and a PDF file");
    return Play(files[0], files[1], pages, err);
}

}  // namespace report
