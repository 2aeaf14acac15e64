// Work areas: one open table with its current record, record buffer, filter and the
// navigation layer; and the engine state the sx_* calls run on. Private to the engine.
//
// Where the compound index plugs in:
// - Every change of a stored record (append, put record, replace, delete/recall) reaches the
//   file through WorkArea::CommitRecord, which has the record number, the old image (null for
//   an append) and the new image: key upkeep hooks there, once. sx_Pack writes new files
//   directly (PackTable) and is followed by a full rebuild of the tags.
// - Every move (GoTop, GoBottom, Skip, Go and the Bof/Eof logic) goes through the navigation
//   layer below. It asks SeqFirst / SeqLast / SeqNext / SeqPrev for the sequence of record
//   numbers, which today is record order; an index order supplies its own sequence there,
//   and Visible applies the deleted setting and the filter to whatever the sequence gives.
// - The index sx_* calls live in sx_index.cpp with their no-index answers.
//
// Cursor states of a work area:
//   on record n (1..count)  --Skip past the last / Go beyond count--> at end (recNo count+1,
//   blank buffer, Eof)  --Skip(-1)--> on the last visible record
//   on record n --Skip(-1) before the first--> on the first visible record with Bof
//   empty table or nothing visible: at end with both Bof and Eof
//   a changed buffer (Replace) is written by CommitRecord before any move, Commit or Close.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/xbase/expr.h"
#include "platform/xbase/file_system.h"
#include "platform/xbase/status.h"
#include "platform/xbase/sx.h"
#include "platform/xbase/table.h"

namespace xbase {

struct Settings {
    bool deletedHidden = false;
    bool exact = false;
    bool softSeek = false;
    bool century = false;
    bool turboRead = false;
    bool diagnostics = false;
    int dateFormat = 0;
    int lockTimeout = 1;
    int memoBlockSize = 64;
    int stringType = 1;
    int errorLevel = 1;
    EvalSettings Eval() const {
        EvalSettings e;
        e.exact = exact;
        e.century = century;
        e.dateFormat = dateFormat;
        return e;
    }
};

class WorkArea;
class AreaIndexes;

// Lets an expression read a record image that need not be the current record.
class ImageSource final : public RecordSource {
  public:
    explicit ImageSource(WorkArea& area) : area_(area) {}
    void Set(const char* image, std::uint32_t recNo) {
        image_ = image;
        recNo_ = recNo;
    }
    const char* Record() const override { return image_; }
    std::uint32_t RecNo() const override { return recNo_; }
    bool Deleted() const override { return image_[0] == '*'; }
    std::string Memo(int fieldIndex) const override;

  private:
    WorkArea& area_;
    const char* image_ = nullptr;
    std::uint32_t recNo_ = 0;
};

// The saved cursor of sx_SysProp(SxProp::kCursorState).
struct CursorState {
    std::uint32_t magic = 0;
    std::uint32_t area = 0;
    std::uint32_t recNo = 0;
    std::uint8_t bof = 0;
    std::uint8_t eof = 0;
};

class WorkArea {
  public:
    WorkArea(int number, std::string alias, const Settings& settings);
    ~WorkArea();

    // A table being defined (sx_CreateNew .. sx_CreateExec) has no table yet.
    bool creating() const { return !table_; }
    Status Attach(std::unique_ptr<Table> table);
    Status Close();

    Table& table() { return *table_; }
    int number() const { return number_; }
    const std::string& alias() const { return alias_; }
    const std::vector<FieldInfo>& fields() const { return table_->fields(); }
    int FieldIndex(std::string_view name) const;  // -1 when absent; takes "ALIAS->NAME"

    // Cursor
    std::uint32_t recNo() const { return recNo_; }
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    char* buffer() { return record_.data(); }
    std::span<char> image() { return record_; }
    const char* buffer() const { return record_.data(); }
    bool atRecord() const { return !eof_ && recNo_ >= 1 && recNo_ <= table_->count(); }
    // The current record passes the deleted setting and the filter (seeks land on others).
    bool CurrentVisible() { return atRecord() && Visible(recNo_, record_.data()); }

    // Navigation
    Status GoTop();
    Status GoBottom();
    Status Skip(long n);
    Status Go(std::uint32_t n);
    Status CountVisible(std::uint32_t& visible);

    // Editing the current record
    Status BeginEdit();  // before the buffer changes: keeps the old image
    Status FlushBuffer();
    Status PutImage(const char* image);
    Status SetDeletedFlag(bool deleted);
    Status AppendBlank();
    // Appends a record holding `image` in one write: a failure leaves no record behind.
    Status AppendImage(const char* image);
    // Takes back the last append while the cursor stands on that record: its keys, the
    // record and the notes written since (see Table::UndoAppend).
    Status UndoAppend();
    Status Commit();
    Status ReplaceMemo(int field, std::string_view text);

