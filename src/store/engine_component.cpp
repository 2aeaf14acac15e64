// The engine component: every operation selects its record set's work area on entry and the
// remembered area again on exit; pending edits are settled, the engine moved to the set's
// record, and the set re-read around the operations that move or change the table.
#include "store/engine_component.h"

#include <algorithm>

#include "rtl/format_settings.h"

namespace store {

// ---- TCStringList ------------------------------------------------------------------------

bool TCStringList::Add(std::string_view text) {
    if (count_ >= kCapacity) {
        return false;
    }
    items_[count_++] = std::string(text);
    return true;
}

const char* TCStringList::Item(std::size_t index) const {
    return index < count_ ? items_[index].c_str() : "";
}

// ---- work-area discipline ------------------------------------------------------------------

class TEngineComponent::Scope {
  public:
    explicit Scope(TEngineComponent& owner) : owner_(owner) {
        TTable* table = owner_.Table();
        if (owner_.dataSource_ == nullptr && table == nullptr) {
            owner_.remembered_ = 0;
            return;
        }
        if (table != nullptr && table->Active()) {
            owner_.remembered_ = static_cast<std::int16_t>(sx_Select(table->Handle()));
        } else {
            owner_.remembered_ = static_cast<std::int16_t>(sx_WorkArea());
        }
        area_ = owner_.remembered_;
    }
    // Each scope keeps its own area, so that operations calling operations nest.
    ~Scope() {
        int area = area_;
        TTable* table = owner_.table_;
        if (table != nullptr) {
            if (area != 0 && area != table->Handle()) {
                sx_Select(area);
            }
        } else if (area != 0) {
            sx_Select(area);
        }
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

  private:
    TEngineComponent& owner_;
    int area_ = 0;
};

void TEngineDataLink::ActiveChanged() {
    owner_.DataLinkActiveChanged();
}

TEngineComponent::TEngineComponent() : link_(*this) {}

void TEngineComponent::SetDataSource(TDataSource* source) {
    dataSource_ = source;
    table_ = nullptr;
    link_.SetDataSource(source);
}

TTable* TEngineComponent::Table() {
    if (table_ == nullptr && dataSource_ != nullptr) {
        table_ = dataSource_->DataSet();
    }
    return table_;
}

bool TEngineComponent::Open() {
    TTable* table = Table();
    return table != nullptr && table->Active();
}

void TEngineComponent::Settle() {
    if (Open()) {
        table_->CheckBrowseMode();
    }
}

void TEngineComponent::Synchronise() {
    if (Open()) {
        table_->UpdateCursorPos();
        sx_Select(table_->Handle());
    }
}

void TEngineComponent::Reread() {
    if (Open()) {
        table_->Resync();
        sx_Select(table_->Handle());
    }
}

void TEngineComponent::DataLinkActiveChanged() {
    if (dataSource_ != nullptr && dataSource_->DataSet() != table_) {
        table_ = dataSource_->DataSet();
    }
    if (Open()) {
        // A filter kept while the set was closed and refused now is dropped, so that the
        // component never names a filter the engine does not have.
        if (!filter_.empty() && ApplyFilter(std::string(filter_)) != 1) {
            filter_.clear();
        }
        if (!extraIndexes_.empty()) {
            OpenExtraIndexes();
        }
    }
}

// ---- table creation --------------------------------------------------------------------------

bool TEngineComponent::CreateTable(std::string_view path, int driver, int fieldCount) {
    Scope scope(*this);
    TCStringList texts;
    texts.Add(path);
    creatingArea_ =
        static_cast<std::int16_t>(sx_CreateNew(texts.Item(0), "XXXXXXXXXX", driver, fieldCount));
    return creatingArea_ != 0;
}

void TEngineComponent::AddField(std::string_view name, std::string_view type, int width,
                                int decimals) {
    if (creatingArea_ == 0) {
        return;
    }
    int previous = sx_Select(creatingArea_);
    TCStringList texts;
    texts.Add(name);
    texts.Add(type);
    sx_CreateField(texts.Item(0), texts.Item(1), width, decimals);
    if (previous != 0 && previous != creatingArea_) {
        sx_Select(previous);
    }
}

bool TEngineComponent::WriteNewTable() {
    if (creatingArea_ == 0) {
        return false;
    }
    int previous = sx_Select(creatingArea_);
    bool written = sx_CreateExec() != 0;
    sx_Close();
    if (previous != 0 && previous != creatingArea_) {
        sx_Select(previous);
    }
    creatingArea_ = 0;
    return written;
}

// ---- operations ------------------------------------------------------------------------------
// With no open record set bound, the operations that act on a table leave the engine alone:
// the current area would be another table's.

void TEngineComponent::CloseIndexes() {
    Scope scope(*this);
    if (Open()) {
        sx_CloseIndexes();
    }
}

std::string TEngineComponent::FilterText() {
    Scope scope(*this);
    return Open() ? sx_DBFilter() : std::string();
}

DbiResult TEngineComponent::GoToRecord(int recordNumber) {
    Scope scope(*this);
    if (!Open()) {
        return dbi::kNotOpenCursor;
    }
    Settle();
    Synchronise();
    sx_Go(recordNumber);
    Reread();
    return dbi::kOk;
}

std::string TEngineComponent::IndexFileName(int order) {
    Scope scope(*this);
    return Open() ? sx_IndexName(order) : std::string();
}

int TEngineComponent::OpenIndex(std::string_view file) {
    Scope scope(*this);
    if (!Open()) {
        return 0;
    }
    Settle();
    Synchronise();
    TCStringList texts;
    texts.Add(file);
    int order = sx_IndexOpen(texts.Item(0));
    table_->RefreshIndexDefs();
    sx_Select(table_->Handle());
    table_->NoteIndexName(sx_TagName(order));
    Reread();
    return order;
}

int TEngineComponent::IndexOrder() {
    Scope scope(*this);
    return Open() ? sx_IndexOrd() : 0;
}

int TEngineComponent::CreateTag(std::string_view file, std::string_view tag,
                                std::string_view expression, int option, bool descending,
                                std::string_view condition) {
    Scope scope(*this);
    if (!Open()) {
        return 0;
    }
    Settle();
    Synchronise();
    TCStringList texts;
    texts.Add(file);
    texts.Add(tag);
    texts.Add(expression);
    texts.Add(condition);
    int result =
        sx_IndexTag(texts.Item(0), texts.Item(1), texts.Item(2), option, descending, texts.Item(3));
    table_->RefreshIndexDefs();
    table_->NoteIndexName(tag);
    Reread();
    return result;
}

bool TEngineComponent::IsActive() {
    return Open();
}

bool TEngineComponent::Pack() {
    Scope scope(*this);
    if (!Open()) {
        return false;
    }
    Settle();
    Synchronise();
    bool packed = sx_Pack();
    Reread();
    return packed;
}

int TEngineComponent::ApplyFilter(std::string_view expression) {
    Scope scope(*this);
    if (!Open()) {
        filter_ = expression;  // applied when the set opens
        return 0;
    }
    Settle();
    Synchronise();
    std::string text(expression);
    // The set's re-read under the new filter walks forward, back and forward again when the
    // filter admits no record: it is one look at the table, which the engine walks once.
    const std::intptr_t oneLook = sx_SysProp(SxProp::kOneLook, 1);
    // A refused expression leaves the engine's filter in force, and so this one.
    int result = sx_Query(text);
    if (result == 1) {
        filter_ = std::move(text);
    }
    Reread();
    sx_SysProp(SxProp::kOneLook, oneLook);
    return result;
}

int TEngineComponent::FilteredCount() {
    Scope scope(*this);
    return Open() ? sx_QueryRecCount() : 0;
}

int TEngineComponent::TestFilter(std::string_view expression) {
    Scope scope(*this);
    if (!Open()) {
        return 0;
    }
    Synchronise();
    int result = sx_QueryTest(expression);
    const std::intptr_t oneLook = sx_SysProp(SxProp::kOneLook, 1);
    Reread();
    sx_SysProp(SxProp::kOneLook, oneLook);
    return result;
}

int TEngineComponent::RecordCount() {
    Scope scope(*this);
    return Open() ? sx_RecCount() : 0;
}

int TEngineComponent::RecordNumber() {
    Scope scope(*this);
    if (!Open()) {
        return 0;
    }
    std::optional<std::int32_t> bookmark = table_->GetBookmark();
    return bookmark ? *bookmark : sx_RecCount() + 1;
}

int TEngineComponent::RecordSize() {
    Scope scope(*this);
    return Open() ? sx_RecSize() : 0;
}

bool TEngineComponent::Seek(std::string_view key) {
    Scope scope(*this);
    if (!Open()) {
        return false;
    }
    Settle();
    Synchronise();
    bool found = sx_Seek(key);
    // A soft seek that finds no match stands on the next key of the order: the set goes
    // there too. Only a seek past the last key leaves the set at its end.
    if (found || (sx_SysProp(SxProp::kSoftSeek) != 0 && !sx_Eof())) {
        Reread();
    } else {
        table_->Last();
        table_->Next();
    }
    return found;
}

int TEngineComponent::SetOrder(int order) {
    Scope scope(*this);
    if (!Open()) {
        return 0;
    }
    int previous = sx_IndexOrd();
    table_->RefreshIndexDefs();
    const auto& defs = table_->IndexDefs();
    if (order == 0) {
        table_->SetIndexName({});
    } else if (order >= 1 && order <= static_cast<int>(defs.size())) {
        table_->SetIndexName(defs[static_cast<std::size_t>(order - 1)].name);
    }
    return previous;
}

int TEngineComponent::TagOrder(std::string_view tag) {
    Scope scope(*this);
    if (!Open()) {
        return 0;
    }
    Synchronise();
    int order = sx_TagArea(tag);
    Reread();
    return order;
}

std::string TEngineComponent::TagName(int order) {
    Scope scope(*this);
    return Open() ? sx_TagName(order) : std::string();
}

std::intptr_t TEngineComponent::SysProp(SxProp property, std::intptr_t value) {
    Scope scope(*this);
    return sx_SysProp(property, value);
}

int TEngineComponent::IndexCheck(int budget) {
    Scope scope(*this);
    return Open() ? sx_IndexCheck(budget) : -1;
}

std::vector<std::int32_t> TEngineComponent::RecordsInKeyOrder(std::string_view expression) {
    Scope scope(*this);
    std::vector<std::pair<std::string, std::int32_t>> keyed;
    if (!Open()) {
        return {};
    }
    Settle();
    Synchronise();
    const int order = sx_IndexOrd();
    const int record = sx_RecNo();
    sx_SetOrder(0);
    for (bool more = sx_GoTop(); more && !sx_Eof(); more = sx_Skip(1)) {
        keyed.emplace_back(sx_EvalString(expression), sx_RecNo());
    }
    sx_SetOrder(order);
    sx_Go(record);
    Reread();
    // Record order first, so that equal keys keep it, as an index holds them.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::int32_t> records;
    records.reserve(keyed.size());
    for (const auto& entry : keyed) {
        records.push_back(entry.second);
    }
    return records;
}

void TEngineComponent::SetGaugeHook(SxGaugeHook hook) {
    sx_SetGaugeHook(std::move(hook));
}

DbiResult TEngineComponent::PostIfEditing() {
    TTable* table = Table();
    if (table != nullptr &&
        (table->State() == TDataSetState::dsEdit || table->State() == TDataSetState::dsInsert)) {
        return table->Post();
    }
    return dbi::kOk;
}

void TEngineComponent::SetTurboRead(bool on) {
    sx_SetTurboRead(on);
    turboRead_ = on;
}

void TEngineComponent::SetExtraIndexes(const std::vector<std::string>& files) {
    extraIndexes_ = files;
    if (Open()) {
        OpenExtraIndexes();
    }
}

void TEngineComponent::OpenExtraIndexes() {
    Scope scope(*this);
    if (!Open()) {
        return;
    }
    int order = sx_IndexOrd();
    sx_SetOrder(0);
    for (const std::string& entry : extraIndexes_) {
        std::string file = entry;
        std::size_t slash = file.find_last_of("/\\");
        std::size_t dot = file.rfind('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
            switch (table_->TableType()) {
                case TTableType::ttSXNTX:
                    file += ".NTX";
                    break;
                case TTableType::ttSXFOX:
                    file += ".IDX";
                    break;
                case TTableType::ttSXNSX:
                    file += ".NSX";
                    break;
                default:
                    break;
            }
        }
        int opened = OpenIndex(file);
        if (order == 0) {
            order = opened;
        }
    }
    sx_Select(table_->Handle());
    sx_SetOrder(order);
}

// ---- TEngineEnv ------------------------------------------------------------------------------

namespace {

constexpr std::array<TEngineDateFormat, 7> kDateFormats = {{
    {'/', "mm/dd/yy", "mm/dd/yyyy"},
    {'.', "yy.mm.dd", "yyyy.mm.dd"},
    {'/', "dd/mm/yy", "dd/mm/yyyy"},
    {'/', "dd/mm/yy", "dd/mm/yyyy"},
    {'.', "dd.mm.yy", "dd.mm.yyyy"},
    {'-', "dd-mm-yy", "dd-mm-yyyy"},
    {'-', "dd-mm-yy", "dd-mm-yyyy"},
}};

}  // namespace

const TEngineDateFormat& EngineDateFormat(TEngineDateFrmt format) {
    return kDateFormats[static_cast<std::size_t>(format)];
}

void TEngineEnv::SetExact(bool on) {
    sx_SetExact(on);
    exact_ = on;
}

void TEngineEnv::SetCentury(bool on) {
    sx_SetCentury(on);
    century_ = on;
    rtl::FormatSettings formats = rtl::CurrentFormats();
    const TEngineDateFormat& f = EngineDateFormat(dateFormat_);
    formats.shortDateFormat = on ? f.withCentury : f.shortDate;
    rtl::SetCurrentFormats(formats);
}

void TEngineEnv::SetDateFormat(TEngineDateFrmt format) {
    sx_SetDateFormat(static_cast<int>(format));
    dateFormat_ = format;
    rtl::FormatSettings formats = rtl::CurrentFormats();
    const TEngineDateFormat& f = EngineDateFormat(format);
    formats.shortDateFormat = f.shortDate;
    formats.dateSeparator = f.separator;
    rtl::SetCurrentFormats(formats);
    if (century_) {
        SetCentury(true);
    }
}

void TEngineEnv::SetLockTimeout(int seconds) {
    lockTimeout_ = seconds;
    sx_SetLockTimeout(seconds);
}

void TEngineEnv::SetMemoBlockSize(int size) {
    memoBlockSize_ = size;
    sx_SetMemoBlockSize(size);
}

void TEngineEnv::SetSoftSeek(bool on) {
    sx_SetSoftSeek(on);
    softSeek_ = on;
}

void TEngineEnv::SetDeleted(bool hide) {
    sx_SetDeleted(hide);
    deleted_ = hide;
}

}  // namespace store
