// Test fixtures for compound indexes: a file held in memory, and a small table of records
// (field list plus record images) that the index reads keys from.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/xbase/cdx.h"

namespace xbase::cdxtest {

// Bytes shared between every handle opened on them, so a test can reopen or damage a file.
class MemFile final : public File {
  public:
    explicit MemFile(std::shared_ptr<std::vector<char>> data) : data_(std::move(data)) {}
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n, std::size_t& got) override {
        got = 0;
        if (failReads_) {
            return false;
        }
        if (offset >= data_->size()) {
            return true;
        }
        got = static_cast<std::size_t>(std::min<std::uint64_t>(n, data_->size() - offset));
        std::memcpy(buffer, data_->data() + offset, got);
        return true;
    }
    bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t n) override {
        if (failWrites_) {
            return false;
        }
        if (offset + n > data_->size()) {
            data_->resize(offset + n);
        }
        std::memcpy(data_->data() + offset, buffer, n);
        return true;
    }
    bool Size(std::uint64_t& size) override {
        size = data_->size();
        return true;
    }
    bool Truncate(std::uint64_t size) override {
        data_->resize(size);
        return true;
    }
    bool Sync() override { return true; }
    bool Lock(std::uint64_t, std::uint64_t, LockKind, bool) override { return true; }
    bool Unlock(std::uint64_t, std::uint64_t) override { return true; }
    void FailWrites() { failWrites_ = true; }
    void FailReads() { failReads_ = true; }

  private:
    std::shared_ptr<std::vector<char>> data_;
    bool failWrites_ = false;
    bool failReads_ = false;
};

inline std::unique_ptr<File> OpenMem(const std::shared_ptr<std::vector<char>>& data) {
    return std::make_unique<MemFile>(data);
}

// A table in memory: fields laid out one after the other behind the deletion flag.
class FakeTable final : public IndexRecords {
  public:
    struct Spec {
        const char* name;
        char type;
        std::uint16_t length;
    };
    explicit FakeTable(std::initializer_list<Spec> specs) {
        std::uint32_t offset = 1;
        for (const Spec& s : specs) {
            FieldInfo f;
            f.name = s.name;
            f.type = s.type;
            f.offset = offset;
            f.length = s.length;
            offset += s.length;
            table_.fields.push_back(f);
        }
        table_.alias = "T";
        table_.recordLength = offset;
    }

    const IndexTable& Table() const { return table_; }

    // Appends a record with the given field texts (padded with blanks); returns its number.
    std::uint32_t Append(const std::vector<std::string>& values) {
        std::string image(table_.recordLength, ' ');
        for (std::size_t i = 0; i < values.size() && i < table_.fields.size(); ++i) {
            Put(image, i, values[i]);
        }
        images_.push_back(image);
        return static_cast<std::uint32_t>(images_.size());
    }
    void Set(std::uint32_t recno, std::size_t field, const std::string& value) {
        Put(images_[recno - 1], field, value);
    }
    void SetDeleted(std::uint32_t recno, bool deleted) {
        images_[recno - 1][0] = deleted ? '*' : ' ';
    }

    // A standalone copy of a record, for "before" images.
    class Image final : public RecordSource {
      public:
        Image(std::string image, std::uint32_t recno) : image_(std::move(image)), recno_(recno) {}
        const char* Record() const override { return image_.data(); }
        std::uint32_t RecNo() const override { return recno_; }
        bool Deleted() const override { return image_[0] == '*'; }
        std::string Memo(int) const override { return {}; }

      private:
        std::string image_;
        std::uint32_t recno_;
    };
    Image Snapshot(std::uint32_t recno) const { return Image(images_[recno - 1], recno); }

    std::uint32_t RecordCount() override { return static_cast<std::uint32_t>(images_.size()); }
    const RecordSource* Record(std::uint32_t recno) override {
        if (recno == 0 || recno > images_.size()) {
            return nullptr;
        }
        current_ = std::make_unique<Image>(images_[recno - 1], recno);
        return current_.get();
    }

  private:
    void Put(std::string& image, std::size_t field, const std::string& value) {
        const FieldInfo& f = table_.fields[field];
        std::string v = value.substr(0, f.length);
        v.resize(f.length, ' ');
        image.replace(f.offset, f.length, v);
    }

    IndexTable table_;
    std::vector<std::string> images_;
    std::unique_ptr<Image> current_;
};

// Every (record number, key text) of a tag in the tag's order, through a cursor.
inline std::vector<std::pair<std::uint32_t, std::string>> WalkTag(CompoundIndex& index, int order) {
    std::vector<std::pair<std::uint32_t, std::string>> out;
    auto cursor = index.NewCursor(order);
    KeyType type = index.Tag(order).type;
    for (Status s = cursor->First(); s.ok() && cursor->Valid(); s = cursor->Next()) {
        out.emplace_back(cursor->RecNo(), KeyToText(type, cursor->Key()));
    }
    return out;
}

}  // namespace xbase::cdxtest
