// Fuzz target for the compound index reader: any bytes as an index file, opened against a
// small table, verified, walked both ways, sought and checked. Must never crash or hang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/xbase/cdx.h"
#include "platform/xbase/memory_file_system.h"

namespace {

class NoRecords final : public xbase::IndexRecords {
  public:
    std::uint32_t RecordCount() override { return 0; }
    const xbase::RecordSource* Record(std::uint32_t) override { return nullptr; }
};

xbase::IndexTable Table() {
    xbase::IndexTable t;
    xbase::FieldInfo name;
    name.name = "NAME";
    name.type = 'C';
    name.offset = 1;
    name.length = 20;
    xbase::FieldInfo qty;
    qty.name = "QTY";
    qty.type = 'N';
    qty.offset = 21;
    qty.length = 8;
    t.fields = {name, qty};
    t.alias = "T";
    t.recordLength = 29;
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    xbase::MemoryFileSystem fs;
    fs.SetContents("/f.cdx", std::vector<char>(data, data + size));
    std::unique_ptr<xbase::CompoundIndex> index;
    if (!xbase::CompoundIndex::Open(fs.Open("/f.cdx", xbase::OpenMode::kReadWrite), Table(), false,
                                    index)
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
    }
    NoRecords none;
    xbase::CheckReport report;
    index->Check(none, report);
    return 0;
}
