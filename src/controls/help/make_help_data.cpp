// Build step: turns a form's what's-this help source into the stored form the program reads,
// "<Form>.names" and "<Form>.HelpData", so that the compiled-in bytes are the ones it would
// have saved.
#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <variant>

#include "controls/help_data.h"
#include "controls/help_source.h"

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace

int main(int argc, char** argv) {
    QTextStream err(stderr);
    if (argc != 4) {
        err << "usage: make_help_data <source.help> <out.names> <out.HelpData>\n";
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        err << sourcePath << ": cannot read\n";
        return 1;
    }
    const auto parsed = controls::ParseHelpSource(source.readAll());
    if (const auto* error = std::get_if<controls::THelpDataError>(&parsed)) {
        err << sourcePath << ": " << error->reason << "\n";
        return 1;
    }
    const auto& entries = std::get<controls::THelpText>(parsed);
    QList<controls::THelpRecord> records;
    for (const auto& entry : entries)
        records.append(entry.record);
    if (!WriteFile(QString::fromLocal8Bit(argv[2]), controls::WriteHelpNames(entries)) ||
        !WriteFile(QString::fromLocal8Bit(argv[3]), controls::WriteHelpData(records))) {
        err << sourcePath << ": cannot write the stored form\n";
        return 1;
    }
    return 0;
}
