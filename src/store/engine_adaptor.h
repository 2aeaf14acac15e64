// The cursor-level database interface that record sets use, implemented on the table engine:
// database slots, cursors (work areas), field descriptors, moves, record and field access,
// memos, key searches, ranges, result codes and their texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "store/sinks.h"

namespace store {

using DbiResult = std::uint16_t;

namespace dbi {
constexpr DbiResult kOk = 0;
constexpr DbiResult kEngineTooOld = 99;
constexpr DbiResult kBof = 8705;
constexpr DbiResult kEof = 8706;
constexpr DbiResult kRecordNotVisible = 8709;
constexpr DbiResult kKeyNotFound = 8710;
constexpr DbiResult kNotFound = 8712;
constexpr DbiResult kNotOpenCursor = 9990;
constexpr DbiResult kNumberTooLong = 10019;
constexpr DbiResult kLockRefused = 10245;
constexpr DbiResult kNoIndexDesc = 10757;
constexpr DbiResult kNoIndexSearch = 10764;
constexpr DbiResult kOpenFailed = 11011;
constexpr DbiResult kNoQueries = 12289;

constexpr int kFieldListHandle = 260;
constexpr int kEmptyListHandle = 261;
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
    DbiResult DbiSetDirectory(int database, std::string_view directory);
    DbiResult CloseDatabase(int database);
    std::string DatabaseDirectory(int database) const;
    void SetDefaultDirectory(std::string_view directory) { defaultDirectory_ = directory; }

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
    DbiResult SetToCursor(int cursor, int source);

    DbiResult InitRecord(int cursor, RecordImage& buffer);
    DbiResult AppendRecord(int cursor, const RecordImage& buffer);
    DbiResult ModifyRecord(int cursor, const RecordImage& buffer, bool freeLock);
    DbiResult DeleteRecord(int cursor);
    // Takes back the record the cursor appended last and still stands on, with its keys and
    // notes, so that a save that failed after the append leaves the files as before it.
    DbiResult UndoAppend(int cursor);
    DbiResult RelRecordLock(int cursor, bool all);

    DbiResult GetField(int cursor, int field, const RecordImage& buffer, FieldValue& value);
    DbiResult PutField(int cursor, int field, RecordImage& buffer, const FieldValue& value);

    DbiResult GetBlobSize(int cursor, int field, const RecordImage& buffer, std::size_t& size);
    DbiResult GetBlob(int cursor, int field, const RecordImage& buffer, std::string& text);
    DbiResult PutBlob(int cursor, int field, RecordImage& buffer, std::size_t offset,
                      std::string_view text);
    DbiResult TruncateBlob(int cursor, int field, RecordImage& buffer);

    // key: the key to search, or nullopt for the key of `record`.
    DbiResult GetRecordForKey(int cursor, std::optional<std::string_view> key,
                              const RecordImage* record, RecordImage* buffer);
    DbiResult SetRange(int cursor, std::string_view low, std::string_view high);
    DbiResult SetRangeFromRecords(int cursor, const RecordImage& low, const RecordImage& high);
    DbiResult ResetRange(int cursor);
    DbiResult DropFilter(int cursor);
    DbiResult ExtractKey(int cursor, const RecordImage* record, std::string& key);

    DbiResult DbiGetProp(std::uint32_t property, std::string& value);
    static std::string ErrorText(DbiResult code);
    static std::string NativeToAnsi(std::string_view text, int length);
    // Operations the adaptor does not carry out: a notice, then success.
    DbiResult Unsupported(std::string_view operation);
    static DbiResult LookupAlias() { return dbi::kNotFound; }
    static DbiResult AllocateQuery() { return dbi::kNoQueries; }
    static int OpenOtherList() { return dbi::kEmptyListHandle; }

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
    std::string KeyOfRecord(const RecordImage& record, bool commit);
    std::string KeyOfCurrent();
    DbiResult BuildDescriptors(int area, Cursor& cursor);
    DbiResult OrderOfIndexName(std::string_view tagName, int& order);

    MessageSink& messages_;
    std::array<std::optional<std::string>, dbi::kDatabaseSlots + 1> databases_;
    std::vector<std::optional<Cursor>> cursors_;  // by work area
    std::vector<FieldDesc> fieldList_;
    std::size_t fieldListNext_ = 0;
    std::string currentDirectory_ = "./";
    std::string defaultDirectory_;
    std::vector<char> stateArea_;
};

// Date conversions across the interface.
DateValue ToDateValue(double programDate);
double FromDateValue(DateValue value);

}  // namespace store
