// Fuzz target of the table reader: the input is a table file (and, after a 0x00 0xFF 0x00
// 0xFF separator, its memo file); the engine opens it, walks every record, reads every field
// and memo, counts under a filter, then appends and packs.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/xbase/memory_file_system.h"
#include "platform/xbase/sx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static xbase::MemoryFileSystem* fs = new xbase::MemoryFileSystem();  // outlives the runs
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find(std::string_view("\x00\xFF\x00\xFF", 4));
    std::string_view table = input.substr(0, split);
    std::string_view memo =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 4);
    fs->SetContents("/F.DBF", std::vector<char>(table.begin(), table.end()));
    fs->SetContents("/F.FPT", std::vector<char>(memo.begin(), memo.end()));
    sx_UseFileSystem(fs);
    sx_SetLockTimeout(0);
    if (sx_Use("/F.DBF", "F", 2, 2) != 0) {
        int fields = sx_FieldCount();
        int visited = 0;
        for (sx_GoTop(); !sx_Eof() && visited < 2000; sx_Skip(1), ++visited) {
            for (int i = 1; i <= fields; ++i) {
                std::string name = sx_FieldName(i);
                sx_GetString(name);
                sx_GetTrimString(name);
                sx_GetDateString(name);
                sx_GetDouble(name);
                sx_GetLogical(name);
            }
        }
        sx_GoBottom();
        sx_Skip(-3);
        if (sx_Query("not Deleted() .and. RECNO() > 1") != 0) {
            sx_QueryRecCount();
        }
        sx_SetDeleted(true);
        sx_QueryRecCount();
        sx_SetDeleted(false);
        if (sx_RecCount() < 2000 && sx_AppendBlank()) {
            std::string first = sx_FieldName(1);
            sx_Replace(first, SxReplace::kText, "fuzz");
            sx_Commit();
            sx_Pack();
        }
    }
    sx_CloseAll();
    return 0;
}
