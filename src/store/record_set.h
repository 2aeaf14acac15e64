// Record sets over one table through the cursor-level interface: TTable with its fields,
// states and bookmarks, the data source, and the data links through which views learn of
// changes. Views read windows of rows; the table is never read whole into memory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/engine_adaptor.h"

namespace store {

class TTable;
class TDataSource;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
enum class TTableType { ttDefault, ttParadox, ttDBase, ttASCII, ttSXNTX, ttSXFOX, ttSXNSX };

// The driver name a table of this type and name is opened with.
std::string DriverNameFor(TTableType type, std::string_view tableName);

class TField {
  public:
    const std::string& FieldName() const { return desc_.name; }
    FieldType DataType() const { return desc_.type; }
    const FieldDesc& Desc() const { return desc_; }
    bool Calculated() const { return calculated_; }
    bool IsMemo() const { return desc_.type == FieldType::LargeObject; }

    const std::string& DisplayLabel() const { return displayLabel_; }
    void SetDisplayLabel(std::string_view label) { displayLabel_ = label; }
    int DisplayWidth() const { return displayWidth_; }
    void SetDisplayWidth(int width) { displayWidth_ = width; }

    // Values of the current record. Setting one needs the edit or insert state.
    bool IsNull() const;
    std::string AsString() const;
    bool AsBoolean() const;
    FieldValue Value() const;
    bool SetAsString(std::string_view text);
    bool SetAsBoolean(bool value);
    bool SetValue(const FieldValue& value);
    // A memo's text as lines (CR LF between them) and back.
    std::vector<std::string> MemoLines() const;
    bool SetMemoLines(const std::vector<std::string>& lines);

    // The value of this field in a row read through TTable::ReadRows.
    std::string TextOf(const struct TRow& row) const;

  private:
    friend class TTable;
    TField(TTable& table, FieldDesc desc, bool calculated);

    TTable& table_;
    FieldDesc desc_;
    bool calculated_ = false;
    std::string displayLabel_;
    int displayWidth_ = 0;
    std::size_t calcSlot_ = 0;
};

// One row of a window of rows: its bookmark, record image and calculated values.
// The first row of a window is the set's current record as the set holds it, so that an
// edit in progress shows there (and only there).
struct TRow {
    std::int32_t bookmark = 0;
    RecordImage image;
    std::vector<std::string> calculated;
    bool current = false;
};

struct TIndexDef {
    std::string name;
    std::string expression;           // the key expression for an expression index
    std::vector<std::string> fields;  // the key fields for a field index
};

// What a view hears from its data source.
class TDataLink {
  public:
    TDataLink() = default;
    virtual ~TDataLink();
    // A link is registered with its source by address: copies would be heard twice or not.
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const { return source_; }
    TTable* DataSet() const;

    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}
    virtual void RecordChanged() {}
    virtual void EditingChanged() {}

  private:
    TDataSource* source_ = nullptr;
};

class TDataSource {
  public:
    TDataSource() = default;
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    void SetDataSet(TTable* table);
    TTable* DataSet() const { return table_; }

  private:
    friend class TDataLink;
    friend class TTable;
    enum class Event { Active, DataSet, Record, State };
    void Notify(Event event);

    TTable* table_ = nullptr;
    std::vector<TDataLink*> links_;
};

// A record set over one table.
//
// States, each arrow naming the call that takes it:
//
//   dsInactive --Open--> dsBrowse --Close--> dsInactive
//   dsBrowse --Edit--> dsEdit --Post / Cancel--> dsBrowse
//   dsBrowse --Append / Insert--> dsInsert --Post / Cancel--> dsBrowse
//   dsEdit, dsInsert --any move, Close, CheckBrowseMode--> dsBrowse (posted when a field
//   was changed, else cancelled)
//
// Edit on a table without a current record appends instead.
class TTable {
  public:
    explicit TTable(EngineAdaptor& adaptor);
    ~TTable();
    TTable(const TTable&) = delete;
    TTable& operator=(const TTable&) = delete;