    // The one road of every record change to the file; `recNo` 0 appends and receives the
    // new number. `oldImage` is null for an append. A change the indexes refuse is taken back
    // from the table too.
    Status CommitRecord(std::uint32_t& recNo, const char* oldImage, const char* newImage);

    // Memos
    Status ReadMemo(const char* image, int field, std::string& text);

    // Filters
    Status SetFilter(std::string_view text);
    const std::string& filterText() const { return filterText_; }
    Status Compile(std::string_view text, std::unique_ptr<Expression>& expression) const;
    bool Evaluate(Expression& e, Value& out);  // on the current buffer

    // One look (SxProp::kOneLook): while on, a walk of the whole order that found no visible
    // record is remembered, so that the moves after it need not walk it again, until the
    // filter, the order, the deleted setting or the record count change or this area writes.
    bool SetOneLook(bool on);

    CursorState SaveCursor() const;
    bool RestoreCursor(const CursorState& state);

    int userProperty = 0;  // SxProp::kSetUserNumber
    // The compound indexes open on the table and the order in force (null: none yet).
    std::unique_ptr<AreaIndexes> indexes;

  private:
    Status BeginMove();
    Status WriteOrKeepStored();
    Status Load(std::uint32_t n);
    // Makes record n current from its image, read just now (by Find: no second read).
    void Take(std::uint32_t n, const char* image);
    void ToEnd();
    bool Visible(std::uint32_t n, const char* image);
    // The first visible record from `start` on in the order's direction (0: none), and its
    // image, valid until the table is read again.
    Status Find(std::uint32_t start, bool forward, std::uint32_t& found, const char*& image);
    int OrderInForce() const;
    bool NoneVisibleKnown() const;
    // The block past every block a record points into (see MemoFile::Write), learned once.
    std::uint32_t MemoFloor();

    // Sequence of record numbers the moves walk (record order today); 0 = none.
    std::uint32_t SeqFirst() const;
    std::uint32_t SeqLast() const;
    std::uint32_t SeqNext(std::uint32_t n) const;
    std::uint32_t SeqPrev(std::uint32_t n) const;

    int number_;
    std::string alias_;
    const Settings& settings_;
    std::unique_ptr<Table> table_;
    std::vector<char> record_;
    std::vector<char> original_;
    bool dirty_ = false;
    std::uint32_t recNo_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    std::unique_ptr<Expression> filter_;
    std::string filterText_;
    ImageSource scan_;
    ImageSource current_;
    // What a failed save takes back: the memo file's length before the edit's notes, and the
    // last append with the memo file's length before it.
    std::uint64_t memoBefore_ = 0;
    std::uint32_t appended_ = 0;
    std::uint64_t appendMemoBefore_ = 0;
    std::uint32_t memoFloor_ = 0;
    bool memoFloorKnown_ = false;
    Status visibleError_;
    // One look: what the walk that found nothing was made under (noneVisible_).
    bool oneLook_ = false;
    bool noneVisible_ = false;
    std::uint32_t noneCount_ = 0;
    int noneOrder_ = 0;
    bool noneDeletedHidden_ = false;
    // The name FieldIndex last found, as the caller spelt it: walks read the same field of
    // every record, and the names of a table's fields never change while it is open.
    mutable std::string lastFieldName_;
    mutable int lastFieldIndex_ = -1;

  public:
    // A table being defined.
    std::string createPath;
    int createFieldCount = 0;
    std::vector<FieldSpec> createFields;
};

struct Engine {
    std::array<std::unique_ptr<WorkArea>, 256> areas;  // 1..255 used
    int current = 0;
    Settings settings;
    FileSystem* fs = nullptr;
    Status last;
    SxGaugeHook gauge;
    CursorState saved;

    FileSystem& files() { return fs != nullptr ? *fs : FileSystem::Default(); }
};

Engine& TheEngine();
// Records the failure for sx_LastError (and standard error when diagnostics are on).
void Fail(const Status& status);
// The current area with an open table, or null after recording kNoArea.
WorkArea* CurrentArea();

// Packs the area's table: live records and their memos into new files beside the old ones,
// which then replace them. Progress in percent goes to `gauge` when it is set.
Status PackTable(WorkArea& area, FileSystem& fs, const SxGaugeHook& gauge);
// Finishes or discards what an interrupted pack of `path` left behind.
void RecoverPack(FileSystem& fs, const std::string& path);

}  // namespace xbase
