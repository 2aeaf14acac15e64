// Damaged and foreign index files: opening, walking and checking them gives an error result,
// never a crash, a loop or a read out of bounds.
#include <gtest/gtest.h>

#include <random>

#include "cdx_test_support.h"
#include "platform/xbase/cdx_format.h"

namespace xbase {
namespace {

using cdxtest::FakeTable;
using cdxtest::OpenMem;

struct Built {
    FakeTable table{{"NAME", 'C', 20}, {"QTY", 'N', 8}};
    std::shared_ptr<std::vector<char>> bytes = std::make_shared<std::vector<char>>();
    // Tag NAME at 0x600 with a two-level tree (root first in the file after the leaves).
    Built() {
        for (int i = 0; i < 600; ++i)
            table.Append({"name" + std::to_string(i * 37 % 600), std::to_string(i)});
        std::unique_ptr<CompoundIndex> index;
        EXPECT_TRUE(CompoundIndex::Create(OpenMem(bytes), table.Table(), index).ok());
        int order = 0;
        EXPECT_TRUE(index->AddTag({"NAME", "NAME", "", false, false}, table, nullptr, order).ok());
        EXPECT_TRUE(index->AddTag({"QTY", "QTY", "", false, false}, table, nullptr, order).ok());
    }
    std::uint32_t Root(std::uint32_t header) const { return cdx::GetLE32(bytes->data() + header); }
    void Put32(std::size_t at, std::uint32_t v) { cdx::PutLE32(bytes->data() + at, v); }
    // Opens, verifies, walks and checks; answers the first failure.
    Status Use() {
        std::unique_ptr<CompoundIndex> index;
        Status s = CompoundIndex::Open(OpenMem(bytes), table.Table(), false, index);
        if (!s.ok()) {
            return s;
        }
        Status verified = index->Verify();
        for (int order = 1; order <= index->TagCount(); ++order) {
            auto c = index->NewCursor(order);
            int guard = 0;
            for (s = c->First(); s.ok() && c->Valid() && guard < 100000; s = c->Next())
                ++guard;
            EXPECT_LT(guard, 100000) << "walk did not end";
            bool found = false;
            c->Seek("name3", true, false, found);
            c->Last();
            c->Prior();
        }
        CheckReport report;
        index->Check(table, report);
        return verified;
    }
};

TEST(CdxCorrupt, SoundFileOpensAndVerifies) {
    Built b;
    EXPECT_TRUE(b.Use().ok());
}

TEST(CdxCorrupt, HeaderFaultsFailTheOpen) {
    struct Case {
        const char* what;
        std::function<void(Built&)> damage;
    } cases[] = {
        {"root pointer past the end", [](Built& b) { b.Put32(0x600, 0x7FFFFE00); }},
        {"root pointer not on a page", [](Built& b) { b.Put32(0x600, b.Root(0x600) + 3); }},
        {"root pointer into the header", [](Built& b) { b.Put32(0x600, 0); }},
        {"key length beyond any page",
         [](Built& b) {
             cdx::PutLE16(reinterpret_cast<std::uint8_t*>(b.bytes->data()) + 0x600 + 12, 300);
         }},
        {"option bit 0x10 (a page layout of its own)",
         [](Built& b) { (*b.bytes)[0x600 + 14] = 0x70; }},
        {"directory with wrong key length", [](Built& b) { (*b.bytes)[12] = 9; }},
        {"truncated file", [](Built& b) { b.bytes->resize(1500); }},
        {"key text without end",
         [](Built& b) {
             cdx::PutLE16(reinterpret_cast<std::uint8_t*>(b.bytes->data()) + 0x600 + 510, 600);
         }},
    };
    for (const Case& c : cases) {
        Built b;
        c.damage(b);
        Status s = b.Use();
        EXPECT_FALSE(s.ok()) << c.what;
        EXPECT_EQ(s.code(), ErrorCode::kCorrupt) << c.what << ": " << s.message();
    }
}

// An interior node whose child is itself, and a leaf whose right sibling points back.
TEST(CdxCorrupt, CyclesAreReportedNotFollowed) {
    {
        Built b;
        std::uint32_t root = b.Root(0x600);
        ASSERT_EQ(cdx::GetLE16(reinterpret_cast<std::uint8_t*>(b.bytes->data()) + root), 1)
            << "expected an interior root";
        // First entry's child (after the 20-byte key and the record number) -> the root.
        cdx::PutBE32(reinterpret_cast<std::uint8_t*>(b.bytes->data()) + root + 12 + 20 + 4, root);
        EXPECT_EQ(b.Use().code(), ErrorCode::kCorrupt);
    }
    {
        Built b;
        std::uint32_t root = b.Root(0x600);
        std::uint32_t first =
            cdx::GetBE32(reinterpret_cast<std::uint8_t*>(b.bytes->data()) + root + 12 + 24);
        std::uint32_t second =
            cdx::GetBE32(reinterpret_cast<std::uint8_t*>(b.bytes->data()) + root + 12 + 28 + 24);
        b.Put32(second + 8, first);  // second leaf's right sibling -> the first leaf
        std::unique_ptr<CompoundIndex> index;
        ASSERT_TRUE(CompoundIndex::Open(OpenMem(b.bytes), b.table.Table(), false, index).ok());
        auto c = index->NewCursor(1);
        Status s = c->First();
        int steps = 0;
        while (s.ok() && c->Valid() && steps < 10000) {
            s = c->Next();
            ++steps;
        }
        EXPECT_EQ(s.code(), ErrorCode::kCorrupt);
        EXPECT_LT(steps, 10000);
    }
}

// Random damage anywhere: whatever the result, every path stays inside the bytes.
TEST(CdxCorrupt, RandomDamageNeverCrashes) {
    Built pristine;
    std::mt19937 rng(2024);
    for (int round = 0; round < 300; ++round) {
        Built b;
        *b.bytes = *pristine.bytes;
        int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) {
            std::size_t at = rng() % b.bytes->size();
            (*b.bytes)[at] = static_cast<char>(rng());
        }
        b.Use();
    }
}

}  // namespace
}  // namespace xbase
