// Engine features the record-set layer does not offer, run on a bound record set's work
// area (TEngineComponent, TEngineDataLink, TCStringList), and the engine-wide settings
// (TEngineEnv with TEngineDateFrmt).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase/sx.h"
#include "store/record_set.h"

namespace store {

// A scratch list of at most four texts, handed to the engine as zero-terminated copies. The
// texts are kept whole: a path or an expression cut short would name another file or mean
// something else.
class TCStringList {
  public:
    static constexpr std::size_t kCapacity = 4;
    bool Add(std::string_view text);  // false when full
    std::size_t Count() const { return count_; }
    const char* Item(std::size_t index) const;

  private:
    std::array<std::string, kCapacity> items_;
    std::size_t count_ = 0;
};

class TEngineComponent;

class TEngineDataLink : public TDataLink {
  public:
    explicit TEngineDataLink(TEngineComponent& owner) : owner_(owner) {}
    void ActiveChanged() override;

  private:
    TEngineComponent& owner_;
};

class TEngineComponent {
  public:
    TEngineComponent();
    ~TEngineComponent() = default;
    TEngineComponent(const TEngineComponent&) = delete;
    TEngineComponent& operator=(const TEngineComponent&) = delete;

    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const { return dataSource_; }
    const std::vector<std::string>& ExtraIndexes() const { return extraIndexes_; }
    void SetExtraIndexes(const std::vector<std::string>& files);
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string_view expression) { ApplyFilter(expression); }
    bool TurboRead() const { return turboRead_; }
    void SetTurboRead(bool on);

    bool CreateTable(std::string_view path, int driver, int fieldCount);
    void AddField(std::string_view name, std::string_view type, int width, int decimals);
    bool WriteNewTable();
    void CloseIndexes();
    std::string FilterText();
    DbiResult GoToRecord(int recordNumber);
    std::string IndexFileName(int order);
    int OpenIndex(std::string_view file);
    int IndexOrder();
    int CreateTag(std::string_view file, std::string_view tag, std::string_view expression,
                  int option, bool descending, std::string_view condition);
    bool IsActive();
    bool Pack();
    int ApplyFilter(std::string_view expression);
    int FilteredCount();
    int TestFilter(std::string_view expression);
    int RecordCount();
    int RecordNumber();
    int RecordSize();
    // True for a key of the order in force that begins with `key`. Missed with soft seek on,
    // the set stands on the next key; otherwise, and past the last key, at its end.
    bool Seek(std::string_view key);
    int SetOrder(int order);
    int TagOrder(std::string_view tag);
    std::string TagName(int order);
    std::intptr_t SysProp(SxProp property, std::intptr_t value);
    // The next slice of the check of every tag against the table (see sx_IndexCheck).
    int IndexCheck(int budget);
    // The records under the filter in the order an index on `expression` would give them
    // (by key, then record number), read from the table alone: for when the index cannot be
    // trusted. The set's order and record are kept.
    std::vector<std::int32_t> RecordsInKeyOrder(std::string_view expression);
    void SetGaugeHook(SxGaugeHook hook);
    DbiResult PostIfEditing();
    void OpenExtraIndexes();

  private:
    friend class TEngineDataLink;
    class Scope;
    TTable* Table();
    bool Open();
    void Settle();
    void Synchronise();
    void Reread();
    void DataLinkActiveChanged();

    TDataSource* dataSource_ = nullptr;
    TTable* table_ = nullptr;
    TEngineDataLink link_;
    std::vector<std::string> extraIndexes_;
    std::string filter_;
    bool turboRead_ = false;
    std::int16_t remembered_ = 0;
    std::int16_t creatingArea_ = 0;
};

enum class TEngineDateFrmt {
    dfAmerican,
    dfAnsi,
    dfBritish,
    dfFrench,
    dfGerman,
    dfItalian,
    dfSpanish
};

struct TEngineDateFormat {
    char separator;
    const char* shortDate;
    const char* withCentury;
};
const TEngineDateFormat& EngineDateFormat(TEngineDateFrmt format);

// Engine-wide settings; each setter passes the value to the engine, then keeps it. The
// program's short date format follows DateFormat and Century.
class TEngineEnv {
  public:
    bool Exact() const { return exact_; }
    void SetExact(bool on);
    bool Century() const { return century_; }
    void SetCentury(bool on);
    TEngineDateFrmt DateFormat() const { return dateFormat_; }
    void SetDateFormat(TEngineDateFrmt format);
    int LockTimeout() const { return lockTimeout_; }
    void SetLockTimeout(int seconds);
    int MemoBlockSize() const { return memoBlockSize_; }
    void SetMemoBlockSize(int size);
    bool SoftSeek() const { return softSeek_; }
    void SetSoftSeek(bool on);
    bool Deleted() const { return deleted_; }
    void SetDeleted(bool hide);

  private:
    bool exact_ = false;
    bool century_ = false;
    TEngineDateFrmt dateFormat_ = TEngineDateFrmt::dfAmerican;
    int lockTimeout_ = 1;
    int memoBlockSize_ = 64;
    bool softSeek_ = false;
    bool deleted_ = false;
};

}  // namespace store
