// The cursor-level interface on the table engine. Every cursor operation runs on its own work
// area and puts the previously current area back on every way out (AreaGuard).
#include "store/engine_adaptor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/xbase/sx.h"
#include "rtl/ansi.h"
#include "rtl/date_time.h"
#include "rtl/rounding.h"

namespace store {

namespace {

constexpr char kVersionMessage[] =
    "The table engine adaptor requires XBENG32.DLL Version 2.40.00 or later.";

bool AllBlank(const char* bytes, int length) {
    return std::all_of(bytes, bytes + length, [](char c) { return c == ' '; });
}

std::string Upper(std::string_view text) {
    return rtl::AnsiUpperCase(text);
}

std::string BaseName(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\:");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string WithoutExtension(std::string_view name) {
    std::size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

// Fixed notation with `decimals` places, independent of the C locale.
std::string FixedText(double value, int decimals) {
    char text[400];
    auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc{}) {
        return std::string(400, '9');
    }
    return std::string(text, result.ptr);
}

// The code of the engine's last failure, so that a person reads what went wrong; `fallback`
// when the engine recorded none.
DbiResult EngineFailure(DbiResult fallback) {
    int code = static_cast<int>(sx_LastStatus().code());
    return code > 0 && code <= 0xFFFF ? static_cast<DbiResult>(code) : fallback;
}

void PutRightAligned(char* bytes, int width, const std::string& text) {
    std::memset(bytes, ' ', static_cast<std::size_t>(width));
    std::memcpy(bytes + width - static_cast<int>(text.size()), text.data(), text.size());
}

}  // namespace

DateValue ToDateValue(double programDate) {
    return {static_cast<std::int32_t>(std::floor(programDate)) + dbi::kDateDelta};
}

double FromDateValue(DateValue value) {
    return static_cast<double>(value.days - dbi::kDateDelta);
}

// Selects a cursor's area for one operation and selects the previous one again on leaving.
class EngineAdaptor::AreaGuard {
  public:
    AreaGuard() = default;
    ~AreaGuard() {
        if (selected_ && previous_ != area_ && previous_ != 0) {
            sx_Select(previous_);
        }
    }
    AreaGuard(const AreaGuard&) = delete;
    AreaGuard& operator=(const AreaGuard&) = delete;
    void Select(int area) {
        area_ = area;
        previous_ = sx_Select(area);
        selected_ = true;
    }

