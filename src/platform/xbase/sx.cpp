// The sx_* interface on the engine state: work areas, settings, records and fields.
#include "platform/xbase/sx.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/xbase/cdx_area.h"
#include "platform/xbase/dbf_format.h"
#include "platform/xbase/field_codec.h"
#include "platform/xbase/work_area.h"

namespace xbase {

Engine& TheEngine() {
    static Engine engine;
    return engine;
}

void Fail(const Status& status) {
    Engine& e = TheEngine();
    e.last = status;
    if (e.settings.diagnostics && !status.ok()) {
        std::fprintf(stderr, "engine: %s\n", status.message().c_str());
    }
}

WorkArea* CurrentArea() {
    Engine& e = TheEngine();
    if (e.current >= 1 && e.current <= 255 && e.areas[e.current] &&
        !e.areas[e.current]->creating()) {
        return e.areas[e.current].get();
    }
    Fail({ErrorCode::kNoArea, "no table is open in the current work area"});
    return nullptr;
}

}  // namespace xbase

using namespace xbase;

namespace {

bool Check(const Status& s) {
    if (!s) {
        Fail(s);
        return false;
    }
    return true;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string DefaultAlias(std::string_view path) {
    std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot != 0) {
        name = name.substr(0, dot);
    }
    return UpperCase(name);
}

int FindAlias(std::string_view alias) {
    std::string upper = UpperCase(alias);
    Engine& e = TheEngine();
    for (int i = 1; i <= 255; ++i) {
        if (e.areas[i] && e.areas[i]->alias() == upper) {
            return i;
        }
    }
    return 0;
}

int FreeArea() {
    Engine& e = TheEngine();
    for (int i = 1; i <= 255; ++i) {
        if (!e.areas[i]) {
            return i;
        }
    }
    return 0;
}

// The current area and one of its fields, or null after recording why not.
WorkArea* AreaAndField(std::string_view field, int& index) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return nullptr;
    }
    index = area->FieldIndex(field);
    if (index < 0) {
        Fail({ErrorCode::kBadArgument, "no field \"" + std::string(field) + "\""});
        return nullptr;
    }
    return area;
}

// The current area when `buffer` holds a whole record image of it, or null after recording
// why not.
WorkArea* AreaForImage(std::span<const char> buffer) {
    WorkArea* area = CurrentArea();
    if (area != nullptr && buffer.size() < area->table().recordLength()) {
        Fail({ErrorCode::kBadArgument, "buffer smaller than the record"});
        return nullptr;
    }
    return area;
}

std::string_view FieldBytes(WorkArea& area, int index) {
    const FieldInfo& f = area.fields()[index];
    return {area.buffer() + f.offset, f.length};
}

bool IsMemoType(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}

std::string Trim(std::string_view s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) {
        return {};
    }
    std::size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

