// Fuzz target for the compound index reader: any bytes as an index file, opened against the
// fuzzer's table, verified, walked both ways, sought, checked against a few records and
// changed through key upkeep. Must never crash or hang. Seeds: cdx_seeds.cpp.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cdx_fuzz_table.h"
#include "platform/xbase/memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    xbase::MemoryFileSystem fs;
    fs.SetContents("/f.cdx", std::vector<char>(data, data + size));
    std::unique_ptr<xbase::CompoundIndex> index;
    if (!xbase::CompoundIndex::Open(fs.Open("/f.cdx", xbase::OpenMode::kReadWrite),
                                    cdxfuzz::Table(), false, index)
             .ok()) {
        return 0;
    }
    index->Verify();
    for (int order = 1; order <= index->TagCount(); ++order) {
        auto cursor = index->NewCursor(order);
        int steps = 0;
        for (auto s = cursor->First(); s.ok() && cursor->Valid() && steps < 100000;
             s = cursor->Next()) {
            ++steps;
        }
        for (auto s = cursor->Last(); s.ok() && cursor->Valid() && steps < 200000;
             s = cursor->Prior()) {
            ++steps;
        }
        bool found = false;
        cursor->Seek("M", true, false, found);
        cursor->Seek("2026", false, false, found);
        index->KeyCount(order);
    }
    cdxfuzz::Records records = cdxfuzz::MakeRecords();
    cdxfuzz::FillRecords(records, 30);
    xbase::CheckReport report;
    index->Check(records, report);
    // Key upkeep on what was read: one change, one append, then the tree is walked again.
    auto before = records.Snapshot(3);
    records.Set(3, cdxfuzz::kDate, "20301231");
    records.Set(3, cdxfuzz::kName, "moved");
    if (index->UpdateRecord(3, &before, *records.Record(3)).ok()) {
        std::uint32_t added = records.Append({});
        records.Set(added, cdxfuzz::kDescript, "added");
        index->UpdateRecord(added, nullptr, *records.Record(added));
        index->Verify();
    }
    return 0;
}