  private:
    int area_ = 0;
    int previous_ = 0;
    bool selected_ = false;
};

EngineAdaptor::EngineAdaptor(MessageSink& messages) : messages_(messages), cursors_(256) {}

EngineAdaptor::~EngineAdaptor() = default;

DbiResult EngineAdaptor::Start() {
    sx_SetStringType(1);
    sx_ErrorLevel(1);
    currentDirectory_ = "./";
    std::string version = sx_Version();
    long number = -1;
    if (version.size() > 6) {
        std::string_view rest(version);
        rest.remove_prefix(6);
        auto result = std::from_chars(rest.data(), rest.data() + rest.size(), number);
        if (result.ec != std::errc{}) {
            number = -1;  // a version text without a number there is too old to trust
        }
    }
    if (version.empty() || number < 0) {
        messages_.ShowInformation(kVersionMessage);
        return dbi::kEngineTooOld;
    }
    stateArea_.assign(static_cast<std::size_t>(sx_SysProp(SxProp::kCursorStateSize)), 0);
    return dbi::kOk;
}

DbiResult EngineAdaptor::End() {
    sx_CloseAll();
    sx_SysProp(SxProp::kReleaseScratch);
    stateArea_.clear();
    for (auto& cursor : cursors_) {
        cursor.reset();
    }
    return dbi::kOk;
}

std::string EngineAdaptor::WithDirectoryEnd(std::string_view directory) {
    std::string text(directory);
    if (text.empty() || (text.back() != '/' && text.back() != '\\' && text.back() != ':')) {
        text += '/';
    }
    return text;  // whole: a directory cut short would put the files somewhere else
}

DbiResult EngineAdaptor::OpenDatabase(std::string_view directory, int& database) {
    database = 0;
    std::string text(directory);
    if (text.empty()) {
        text = "./";
    }
    for (int slot = 1; slot <= dbi::kDatabaseSlots; ++slot) {
        if (!databases_[slot]) {
            databases_[slot] = WithDirectoryEnd(text);
            database = slot;
            return dbi::kOk;
        }
    }
    return dbi::kNotFound;  // every slot is taken: no database can be opened
}

DbiResult EngineAdaptor::CloseDatabase(int database) {
    if (database > 0 && database <= dbi::kDatabaseSlots) {
        databases_[database].reset();
    }
    return dbi::kOk;
}

int EngineAdaptor::DriverCode(std::string_view driverName) {
    std::string name = Upper(driverName);
    if (name == "SXNTX")
        return 1;
    if (name == "SXFOX")
        return 2;
    if (name == "SXNSX")
        return 3;
    if (name == "AXNTX")
        return 11;
    if (name == "AXFOX")
        return 12;
    return 2;
}

std::string EngineAdaptor::AliasBase(std::string_view tableName) {
    std::string alias = WithoutExtension(BaseName(tableName));
    for (std::size_t i = 0; i < alias.size() && i < 8; ++i) {
        if (alias[i] == '~' || alias[i] == '-' || alias[i] == ' ') {
            alias[i] = '_';
        }
    }
    return alias;
}

FieldDesc EngineAdaptor::DescribeField(int number, std::string_view name, char letter, int width,
                                       int decimals, bool throughEngine) {
    FieldDesc d;
    d.number = number;
    d.name = std::string(name.substr(0, 31));
    d.letter = letter;
    d.width = width;
    d.throughEngine = throughEngine;
    switch (letter) {
        case 'C':
            d.type = FieldType::Text;
            d.units1 = throughEngine ? 254 : width;
            d.length = throughEngine ? 255 : width + 1;
            break;
        case 'D':
            d.type = FieldType::Date;
            d.units1 = 1;
            d.length = 4;
            break;
        case 'L':
            d.type = FieldType::Logical;
            d.units1 = 1;
            d.length = 2;
            break;
        case 'N':
            if (decimals > 0 || width >= 5) {
                d.type = FieldType::Floating;
                d.units1 = width;
                d.units2 = decimals;
                d.length = 8;
            } else {
                d.type = FieldType::Int16;
                d.units1 = 1;
                d.length = 2;
            }
            break;
        case 'B':
        case 'M':
        case 'P':
            d.type = FieldType::LargeObject;
            d.subtype = kMemoSubtype;
            d.units1 = 1;
            break;
        default:
            d.type = FieldType::Unknown;
            break;
    }
    return d;
}

EngineAdaptor::Cursor* EngineAdaptor::CursorOf(int cursor) {
    if (cursor <= 0 || cursor >= 256 || !cursors_[static_cast<std::size_t>(cursor)]) {
        return nullptr;
    }
    return &*cursors_[static_cast<std::size_t>(cursor)];
}

DbiResult EngineAdaptor::Enter(int cursor, AreaGuard& guard) {
    if (cursor <= 0 || cursor >= 256 || sx_SysProp(SxProp::kAreaInUse, cursor) == 0) {
        return dbi::kNotOpenCursor;
    }
    guard.Select(cursor);
    return dbi::kOk;
}

const FieldDesc* EngineAdaptor::FieldOf(int cursor, int field) {
    Cursor* c = CursorOf(cursor);
    if (c == nullptr || field < 1 || field > static_cast<int>(c->fields.size())) {
        return nullptr;
    }
    return &c->fields[static_cast<std::size_t>(field - 1)];
}

DbiResult EngineAdaptor::BuildDescriptors(int area, Cursor& cursor) {
    (void)area;
    cursor.fields.clear();
    int count = sx_FieldCount();
    for (int i = 1; i <= count; ++i) {
        std::string name = sx_FieldName(i);
        std::string type = sx_FieldType(name);
        char letter = type.empty() ? ' ' : type[0];
        FieldDesc d = DescribeField(i, name, letter, sx_FieldWidth(name), sx_FieldDecimals(name),
                                    sx_SysProp(SxProp::kFieldThroughEngine, i) != 0);
        d.offset = sx_FieldOffset(name);
        if (d.type == FieldType::Unknown) {
            messages_.ShowInformation("Invalid Field Type " + std::string(1, letter));
        }
        cursor.fields.push_back(std::move(d));
    }
    cursor.recordSize = sx_RecSize();
    return dbi::kOk;
}

DbiResult EngineAdaptor::OrderOfIndexName(std::string_view tagName, int& order) {
    order = 0;
    if (tagName.empty()) {
        return dbi::kOk;
    }
    if (sx_SysProp(SxProp::kSeparateIndexes) == 1) {
        std::string wanted = Upper(WithoutExtension(BaseName(tagName)));
        for (int i = 1;; ++i) {
            std::string name = sx_TagName(i);
            if (name.empty()) {
                return dbi::kNotFound;
            }
            if (Upper(name) == wanted) {
                order = i;
                return dbi::kOk;
            }
        }
    }
    order = sx_TagArea(BaseName(tagName));
    return order == 0 ? dbi::kNotFound : dbi::kOk;
}

DbiResult EngineAdaptor::OpenTable(int database, std::string_view tableName,
                                   std::string_view driverName, std::string_view indexName,
                                   OpenMode openMode, ShareMode shareMode, int& cursor) {
    cursor = 0;
    if (database > 0 && database <= dbi::kDatabaseSlots && databases_[database]) {
        currentDirectory_ = *databases_[database];
    }
    int driver = DriverCode(driverName);
    int mode = shareMode == ShareMode::Exclusive ? 2 : 0;
    if (openMode == OpenMode::ReadOnly) {
        mode = 1;
    }
    std::string base = AliasBase(tableName);
    std::string alias = base;
    for (int n = 1; sx_WorkArea(alias) != 0; ++n) {
        alias = base.substr(0, 8) + "_" + std::to_string(n);
    }
    int previous = sx_WorkArea();
    std::string path = currentDirectory_ + std::string(tableName);
    int area = sx_Use(path, alias, mode, driver);
    if (area == 0) {
        if (previous != 0) {
            sx_Select(previous);
        }
        return dbi::kOpenFailed;
    }
    Cursor record;
    record.driver = driver;
    BuildDescriptors(area, record);
    record.saveArea.assign(static_cast<std::size_t>(record.recordSize), ' ');
    if (!indexName.empty()) {
        if (driver == 1) {
            sx_IndexOpen(currentDirectory_ + std::string(indexName));
        } else {
            int order = sx_TagArea(indexName);
            if (order != 0) {
                sx_SetOrder(order);
            }
        }
    }
    cursors_[static_cast<std::size_t>(area)] = std::move(record);
    cursor = area;
    if (previous != 0 && previous != area) {
        sx_Select(previous);
    }
    return dbi::kOk;
}

DbiResult EngineAdaptor::CloseCursor(int cursor) {
    if (cursor == dbi::kFieldListHandle) {
        fieldList_.clear();
        fieldListNext_ = 0;
        return dbi::kOk;
    }
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    sx_Close();
    cursors_[static_cast<std::size_t>(cursor)].reset();
    return dbi::kOk;
}

DbiResult EngineAdaptor::GetFieldDescs(int cursor, std::vector<FieldDesc>& fields) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    Cursor* c = CursorOf(cursor);
    if (c == nullptr) {
        return dbi::kNotOpenCursor;
    }
    BuildDescriptors(cursor, *c);
    fields = c->fields;
    return dbi::kOk;
}

