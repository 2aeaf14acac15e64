// The file "Print to PDF" offers, from the report settings.
#include "platform/print_system/pdf_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/ini/profile.h"

namespace print {

namespace {

constexpr char kSection[] = "Report";
constexpr char kPdfKey[] = "PdfFile";
constexpr char kExportKeys[][16] = {"HTMLFilespec", "RTFFilespec", "TextFilespec"};

QString Decode(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace

QString OfferedPdfFile(const std::string& iniFile) {
    const std::string chosen = ini::ReadString(iniFile, kSection, kPdfKey, "");
    if (!chosen.empty()) {
        return Decode(chosen);
    }
    QFileInfo newest;
    for (const char* key : kExportKeys) {
        const QFileInfo exported(Decode(ini::ReadString(iniFile, kSection, key, "")));
        if (exported.isFile() &&
            (!newest.exists() || exported.lastModified() > newest.lastModified())) {
            newest = exported;
        }
    }
    const QDir folder =
        newest.exists() ? newest.absoluteDir() : QFileInfo(Decode(iniFile)).absoluteDir();
    return folder.filePath(QStringLiteral("Quillet.pdf"));
}

void RememberPdfFile(const std::string& iniFile, const QString& file) {
    ini::WriteString(iniFile, kSection, kPdfKey, QFile::encodeName(file).toStdString());
}

}  // namespace print
