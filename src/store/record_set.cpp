// Record sets: navigation, states, fields, calculated fields and the notices to views.
#include "store/record_set.h"

#include <algorithm>
#include <charconv>

#include "rtl/ansi.h"

namespace store {

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           rtl::AnsiUpperCase(text.substr(text.size() - end.size())) == end;
}

std::string NumberText(double value, int decimals) {
    char text[400];
    auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                           std::clamp(decimals, 0, 15));
    return r.ec == std::errc{} ? std::string(text, r.ptr) : std::string();
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += "\r\n";
        }
        text += lines[i];
    }
    return text;
}

std::string ValueText(const FieldDesc& desc, const FieldValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) {
        return *s;
    }
    if (const auto* b = std::get_if<bool>(&value)) {
        return *b ? "True" : "False";
    }
    if (const auto* i = std::get_if<std::int16_t>(&value)) {
        return std::to_string(*i);
    }
    if (const auto* f = std::get_if<double>(&value)) {
        return NumberText(*f, desc.units2);
    }
    if (const auto* d = std::get_if<DateValue>(&value)) {
        return std::to_string(d->days);
    }
    return {};
}

int DefaultDisplayWidth(const FieldDesc& desc) {
    switch (desc.type) {
        case FieldType::Logical:
            return 5;
        case FieldType::Date:
            return 10;
        case FieldType::LargeObject:
            return 10;
        default:
            return desc.width;
    }
}

}  // namespace

std::string DriverNameFor(TTableType type, std::string_view tableName) {
    switch (type) {
        case TTableType::ttSXNTX:
            return "SXNTX";
        case TTableType::ttSXFOX:
            return "SXFOX";
        case TTableType::ttSXNSX:
            return "SXNSX";
        case TTableType::ttDBase:
            return "DBASE";
        case TTableType::ttASCII:
            return "ASCIIDRV";
        case TTableType::ttParadox:
            return "PARADOX";
        case TTableType::ttDefault:
            break;
    }
    if (EndsWithNoCase(tableName, ".DBF")) {
        return "SXFOX";
    }
    if (EndsWithNoCase(tableName, ".TXT")) {
        return "ASCIIDRV";
    }
    return "PARADOX";
}

// ---- data links and sources ----------------------------------------------------------------

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source_ != nullptr) {
        std::erase(source_->links_, this);
    }
    source_ = source;
    if (source_ != nullptr) {
        source_->links_.push_back(this);
    }
}

TTable* TDataLink::DataSet() const {
    return source_ == nullptr ? nullptr : source_->DataSet();
}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* link : std::vector<TDataLink*>(links_)) {
        link->SetDataSource(nullptr);
    }
}

void TDataSource::SetDataSet(TTable* table) {
    if (table_ != nullptr) {
        std::erase(table_->sources_, this);
    }
    table_ = table;
    if (table_ != nullptr) {
        table_->sources_.push_back(this);
    }
    Notify(Event::Active);
}

void TDataSource::Notify(Event event) {
    // A link may leave its source while it is told; walk a copy.
    for (TDataLink* link : std::vector<TDataLink*>(links_)) {
        if (std::find(links_.begin(), links_.end(), link) == links_.end()) {
            continue;
        }
        switch (event) {
            case Event::Active:
                link->ActiveChanged();
                break;
            case Event::DataSet:
                link->DataSetChanged();
                break;
            case Event::Record:
                link->RecordChanged();
                break;
            case Event::State:
                link->EditingChanged();
                break;
        }
    }
}

// ---- fields ----------------------------------------------------------------------------------

TField::TField(TTable& table, FieldDesc desc, bool calculated)
    : table_(table), desc_(std::move(desc)), calculated_(calculated) {
    displayLabel_ = desc_.name;
    displayWidth_ = DefaultDisplayWidth(desc_);
}

FieldValue TField::Value() const {
    if (calculated_) {
        const std::string& text = table_.calcValues_[calcSlot_];
        return text.empty() ? FieldValue{} : FieldValue{text};
    }
    if (IsMemo()) {
        std::string text = table_.CurrentMemo(*this);
        return text.empty() ? FieldValue{} : FieldValue{text};
    }
    FieldValue value;
    if (!table_.Active() || !(table_.hasRecord_ || table_.state_ == TDataSetState::dsInsert)) {
        return value;
    }
    table_.adaptor_.GetField(table_.cursor_, desc_.number, table_.buffer_, value);
    return value;
}

bool TField::IsNull() const {
    return std::holds_alternative<std::monostate>(Value());
}