DbiResult EngineAdaptor::OpenFieldList(int database, std::string_view tableName,
                                       std::string_view driverName, int& list) {
    list = 0;
    int area = sx_WorkArea(AliasBase(tableName));
    if (area != 0 && CursorOf(area) != nullptr) {
        if (DbiResult r = GetFieldDescs(area, fieldList_); r != dbi::kOk) {
            return r;
        }
    } else {
        int cursor = 0;
        if (DbiResult r = OpenTable(database, tableName, driverName, {}, OpenMode::ReadOnly,
                                    ShareMode::Shared, cursor);
            r != dbi::kOk) {
            return r;
        }
        DbiResult r = GetFieldDescs(cursor, fieldList_);
        CloseCursor(cursor);
        if (r != dbi::kOk) {
            return r;
        }
    }
    fieldListNext_ = 0;
    list = dbi::kFieldListHandle;
    return dbi::kOk;
}

DbiResult EngineAdaptor::ListNextRecord(int list, FieldDesc& field) {
    if (list != dbi::kFieldListHandle || fieldListNext_ >= fieldList_.size()) {
        return dbi::kEof;
    }
    field = fieldList_[fieldListNext_++];
    return dbi::kOk;
}

DbiResult EngineAdaptor::GetCursorProps(int cursor, CursorProps& props) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    props.recordSize = sx_RecSize();
    props.fieldCount = sx_FieldCount();
    props.indexCount = static_cast<int>(sx_SysProp(SxProp::kOrderCount));
    props.validityChecks = 0;
    props.bookmarkSize = 4;
    return dbi::kOk;
}