bool TrueLetter(char c) {
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

// Writes `value` into field `index` of the buffer, converted for the field's type.
Status StoreValue(WorkArea& area, int index, SxReplace kind, const SxValue& value) {
    const FieldInfo& f = area.fields()[index];
    char* bytes = area.buffer() + f.offset;
    const Settings& settings = TheEngine().settings;
    std::string text;
    switch (f.type) {
        case 'C': {
            if (value.isText) {
                text.assign(value.text);
            } else if (value.isLogical) {
                text = value.logical ? "T" : "F";
            } else if (kind == SxReplace::kJulian) {
                text = JulianToStoredDate(value.number);
            } else {
                char buffer[64];
                std::snprintf(buffer, sizeof buffer, "%.10g", value.number);
                text = buffer;
            }
            text.resize(f.length, ' ');
            std::memcpy(bytes, text.data(), f.length);
            return Status::Ok();
        }
        case 'N':
        case 'F': {
            double number = value.number;
            if (value.isText) {
                bool blank = false;
                number = ParseNumber(value.text, &blank);
                if (blank) {
                    std::memset(bytes, ' ', f.length);
                    return Status::Ok();
                }
            }
            if (kind == SxReplace::kInteger || kind == SxReplace::kLong) {
                number = std::trunc(number);
            }
            if (number == 0) {
                number = 0;  // no "-0.00"
            }
            if (!FormatNumber(number, f.length, f.decimals, text)) {
                return {ErrorCode::kNumberTooLong, "number too long for field " + f.name};
            }
            std::memcpy(bytes, text.data(), f.length);
            return Status::Ok();
        }
        case 'D': {
            if (value.isText) {
                if (!ParseDateText(value.text, settings.dateFormat, text)) {
                    return {ErrorCode::kBadArgument,
                            "\"" + std::string(value.text) + "\" is not a date"};
                }
            } else {
                text = value.number == 0 ? std::string(8, ' ') : JulianToStoredDate(value.number);
                if (value.number != 0 && text[0] == ' ') {
                    return {ErrorCode::kBadArgument, "not a date"};
                }
            }
            if (f.length != 8) {
                return {ErrorCode::kBadArgument, "field " + f.name + " is not 8 wide"};
            }
            std::memcpy(bytes, text.data(), 8);
            return Status::Ok();
        }
        case 'L': {
            char c = 'F';
            if (value.isText) {
                std::string t = UpperCase(Trim(value.text));
                if (t.empty()) {
                    c = ' ';
                } else {
                    c = (t == "T" || t == ".T." || t == "Y" || t == "TRUE") ? 'T' : 'F';
                }
            } else {
                c = (value.isLogical ? value.logical : value.number != 0) ? 'T' : 'F';
            }
            bytes[0] = c;
            return Status::Ok();
        }
        case 'I':
        case 'B':
        case 'Y':
        case 'T': {
            double number = value.number;
            if (value.isText) {
                bool blank = false;
                if (f.type != 'T') {
                    number = ParseNumber(value.text, &blank);
                } else if (!ParseDateText(value.text, settings.dateFormat, text)) {
                    return {ErrorCode::kBadArgument,
                            "\"" + std::string(value.text) + "\" is not a date"};
                } else {
                    number = StoredDateToJulian(text);
                }
            }
            bool stored = f.type == 'T'
                              ? IsDateTimeField(f.type, f.length) && PutDateTime(number, bytes)
                              : IsBinaryNumberField(f.type, f.length) &&
                                    PutBinaryFieldNumber(f.type, number, bytes);
            if (!stored) {
                return {ErrorCode::kNumberTooLong, "value out of range for field " + f.name};
            }
            return Status::Ok();
        }
        default:
            break;
    }
    return {ErrorCode::kBadArgument, "field " + f.name + " of type " + std::string(1, f.type) +
                                         " cannot be replaced this way"};
}

}  // namespace

// ---- start and settings ------------------------------------------------------------------

std::string sx_Version() {
    return "QXB v.24100";
}

int sx_SetStringType(int type) {
    int old = TheEngine().settings.stringType;
    TheEngine().settings.stringType = type;
    return old;
}

int sx_ErrorLevel(int level) {
    int old = TheEngine().settings.errorLevel;
    TheEngine().settings.errorLevel = level;
    return old;
}

void sx_CloseAll() {
    Engine& e = TheEngine();
    for (int i = 1; i <= 255; ++i) {
        if (e.areas[i]) {
            if (Status s = e.areas[i]->Close(); !s) {
                Fail(s);
            }
            e.areas[i].reset();
        }
    }
    e.current = 0;
}

bool sx_SetDeleted(bool hide) {
    return std::exchange(TheEngine().settings.deletedHidden, hide);
}
bool sx_SetSoftSeek(bool on) {
    return std::exchange(TheEngine().settings.softSeek, on);
}
bool sx_SetExact(bool on) {
    return std::exchange(TheEngine().settings.exact, on);
}
bool sx_SetCentury(bool on) {
    return std::exchange(TheEngine().settings.century, on);
}

int sx_SetDateFormat(int code) {
    if (code < 0 || code > 6) {
        Fail({ErrorCode::kBadArgument, "date format code 0 to 6"});
        return TheEngine().settings.dateFormat;
    }
    return std::exchange(TheEngine().settings.dateFormat, code);
}

int sx_SetLockTimeout(int seconds) {
    Engine& e = TheEngine();
    int old = std::exchange(e.settings.lockTimeout, seconds);
    for (int i = 1; i <= 255; ++i) {
        if (e.areas[i] && !e.areas[i]->creating()) {
            e.areas[i]->table().SetLockTimeout(seconds);
        }
    }
    return old;
}