std::string TField::AsString() const {
    return ValueText(desc_, Value());
}

bool TField::AsBoolean() const {
    FieldValue value = Value();
    if (const auto* b = std::get_if<bool>(&value)) {
        return *b;
    }
    return false;
}

std::vector<std::string> TField::MemoLines() const {
    std::vector<std::string> lines;
    std::string text = AsString();
    if (text.empty()) {
        return lines;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool TField::SetValue(const FieldValue& value) {
    if (calculated_) {
        table_.calcValues_[calcSlot_] = ValueText(desc_, value);
        return true;
    }
    if (!table_.CanWrite()) {
        return false;
    }
    if (IsMemo()) {
        std::string text = ValueText(desc_, value);
        auto& pending = table_.pendingMemos_;
        auto it = std::find_if(pending.begin(), pending.end(),
                               [&](const auto& p) { return p.first == desc_.number; });
        if (it == pending.end()) {
            pending.emplace_back(desc_.number, std::move(text));
        } else {
            it->second = std::move(text);
        }
        table_.Touched(*this);
        return true;
    }
    DbiResult r = table_.adaptor_.PutField(table_.cursor_, desc_.number, table_.buffer_, value);
    if (r != dbi::kOk) {
        table_.Fail(r);
        return false;
    }
    table_.Touched(*this);
    return true;
}

bool TField::SetAsString(std::string_view text) {
    switch (desc_.type) {
        case FieldType::Logical: {
            std::string upper = rtl::AnsiUpperCase(text);
            return SetValue(upper.empty() ? FieldValue{}
                                          : FieldValue{upper[0] == 'T' || upper[0] == 'Y'});
        }
        case FieldType::Int16:
        case FieldType::Floating: {
            double number = 0;
            std::size_t first = text.find_first_not_of(' ');
            if (first == std::string_view::npos) {
                return SetValue(FieldValue{});
            }
            auto r = std::from_chars(text.data() + first, text.data() + text.size(), number);
            if (r.ec != std::errc{}) {
                return false;
            }
            return SetValue(FieldValue{number});
        }
        default:
            return SetValue(FieldValue{std::string(text)});
    }
}

bool TField::SetAsBoolean(bool value) {
    return SetValue(FieldValue{value});
}

bool TField::SetMemoLines(const std::vector<std::string>& lines) {
    return SetValue(FieldValue{JoinLines(lines)});
}

std::string TField::TextOf(const TRow& row) const {
    if (calculated_) {
        return calcSlot_ < row.calculated.size() ? row.calculated[calcSlot_] : std::string();
    }
    if (IsMemo()) {
        if (row.current) {
            return table_.CurrentMemo(*this);
        }
        return table_.MemoOf(*this, row.image);
    }
    FieldValue value;
    table_.adaptor_.GetField(table_.cursor_, desc_.number, row.image, value);
    return ValueText(desc_, value);
}

// ---- the table -------------------------------------------------------------------------------

TTable::TTable(EngineAdaptor& adaptor) : adaptor_(adaptor) {}

TTable::~TTable() {
    Close();
    for (TDataSource* source : std::vector<TDataSource*>(sources_)) {
        source->SetDataSet(nullptr);
    }
}

void TTable::Notify(TDataSource::Event event) {
    if (disabled_ > 0 &&
        (event == TDataSource::Event::DataSet || event == TDataSource::Event::Record)) {
        return;
    }
    for (TDataSource* source : std::vector<TDataSource*>(sources_)) {
        source->Notify(event);
    }
}

void TTable::EnableControls() {
    if (disabled_ > 0 && --disabled_ == 0) {
        Notify(TDataSource::Event::DataSet);
    }
}

DbiResult TTable::Fail(DbiResult code) {
    lastError_ = EngineAdaptor::ErrorText(code);
    return code;
}

bool TTable::CanWrite() const {
    return state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert;
}

void TTable::Touched(const TField& field) {
    (void)field;
    modified_ = true;
    Notify(TDataSource::Event::Record);
}

DbiResult TTable::BuildFields() {
    std::vector<FieldDesc> descs;
    if (DbiResult r = adaptor_.GetFieldDescs(cursor_, descs); r != dbi::kOk) {
        return r;
    }
    // Field objects outlive a close and reopen, so labels and widths set on them stay.
    std::vector<std::unique_ptr<TField>> fields;
    for (FieldDesc& desc : descs) {
        auto old = std::find_if(fields_.begin(), fields_.end(), [&](const auto& f) {
            return f && !f->calculated_ && f->desc_.name == desc.name;
        });
        if (old != fields_.end()) {
            (*old)->desc_ = desc;
            fields.push_back(std::move(*old));
        } else {
            fields.push_back(std::unique_ptr<TField>(new TField(*this, desc, false)));
        }
    }
    for (std::size_t slot = 0; slot < calcDefs_.size(); ++slot) {
        const std::string& name = calcDefs_[slot].first;
        const int width = calcDefs_[slot].second;
        auto old = std::find_if(fields_.begin(), fields_.end(), [&](const auto& f) {
            return f && f->calculated_ && f->desc_.name == name;
        });
        if (old != fields_.end()) {
            fields.push_back(std::move(*old));
        } else {
            FieldDesc desc;
            desc.name = name;
            desc.type = FieldType::Text;
            desc.width = width;
            fields.push_back(std::unique_ptr<TField>(new TField(*this, desc, true)));
        }
        fields.back()->calcSlot_ = slot;
    }
    fields_ = std::move(fields);
    calcValues_.assign(calcDefs_.size(), std::string());
    return dbi::kOk;
}

void TTable::AddCalcField(std::string_view name, int displayWidth) {
    calcDefs_.emplace_back(std::string(name), displayWidth);
    calcValues_.resize(calcDefs_.size());
    FieldDesc desc;
    desc.name = std::string(name);
    desc.type = FieldType::Text;
    desc.width = displayWidth;
    fields_.push_back(std::unique_ptr<TField>(new TField(*this, desc, true)));
    fields_.back()->calcSlot_ = calcDefs_.size() - 1;
}

TField* TTable::FieldByName(std::string_view name) {
    std::string wanted = rtl::AnsiUpperCase(name);
    for (auto& field : fields_) {
        if (rtl::AnsiUpperCase(field->FieldName()) == wanted) {
            return field.get();
        }
    }
    return nullptr;
}

DbiResult TTable::Open() {
    if (Active()) {
        return dbi::kOk;
    }
    lastError_.clear();
    if (DbiResult r = adaptor_.OpenDatabase(databaseName_, database_); r != dbi::kOk) {
        return Fail(r);
    }
    DbiResult r =
        adaptor_.OpenTable(database_, tableName_, DriverNameFor(tableType_, tableName_), {},
                           readOnly_ ? OpenMode::ReadOnly : OpenMode::ReadWrite,
                           exclusive_ ? ShareMode::Exclusive : ShareMode::Shared, cursor_);
    if (r == dbi::kOk) {
        r = BuildFields();
    }
    if (r == dbi::kOk) {
        r = RefreshIndexDefs();
    }
    if (r == dbi::kOk && !indexName_.empty() &&
        adaptor_.SwitchToIndex(cursor_, indexName_) != dbi::kOk) {
        // The order remembered from the last open is gone with its index file (deleted to be
        // rebuilt): the table opens in record order rather than not at all.
        indexName_.clear();
    }
    if (r != dbi::kOk) {
        if (cursor_ != 0) {
            adaptor_.CloseCursor(cursor_);
        }
        cursor_ = 0;
        adaptor_.CloseDatabase(database_);
        database_ = 0;
        return Fail(r);
    }
    state_ = TDataSetState::dsBrowse;
    First();
    Notify(TDataSource::Event::Active);
    return dbi::kOk;
}

void TTable::Close() {
    if (!Active()) {
        return;
    }
    CheckBrowseMode();
    adaptor_.CloseCursor(cursor_);
    adaptor_.CloseDatabase(database_);
    cursor_ = 0;
    database_ = 0;
    state_ = TDataSetState::dsInactive;
    ClearRecord();
    eof_ = bof_ = true;
    Notify(TDataSource::Event::Active);
}

void TTable::ClearRecord() {
    hasRecord_ = false;
    bookmark_ = 0;
    buffer_.clear();
    CalcFields();
}

void TTable::TakeRecord(RecordImage image, std::int32_t bookmark) {
    buffer_ = std::move(image);
    bookmark_ = bookmark;
    hasRecord_ = true;
    CalcFields();
}

void TTable::CalcFields() {
    std::fill(calcValues_.begin(), calcValues_.end(), std::string());
    if (onCalcFields_ && Active() && hasRecord_) {
        onCalcFields_(*this);
    }
}

std::string TTable::CurrentMemo(const TField& field) {
    for (const auto& [number, text] : pendingMemos_) {
        if (number == field.desc_.number) {
            return text;
        }
    }
    if (!Active() || !hasRecord_ || state_ == TDataSetState::dsInsert) {
        return {};
    }
    return MemoOf(field, buffer_);
}

std::string TTable::MemoOf(const TField& field, const RecordImage& image) {
    std::string text;
    if (DbiResult r = adaptor_.GetBlob(cursor_, field.desc_.number, image, text); r != dbi::kOk) {
        Fail(r);
        text.clear();
    }
    return text;
}

DbiResult TTable::CheckBrowseMode() {
    if (!CanWrite()) {
        return dbi::kOk;
    }
    if (modified_) {
        return Post();
    }
    Cancel();
    return dbi::kOk;
}

DbiResult TTable::UpdateCursorPos() {
    if (!Active() || !hasRecord_ || state_ == TDataSetState::dsInsert) {
        return dbi::kOk;
    }
    return adaptor_.SetToBookmark(cursor_, bookmark_);
}

DbiResult TTable::First() {
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (DbiResult r = CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    adaptor_.SetToBegin(cursor_);
    RecordImage image;
    RecordProps props;
    DbiResult r = adaptor_.GetNextRecord(cursor_, false, &image, &props);
    bof_ = true;
    if (r == dbi::kOk) {
        eof_ = false;
        TakeRecord(std::move(image), props.recordNumber);
    } else {
        eof_ = true;
        ClearRecord();
    }
    Notify(TDataSource::Event::DataSet);
    return r == dbi::kEof ? dbi::kOk : r;
}

DbiResult TTable::Last() {
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (DbiResult r = CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    adaptor_.SetToEnd(cursor_);
    RecordImage image;
    RecordProps props;
    DbiResult r = adaptor_.GetPriorRecord(cursor_, false, &image, &props);
    eof_ = true;
    if (r == dbi::kOk) {
        bof_ = false;
        TakeRecord(std::move(image), props.recordNumber);
    } else {
        bof_ = true;
        ClearRecord();
    }
    Notify(TDataSource::Event::DataSet);
    return r == dbi::kBof ? dbi::kOk : r;
}

DbiResult TTable::Next() {
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (DbiResult r = CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    if (eof_) {
        return dbi::kOk;
    }
    UpdateCursorPos();
    RecordImage image;
    RecordProps props;
    DbiResult r = adaptor_.GetNextRecord(cursor_, false, &image, &props);
    if (r == dbi::kOk) {
        bof_ = false;
        TakeRecord(std::move(image), props.recordNumber);
        Notify(TDataSource::Event::DataSet);
    } else if (r == dbi::kEof) {
        eof_ = true;  // the last record stays current
    } else {
        return Fail(r);
    }
    return dbi::kOk;
}

DbiResult TTable::Prior() {
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (DbiResult r = CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    if (bof_) {
        return dbi::kOk;
    }
    UpdateCursorPos();
    RecordImage image;
    RecordProps props;
    DbiResult r = adaptor_.GetPriorRecord(cursor_, false, &image, &props);
    if (r == dbi::kOk) {
        eof_ = false;
        TakeRecord(std::move(image), props.recordNumber);
        Notify(TDataSource::Event::DataSet);
    } else if (r == dbi::kBof) {
        bof_ = true;
        UpdateCursorPos();
    } else {
        return Fail(r);
    }
    return dbi::kOk;
}

DbiResult TTable::Resync() {
    if (!Active()) {
        return dbi::kOk;
    }
    RecordImage image;
    RecordProps props;
    DbiResult r = adaptor_.GetRecord(cursor_, false, &image, &props);
    if (r == dbi::kRecordNotVisible) {
        r = adaptor_.GetNextRecord(cursor_, false, &image, &props);
    }
    if (r == dbi::kOk) {
        eof_ = bof_ = false;
        TakeRecord(std::move(image), props.recordNumber);
        Notify(TDataSource::Event::DataSet);
        return dbi::kOk;
    }
    if (r == dbi::kEof || r == dbi::kBof) {
        DbiResult moved = r == dbi::kEof ? Last() : First();
        if (r == dbi::kEof) {
            eof_ = true;
        }
        return moved;
    }
    return Fail(r);
}

std::optional<std::int32_t> TTable::GetBookmark() const {
    if (!Active() || !hasRecord_ || state_ == TDataSetState::dsInsert) {
        return std::nullopt;
    }
    return bookmark_;
}

DbiResult TTable::GotoBookmark(std::int32_t bookmark) {
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (DbiResult r = CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    adaptor_.SetToBookmark(cursor_, bookmark);
    return Resync();
}

DbiResult TTable::Edit() {
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
        return dbi::kOk;
    }
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (!hasRecord_) {
        return Append();
    }
    UpdateCursorPos();
    RecordImage image;
    RecordProps props;
    DbiResult r = adaptor_.GetRecord(cursor_, true, &image, &props);
    if (r != dbi::kOk) {
        return Fail(r);
    }
    TakeRecord(std::move(image), props.recordNumber);
    savedBuffer_ = buffer_;
    pendingMemos_.clear();
    modified_ = false;
    state_ = TDataSetState::dsEdit;
    Notify(TDataSource::Event::State);
    return dbi::kOk;
}

DbiResult TTable::Append() {
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (DbiResult r = CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    hadRecordBeforeInsert_ = hasRecord_;
    insertReturn_ = bookmark_;
    RecordImage image;
    if (DbiResult r = adaptor_.InitRecord(cursor_, image); r != dbi::kOk) {
        return Fail(r);
    }
    buffer_ = std::move(image);
    hasRecord_ = false;
    pendingMemos_.clear();
    modified_ = false;
    state_ = TDataSetState::dsInsert;
    eof_ = bof_ = false;
    CalcFields();
    Notify(TDataSource::Event::State);
    Notify(TDataSource::Event::DataSet);
    return dbi::kOk;
}

DbiResult TTable::Post() {
    if (!CanWrite()) {
        return dbi::kOk;
    }
    DbiResult r = dbi::kOk;
    bool appended = false;
    if (state_ == TDataSetState::dsInsert) {
        r = adaptor_.AppendRecord(cursor_, buffer_);
        appended = r == dbi::kOk;
        if (r == dbi::kOk) {
            // The engine now stands on the new record: memo texts are written there.
            r = adaptor_.GetBookmark(cursor_, bookmark_);
        }
    } else {
        r = UpdateCursorPos();
    }
    if (r == dbi::kOk && !pendingMemos_.empty()) {
        for (const auto& [number, text] : pendingMemos_) {
            if (state_ == TDataSetState::dsEdit && MemoUnchanged(number, text)) {
                continue;
            }
            r = adaptor_.PutBlob(cursor_, number, buffer_, 0, text);
            if (r != dbi::kOk) {
                break;
            }
        }
    }
    if (r == dbi::kOk && (state_ == TDataSetState::dsEdit || !pendingMemos_.empty())) {
        r = adaptor_.ModifyRecord(cursor_, buffer_, true);
    }
    if (r != dbi::kOk && appended) {
        // The record went in but its note did not: the append is taken back (record, keys
        // and notes), so that the files are as before the save and the set, still
        // inserting, can post it anew. Where it cannot be, the record is at least deleted.
        if (adaptor_.UndoAppend(cursor_) != dbi::kOk) {
            adaptor_.DeleteRecord(cursor_);
        }
    }
    if (r != dbi::kOk) {
        return Fail(r);
    }
    pendingMemos_.clear();
    modified_ = false;
    state_ = TDataSetState::dsBrowse;
    Notify(TDataSource::Event::State);
    // Re-read the record where it now stands; a filtered-out record moves the set on.
    adaptor_.SetToBookmark(cursor_, bookmark_);
    return Resync();
}

// Whether `text` is what the record being edited showed for memo field `number`: the stored
// text, or none for a memo that could not be read. Such a save leaves the memo pointer alone,
// so that a damaged note stays where it can still be recovered.
bool TTable::MemoUnchanged(int number, const std::string& text) {
    std::string stored;
    DbiResult r = adaptor_.GetBlob(cursor_, number, savedBuffer_, stored);
    return r == dbi::kOk ? stored == text : text.empty();
}

void TTable::Cancel() {
    if (!CanWrite()) {
        return;
    }
    TDataSetState was = state_;
    state_ = TDataSetState::dsBrowse;
    pendingMemos_.clear();
    modified_ = false;
    if (was == TDataSetState::dsEdit) {
        adaptor_.RelRecordLock(cursor_, false);
        buffer_ = savedBuffer_;
        CalcFields();
        Notify(TDataSource::Event::State);
        Notify(TDataSource::Event::Record);
        return;
    }
    Notify(TDataSource::Event::State);
    if (hadRecordBeforeInsert_) {
        adaptor_.SetToBookmark(cursor_, insertReturn_);
        Resync();
    } else {
        First();
    }
}

DbiResult TTable::Delete() {
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return dbi::kOk;
    }
    if (state_ == TDataSetState::dsEdit) {
        Cancel();
    }
    if (!hasRecord_) {
        return dbi::kOk;
    }
    UpdateCursorPos();
    if (DbiResult r = adaptor_.DeleteRecord(cursor_); r != dbi::kOk) {
        return Fail(r);
    }
    return Resync();
}

DbiResult TTable::Recall() {
    if (!Active()) {
        return Fail(dbi::kNotOpenCursor);
    }
    if (DbiResult r = CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    if (!hasRecord_) {
        return dbi::kOk;
    }
    UpdateCursorPos();
    if (DbiResult r = adaptor_.RecallRecord(cursor_); r != dbi::kOk) {
        return Fail(r);
    }
    return Resync();
}

DbiResult TTable::UpdateFieldDefs() {
    fieldDefs_.clear();
    int database = 0;
    if (DbiResult r = adaptor_.OpenDatabase(databaseName_, database); r != dbi::kOk) {
        return Fail(r);
    }
    int list = 0;
    DbiResult r =
        adaptor_.OpenFieldList(database, tableName_, DriverNameFor(tableType_, tableName_), list);
    if (r == dbi::kOk) {
        FieldDesc desc;
        while (adaptor_.ListNextRecord(list, desc) == dbi::kOk) {
            fieldDefs_.push_back(desc);
        }
        adaptor_.CloseCursor(list);
    }
    adaptor_.CloseDatabase(database);
    return r == dbi::kOk ? r : Fail(r);
}

DbiResult TTable::RefreshIndexDefs() {
    indexDefs_.clear();
    if (!Active() && cursor_ == 0) {
        return dbi::kOk;
    }
    std::vector<IndexDesc> descs;
    if (DbiResult r = adaptor_.GetIndexDescs(cursor_, descs); r != dbi::kOk) {
        return Fail(r);
    }
    for (const IndexDesc& desc : descs) {
        TIndexDef def;
        def.name = desc.tagName;
        def.expression = desc.keyExpression;
        for (int number : desc.fieldNumbers) {
            if (number >= 1 && number <= static_cast<int>(fields_.size())) {
                def.fields.push_back(fields_[static_cast<std::size_t>(number - 1)]->FieldName());
            }
        }
        indexDefs_.push_back(std::move(def));
    }
    return dbi::kOk;
}

DbiResult TTable::SetIndexName(std::string_view name) {
    if (!Active()) {
        indexName_ = name;
        return dbi::kOk;
    }
    if (DbiResult r = CheckBrowseMode(); r != dbi::kOk) {
        return r;
    }
    // A name the table lacks leaves the order in force, and its name, as they were.
    if (DbiResult r = adaptor_.SwitchToIndex(cursor_, name); r != dbi::kOk) {
        return Fail(r);
    }
    indexName_ = name;
    return First();
}

DbiResult TTable::ReadRows(int count, std::vector<TRow>& rows) {
    rows.clear();
    if (!Active() || !hasRecord_ || count <= 0) {
        return dbi::kOk;
    }
    CalcFields();
    rows.push_back({bookmark_, buffer_, calcValues_, true});
    if (count == 1) {
        return dbi::kOk;
    }
    // The following rows are computed as the current record, each in turn, with the set's
    // own record, edit included, put aside and back.
    RecordImage keep = std::move(buffer_);
    std::int32_t keepMark = bookmark_;
    std::vector<std::string> keepCalc = calcValues_;
    auto keepMemos = std::move(pendingMemos_);
    pendingMemos_.clear();
    DbiResult r = adaptor_.SetToBookmark(cursor_, keepMark);
    RecordImage image;
    RecordProps props;
    if (r == dbi::kOk) {
        r = adaptor_.GetNextRecord(cursor_, false, &image, &props);
    }
    while (r == dbi::kOk && static_cast<int>(rows.size()) < count) {
        buffer_ = std::move(image);
        bookmark_ = props.recordNumber;
        CalcFields();
        rows.push_back({props.recordNumber, buffer_, calcValues_, false});
        image = {};
        r = adaptor_.GetNextRecord(cursor_, false, &image, &props);
    }
    buffer_ = std::move(keep);
    bookmark_ = keepMark;
    calcValues_ = std::move(keepCalc);
    pendingMemos_ = std::move(keepMemos);
    adaptor_.SetToBookmark(cursor_, keepMark);
    return r == dbi::kOk || r == dbi::kEof ? dbi::kOk : Fail(r);
}

}  // namespace store