DbiResult EngineAdaptor::GetIndexDesc(int cursor, int order, IndexDesc& desc) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    int current = sx_IndexOrd();
    if (order != 0 && order != current) {
        sx_SetOrder(order);
    }
    DbiResult result = dbi::kOk;
    if (sx_IndexOrd() == 0) {
        result = dbi::kNoIndexDesc;
    } else {
        int active = sx_IndexOrd();
        desc = {};
        desc.fileName = sx_IndexName(active);
        desc.tagName = sx_TagName(active);
        std::string key = sx_IndexKey();
        std::string keyField = sx_IndexKeyField();
        std::string upperKey = Upper(key);
        if (upperKey != Upper(keyField)) {
            desc.expression = true;
            desc.keyExpression = key;
        } else {
            int first = sx_FieldNum(keyField);
            desc.fieldNumbers.push_back(first);
            int count = sx_FieldCount();
            for (int i = 1; i <= count; ++i) {
                if (i != first && upperKey.find(Upper(sx_FieldName(i))) != std::string::npos) {
                    desc.fieldNumbers.push_back(i);
                }
            }
        }
    }
    if (sx_IndexOrd() != current) {
        sx_SetOrder(current);
    }
    return result;
}

DbiResult EngineAdaptor::GetIndexDescs(int cursor, std::vector<IndexDesc>& descs) {
    descs.clear();
    CursorProps props;
    if (DbiResult r = GetCursorProps(cursor, props); r != dbi::kOk) {
        return r;
    }
    for (int order = 1; order <= props.indexCount; ++order) {
        IndexDesc desc;
        if (DbiResult r = GetIndexDesc(cursor, order, desc); r != dbi::kOk) {
            return r;
        }
        descs.push_back(std::move(desc));
    }
    return dbi::kOk;
}

DbiResult EngineAdaptor::SwitchToIndex(int cursor, std::string_view tagName) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    int order = 0;
    if (DbiResult r = OrderOfIndexName(tagName, order); r != dbi::kOk) {
        return r;
    }
    sx_SetOrder(order);
    return dbi::kOk;
}

DbiResult EngineAdaptor::SetToBegin(int cursor) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    sx_GoTop();
    sx_Skip(-1);
    return dbi::kOk;
}

DbiResult EngineAdaptor::SetToEnd(int cursor) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    sx_GoBottom();
    sx_Skip(1);
    return dbi::kOk;
}

void EngineAdaptor::ReadCurrent(RecordImage* buffer, RecordProps* props) {
    if (buffer != nullptr) {
        buffer->assign(static_cast<std::size_t>(sx_RecSize()), ' ');
        sx_GetRecord(*buffer);
    }
    if (props != nullptr) {
        props->recordNumber = sx_RecNo();
        props->deleted = sx_Deleted();
    }
}

