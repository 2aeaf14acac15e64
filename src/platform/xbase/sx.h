// The table engine's public interface: free sx_* functions over one engine state with one
// current work area (areas 1 to 255). Texts are 8-bit (Windows-1252 inside the tables).
// Nothing here throws; failures answer 0 / false / "" and leave their status in
// sx_LastStatus().
//
// Date format codes (sx_SetDateFormat): 0 American mm/dd/yy, 1 ANSI yy.mm.dd, 2 British and
// 3 French dd/mm/yy, 4 German dd.mm.yy, 5 Italian and 6 Spanish dd-mm-yy; century on makes
// the year four digits. Open modes: 0 shared, 1 read-only, 2 exclusive. Drivers 1, 2, 3, 11
// and 12 are accepted and all read and write xBase tables with FPT memos.
//
// Durability: a write returned by the engine is in the operating system's hands (it survives
// the program being killed) except appends and changes to a table opened exclusively, which
// are buffered until the next move, sx_Commit or sx_Close. sx_Commit writes everything and
// makes table and memo durable on disk (fsync) before it answers true.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/xbase/status.h"

namespace xbase {
class FileSystem;
}

// The engine's settings and properties, read or set through sx_SysProp. A setter answers
// the value it replaced.
enum class SxProp : int {
    kSoftSeek = 1000,        // read: soft seek on (1) or off (0)
    kSetSoftSeek = 1001,     // set soft seek to the value
    kExact = 1002,           // read: exact text comparison (SET EXACT)
    kSetExact = 1003,        // set exact comparison to the value
    kDeletedHidden = 1006,   // read: deleted records hidden (1) or not (0)
    kSetDiagnostics = 1009,  // engine messages on standard error (non-zero) or off (0, the start)
    // A number kept with the current work area for its user; the engine does not act on it
    // (the program stores 3 there on every open).
    kSetUserNumber = 1303,
    kUserNumber = 1304,
    kOrderCount = 3000,       // read: the current area's index orders (0 until an index is open)
    kAreaInUse = 65002,       // read: whether work area `value` has a table open (1) or not (0)
    kReleaseScratch = 65005,  // release engine scratch memory (memo texts handed out); answers 0
    // Read: whether the indexes are separate files (1) or one compound file (0: driver 2).
    kSeparateIndexes = 65006,
    // Value 0: save the current area's cursor state into the engine's state block and answer
    // the block's address; value = a block's address: restore the cursor from it (answers 1
    // when the block was valid for the current area, else 0).
    kCursorState = 65008,
    kCursorStateSize = 65010,  // read: the size of the state block of kCursorState in bytes
    // Read: whether field number `value` must be read and written through the engine (1) or
    // may be read from the record image directly (0; every field of driver 2).
    kFieldThroughEngine = 65012,
    // Value 1/0: one look on or off for the current area. While on, a walk of the whole
    // order that finds no record under the filter and the deleted setting is remembered, and
    // the moves after it find none without walking again, until the filter, order, deleted
    // setting or record count change or the area writes. For a caller's few moves that make
    // one look at a shared table.
    kOneLook = 65014,
    // Read: whether an index of the current area was found half-written by a writer that
    // stopped midway (its in-progress mark set), or a change of ours to it failed and could
    // not be taken back: it may disagree with the table until rebuilt (1).
    kIndexInterrupted = 65016,
    // Read: how many whole records the current area's table holds beyond the count in its
    // header; such a table is opened read-only, and a write to it fails with words that say
    // so (sx_LastStatus); xbtool repair sets the count.
    kRecordsBeyondCount = 65017,
};

// How sx_Replace reads its value.
enum class SxReplace : int {
    kInteger = 1,      // a number, truncated
    kLong = 2,         // a number, truncated
    kFloating = 8,     // a number
    kJulian = 32,      // a Julian day number
    kLogical = 128,    // true or false
    kText = 1024,      // a text, converted for the field's type
    kDateText = 1056,  // a date text in the date format in force (or yyyymmdd)
    kMemo = 3072,      // the text of a memo
};

// A value for sx_Replace; the kind says how it is read.
struct SxValue {
    SxValue(const char* text) : text(text == nullptr ? "" : text), isText(true) {}
    SxValue(std::string_view text) : text(text), isText(true) {}
    SxValue(const std::string& text) : text(text), isText(true) {}
    SxValue(double number) : number(number) {}
    SxValue(int number) : number(number) {}
    SxValue(long number) : number(static_cast<double>(number)) {}
    SxValue(bool logical) : number(logical ? 1 : 0), logical(logical), isLogical(true) {}
    std::string_view text;
    double number = 0;
    bool logical = false;
    bool isText = false;
    bool isLogical = false;
};

// Start and settings
std::string sx_Version();
int sx_SetStringType(int type);
int sx_ErrorLevel(int level);
void sx_CloseAll();
bool sx_SetDeleted(bool hide);  // each setter answers the setting it replaced
bool sx_SetSoftSeek(bool on);
bool sx_SetExact(bool on);
bool sx_SetCentury(bool on);
int sx_SetDateFormat(int code);
int sx_SetLockTimeout(int seconds);  // 0: never wait; negative: wait as long as it takes
int sx_SetMemoBlockSize(int size);   // bytes per block of new memo files; 1..32 mean n*512
bool sx_SetTurboRead(bool on);       // kept for callers: reads are always current and fast
                                     // (the engine notes say how)
