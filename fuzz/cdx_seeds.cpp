// Writes the seed inputs of the index fuzzer: small compound index files whose tags compile
// against the fuzzer's table, so that mutations start inside tag directories, headers, leaf
// and interior pages instead of random bytes. Usage: cdx_seeds OUTPUT_DIRECTORY
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cdx_fuzz_table.h"
#include "platform/xbase/memory_file_system.h"

namespace {

using xbase::TagSpec;

struct Seed {
    std::string name;
    int records;
    std::vector<TagSpec> tags;
    int upkeep = 0;               // record changes after the build, through key upkeep
    bool foreignHeaders = false;  // option bit 0x04 in every tag header, as other writers set
};

// Option bit 0x04 in every tag header (a page whose reserved bytes are all zero after a
// signature of 1 and the compact and compound bits).
void MarkHeadersForeign(std::vector<char>& bytes) {
    for (std::size_t at = 1024; at + 1024 <= bytes.size(); at += 512) {
        const char* page = bytes.data() + at;
        bool header = page[15] == 1 && (page[14] & 0x60) == 0x60;
        for (std::size_t i = 16; header && i < 502; ++i) {
            header = page[i] == 0;
        }
        if (header) {
            bytes[at + 14] = static_cast<char>(page[14] | 0x04);
        }
    }
}

bool Write(const std::string& directory, const Seed& seed) {
    xbase::MemoryFileSystem fs;
    std::unique_ptr<xbase::CompoundIndex> index;
    if (!xbase::CompoundIndex::Create(fs.Open("/seed.cdx", xbase::OpenMode::kCreate),
                                      cdxfuzz::Table(), index)
             .ok()) {
        return false;
    }
    cdxfuzz::Records records = cdxfuzz::MakeRecords();
    cdxfuzz::FillRecords(records, seed.records);
    for (const TagSpec& tag : seed.tags) {
        int order = 0;
        xbase::Status s = index->AddTag(tag, records, nullptr, order);
        if (!s.ok()) {
            std::fprintf(stderr, "cdx_seeds: %s, tag %s: %s\n", seed.name.c_str(), tag.name.c_str(),
                         s.message().c_str());
            return false;
        }
    }
    for (int i = 0; i < seed.upkeep; ++i) {
        bool append = i % 3 == 0;
        std::uint32_t recno = append
                                  ? records.Append({})
                                  : 1 + static_cast<std::uint32_t>(i * 7) % records.RecordCount();
        auto before = records.Snapshot(recno);
        records.Set(recno, cdxfuzz::kDate, "2027" + std::to_string(1000 + i % 1200).substr(0, 4));
        records.Set(recno, cdxfuzz::kDescript, "changed " + std::to_string(i));
        records.Set(recno, cdxfuzz::kName, std::string(230, static_cast<char>('z' - i % 26)));
        records.SetDeleted(recno, i % 4 == 1);
        if (!index->UpdateRecord(recno, append ? nullptr : &before, *records.Record(recno)).ok()) {
            return false;
        }
    }
    if (!index->Flush().ok()) {
        return false;
    }
    index.reset();
    std::vector<char> bytes = fs.Contents("/seed.cdx");
    if (seed.foreignHeaders) {
        MarkHeadersForeign(bytes);
    }
    std::ofstream out(directory + "/" + seed.name + ".cdx", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

TagSpec Tag(const char* name, const char* key, const char* condition = "", bool unique = false,
            bool descending = false) {
    return TagSpec{name, key, condition, unique, descending};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cdx_seeds OUTPUT_DIRECTORY\n");
        return 1;
    }
    const std::vector<TagSpec> task = {Tag("DATETIME", "DATE+TIME", "not Deleted()"),
                                       Tag("DESCRIPT", "upper(DESCRIPT)"), Tag("DONE", "DONE"),
                                       Tag("KEYS", "upper(KEYS)"),
                                       Tag("PRIORITY", "upper(PRIORITY)+DATE+TIME")};
    const Seed seeds[] = {
        {"empty", 0, {}},
        {"task", 30, task},
        {"task_upkept", 20, task, 40},
        {"conditions",
         40,
         {Tag("OPEN", "DATE+TIME", "not DONE"), Tag("QTY", "QTY", "QTY > 0", false, true),
          Tag("UNIQ", "upper(DESCRIPT)", "", true), Tag("BORN", "BORN", "", false, true),
          Tag("HOME", "upper(KEYS)", "'HOME' $ upper(KEYS)", true, true)}},
        {"deep", 40, {Tag("NAME", "NAME"), Tag("NAMED", "NAME", "", false, true)}},
        {"deep_upkept", 12, {Tag("NAME", "NAME", "not Deleted()")}, 30},
        {"numbers", 300, {Tag("QTY", "QTY"), Tag("BORN", "BORN", "", true)}},
        {"foreign",
         30,
         {Tag("ID", "ID"), Tag("STAMP", "STAMP", "", false, true), Tag("QTY", "QTY+1"),
          Tag("DATETIME", "DATE+TIME", "not Deleted()")},
         0,
         true},
    };
    for (const Seed& seed : seeds) {
        if (!Write(argv[1], seed)) {
            std::fprintf(stderr, "cdx_seeds: could not write %s\n", seed.name.c_str());
            return 1;
        }
    }
    return 0;
}
