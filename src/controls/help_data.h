// The what's-this help list and its stored form "HelpData": the records in list order, packed
// little-endian, and the one reader and one writer of those bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>
#include <variant>

namespace controls {

// One entry's help: the text (none for a control that only lets its parents speak), a help
// context (0 = none), and two reserved fields kept as stored so that a round trip is exact.
struct THelpRecord {
    std::optional<QString> text;
    quint32 context = 0;
    quint16 reservedWord = 0;
    quint8 reservedByte = 1;

    friend bool operator==(const THelpRecord&, const THelpRecord&) = default;
};

struct THelpEntry {
    QString name;  // the control's object name, compared exactly
    THelpRecord record;

    friend bool operator==(const THelpEntry&, const THelpEntry&) = default;
};

using THelpText = QList<THelpEntry>;

// Where and why the stored bytes were refused.
struct THelpDataError {
    qsizetype offset = 0;
    QString reason;
};

template <typename T>
using THelpResult = std::variant<T, THelpDataError>;

// The stored form, every record in list order:
//   offset  size    field
//   0       2       entry count
//   then per entry:
//           1       present flag, 1
//           2       reserved word, 0
//           2       text length: the text plus its zero byte; 0 when there is no text
//           length  the text and its zero byte (absent when the length is 0)
//           1       reserved byte, 1
//           4       help context, 0 = none
// The texts are single-byte characters (Latin-1); every text the program stores is plain ASCII.
// A text longer than a 16-bit length can count is cut to fit.
QByteArray WriteHelpData(const QList<THelpRecord>& records);
THelpResult<QList<THelpRecord>> ReadHelpData(QByteArrayView bytes);

// The stored form keeps no names: they are stored beside it, one per line, in the same order.
QByteArray WriteHelpNames(const THelpText& entries);
THelpResult<THelpText> ReadHelpText(QByteArrayView names, QByteArrayView data);

// A form's list as compiled in (resources ":/help/<formName>.names" and ".HelpData"); an
// unknown form name is an error, as are bytes that do not read.
THelpResult<THelpText> LoadFormHelpText(const QString& formName);

}  // namespace controls