int sx_SetMemoBlockSize(int size) {
    Engine& e = TheEngine();
    int old = e.settings.memoBlockSize;
    if (size >= 1 && size <= 32) {
        e.settings.memoBlockSize = size * 512;
    } else if (size > 32 && size <= 0xFFFF) {
        e.settings.memoBlockSize = size;
    } else {
        Fail({ErrorCode::kBadArgument, "memo block size out of range"});
    }
    return old;
}

bool sx_SetTurboRead(bool on) {
    Engine& e = TheEngine();
    bool old = std::exchange(e.settings.turboRead, on);
    for (int i = 1; i <= 255; ++i) {
        if (e.areas[i] && !e.areas[i]->creating()) {
            e.areas[i]->table().SetReadAhead(on);
        }
    }
    return old;
}

std::span<char> sx_RecordBuffer() {
    WorkArea* area = CurrentArea();
    return area == nullptr ? std::span<char>() : area->image();
}

std::intptr_t sx_SysProp(SxProp property, std::intptr_t value) {
    Engine& e = TheEngine();
    Settings& s = e.settings;
    switch (property) {
        case SxProp::kSoftSeek:
            return s.softSeek ? 1 : 0;
        case SxProp::kSetSoftSeek:
            return std::exchange(s.softSeek, value != 0) ? 1 : 0;
        case SxProp::kExact:
            return s.exact ? 1 : 0;
        case SxProp::kSetExact:
            return std::exchange(s.exact, value != 0) ? 1 : 0;
        case SxProp::kDeletedHidden:
            return s.deletedHidden ? 1 : 0;
        case SxProp::kSetDiagnostics:
            return std::exchange(s.diagnostics, value != 0) ? 1 : 0;
        case SxProp::kSetUserNumber:
        case SxProp::kUserNumber: {
            WorkArea* area = CurrentArea();
            if (area == nullptr) {
                return 0;
            }
            int old = area->userProperty;
            if (property == SxProp::kSetUserNumber) {
                area->userProperty = static_cast<int>(value);
            }
            return old;
        }
        case SxProp::kOrderCount: {
            WorkArea* area = CurrentArea();
            return area == nullptr || !area->indexes ? 0 : area->indexes->OrderCount();
        }
        case SxProp::kAreaInUse:
            return value >= 1 && value <= 255 && e.areas[value] && !e.areas[value]->creating() ? 1
                                                                                               : 0;
        case SxProp::kReleaseScratch:
            return 0;
        case SxProp::kSeparateIndexes:
            return 0;
        case SxProp::kCursorState: {
            WorkArea* area = CurrentArea();
            if (area == nullptr) {
                return 0;
            }
            if (value == 0) {
                e.saved = area->SaveCursor();
                return reinterpret_cast<std::intptr_t>(&e.saved);
            }
            CursorState state;
            std::memcpy(&state, reinterpret_cast<const void*>(value), sizeof state);
            return area->RestoreCursor(state) ? 1 : 0;
        }
        case SxProp::kCursorStateSize:
            return static_cast<std::intptr_t>(sizeof(CursorState));
        case SxProp::kFieldThroughEngine:
            return 0;
        case SxProp::kOneLook: {
            WorkArea* area = CurrentArea();
            return area != nullptr && !area->creating() && area->SetOneLook(value != 0) ? 1 : 0;
        }
        case SxProp::kRecordsBeyondCount: {
            WorkArea* area = CurrentArea();
            return area != nullptr && !area->creating() ? area->table().hiddenRecords() : 0;
        }
        case SxProp::kIndexInterrupted: {
            WorkArea* area = CurrentArea();
            return area != nullptr && area->indexes && area->indexes->Interrupted() ? 1 : 0;
        }
        default:
            Fail({ErrorCode::kBadArgument,
                  "unknown property " + std::to_string(static_cast<int>(property))});
            return 0;
    }
}

const Status& sx_LastStatus() {
    return TheEngine().last;
}

void sx_ClearLastError() {
    TheEngine().last = Status::Ok();
}

void sx_UseFileSystem(xbase::FileSystem* fileSystem) {
    TheEngine().fs = fileSystem;
}

// ---- work areas --------------------------------------------------------------------------

