// The table the index fuzzer opens its inputs against, shared with the seed maker so that
// every seed's tag expressions compile: the task file's fields plus a wide text, a number,
// a date, an integer and a date-time, and the records both build keys from.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "cdx_test_support.h"

namespace cdxfuzz {

using Records = xbase::cdxtest::FakeTable;

enum Field {
    kDate,
    kTime,
    kDescript,
    kNote,
    kDone,
    kKeys,
    kPriority,
    kName,
    kQty,
    kBorn,
    kId,
    kStamp
};

inline Records MakeRecords() {
    return Records({{"DATE", 'C', 8},
                    {"TIME", 'C', 5},
                    {"DESCRIPT", 'C', 50},
                    {"NOTE", 'M', 10},
                    {"DONE", 'L', 1},
                    {"KEYS", 'C', 60},
                    {"PRIORITY", 'C', 1},
                    {"NAME", 'C', 240},
                    {"QTY", 'N', 8},
                    {"BORN", 'D', 8},
                    {"ID", 'I', 4},
                    {"STAMP", 'T', 8}});
}

inline xbase::IndexTable Table() {
    return MakeRecords().Table();
}

// `count` records with duplicates, blanks, deleted records, negative numbers and both halves
// of every logical.
inline void FillRecords(Records& r, int count) {
    for (int i = 1; i <= count; ++i) {
        std::uint32_t n = r.Append({});
        char text[32];
        std::snprintf(text, sizeof text, "2026%02d%02d", 1 + i % 12, 1 + i % 28);
        if (i % 7 != 0) {
            r.Set(n, kDate, text);
            r.Set(n, kBorn, text);
        }
        std::snprintf(text, sizeof text, "%02d:%02d", i % 24, (i * 7) % 60);
        r.Set(n, kTime, text);
        r.Set(n, kDescript, "task " + std::to_string(i % 9) + (i % 2 ? " call" : " Write"));
        r.Set(n, kDone, i % 3 == 0 ? "T" : "F");
        r.Set(n, kKeys, i % 4 == 0 ? "" : "home work " + std::to_string(i % 5));
        r.Set(n, kPriority, std::string(1, static_cast<char>('A' + i % 3)));
        r.Set(n, kName, std::string(200, static_cast<char>('a' + i % 26)) + std::to_string(i));
        std::snprintf(text, sizeof text, "%8.1f", (i % 11) - 5 + (i % 10) / 10.0);
        r.Set(n, kQty, text);
        std::int32_t id = i % 5 == 0 ? -i : i * 3;
        std::string bytes(12, '\0');
        std::memcpy(bytes.data(), &id, 4);
        r.Set(n, kId, bytes.substr(0, 4));
        std::uint32_t stamp[2] = {2461000u + static_cast<std::uint32_t>(i % 17),
                                  static_cast<std::uint32_t>(i) * 1000u};
        std::memcpy(bytes.data() + 4, stamp, 8);
        r.Set(n, kStamp, i % 6 != 0 ? bytes.substr(4, 8) : std::string(8, '\0'));
        r.SetDeleted(n, i % 10 == 0);
    }
}

}  // namespace cdxfuzz
