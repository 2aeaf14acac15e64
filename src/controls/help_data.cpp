// The what's-this help list's stored form: packing, unpacking and loading a form's list.
#include "controls/help_data.h"

#include <QFile>
#include <QtEndian>
#include <limits>

namespace controls {

namespace {

// The lengths are 16-bit and count the zero byte, so a longer text cannot be stored.
constexpr qsizetype kMaxStoredText = std::numeric_limits<quint16>::max() - 1;

void PutLE16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void PutLE32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// Reads forward through the stored bytes, refusing any field that would pass their end.
class TCursor {
  public:
    explicit TCursor(QByteArrayView bytes) : bytes_(bytes) {}

    qsizetype offset() const { return offset_; }
    bool atEnd() const { return offset_ == bytes_.size(); }
    bool has(qsizetype count) const { return bytes_.size() - offset_ >= count; }

    quint8 u8() { return static_cast<quint8>(bytes_[offset_++]); }
    quint16 le16() {
        const auto value = qFromLittleEndian<quint16>(bytes_.data() + offset_);
        offset_ += 2;
        return value;
    }
    quint32 le32() {
        const auto value = qFromLittleEndian<quint32>(bytes_.data() + offset_);
        offset_ += 4;
        return value;
    }
    QByteArrayView take(qsizetype count) {
        const auto part = bytes_.sliced(offset_, count);
        offset_ += count;
        return part;
    }

  private:
    QByteArrayView bytes_;
    qsizetype offset_ = 0;
};

THelpDataError Corrupt(qsizetype offset, const char* reason) {
    return {offset, QString::fromLatin1(reason)};
}

}  // namespace

QByteArray WriteHelpData(const QList<THelpRecord>& records) {
    QByteArray out;
    PutLE16(out, static_cast<quint16>(records.size()));
    for (const auto& record : records) {
        out.append('\1');
        PutLE16(out, record.reservedWord);
        if (record.text) {
            const QByteArray text = record.text->toLatin1().left(kMaxStoredText);
            PutLE16(out, static_cast<quint16>(text.size() + 1));
            out.append(text);
            out.append('\0');
        } else {
            PutLE16(out, 0);
        }
        out.append(static_cast<char>(record.reservedByte));
        PutLE32(out, record.context);
    }
    return out;
}

THelpResult<QList<THelpRecord>> ReadHelpData(QByteArrayView bytes) {
    TCursor in(bytes);
    if (!in.has(2))
        return Corrupt(0, "no entry count");
    const quint16 count = in.le16();
    QList<THelpRecord> records;
    records.reserve(count);
    for (quint16 i = 0; i < count; ++i) {
        // The fixed fields before the text: present flag, reserved word, text length.
        if (!in.has(5))
            return Corrupt(in.offset(), "entry cut short");
        const qsizetype entryStart = in.offset();
        if (in.u8() != 1)
            return Corrupt(entryStart, "entry not marked present");
        THelpRecord record;
        record.reservedWord = in.le16();
        const quint16 length = in.le16();
        if (length > 0) {
            if (!in.has(length))
                return Corrupt(in.offset(), "text passes the end of the data");
            const QByteArrayView text = in.take(length);
            if (text.back() != '\0')
                return Corrupt(in.offset() - 1, "text without its zero byte");
            // Like any zero-terminated text, it ends at its first zero byte.
            const qsizetype end = text.indexOf('\0');
            record.text = QString::fromLatin1(text.first(end));
        }
        if (!in.has(5))
            return Corrupt(in.offset(), "entry cut short");
        record.reservedByte = in.u8();
        record.context = in.le32();
        records.append(std::move(record));
    }
    if (!in.atEnd())
        return Corrupt(in.offset(), "bytes after the last entry");
    return records;
}

QByteArray WriteHelpNames(const THelpText& entries) {
    QByteArray out;
    for (const auto& entry : entries) {
        out.append(entry.name.toLatin1());
        out.append('\n');
    }
    return out;
}

THelpResult<THelpText> ReadHelpText(QByteArrayView names, QByteArrayView data) {
    auto records = ReadHelpData(data);
    if (auto* error = std::get_if<THelpDataError>(&records))
        return *error;
    auto& list = std::get<QList<THelpRecord>>(records);

    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start < names.size();) {
        const qsizetype end = names.indexOf('\n', start);
        if (end < 0)
            return Corrupt(0, "last name without its line end");
        lines.append(names.sliced(start, end - start));
        start = end + 1;
    }
    if (lines.size() != list.size())
        return Corrupt(0, "names and entries differ in number");

    THelpText entries;
    entries.reserve(list.size());
    for (qsizetype i = 0; i < list.size(); ++i)
        entries.append({QString::fromLatin1(lines[i]), std::move(list[i])});
    return entries;
}

THelpResult<THelpText> LoadFormHelpText(const QString& formName) {
    const QString base = QStringLiteral(":/help/") + formName;
    QFile names(base + QStringLiteral(".names"));
    QFile data(base + QStringLiteral(".HelpData"));
    if (!names.open(QIODevice::ReadOnly) || !data.open(QIODevice::ReadOnly))
        return THelpDataError{0, QStringLiteral("no help list for the form ") + formName};
    return ReadHelpText(names.readAll(), data.readAll());
}

}  // namespace controls
