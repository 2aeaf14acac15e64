// The file "Print to PDF" offers in its save dialog, and remembering the one chosen, in the
// report settings file (QUILX.INI, section "Report", key "PdfFile").
#pragma once

#include <QString>

#include <string>

namespace print {

// The file chosen last time; before there was one, Quillet.pdf in the folder of the newest
// file export (the report dialog's HTML, RTF and text files), else beside the settings file.
QString OfferedPdfFile(const std::string& iniFile);

void RememberPdfFile(const std::string& iniFile, const QString& file);

}  // namespace print
