// Fuzz target of the memo reader: a valid table whose four memo pointers come from the
// first 16 input bytes (big-endian block numbers), with the rest of the input as its memo
// file; every memo is read, one is rewritten and all are read again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/xbase/memory_file_system.h"
#include "platform/xbase/sx.h"

namespace {

std::vector<char> MakeTable(const std::uint8_t* pointers) {
    // One memo field of width 10 and a text field: header 32 + 2*32 + 1.
    const int header = 32 + 64 + 1;
    const int length = 1 + 10 + 4;
    std::vector<char> t(header + 4 * length + 1, 0);
    t[0] = static_cast<char>(0xF5);
    t[4] = 4;
    t[8] = static_cast<char>(header);
    t[10] = static_cast<char>(length);
    std::memcpy(&t[32], "NOTE", 4);
    t[32 + 11] = 'M';
    t[32 + 16] = 10;
    std::memcpy(&t[64], "NAME", 4);
    t[64 + 11] = 'C';
    t[64 + 16] = 4;
    t[96] = 0x0D;
    for (int r = 0; r < 4; ++r) {
        char* rec = &t[header + r * length];
        std::uint32_t block = (std::uint32_t{pointers[4 * r]} << 24) |
                              (std::uint32_t{pointers[4 * r + 1]} << 16) |
                              (std::uint32_t{pointers[4 * r + 2]} << 8) | pointers[4 * r + 3];
        char text[16];
        std::snprintf(text, sizeof text, "%10u", block);
        rec[0] = ' ';
        std::memcpy(rec + 1, text, 10);
        std::memcpy(rec + 11, "name", 4);
    }
    t.back() = 0x1A;
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static xbase::MemoryFileSystem* fs = new xbase::MemoryFileSystem();  // outlives the runs
    if (size < 16) {
        return 0;
    }
    fs->SetContents("/M.DBF", MakeTable(data));
    fs->SetContents("/M.FPT", std::vector<char>(data + 16, data + size));
    sx_UseFileSystem(fs);
    if (sx_Use("/M.DBF", "M", 2, 2) != 0) {
        for (int pass = 0; pass < 2; ++pass) {
            for (int r = 1; r <= 4; ++r) {
                sx_Go(r);
                std::string memo = sx_GetMemo("NOTE");
                sx_MemDealloc(memo);
            }
            sx_Go(2);
            sx_Replace("NOTE", SxReplace::kMemo, std::string(size % 700, 'z'));
            sx_Commit();
        }
    }
    sx_CloseAll();
    return 0;
}