std::intptr_t sx_SysProp(SxProp property, std::intptr_t value = 0);
// The current area's record image (sx_RecSize bytes; empty when no table is open there).
std::span<char> sx_RecordBuffer();

// The last failure, with its code and words for a person; ok when there was none since the
// last clear. Calls that succeed leave it as it was.
const xbase::Status& sx_LastStatus();
void sx_ClearLastError();

// Work areas
int sx_Use(std::string_view path, std::string_view alias, int mode, int driver);
int sx_WorkArea(std::string_view alias = {});
int sx_Select(int area);
bool sx_Close();

// Creation: sx_CreateNew reserves an area and makes it current; sx_CreateExec writes the
// files and opens the new table exclusively in that area.
int sx_CreateNew(std::string_view path, std::string_view alias, int driver, int fieldCount);
bool sx_CreateField(std::string_view name, std::string_view type, int width, int decimals);
int sx_CreateExec();

// Moving
bool sx_GoTop();
bool sx_GoBottom();
bool sx_Go(int recNo);
bool sx_Skip(long count);
bool sx_Bof();
bool sx_Eof();
int sx_RecNo();
int sx_RecCount();
bool sx_Deleted();

// Records
bool sx_GetRecord(std::span<char> buffer);
bool sx_PutRecord(std::span<const char> buffer);
bool sx_AppendBlank();
bool sx_AppendRecord(std::span<const char> buffer);  // appends this image in one write
// Takes back the current area's last append while the cursor stands on it (a save whose
// later steps failed): its index keys, the record (the file cut back when it is still the
// last one, else marked deleted) and the notes written for it; the cursor goes to the end.
// The last error is left as it was when it succeeds, so that the failure before it is kept.
bool sx_UndoAppend();
bool sx_Delete();
bool sx_Recall();
bool sx_Rlock(int recNo);
bool sx_Unlock(int recNo);  // 0: every lock of the area
bool sx_Commit();
bool sx_Replace(std::string_view field, SxReplace kind, const SxValue& value);
std::string sx_GetString(std::string_view field);
std::string sx_GetTrimString(std::string_view field);
std::string sx_GetDateString(std::string_view field);
double sx_GetDateJulian(std::string_view field);
bool sx_GetLogical(std::string_view field);
double sx_GetDouble(std::string_view field);
long sx_GetLong(std::string_view field);
std::string sx_GetMemo(std::string_view field);
void sx_MemDealloc(std::string& memo);

// Structure
int sx_FieldCount();
std::string sx_FieldName(int index);  // 1-based
std::string sx_FieldType(std::string_view field);
int sx_FieldWidth(std::string_view field);
int sx_FieldDecimals(std::string_view field);
int sx_FieldNum(std::string_view field);
int sx_FieldOffset(std::string_view field);  // 1-based place in the record image
int sx_RecSize();

// Indexes (compound index of the table; no index until one is built or opened)
int sx_IndexTag(std::string_view file, std::string_view tag, std::string_view expression,
                int option, bool descending, std::string_view condition);
int sx_IndexOpen(std::string_view file);
void sx_CloseIndexes();
bool sx_SetOrder(int order);
int sx_IndexOrd();
int sx_TagArea(std::string_view tag);
std::string sx_TagName(int order);
std::string sx_IndexName(int order);
std::string sx_IndexKey();
std::string sx_IndexKeyField();
std::string sx_KeyData();
bool sx_Seek(std::string_view key);
bool sx_SetScope(std::string_view low, std::string_view high);
// The next slice of a check of every tag of the current area's indexes against the table,
// about `budget` records of work (a few thousand take milliseconds): 0 while it goes on, 1
// when it ended with every tag agreeing, 2 when it ended with a disagreement, -1 on failure
// (sx_LastStatus). A change of the table or index between slices starts it again; the call
// after an end starts a new check.
int sx_IndexCheck(int budget);

// Expressions and filters
int sx_Query(std::string_view filter);      // 1 when set or cleared, 0 when it does not compile
int sx_QueryTest(std::string_view filter);  // 1 when the filter would be accepted, else 0
int sx_QueryRecCount();                     // records visible under filter and deleted setting
std::string sx_DBFilter();
int sx_EvalTest(std::string_view expression);  // 1 text, 2 number, 3 logical, 4 date, 0 error
std::string sx_EvalString(std::string_view expression);
bool sx_EvalLogical(std::string_view expression);
double sx_EvalNumeric(std::string_view expression);

// Upkeep
bool sx_Pack();
using SxGaugeHook = std::function<void(int percent)>;
void sx_SetGaugeHook(SxGaugeHook hook);  // an empty hook ends the reports

// For tests and tools: the file system the engine opens files through (null: the OS's).
void sx_UseFileSystem(xbase::FileSystem* fileSystem);