DbiResult EngineAdaptor::GetNextRecord(int cursor, bool lock, RecordImage* buffer,
                                       RecordProps* props) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    if (sx_Bof()) {
        sx_GoTop();
    } else {
        sx_Skip(1);
    }
    if (sx_Eof()) {
        return dbi::kEof;
    }
    if (lock && !sx_Rlock(sx_RecNo())) {
        return dbi::kLockRefused;
    }
    ReadCurrent(buffer, props);
    return dbi::kOk;
}

DbiResult EngineAdaptor::GetPriorRecord(int cursor, bool lock, RecordImage* buffer,
                                        RecordProps* props) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    sx_Skip(-1);
    if (sx_Bof()) {
        // Skipping back from the first record lands on it with Bof; the interface then
        // stands before the first record, so that a following next delivers the first.
        sx_GoTop();
        sx_Skip(-1);
        return dbi::kBof;
    }
    if (lock && !sx_Rlock(sx_RecNo())) {
        return dbi::kLockRefused;
    }
    ReadCurrent(buffer, props);
    return dbi::kOk;
}

DbiResult EngineAdaptor::GetRecord(int cursor, bool lock, RecordImage* buffer, RecordProps* props) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    if (sx_Eof()) {
        return dbi::kEof;
    }
    // The engine raises Bof on the first record after a skip back past it: the cursor then
    // stands before the first record, where there is no current record to read.
    if (sx_Bof()) {
        return dbi::kBof;
    }
    if (lock && !sx_Rlock(sx_RecNo())) {
        return dbi::kLockRefused;
    }
    if (!sx_DBFilter().empty() || sx_SysProp(SxProp::kDeletedHidden) == 1) {
        int number = sx_RecNo();
        sx_Skip(1);
        sx_Skip(-1);
        if (sx_RecNo() != number) {
            // Back to the hidden record's own place, so that a next record continues from
            // there in the order in force; only a record that no longer exists sends the
            // cursor past the end.
            if (number >= 1 && number <= sx_RecCount()) {
                sx_Go(number);
            } else {
                sx_GoBottom();
                sx_Skip(1);
            }
            return dbi::kRecordNotVisible;
        }
    }
    ReadCurrent(buffer, props);
    return dbi::kOk;
}

DbiResult EngineAdaptor::GetBookmark(int cursor, std::int32_t& bookmark) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    bookmark = sx_RecNo();
    return dbi::kOk;
}

DbiResult EngineAdaptor::SetToBookmark(int cursor, std::int32_t bookmark) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    if (bookmark > sx_RecCount() || bookmark <= 0) {
        sx_GoBottom();
        sx_Skip(1);
    } else {
        sx_Go(bookmark);
    }
    return dbi::kOk;
}

DbiResult EngineAdaptor::InitRecord(int cursor, RecordImage& buffer) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    buffer.assign(static_cast<std::size_t>(sx_RecSize()), ' ');
    return dbi::kOk;
}

DbiResult EngineAdaptor::AppendRecord(int cursor, const RecordImage& buffer) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    // One write of the whole image: a blank record appended first would stay behind when
    // the image could not be written over it.
    sx_ClearLastError();
    return sx_AppendRecord(buffer) ? dbi::kOk : EngineFailure(dbi::kOpenFailed);
}

DbiResult EngineAdaptor::ModifyRecord(int cursor, const RecordImage& buffer, bool freeLock) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    if (sx_Eof()) {
        return dbi::kEof;
    }
    sx_ClearLastError();
    bool written = sx_PutRecord(buffer);
    DbiResult result = written ? dbi::kOk : EngineFailure(dbi::kLockRefused);
    if (freeLock) {
        sx_Unlock(sx_RecNo());
    }
    return result;
}

DbiResult EngineAdaptor::DeleteRecord(int cursor) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    if (sx_Eof()) {
        return dbi::kEof;
    }
    sx_ClearLastError();
    return sx_Delete() ? dbi::kOk : EngineFailure(dbi::kLockRefused);
}

DbiResult EngineAdaptor::RecallRecord(int cursor) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    if (sx_Eof()) {
        return dbi::kEof;
    }
    if (!sx_Deleted()) {
        return dbi::kOk;
    }
    sx_ClearLastError();
    return sx_Recall() ? dbi::kOk : EngineFailure(dbi::kLockRefused);
}

