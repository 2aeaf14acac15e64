// The cursor-level database interface that record sets use, implemented on the table engine:
// database slots, cursors (work areas), field descriptors, moves, record and field access,
// memos, key searches, result codes and their texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/xbase/status.h"
#include "store/sinks.h"

namespace store {

// The cursor interface's result: 0, a code of the cursor's own (its ends, a record hidden
// from it), or the engine's code of a failure, which passes through unchanged.
using DbiResult = std::uint16_t;

namespace dbi {
constexpr DbiResult FromEngine(xbase::ErrorCode code) {
    return static_cast<DbiResult>(code);
}

constexpr DbiResult kOk = 0;
constexpr DbiResult kEngineTooOld = 99;
constexpr DbiResult kBof = 8705;
constexpr DbiResult kEof = 8706;
constexpr DbiResult kRecordNotVisible = 8709;
constexpr DbiResult kNotFound = 8712;
constexpr DbiResult kNoIndexDesc = 10757;
constexpr DbiResult kNotOpenCursor = FromEngine(xbase::ErrorCode::kNoArea);
constexpr DbiResult kNumberTooLong = FromEngine(xbase::ErrorCode::kNumberTooLong);
constexpr DbiResult kLockRefused = FromEngine(xbase::ErrorCode::kLockFailed);
constexpr DbiResult kOpenFailed = FromEngine(xbase::ErrorCode::kOpenFailed);

constexpr int kFieldListHandle = 260;
constexpr int kDatabaseSlots = 199;
constexpr std::int32_t kDateDelta = 693594;  // day 1 = 0001-01-01; program dates from 1899-12-30
}  // namespace dbi

enum class FieldType : std::uint16_t {
    Text = 1,
    Date = 2,
    LargeObject = 3,
    Logical = 4,
    Int16 = 5,
    Floating = 7,
    Unknown = 255
};
constexpr std::uint16_t kMemoSubtype = 22;

struct FieldDesc {
    int number = 0;
    std::string name;
    FieldType type = FieldType::Unknown;
    std::uint16_t subtype = 0;
    int units1 = 0;
    int units2 = 0;
    int offset = 0;  // the engine's 1-based place in the record image
    int length = 0;  // length in the record-set buffer
    char letter = ' ';
    int width = 0;  // width in the record image
    bool throughEngine = false;
};

struct CursorProps {
    int fieldCount = 0;
    int recordSize = 0;
    int indexCount = 0;
    int validityChecks = 0;
    int bookmarkSize = 4;
};

struct IndexDesc {
    std::string fileName;
    std::string tagName;
    bool expression = false;
    std::string keyExpression;      // set for an expression index
    std::vector<int> fieldNumbers;  // key field first, then every other field the key names
};

struct RecordProps {
    int recordNumber = 0;
    bool deleted = false;
};

struct DateValue {
    std::int32_t days = 0;  // 0001-01-01 is day 1
    friend bool operator==(DateValue, DateValue) = default;
};

// A field's value as the interface carries it; monostate is a blank (null) field.
using FieldValue = std::variant<std::monostate, std::string, DateValue, bool, std::int16_t, double>;

using RecordImage = std::vector<char>;

enum class ShareMode { Shared, Exclusive };
enum class OpenMode { ReadWrite, ReadOnly };

class EngineAdaptor {
  public:
    explicit EngineAdaptor(MessageSink& messages);
    ~EngineAdaptor();
    EngineAdaptor(const EngineAdaptor&) = delete;
    EngineAdaptor& operator=(const EngineAdaptor&) = delete;

    DbiResult Start();
    DbiResult End();

    // Databases: slots 1..199 holding a directory.
    DbiResult OpenDatabase(std::string_view directory, int& database);
    DbiResult CloseDatabase(int database);

