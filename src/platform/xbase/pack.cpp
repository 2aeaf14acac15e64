// Pack: the live records and their memos are written to new files beside the old ones,
// made durable, and renamed over them; an interrupted pack is finished or discarded at the
// next open, so a crash at any point leaves either the old table or the packed one.
//
// Files of a pack of T.DBF with memo T.FPT:
//   T.DBF.pack, T.FPT.pack   being written (discarded when found without T.DBF.packed)
//   T.DBF.packed             complete and durable: the commit point; from here the pack is
//                            finished: T.FPT.pack -> T.FPT, then T.DBF.packed -> T.DBF
#include <cstring>

#include "platform/xbase/byte_order.h"
#include "platform/xbase/dbf_format.h"
#include "platform/xbase/field_codec.h"
#include "platform/xbase/work_area.h"

namespace xbase {
namespace {

constexpr std::size_t kOutBytes = 256 * 1024;

bool IsMemoType(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}

std::string MemoCandidate(FileSystem& fs, const std::string& path) {
    std::string memo = MemoPathFor(path);
    if (fs.Exists(memo + ".pack") || fs.Exists(memo)) {
        return memo;
    }
    std::size_t dot = memo.find_last_of('.');
    std::string other =
        memo.substr(0, dot + 1) + (memo.compare(dot + 1, 3, "fpt") == 0 ? "FPT" : "fpt");
    return other;
}

}  // namespace

void RecoverPack(FileSystem& fs, const std::string& path) {
    std::string done = path + ".packed";
    std::string partial = path + ".pack";
    bool hasDone = fs.Exists(done);
    if (!hasDone && !fs.Exists(partial)) {
        return;
    }
    // Only with the table to ourselves: a pack that is running holds it exclusively.
    auto file = fs.Open(path, OpenMode::kReadWrite);
    if (file && !file->Lock(dbf::kOpenLockByte, 1, LockKind::kExclusive, false)) {
        return;
    }
    std::string memo = MemoCandidate(fs, path);
    if (hasDone) {
        if (fs.Exists(memo + ".pack")) {
            fs.Rename(memo + ".pack", memo);
        }
        fs.Rename(done, path);
    } else {
        fs.Remove(partial);
        fs.Remove(memo + ".pack");
    }
    fs.SyncDirectory(DirectoryOf(path));
}

Status PackTable(WorkArea& area, FileSystem& fs, const SxGaugeHook& gauge) {
    Table& table = area.table();
    if (table.shared() || !table.writable()) {
        return {ErrorCode::kOpenFailed, "a pack needs the table opened exclusively"};
    }
    if (Status s = area.FlushBuffer(); !s) {
        return s;
    }
    if (Status s = table.Sync(); !s) {
        return s;
    }
    const std::string path = table.path();
    const std::string memoPath = table.hasMemo() ? table.memo()->path() : std::string();
    const std::string partial = path + ".pack";
    const std::string done = path + ".packed";
    const std::string memoPartial = memoPath + ".pack";
    fs.Remove(partial);
    fs.Remove(done);
    if (!memoPath.empty()) {
        fs.Remove(memoPartial);
    }

    std::vector<char> header;
    if (Status s = table.ReadRawHeader(header); !s) {
        return s;
    }
    std::unique_ptr<MemoFile> memo;
    if (!memoPath.empty()) {
        if (Status s = MemoFile::Create(fs, memoPartial, table.memo()->blockSize()); !s) {
            return s;
        }
        if (Status s = MemoFile::Open(fs, memoPartial, true, false, memo); !s) {
            fs.Remove(memoPartial);
            return s;
        }
    }
    auto out = fs.Open(partial, OpenMode::kCreate);
    auto discard = [&](Status s) {
        out.reset();
        memo.reset();
        fs.Remove(partial);
        if (!memoPath.empty()) {
            fs.Remove(memoPartial);
        }
        return s;
    };
    if (!out) {
        return discard({ErrorCode::kOpenFailed, "cannot create " + partial});
    }

    const auto& fields = table.fields();
    const std::uint32_t count = table.count();
    const std::uint16_t length = table.recordLength();
    const bool binary = table.fileType() >= dbf::kTypeVfp && table.fileType() <= dbf::kTypeVfpVar;
    std::uint64_t offset = header.size();
    std::uint32_t kept = 0;
    std::vector<char> buffer;
    buffer.reserve(kOutBytes + length);
    std::vector<char> record(length);
    std::string text;
    int lastPercent = -1;
    for (std::uint32_t n = 1; n <= count; ++n) {
        const char* image = nullptr;
        if (Status s = table.Record(n, image); !s) {
            return discard(s);
        }
        if (image[0] != dbf::kDeleted) {
            std::memcpy(record.data(), image, length);
            for (const FieldInfo& f : fields) {
                if (!IsMemoType(f.type)) {
                    continue;
                }
                std::uint32_t block = 0;
                if (!ParseMemoPointer(record.data() + f.offset, f.length, binary, block)) {
                    return discard(XBASE_CORRUPT(path + ": unreadable memo pointer in record " +
                                                 std::to_string(n)));
                }
                if (Status s = table.memo()->Read(block, text); !s) {
                    return discard(s);
                }
                std::uint32_t newBlock = 0;
                if (Status s = memo->Write(text, 0, newBlock); !s) {
                    return discard(s);
                }
                PutMemoPointer(record.data() + f.offset, f.length, binary, newBlock);
            }
            buffer.insert(buffer.end(), record.begin(), record.end());
            ++kept;
            if (buffer.size() >= kOutBytes) {
                if (!out->WriteAt(offset, buffer.data(), buffer.size())) {
                    return discard({ErrorCode::kWriteFailed, "cannot write " + partial});
                }
                offset += buffer.size();
                buffer.clear();
            }
        }
        int percent = static_cast<int>(std::uint64_t{n} * 100 / count);
        if (gauge && percent != lastPercent) {
            lastPercent = percent;
            gauge(percent);
        }
    }
    buffer.push_back(dbf::kEndOfFile);
    PutLE32(header.data() + dbf::kOffRecCount, kept);
    if (!out->WriteAt(offset, buffer.data(), buffer.size()) ||
        !out->WriteAt(0, header.data(), header.size()) || !out->Sync() || (memo && !memo->Sync())) {
        return discard({ErrorCode::kWriteFailed, "cannot write " + partial});
    }
    out.reset();
    memo.reset();
    if (!fs.Rename(partial, done) || !fs.SyncDirectory(DirectoryOf(path))) {
        return discard({ErrorCode::kWriteFailed, "cannot rename " + partial});
    }
    // Committed: from here an interruption is finished by the next open.
    if ((!memoPath.empty() && !fs.Rename(memoPartial, memoPath)) || !fs.Rename(done, path)) {
        return {ErrorCode::kWriteFailed, "cannot replace " + path + " with its packed copy"};
    }
    fs.SyncDirectory(DirectoryOf(path));
    if (gauge && lastPercent != 100) {
        gauge(100);
    }
    if (Status s = area.Close(); !s) {
        return s;
    }
    std::unique_ptr<Table> reopened;
    if (Status s = Table::Open(fs, path, Access::kExclusive, reopened); !s) {
        return s;
    }
    return area.Attach(std::move(reopened));
}

}  // namespace xbase