DbiResult EngineAdaptor::UndoAppend(int cursor) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    // No clearing of the last error: the failure that made the caller take the append back
    // stays the one to report.
    return sx_UndoAppend() ? dbi::kOk : EngineFailure(dbi::kLockRefused);
}

DbiResult EngineAdaptor::RelRecordLock(int cursor, bool all) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    sx_Unlock(all ? 0 : sx_RecNo());
    return dbi::kOk;
}

DbiResult EngineAdaptor::GetField(int cursor, int field, const RecordImage& buffer,
                                  FieldValue& value) {
    value = std::monostate{};
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    const FieldDesc* d = FieldOf(cursor, field);
    if (d == nullptr || d->offset < 1 ||
        d->offset - 1 + d->width > static_cast<int>(buffer.size())) {
        return dbi::kNotFound;
    }
    const char* bytes = buffer.data() + d->offset - 1;
    if (d->type == FieldType::LargeObject || AllBlank(bytes, d->width)) {
        return dbi::kOk;
    }
    std::string raw(bytes, static_cast<std::size_t>(d->width));
    if (d->throughEngine) {
        // The engine reads this field itself: lend it the caller's image for the read.
        std::span<char> engine = sx_RecordBuffer();
        if (!engine.empty()) {
            RecordImage saved(engine.begin(), engine.end());
            std::memcpy(engine.data(), buffer.data(), std::min(buffer.size(), saved.size()));
            raw = sx_GetString(d->name);
            std::memcpy(engine.data(), saved.data(), saved.size());
        }
    }
    switch (d->type) {
        case FieldType::Text: {
            std::size_t end = raw.find_last_not_of(' ');
            value = raw.substr(0, end == std::string::npos ? 0 : end + 1);
            break;
        }
        case FieldType::Date: {
            int year = 0, month = 0, day = 0;
            auto digits = [&](int from, int count, int& out) {
                auto r = std::from_chars(raw.data() + from, raw.data() + from + count, out);
                return r.ec == std::errc{} && r.ptr == raw.data() + from + count;
            };
            rtl::TDateTime date = 0;
            if (raw.size() >= 8 && digits(0, 4, year) && digits(4, 2, month) && digits(6, 2, day) &&
                rtl::TryEncodeDate(year, month, day, date)) {
                value = ToDateValue(date);
            }
            break;
        }
        case FieldType::Logical:
            value = raw[0] == 'T' || raw[0] == 't' || raw[0] == 'Y' || raw[0] == 'y';
            break;
        case FieldType::Int16: {
            std::size_t first = raw.find_first_not_of(' ');
            int number = 0;
            auto r = std::from_chars(raw.data() + first, raw.data() + raw.size(), number);
            if (r.ec == std::errc{}) {
                value = static_cast<std::int16_t>(number);
            }
            break;
        }
        case FieldType::Floating: {
            std::size_t first = raw.find_first_not_of(' ');
            double number = 0;
            auto r = std::from_chars(raw.data() + first, raw.data() + raw.size(), number);
            if (r.ec == std::errc{}) {
                value = number;
            }
            break;
        }
        default:
            break;
    }
    return dbi::kOk;
}

