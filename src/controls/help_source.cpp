// Reading a form's what's-this help source into its help list.
#include "controls/help_source.h"

namespace controls {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// One source line, read left to right.
class TLine {
  public:
    TLine(QByteArrayView text, qsizetype number) : text_(text), number_(number) {}

    void skipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ == text_.size();
    }
    bool peek(char c) {
        skipBlanks();
        return pos_ < text_.size() && text_[pos_] == c;
    }
    QByteArray name() {
        skipBlanks();
        const qsizetype start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_]))
            ++pos_;
        return text_.sliced(start, pos_ - start).toByteArray();
    }
    // Appends every quoted piece left on the line to `out`; false on a malformed piece.
    bool pieces(QByteArray& out, QString& why) {
        while (!atEnd()) {
            if (text_[pos_] != '"')
                return fail(why, "text outside quotes");
            ++pos_;
            for (;;) {
                if (pos_ == text_.size())
                    return fail(why, "quote not closed");
                const char c = text_[pos_++];
                if (c == '"')
                    break;
                if (static_cast<unsigned char>(c) >= 0x80)
                    return fail(why, "only plain ASCII is stored");
                if (c != '\\') {
                    out.append(c);
                    continue;
                }
                if (pos_ == text_.size())
                    return fail(why, "quote not closed");
                switch (text_[pos_++]) {
                    case 'r': out.append('\r'); break;
                    case 'n': out.append('\n'); break;
                    case 't': out.append('\t'); break;
                    case '"': out.append('"'); break;
                    case '\\': out.append('\\'); break;
                    default: return fail(why, "unknown escape");
                }
            }
        }
        return true;
    }
    void skip() { ++pos_; }
    qsizetype number() const { return number_; }

  private:
    static bool fail(QString& why, const char* reason) {
        why = QString::fromLatin1(reason);
        return false;
    }

    QByteArrayView text_;
    qsizetype number_;
    qsizetype pos_ = 0;
};

THelpDataError LineError(qsizetype line, const QString& reason) {
    return {line, QStringLiteral("line %1: %2").arg(line).arg(reason)};
}

}  // namespace

THelpResult<THelpText> ParseHelpSource(QByteArrayView source) {
    THelpText entries;
    qsizetype number = 0;
    for (qsizetype start = 0; start < source.size();) {
        qsizetype end = source.indexOf('\n', start);
        if (end < 0)
            end = source.size();
        TLine line(source.sliced(start, end - start), ++number);
        start = end + 1;

        if (line.atEnd() || line.peek('#'))
            continue;
        QString why;
        if (line.peek('"')) {
            QByteArray more;
            if (entries.isEmpty() || !entries.back().record.text)
                return LineError(number, QStringLiteral("text without an entry"));
            if (!line.pieces(more, why))
                return LineError(number, why);
            entries.back().record.text->append(QString::fromLatin1(more));
            continue;
        }
        const QByteArray name = line.name();
        if (name.isEmpty())
            return LineError(number, QStringLiteral("a name or a quoted text expected"));
        THelpEntry entry{QString::fromLatin1(name), {}};
        if (line.peek('=')) {
            line.skip();
            QByteArray text;
            if (line.atEnd())
                return LineError(number, QStringLiteral("text expected after ="));
            if (!line.pieces(text, why))
                return LineError(number, why);
            entry.record.text = QString::fromLatin1(text);
        } else if (!line.atEnd()) {
            return LineError(number, QStringLiteral("= expected after the name"));
        }
        entries.append(std::move(entry));
    }
    return entries;
}

}  // namespace controls
