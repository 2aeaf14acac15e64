// The table the index fuzzer opens its inputs against, shared with the seed maker so that
// every seed's tag expressions compile: the task file's fields plus a wide text, a number,
// a date, an integer and a date-time, and a few records to build keys from.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/xbase/cdx.h"

namespace cdxfuzz {

struct FieldSpec {
    const char* name;
    char type;
    std::uint16_t length;
};

inline constexpr FieldSpec kFields[] = {
    {"DATE", 'C', 8}, {"TIME", 'C', 5},  {"DESCRIPT", 'C', 50}, {"NOTE", 'M', 10},
    {"DONE", 'L', 1}, {"KEYS", 'C', 60}, {"PRIORITY", 'C', 1},  {"NAME", 'C', 240},
    {"QTY", 'N', 8},  {"BORN", 'D', 8},  {"ID", 'I', 4},        {"STAMP", 'T', 8},
};

inline xbase::IndexTable Table() {
    xbase::IndexTable t;
    std::uint32_t offset = 1;
    for (const FieldSpec& s : kFields) {
        xbase::FieldInfo f;
        f.name = s.name;
        f.type = s.type;
        f.offset = offset;
        f.length = s.length;
        offset += s.length;
        t.fields.push_back(f);
    }
    t.alias = "T";
    t.recordLength = offset;
    return t;
}

// Records as whole images (deletion flag first); fields are set by name.
class Records final : public xbase::IndexRecords {
  public:
    class Image final : public xbase::RecordSource {
      public:
        Image(std::string image, std::uint32_t recno) : image_(std::move(image)), recno_(recno) {}
        const char* Record() const override { return image_.data(); }
        std::uint32_t RecNo() const override { return recno_; }
        bool Deleted() const override { return image_[0] == '*'; }
        std::string Memo(int) const override { return {}; }
        std::string& bytes() { return image_; }

      private:
        std::string image_;
        std::uint32_t recno_;
    };

    Records() : table_(Table()) {}

    std::uint32_t Append() {
        std::string image(table_.recordLength, ' ');
        for (const xbase::FieldInfo& f : table_.fields) {
            if (f.type == 'I' || f.type == 'T') {
                std::memset(image.data() + f.offset, 0, f.length);
            }
        }
        images_.push_back(image);
        return static_cast<std::uint32_t>(images_.size());
    }
    // Text for character, number, date and logical fields; raw bytes for I and T.
    void Set(std::uint32_t recno, const char* field, const std::string& value) {
        for (const xbase::FieldInfo& f : table_.fields) {
            if (f.name == field) {
                std::string v = value.substr(0, f.length);
                bool text = f.type != 'I' && f.type != 'T';
                v.resize(f.length, text ? ' ' : '\0');
                if (f.type == 'N') {
                    v = std::string(f.length - std::min<std::size_t>(f.length, value.size()), ' ') +
                        value.substr(0, f.length);
                }
                images_[recno - 1].replace(f.offset, f.length, v);
            }
        }
    }
    void SetDeleted(std::uint32_t recno, bool deleted) {
        images_[recno - 1][0] = deleted ? '*' : ' ';
    }
    Image Snapshot(std::uint32_t recno) const { return Image(images_[recno - 1], recno); }

    std::uint32_t RecordCount() override { return static_cast<std::uint32_t>(images_.size()); }
    const xbase::RecordSource* Record(std::uint32_t recno) override {
        if (recno == 0 || recno > images_.size()) {
            return nullptr;
        }
        current_ = std::make_unique<Image>(images_[recno - 1], recno);
        return current_.get();
    }

  private:
    xbase::IndexTable table_;
    std::vector<std::string> images_;
    std::unique_ptr<Image> current_;
};

// The records every seed is built from and every input is checked against: duplicates,
// blanks, deleted records, negative numbers and both halves of every logical.
inline void FillRecords(Records& r, int count) {
    for (int i = 1; i <= count; ++i) {
        std::uint32_t n = r.Append();
        char date[16];
        std::snprintf(date, sizeof date, "2026%02d%02d", 1 + i % 12, 1 + i % 28);
        if (i % 7 != 0) {
            r.Set(n, "DATE", date);
            r.Set(n, "BORN", date);
        }
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02d", i % 24, (i * 7) % 60);
        r.Set(n, "TIME", time);
        r.Set(n, "DESCRIPT", "task " + std::to_string(i % 9) + (i % 2 ? " call" : " Write"));
        r.Set(n, "DONE", i % 3 == 0 ? "T" : "F");
        r.Set(n, "KEYS", i % 4 == 0 ? "" : "home work " + std::to_string(i % 5));
        r.Set(n, "PRIORITY", std::string(1, static_cast<char>('A' + i % 3)));
        r.Set(n, "NAME", std::string(200, static_cast<char>('a' + i % 26)) + std::to_string(i));
        r.Set(n, "QTY", std::to_string((i % 11) - 5) + "." + std::to_string(i % 10));
        std::int32_t id = (i % 5 == 0 ? -i : i * 3);
        std::string idBytes(4, '\0');
        std::memcpy(idBytes.data(), &id, 4);
        r.Set(n, "ID", idBytes);
        std::uint32_t stamp[2] = {2461000u + static_cast<std::uint32_t>(i % 17),
                                  static_cast<std::uint32_t>(i) * 1000u};
        std::string stampBytes(8, '\0');
        std::memcpy(stampBytes.data(), stamp, 8);
        if (i % 6 != 0) {
            r.Set(n, "STAMP", stampBytes);
        }
        r.SetDeleted(n, i % 10 == 0);
    }
}

}  // namespace cdxfuzz