DbiResult EngineAdaptor::PutField(int cursor, int field, RecordImage& buffer,
                                  const FieldValue& value) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    const FieldDesc* d = FieldOf(cursor, field);
    if (d == nullptr || d->offset < 1 ||
        d->offset - 1 + d->width > static_cast<int>(buffer.size())) {
        return dbi::kNotFound;
    }
    char* bytes = buffer.data() + d->offset - 1;
    const auto width = static_cast<std::size_t>(d->width);
    std::string text;  // the field's new bytes, before padding
    bool rightAligned = false;
    if (std::holds_alternative<std::monostate>(value)) {
        std::memset(bytes, ' ', width);
        return dbi::kOk;
    }
    switch (d->type) {
        case FieldType::Text:
            if (const auto* s = std::get_if<std::string>(&value)) {
                text = s->substr(0, width);
            }
            break;
        case FieldType::Date:
            if (const auto* date = std::get_if<DateValue>(&value)) {
                rtl::DateParts parts = rtl::DecodeDate(FromDateValue(*date));
                char digits[16];
                std::snprintf(digits, sizeof digits, "%04d%02d%02d", parts.year % 10000,
                              parts.month, parts.day);
                text = digits;
            }
            break;
        case FieldType::Logical:
            if (const auto* b = std::get_if<bool>(&value)) {
                text = *b ? "T" : "F";
            }
            break;
        case FieldType::Int16: {
            long number = 0;
            if (const auto* i = std::get_if<std::int16_t>(&value)) {
                number = *i;
            } else if (const auto* f = std::get_if<double>(&value)) {
                number = rtl::RoundHalfEvenInt(*f);
            }
            text = std::to_string(number);
            if (text.size() > width) {
                return dbi::kNumberTooLong;
            }
            rightAligned = true;
            break;
        }
        case FieldType::Floating: {
            double number = 0;
            if (const auto* f = std::get_if<double>(&value)) {
                number = *f;
            } else if (const auto* i = std::get_if<std::int16_t>(&value)) {
                number = *i;
            }
            int decimals = d->units2;
            text = FixedText(number, decimals);
            if (text.size() > width + static_cast<std::size_t>(decimals) + 1) {
                return dbi::kNumberTooLong;
            }
            while (text.size() > width && decimals > 0) {
                text = FixedText(number, --decimals);
            }
            if (text.size() > width) {
                return dbi::kNumberTooLong;
            }
            rightAligned = true;
            break;
        }
        default:
            return dbi::kOk;
    }
    if (rightAligned) {
        PutRightAligned(bytes, d->width, text);
    } else {
        std::memset(bytes, ' ', width);
        std::memcpy(bytes, text.data(), text.size());
    }
    return dbi::kOk;
}

DbiResult EngineAdaptor::GetBlob(int cursor, int field, const RecordImage& buffer,
                                 std::string& text) {
    text.clear();
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    const FieldDesc* d = FieldOf(cursor, field);
    std::span<char> engine = sx_RecordBuffer();
    if (d == nullptr || engine.empty()) {
        return dbi::kNotFound;
    }
    RecordImage saved(engine.begin(), engine.end());
    std::memcpy(engine.data(), buffer.data(), std::min(buffer.size(), saved.size()));
    sx_ClearLastError();
    std::string memo = sx_GetMemo(d->name);
    // A memo that cannot be read is an error, never an empty note.
    DbiResult result = sx_LastStatus().ok() ? dbi::kOk : EngineFailure(dbi::kNotFound);
    text = memo;
    sx_MemDealloc(memo);
    std::memcpy(engine.data(), saved.data(), saved.size());
    return result;
}

DbiResult EngineAdaptor::PutBlob(int cursor, int field, RecordImage& buffer, std::size_t offset,
                                 std::string_view text) {
    AreaGuard guard;
    if (DbiResult r = Enter(cursor, guard); r != dbi::kOk) {
        return r;
    }
    const FieldDesc* d = FieldOf(cursor, field);
    std::span<char> engine = sx_RecordBuffer();
    if (d == nullptr || engine.empty()) {
        return dbi::kNotFound;
    }
    RecordImage saved(engine.begin(), engine.end());
    std::memcpy(engine.data(), buffer.data(), std::min(buffer.size(), engine.size()));
    sx_ClearLastError();
    bool written = sx_Replace(d->name, SxReplace::kMemo,
                              text.substr(0, text.size() - std::min(offset, text.size())));
    buffer.assign(engine.begin(), engine.end());
    std::memcpy(engine.data(), saved.data(), saved.size());
    return written ? dbi::kOk : EngineFailure(dbi::kOpenFailed);
}

std::string EngineAdaptor::ErrorText(DbiResult code) {
    if (code == dbi::kOpenFailed) {
        return "File Open Error";
    }
    return "Engine Error : " + std::to_string(code);
}

}  // namespace store