int sx_Use(std::string_view path, std::string_view alias, int mode, int driver) {
    Engine& e = TheEngine();
    if (mode < 0 || mode > 2) {
        Fail({ErrorCode::kBadArgument, "open mode 0, 1 or 2"});
        return 0;
    }
    if (driver != 1 && driver != 2 && driver != 3 && driver != 11 && driver != 12) {
        Fail({ErrorCode::kBadArgument, "unknown driver " + std::to_string(driver)});
        return 0;
    }
    std::string name = alias.empty() ? DefaultAlias(path) : UpperCase(alias);
    if (name.empty() || FindAlias(name) != 0) {
        Fail({ErrorCode::kOpenFailed, "alias \"" + name + "\" is in use"});
        return 0;
    }
    int n = FreeArea();
    if (n == 0) {
        Fail({ErrorCode::kOpenFailed, "every work area is in use"});
        return 0;
    }
    std::string file(path);
    RecoverPack(e.files(), file);
    std::unique_ptr<Table> table;
    if (!Check(Table::Open(e.files(), file, static_cast<Access>(mode), table))) {
        return 0;
    }
    auto area = std::make_unique<WorkArea>(n, name, e.settings);
    if (!Check(area->Attach(std::move(table)))) {
        return 0;
    }
    // The structural index opens with the table; when it is missing the table still opens,
    // and when it is damaged the table opens without it (the error is recorded), so that
    // the program can rebuild it. An index with tags the engine cannot keep (another
    // program's) is sound and would go stale under writes: such a table only opens read-only.
    area->indexes = std::make_unique<AreaIndexes>(*area);
    if (Status s = area->indexes->OpenStructural(e.files()); !s) {
        Fail(s);
        if (s.code() == ErrorCode::kNotSupported) {
            return 0;
        }
    }
    e.areas[n] = std::move(area);
    e.current = n;
    return n;
}

int sx_WorkArea(std::string_view alias) {
    if (alias.empty()) {
        Engine& e = TheEngine();
        return e.current >= 1 && e.current <= 255 && e.areas[e.current] ? e.current : 0;
    }
    return FindAlias(alias);
}

int sx_Select(int area) {
    Engine& e = TheEngine();
    int old = e.current;
    if (area >= 1 && area <= 255) {
        e.current = area;
    } else {
        Fail({ErrorCode::kBadArgument, "work area 1 to 255"});
    }
    return old;
}

bool sx_Close() {
    Engine& e = TheEngine();
    if (e.current < 1 || e.current > 255 || !e.areas[e.current]) {
        Fail({ErrorCode::kNoArea, "no table is open in the current work area"});
        return false;
    }
    Status s = e.areas[e.current]->Close();
    e.areas[e.current].reset();
    return Check(s);
}

// ---- creation ----------------------------------------------------------------------------

int sx_CreateNew(std::string_view path, std::string_view alias, int driver, int fieldCount) {
    Engine& e = TheEngine();
    if (fieldCount < 1 || fieldCount > dbf::kMaxFields) {
        Fail({ErrorCode::kBadArgument, "a table needs 1 to 255 fields"});
        return 0;
    }
    if (driver != 1 && driver != 2 && driver != 3 && driver != 11 && driver != 12) {
        Fail({ErrorCode::kBadArgument, "unknown driver " + std::to_string(driver)});
        return 0;
    }
    std::string name = alias.empty() ? DefaultAlias(path) : UpperCase(alias);
    if (FindAlias(name) != 0) {
        Fail({ErrorCode::kOpenFailed, "alias \"" + name + "\" is in use"});
        return 0;
    }
    int n = FreeArea();
    if (n == 0 || path.empty()) {
        Fail({ErrorCode::kOpenFailed, n == 0 ? "every work area is in use" : "no path"});
        return 0;
    }
    auto area = std::make_unique<WorkArea>(n, name, e.settings);
    area->createPath.assign(path);
    area->createFieldCount = fieldCount;
    e.areas[n] = std::move(area);
    e.current = n;
    return n;
}

bool sx_CreateField(std::string_view name, std::string_view type, int width, int decimals) {
    Engine& e = TheEngine();
    if (e.current < 1 || e.current > 255 || !e.areas[e.current] ||
        !e.areas[e.current]->creating()) {
        Fail({ErrorCode::kNoArea, "no table is being created in the current work area"});
        return false;
    }
    WorkArea& area = *e.areas[e.current];
    if (static_cast<int>(area.createFields.size()) >= area.createFieldCount || type.empty()) {
        Fail({ErrorCode::kBadArgument,
              type.empty() ? "no field type" : "more fields than declared"});
        return false;
    }
    area.createFields.push_back({std::string(name), type[0], width, decimals});
    return true;
}