    // Cursors are the engine's work areas.
    DbiResult OpenTable(int database, std::string_view tableName, std::string_view driverName,
                        std::string_view indexName, OpenMode openMode, ShareMode shareMode,
                        int& cursor);
    DbiResult CloseCursor(int cursor);
    DbiResult GetFieldDescs(int cursor, std::vector<FieldDesc>& fields);
    DbiResult OpenFieldList(int database, std::string_view tableName, std::string_view driverName,
                            int& list);
    DbiResult ListNextRecord(int list, FieldDesc& field);
    DbiResult GetCursorProps(int cursor, CursorProps& props);
    DbiResult GetIndexDesc(int cursor, int order, IndexDesc& desc);  // order 0: the current
    DbiResult GetIndexDescs(int cursor, std::vector<IndexDesc>& descs);
    DbiResult SwitchToIndex(int cursor, std::string_view tagName);

    DbiResult SetToBegin(int cursor);
    DbiResult SetToEnd(int cursor);
    DbiResult GetNextRecord(int cursor, bool lock, RecordImage* buffer, RecordProps* props);
    DbiResult GetPriorRecord(int cursor, bool lock, RecordImage* buffer, RecordProps* props);
    DbiResult GetRecord(int cursor, bool lock, RecordImage* buffer, RecordProps* props);
    DbiResult GetBookmark(int cursor, std::int32_t& bookmark);
    DbiResult SetToBookmark(int cursor, std::int32_t bookmark);

    DbiResult InitRecord(int cursor, RecordImage& buffer);
    DbiResult AppendRecord(int cursor, const RecordImage& buffer);
    DbiResult ModifyRecord(int cursor, const RecordImage& buffer, bool freeLock);
    DbiResult DeleteRecord(int cursor);
    // Takes the deleted mark off the cursor's record (nothing is written for a live one).
    DbiResult RecallRecord(int cursor);
    // Takes back the record the cursor appended last and still stands on, with its keys and
    // notes, so that a save that failed after the append leaves the files as before it.
    DbiResult UndoAppend(int cursor);
    DbiResult RelRecordLock(int cursor, bool all);

    DbiResult GetField(int cursor, int field, const RecordImage& buffer, FieldValue& value);
    DbiResult PutField(int cursor, int field, RecordImage& buffer, const FieldValue& value);

    DbiResult GetBlob(int cursor, int field, const RecordImage& buffer, std::string& text);
    DbiResult PutBlob(int cursor, int field, RecordImage& buffer, std::size_t offset,
                      std::string_view text);

    static std::string ErrorText(DbiResult code);

    // The rules the interface is built on, open to tests.
    static int DriverCode(std::string_view driverName);
    static std::string AliasBase(std::string_view tableName);
    static std::string WithDirectoryEnd(std::string_view directory);
    static FieldDesc DescribeField(int number, std::string_view name, char letter, int width,
                                   int decimals, bool throughEngine);

  private:
    struct Cursor {
        std::vector<FieldDesc> fields;
        RecordImage saveArea;
        int driver = 2;
        int recordSize = 0;
    };
    class AreaGuard;

    DbiResult Enter(int cursor, AreaGuard& guard);
    Cursor* CursorOf(int cursor);
    const FieldDesc* FieldOf(int cursor, int field);
    void ReadCurrent(RecordImage* buffer, RecordProps* props);
    DbiResult BuildDescriptors(int area, Cursor& cursor);
    DbiResult OrderOfIndexName(std::string_view tagName, int& order);

    MessageSink& messages_;
    std::array<std::optional<std::string>, dbi::kDatabaseSlots + 1> databases_;
    std::vector<std::optional<Cursor>> cursors_;  // by work area
    std::vector<FieldDesc> fieldList_;
    std::size_t fieldListNext_ = 0;
    std::string currentDirectory_ = "./";
    std::vector<char> stateArea_;
};

// Date conversions across the interface.
DateValue ToDateValue(double programDate);
double FromDateValue(DateValue value);

}  // namespace store
