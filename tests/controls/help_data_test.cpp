// The what's-this help list's stored form (written, read back, refused when malformed), its
// readable source, and the lists the forms have compiled in.
#include <gtest/gtest.h>

#include <QByteArray>

#include "controls/help_data.h"
#include "controls/help_source.h"

namespace {

using namespace controls;

QByteArray Hex(const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

template <typename T>
const T& Ok(const THelpResult<T>& result) {
    if (const auto* error = std::get_if<THelpDataError>(&result))
        ADD_FAILURE() << "refused at " << error->offset << ": " << error->reason.toStdString();
    static const T empty{};
    const auto* value = std::get_if<T>(&result);
    return value ? *value : empty;
}

THelpRecord Text(const char* text, quint32 context = 0) {
    return {QString::fromLatin1(text), context};
}

TEST(HelpData, WritesTheStoredLayoutAndReadsItBack) {
    struct Case {
        const char* what;
        QList<THelpRecord> records;
        const char* bytes;
    };
    const Case cases[] = {
        {"no entries", {}, "0000"},
        {"a text: its length counts the zero byte",
         {Text("Hi")},
         "0100  01 0000 0300 486900 01 00000000"},
        {"an entry without text stores a zero length and no bytes",
         {THelpRecord{}},
         "0100  01 0000 0000 01 00000000"},
        {"an empty text keeps its zero byte",
         {Text("")},
         "0100  01 0000 0100 00 01 00000000"},
        {"contexts and reserved fields little-endian, line breaks as they are",
         {THelpRecord{QStringLiteral("a\r\nb"), 0x12345678, 0xBEEF, 7}, Text("->X")},
         "0200  01 EFBE 0500 610D0A6200 07 78563412"
         "      01 0000 0400 2D3E5800 01 00000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray written = WriteHelpData(c.records);
        EXPECT_EQ(written.toHex(' '), Hex(c.bytes).toHex(' '));
        EXPECT_EQ(Ok(ReadHelpData(written)), c.records);
    }
}

TEST(HelpData, MalformedBytesAreAnErrorAtTheirPlace) {
    struct Case {
        const char* what;
        const char* bytes;
        qsizetype offset;
    };
    const Case cases[] = {
        {"nothing at all", "", 0},
        {"count without entries", "0100", 2},
        {"entry not marked present", "0100  00 0000 0000 01 00000000", 2},
        {"text passing the end", "0100  01 0000 0900 4869", 7},
        {"text without its zero byte", "0100  01 0000 0200 4869 01 00000000", 8},
        {"context cut short", "0100  01 0000 0000 01 0000", 7},
        {"bytes after the last entry", "0100  01 0000 0000 01 00000000 FF", 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = ReadHelpData(Hex(c.bytes));
        const auto* error = std::get_if<THelpDataError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->offset, c.offset);
    }

    const QByteArray whole = WriteHelpData({Text("Click here"), THelpRecord{}, Text("x", 9)});
    for (qsizetype size = 0; size < whole.size(); ++size)
        EXPECT_TRUE(std::holds_alternative<THelpDataError>(ReadHelpData(whole.first(size))))
            << "cut to " << size << " bytes";
}

TEST(HelpData, NamesPairWithTheirRecordsInOrder) {
    const THelpText list = {{QStringLiteral("KeysBox"), Text("->KeyWords")},
                            {QStringLiteral("Label3"), {}},
                            {QStringLiteral("KeyWords"), Text("Enter")}};
    QList<THelpRecord> records;
    for (const auto& entry : list)
        records.append(entry.record);
    const QByteArray data = WriteHelpData(records);
    EXPECT_EQ(WriteHelpNames(list), QByteArray("KeysBox\nLabel3\nKeyWords\n"));
    EXPECT_EQ(Ok(ReadHelpText(WriteHelpNames(list), data)), list);

    EXPECT_TRUE(std::holds_alternative<THelpDataError>(ReadHelpText("KeysBox\nLabel3\n", data)))
        << "fewer names than entries";
    EXPECT_TRUE(std::holds_alternative<THelpDataError>(ReadHelpText("KeysBox\nLabel3\nKeyWords", data)))
        << "last name without its line end";
}

TEST(HelpSource, ReadsEntriesInOrder) {
    const auto list = Ok(ParseHelpSource(
        "# a note\n"
        "Grid = \"The Task Grid:\\r\\n\\r\\n\"\n"
        "       \"Double-click \" \"here\"\n"
        "\n"
        "Label1\n"
        "Box = \"->Edit\"   \n"
        "Quote = \"say \\\"hi\\\" \\\\ \\t\"\n"));
    const THelpText expected = {{QStringLiteral("Grid"), Text("The Task Grid:\r\n\r\nDouble-click here")},
                                {QStringLiteral("Label1"), {}},
                                {QStringLiteral("Box"), Text("->Edit")},
                                {QStringLiteral("Quote"), Text("say \"hi\" \\ \t")}};
    EXPECT_EQ(list, expected);
}

TEST(HelpSource, RefusesMalformedLinesByNumber) {
    struct Case {
        const char* source;
        qsizetype line;
    };
    const Case cases[] = {
        {"\"text before any entry\"\n", 1},
        {"Label1\n\"text for an entry without text\"\n", 2},
        {"A = \"open\n", 1},
        {"A\nB = \n", 2},
        {"A = \"x\" y\n", 1},
        {"A B\n", 1},
        {"A = \"\\q\"\n", 1},
        {"A = \"caf\xC3\xA9\"\n", 1},
        {"= \"no name\"\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const auto result = ParseHelpSource(c.source);
        const auto* error = std::get_if<THelpDataError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->offset, c.line);
    }
}

TEST(HelpData, EveryFormHasItsListCompiledIn) {
    struct Case {
        const char* form;
        const char* name;
        const char* text;  // null: an entry without text
    };
    const Case cases[] = {
        {"TMainScreen", "ActiveGrid",
         "The Task Grid:\r\n\r\nDouble-click on the Priority Column, Date Column,Time Column or "
         "Key Words Column for a quick change menu. \r\n\r\nDouble-click on the Done column to "
         "toggle the status.\r\n\r\nSelect the Description field and start typing to change the "
         "description value"},
        {"TMainScreen", "DeleteButton", "Click here to delete  the currently highlighted task. "},
        {"TMainScreen", "Panel4", nullptr},
        {"TFilterForm", "KeysBox", "->KeyWords"},
        {"TFilterForm", "MouseHelpButton", nullptr},
        {"TTaskEditor", "TimeEdit", "Enter the time here (HH:MMam/pm)"},
        {"TTaskEditor", "PriorityPanel", nullptr},
        {"TDateSelector", "CancelButton", "Click to cancel and return to the previous screen"},
        {"TReportSetup", "SaveAsRTFClick", "Click here to save the current Todo List as an RTF file"},
        {"TPreviewForm", "sbLastPAge", "Click here to see the last page"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.form) + " " + c.name);
        const THelpText list = Ok(LoadFormHelpText(QString::fromLatin1(c.form)));
        const auto hit = std::find_if(list.cbegin(), list.cend(), [&](const THelpEntry& e) {
            return e.name == QLatin1String(c.name);
        });
        ASSERT_NE(hit, list.cend());
        if (c.text)
            EXPECT_EQ(hit->record.text, QString::fromLatin1(c.text));
        else
            EXPECT_FALSE(hit->record.text.has_value());
        for (const auto& entry : list) {
            EXPECT_EQ(entry.record.context, 0u) << entry.name.toStdString();
            if (entry.record.text) {
                EXPECT_FALSE(QString(*entry.record.text).remove(QStringLiteral("\r\n")).contains(u'\n'))
                    << entry.name.toStdString() << ": a line break without its carriage return";
            }
        }
    }
    EXPECT_TRUE(std::holds_alternative<THelpDataError>(LoadFormHelpText(QStringLiteral("TNoSuchForm"))));
}

}  // namespace