int sx_CreateExec() {
    Engine& e = TheEngine();
    if (e.current < 1 || e.current > 255 || !e.areas[e.current] ||
        !e.areas[e.current]->creating()) {
        Fail({ErrorCode::kNoArea, "no table is being created in the current work area"});
        return 0;
    }
    WorkArea& area = *e.areas[e.current];
    if (!Check(Table::Create(e.files(), area.createPath, area.createFields,
                             static_cast<std::uint32_t>(e.settings.memoBlockSize)))) {
        return 0;
    }
    std::unique_ptr<Table> table;
    if (!Check(Table::Open(e.files(), area.createPath, Access::kExclusive, table)) ||
        !Check(area.Attach(std::move(table)))) {
        return 0;
    }
    return 1;
}

// ---- moving ------------------------------------------------------------------------------

bool sx_GoTop() {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->GoTop());
}

bool sx_GoBottom() {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->GoBottom());
}

bool sx_Go(int recNo) {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->Go(recNo < 0 ? 0 : static_cast<std::uint32_t>(recNo)));
}

bool sx_Skip(long count) {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->Skip(count));
}

bool sx_Bof() {
    WorkArea* area = CurrentArea();
    return area == nullptr || area->bof();
}

bool sx_Eof() {
    WorkArea* area = CurrentArea();
    return area == nullptr || area->eof();
}

int sx_RecNo() {
    WorkArea* area = CurrentArea();
    return area == nullptr ? 0 : static_cast<int>(area->recNo());
}

int sx_RecCount() {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return 0;
    }
    Check(area->table().RefreshCount());
    return static_cast<int>(area->table().count());
}

bool sx_Deleted() {
    WorkArea* area = CurrentArea();
    return area != nullptr && area->atRecord() && area->buffer()[0] == dbf::kDeleted;
}

// ---- records -----------------------------------------------------------------------------

bool sx_GetRecord(std::span<char> buffer) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return false;
    }
    std::size_t size = area->table().recordLength();
    if (buffer.size() < size) {
        Fail({ErrorCode::kBadArgument, "buffer smaller than the record"});
        return false;
    }
    std::memcpy(buffer.data(), area->buffer(), size);
    return true;
}

bool sx_PutRecord(std::span<const char> buffer) {
    WorkArea* area = AreaForImage(buffer);
    return area != nullptr && Check(area->PutImage(buffer.data()));
}

bool sx_AppendBlank() {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->AppendBlank());
}

bool sx_AppendRecord(std::span<const char> buffer) {
    WorkArea* area = AreaForImage(buffer);
    return area != nullptr && Check(area->AppendImage(buffer.data()));
}

bool sx_UndoAppend() {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->UndoAppend());
}

bool sx_Delete() {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->SetDeletedFlag(true));
}

bool sx_Recall() {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->SetDeletedFlag(false));
}

bool sx_Rlock(int recNo) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return false;
    }
    if (!Check(area->table().RefreshCount())) {
        return false;
    }
    if (recNo < 1 || static_cast<std::uint32_t>(recNo) > area->table().count()) {
        Fail({ErrorCode::kBadArgument, "record " + std::to_string(recNo) + " does not exist"});
        return false;
    }
    return Check(area->table().LockRecord(static_cast<std::uint32_t>(recNo),
                                          TheEngine().settings.lockTimeout));
}

bool sx_Unlock(int recNo) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return false;
    }
    if (!Check(area->FlushBuffer())) {
        return false;
    }
    if (recNo == 0) {
        area->table().UnlockAll();
    } else if (recNo > 0) {
        area->table().UnlockRecord(static_cast<std::uint32_t>(recNo));
    }
    return true;
}

bool sx_Commit() {
    WorkArea* area = CurrentArea();
    return area != nullptr && Check(area->Commit());
}

bool sx_Replace(std::string_view field, SxReplace kind, const SxValue& value) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    if (area == nullptr) {
        return false;
    }
    const FieldInfo& f = area->fields()[index];
    if (IsMemoType(f.type)) {
        if (!value.isText) {
            Fail({ErrorCode::kBadArgument, "a memo takes a text"});
            return false;
        }
        return Check(area->ReplaceMemo(index, value.text));
    }
    if (!Check(area->BeginEdit())) {
        return false;
    }
    return Check(StoreValue(*area, index, kind, value));
}

