// A table file seen from outside a work area: its header's counts against its size, and the
// engine's table-wide lock bytes.
#include "platform/xbase/table_files.h"

#include <memory>

#include "platform/xbase/byte_order.h"
#include "platform/xbase/dbf_format.h"

namespace xbase {

bool TableLooksWhole(FileSystem& files, const std::string& path) {
    std::unique_ptr<File> table = files.Open(path, OpenMode::kReadOnly);
    std::uint8_t header[dbf::kHeaderSize];
    std::size_t got = 0;
    std::uint64_t size = 0;
    if (!table || !table->ReadAt(0, header, sizeof header, got) || got != sizeof header ||
        !table->Size(size)) {
        return false;
    }
    const std::uint64_t records = GetLE32(header + dbf::kOffRecCount);
    const std::uint64_t headerLength = GetLE16(header + dbf::kOffHeaderLength);
    const std::uint64_t recordLength = GetLE16(header + dbf::kOffRecordLength);
    return size >= headerLength + records * recordLength;
}

std::uint64_t TableOpenLockByte() {
    return dbf::kOpenLockByte;
}

std::uint64_t TableHeaderLockByte() {
    return dbf::kHeaderLockByte;
}

}  // namespace xbase