    // Where and how the table opens; changed only while the set is closed.
    void SetDatabaseName(std::string_view directory) { databaseName_ = directory; }
    const std::string& DatabaseName() const { return databaseName_; }
    void SetTableName(std::string_view name) { tableName_ = name; }
    const std::string& TableName() const { return tableName_; }
    void SetTableType(TTableType type) { tableType_ = type; }
    TTableType TableType() const { return tableType_; }
    void SetExclusive(bool exclusive) { exclusive_ = exclusive; }
    bool Exclusive() const { return exclusive_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    DbiResult Open();
    void Close();
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    TDataSetState State() const { return state_; }
    int Handle() const { return cursor_; }
    // The words for a person of the last failed operation.
    const std::string& LastErrorText() const { return lastError_; }

    DbiResult First();
    DbiResult Next();
    DbiResult Prior();
    DbiResult Last();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return !hasRecord_; }

    DbiResult Edit();
    DbiResult Append();
    DbiResult Insert() { return Append(); }
    DbiResult Post();
    void Cancel();
    DbiResult Delete();
    // Takes the deleted mark off the current record, which only a set that shows deleted
    // records can stand on.
    DbiResult Recall();
    bool Modified() const { return modified_; }
    // Posts a changed record, cancels an unchanged one.
    DbiResult CheckBrowseMode();

    // Bookmarks are record numbers; none while inserting or without a record.
    std::optional<std::int32_t> GetBookmark() const;
    DbiResult GotoBookmark(std::int32_t bookmark);

    // Moves the engine to the set's current record, and re-reads the set from wherever the
    // engine stands.
    DbiResult UpdateCursorPos();
    DbiResult Resync();

    // Fields of the open table, calculated ones after them; null for an unknown name.
    TField* FieldByName(std::string_view name);
    const std::vector<std::unique_ptr<TField>>& Fields() const { return fields_; }
    void AddCalcField(std::string_view name, int displayWidth);
    void SetOnCalcFields(std::function<void(TTable&)> handler) {
        onCalcFields_ = std::move(handler);
    }
    // The table's field list as stored, read without opening the set.
    DbiResult UpdateFieldDefs();
    const std::vector<FieldDesc>& FieldDefs() const { return fieldDefs_; }

    DbiResult RefreshIndexDefs();
    const std::vector<TIndexDef>& IndexDefs() const { return indexDefs_; }
    const std::string& IndexName() const { return indexName_; }
    DbiResult SetIndexName(std::string_view name);
    // Records the index name the engine already has in force, without switching.
    void NoteIndexName(std::string_view name) { indexName_ = name; }

    void DisableControls() { ++disabled_; }
    void EnableControls();
    bool ControlsDisabled() const { return disabled_ > 0; }

    int Tag = 0;

    // Up to `count` rows from the current record on; the set's position is unchanged.
    DbiResult ReadRows(int count, std::vector<TRow>& rows);

    EngineAdaptor& Adaptor() { return adaptor_; }

  private:
    friend class TField;
    friend class TDataSource;

    void Notify(TDataSource::Event event);
    DbiResult Fail(DbiResult code);
    void TakeRecord(RecordImage image, std::int32_t bookmark);
    void ClearRecord();
    void CalcFields();
    DbiResult BuildFields();
    // The memo of the current record, a pending new text first; a memo that cannot be read
    // gives an empty text and leaves its error in LastErrorText.
    std::string CurrentMemo(const TField& field);
    std::string MemoOf(const TField& field, const RecordImage& image);
    bool CanWrite() const;
    bool MemoUnchanged(int number, const std::string& text);
    void Touched(const TField& field);

    EngineAdaptor& adaptor_;
    std::string databaseName_;
    std::string tableName_;
    TTableType tableType_ = TTableType::ttDefault;
    bool exclusive_ = false;
    bool readOnly_ = false;

    int database_ = 0;
    int cursor_ = 0;
    TDataSetState state_ = TDataSetState::dsInactive;
    std::string lastError_;

    RecordImage buffer_;
    RecordImage savedBuffer_;  // the record as it was before Edit
    std::int32_t bookmark_ = 0;
    std::int32_t insertReturn_ = 0;
    bool hasRecord_ = false;
    bool hadRecordBeforeInsert_ = false;
    bool eof_ = true;
    bool bof_ = true;
    bool modified_ = false;
    std::vector<std::pair<int, std::string>> pendingMemos_;  // field number, new text

    std::vector<std::unique_ptr<TField>> fields_;
    std::vector<std::pair<std::string, int>> calcDefs_;
    std::vector<std::string> calcValues_;
    std::function<void(TTable&)> onCalcFields_;
    std::vector<FieldDesc> fieldDefs_;
    std::vector<TIndexDef> indexDefs_;
    std::string indexName_;
    int disabled_ = 0;
    std::vector<TDataSource*> sources_;
};

}  // namespace store