std::string sx_GetString(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    if (area == nullptr) {
        return {};
    }
    const FieldInfo& f = area->fields()[index];
    if (IsMemoType(f.type)) {
        return sx_GetMemo(field);
    }
    if (IsBinaryNumberField(f.type, f.length)) {
        return FormatBinaryNumber(f.type, FieldBytes(*area, index).data());
    }
    if (IsDateTimeField(f.type, f.length)) {
        return FormatDateTime(FieldBytes(*area, index).data());
    }
    return std::string(FieldBytes(*area, index));
}

std::string sx_GetTrimString(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    if (area == nullptr) {
        return {};
    }
    char type = area->fields()[index].type;
    if (IsMemoType(type)) {
        return sx_GetMemo(field);
    }
    std::string_view bytes = FieldBytes(*area, index);
    if (IsBinaryNumberField(type, area->fields()[index].length) ||
        IsDateTimeField(type, area->fields()[index].length)) {
        return Trim(sx_GetString(field));
    }
    if (type == 'N' || type == 'F') {
        return Trim(bytes);
    }
    std::size_t e = bytes.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(bytes.substr(0, e + 1));
}

std::string sx_GetDateString(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    if (area == nullptr) {
        return {};
    }
    const Settings& s = TheEngine().settings;
    std::string_view bytes = FieldBytes(*area, index);
    if (IsDateTimeField(area->fields()[index].type, area->fields()[index].length)) {
        return FormatDateText(JulianToStoredDate(DateTimeToJulian(bytes.data())), s.dateFormat,
                              s.century);
    }
    return FormatDateText(bytes, s.dateFormat, s.century);
}

double sx_GetDateJulian(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    if (area == nullptr) {
        return 0;
    }
    if (IsDateTimeField(area->fields()[index].type, area->fields()[index].length)) {
        return std::floor(DateTimeToJulian(FieldBytes(*area, index).data()));
    }
    return StoredDateToJulian(FieldBytes(*area, index));
}

bool sx_GetLogical(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    return area != nullptr && TrueLetter(FieldBytes(*area, index)[0]);
}

double sx_GetDouble(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    if (area == nullptr) {
        return 0;
    }
    const FieldInfo& f = area->fields()[index];
    if (IsBinaryNumberField(f.type, f.length)) {
        return BinaryFieldNumber(f.type, FieldBytes(*area, index).data());
    }
    if (IsDateTimeField(f.type, f.length)) {
        return DateTimeToJulian(FieldBytes(*area, index).data());
    }
    switch (f.type) {
        case 'D':
            return StoredDateToJulian(FieldBytes(*area, index));
        case 'L':
            return TrueLetter(FieldBytes(*area, index)[0]) ? 1 : 0;
        default:
            return ParseNumber(FieldBytes(*area, index));
    }
}

long sx_GetLong(std::string_view field) {
    double v = sx_GetDouble(field);
    if (!(v > -2147483648.0 && v < 2147483648.0)) {
        return 0;
    }
    return static_cast<long>(v);
}

std::string sx_GetMemo(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    if (area == nullptr) {
        return {};
    }
    std::string text;
    if (!Check(area->ReadMemo(area->buffer(), index, text))) {
        return {};
    }
    return text;
}

void sx_MemDealloc(std::string& memo) {
    memo.clear();
    memo.shrink_to_fit();
}

// ---- structure ---------------------------------------------------------------------------

int sx_FieldCount() {
    WorkArea* area = CurrentArea();
    return area == nullptr ? 0 : static_cast<int>(area->fields().size());
}

std::string sx_FieldName(int index) {
    WorkArea* area = CurrentArea();
    if (area == nullptr || index < 1 || index > static_cast<int>(area->fields().size())) {
        return {};
    }
    return area->fields()[index - 1].name;
}

std::string sx_FieldType(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    return area == nullptr ? std::string() : std::string(1, area->fields()[index].type);
}

int sx_FieldWidth(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    return area == nullptr ? 0 : area->fields()[index].length;
}

int sx_FieldDecimals(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    return area == nullptr ? 0 : area->fields()[index].decimals;
}

int sx_FieldNum(std::string_view field) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return 0;
    }
    return area->FieldIndex(field) + 1;
}

int sx_FieldOffset(std::string_view field) {
    int index = 0;
    WorkArea* area = AreaAndField(field, index);
    return area == nullptr ? 0 : static_cast<int>(area->fields()[index].offset) + 1;
}

