// Writes the seed inputs of the report stream fuzzer: streams recorded by the filer, so that
// mutations start inside page records, state blocks and every kind of command.
// Usage: stream_seeds OUTPUT_DIRECTORY
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "log_surface.h"
#include "report/model/report_filer.h"

namespace {

using report::TReportFiler;

bool Write(const std::string& path, int pages, report::TAccuracyMethod accuracy,
           const std::function<void(TReportFiler&, int)>& draw) {
    report::test::LogSurface measure;
    TReportFiler filer(measure);
    report::MemoryStream out;
    filer.SetStreamMode(report::TStreamMode::smUser);
    filer.SetStream(&out);
    filer.SetAccuracyMethod(accuracy);
    filer.SetTitle("Seed");
    filer.OnPrintPage = [&](report::TBaseReport& r, int page) {
        draw(static_cast<TReportFiler&>(r), page);
        return page < pages;
    };
    if (!filer.RunReport())
        return false;
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.bytes().data()),
               static_cast<std::streamsize>(out.bytes().size()));
    return static_cast<bool>(file);
}

void Rows(TReportFiler& r, int page) {
    r.SetTabShade(10);
    r.AddTabStop(-1, report::TPrintJustify::pjLeft, 1.5, 5, 15, 0);
    r.AddTabStop(-1, report::TPrintJustify::pjRight, 1, 5, 0, 20);
    r.AddTabStop(-1, report::TPrintJustify::pjCenter, 2, 5, 8, 0);
    for (int row = 0; row < 5; ++row) {
        r.SetFontBold(row % 2 == 0);
        r.PrintTextLine("\tTask " + std::to_string(page * 10 + row) + "\t12/09/2026\tA");
    }
    r.PrintJustified("a note spread over the width", 1, 5);
    r.DrawBox(1, 1, 2, 2);
    r.DrawMoveTo(1, 3);
    r.DrawLineTo(4, 3);
    r.ClipText(1, 4, 3, 5, 1, 4, "clipped text that runs long");
    r.SelectDestination(report::Destination::ScreenOnly);
    r.PrintAt("screen only", 1);
    r.SelectDestination(report::Destination::Both);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: stream_seeds OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = Write(dir + "/one_page", 1, report::TAccuracyMethod::amAppearance,
                    [](TReportFiler& r, int) { r.PrintTextLine("Hello"); });
    ok = Write(dir + "/three_pages_positioning", 3, report::TAccuracyMethod::amPositioning, Rows) &&
         ok;
    ok = Write(dir + "/two_pages_appearance", 2, report::TAccuracyMethod::amAppearance, Rows) && ok;
    return ok ? 0 : 1;
}