int sx_RecSize() {
    WorkArea* area = CurrentArea();
    return area == nullptr ? 0 : area->table().recordLength();
}

// ---- expressions and filters -------------------------------------------------------------

int sx_Query(std::string_view filter) {
    WorkArea* area = CurrentArea();
    if (area == nullptr || !Check(area->FlushBuffer())) {
        return 0;
    }
    return Check(area->SetFilter(filter)) ? 1 : 0;
}

int sx_QueryTest(std::string_view filter) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return 0;
    }
    if (filter.find_first_not_of(' ') == std::string_view::npos) {
        return 1;
    }
    std::unique_ptr<Expression> compiled;
    if (Status s = area->Compile(filter, compiled); !s) {
        Fail({s.code(), "filter: " + s.message()});
        return 0;
    }
    if (compiled->Type() != ValueType::kLogical) {
        Fail({ErrorCode::kBadExpression, "filter: not a logical expression"});
        return 0;
    }
    return 1;
}

int sx_QueryRecCount() {
    WorkArea* area = CurrentArea();
    std::uint32_t n = 0;
    if (area == nullptr || !Check(area->CountVisible(n))) {
        return 0;
    }
    return static_cast<int>(n);
}

std::string sx_DBFilter() {
    WorkArea* area = CurrentArea();
    return area == nullptr ? std::string() : area->filterText();
}

namespace {

bool EvaluateText(std::string_view expression, Value& value, std::unique_ptr<Expression>& keep,
                  WorkArea*& area) {
    area = CurrentArea();
    if (area == nullptr) {
        return false;
    }
    if (!Check(area->Compile(expression, keep))) {
        return false;
    }
    if (!area->Evaluate(*keep, value)) {
        Fail({ErrorCode::kBadExpression, "the expression cannot be evaluated on this record"});
        return false;
    }
    return true;
}

}  // namespace

int sx_EvalTest(std::string_view expression) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return 0;
    }
    std::unique_ptr<Expression> compiled;
    if (!Check(area->Compile(expression, compiled))) {
        return 0;
    }
    switch (compiled->Type()) {
        case ValueType::kText:
            return 1;
        case ValueType::kNumber:
            return 2;
        case ValueType::kLogical:
            return 3;
        case ValueType::kDate:
            return 4;
    }
    return 0;
}

std::string sx_EvalString(std::string_view expression) {
    Value v;
    std::unique_ptr<Expression> keep;
    WorkArea* area = nullptr;
    if (!EvaluateText(expression, v, keep, area)) {
        return {};
    }
    if (v.type == ValueType::kText) {
        return std::string(v.text);
    }
    return FormatValue(v, TheEngine().settings.Eval());
}

bool sx_EvalLogical(std::string_view expression) {
    Value v;
    std::unique_ptr<Expression> keep;
    WorkArea* area = nullptr;
    return EvaluateText(expression, v, keep, area) && v.type == ValueType::kLogical && v.logical;
}

double sx_EvalNumeric(std::string_view expression) {
    Value v;
    std::unique_ptr<Expression> keep;
    WorkArea* area = nullptr;
    if (!EvaluateText(expression, v, keep, area)) {
        return 0;
    }
    return v.type == ValueType::kNumber || v.type == ValueType::kDate ? v.number : 0;
}

// ---- upkeep ------------------------------------------------------------------------------

bool sx_Pack() {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return false;
    }
    Engine& e = TheEngine();
    AreaIndexes::Remembered open;
    if (area->indexes) {
        open = area->indexes->Remember();
        // The records are renumbered: until the tags are built anew the index is behind,
        // whatever stops the pack or the rebuild.
        if (!Check(area->indexes->MarkInProgress(true))) {
            return false;
        }
    }
    if (!Check(PackTable(*area, e.files(), e.gauge))) {
        return false;
    }
    // Record numbers changed: the indexes open before are opened again and built anew.
    if (!open.files.empty()) {
        if (!area->indexes) {
            area->indexes = std::make_unique<AreaIndexes>(*area);
        }
        if (!Check(area->indexes->Reopen(e.files(), open)) ||
            !Check(area->indexes->RebuildAll(e.gauge))) {
            return false;
        }
    }
    return Check(area->GoTop());
}

void sx_SetGaugeHook(SxGaugeHook hook) {
    TheEngine().gauge = std::move(hook);
}
