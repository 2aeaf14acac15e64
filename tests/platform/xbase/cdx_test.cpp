// Compound index: key encodings, leaf packing, tree upkeep against a model, cursors, seeks,
// scopes, builds and the check against a table.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "cdx_test_support.h"
#include "platform/xbase/cdx_tree.h"

namespace xbase {
namespace {

using cdxtest::FakeTable;
using cdxtest::OpenMem;
using cdxtest::WalkTag;

std::string Hex(std::string_view bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02x", c);
        out += b;
    }
    return out;
}

TEST(CdxKeys, NumericBytesSortLikeValues) {
    std::vector<double> values = {-1e300, -12345.5, -3,  -1, -0.5, -1e-300, 0,
                                  -0.0,   1e-300,   0.5, 1,  3,    12.5,    1e300};
    std::mt19937 rng(7);
    std::shuffle(values.begin(), values.end(), rng);
    std::vector<std::pair<std::string, double>> encoded;
    for (double v : values) {
        encoded.emplace_back(EncodeNumericKey(v), v);
    }
    std::sort(encoded.begin(), encoded.end());
    for (std::size_t i = 1; i < encoded.size(); ++i) {
        EXPECT_LE(encoded[i - 1].second, encoded[i].second) << i;
    }
    for (double v : values) {
        EXPECT_EQ(DecodeNumericKey(EncodeNumericKey(v)), v == 0 ? 0.0 : v);
    }
    // Minus zero is zero, not a number below every negative one.
    EXPECT_EQ(EncodeNumericKey(-0.0), EncodeNumericKey(0.0));
    EXPECT_EQ(Hex(EncodeNumericKey(0)), "8000000000000000");
    EXPECT_EQ(Hex(EncodeNumericKey(12.5)), "c029000000000000");
    EXPECT_EQ(Hex(EncodeNumericKey(-3)), "3ff7ffffffffffff");
    EXPECT_EQ(Hex(EncodeDateKey(2451544)), "c142b42c00000000");
}

TEST(CdxKeys, KeysAsText) {
    EXPECT_EQ(KeyToText(KeyType::kCharacter, "SMITH     "), "SMITH");
    EXPECT_EQ(KeyToText(KeyType::kNumeric, EncodeNumericKey(-3.25)), "-3.25");
    EXPECT_EQ(KeyToText(KeyType::kDate, EncodeDateKey(2451545)), "20000101");
    EXPECT_EQ(KeyToText(KeyType::kDate, EncodeDateKey(0)), "");
    EXPECT_EQ(KeyToText(KeyType::kLogical, EncodeLogicalKey(true)), "T");
}

cdx::Node MakeLeaf(std::uint16_t keyLength,
                   const std::vector<std::pair<std::string, std::uint32_t>>& e) {
    cdx::Node n;
    n.keyLength = keyLength;
    n.attributes = cdx::node::kAttrLeaf | cdx::node::kAttrRoot;
    for (const auto& [k, r] : e) {
        std::string key = k;
        key.resize(keyLength, ' ');
        n.Insert(n.Count(), reinterpret_cast<const std::uint8_t*>(key.data()), r, 0);
    }
    return n;
}

// The three-key leaf every compact index reader understands: exact bytes.
TEST(CdxLeaf, PacksSharedPrefixesAndTrailingBlanksLikeTheFormat) {
    cdx::Node n = MakeLeaf(10, {{"JONES", 2}, {"SMITH", 1}, {"SMITHSON", 3}});
    cdx::Page page;
    cdx::EncodeLeaf(n, 0, n.Count(), ' ', page);
    std::string bytes(reinterpret_cast<const char*>(page.data()), page.size());
    EXPECT_EQ(Hex(bytes.substr(0, 24)), "03000300ffffffffffffffffd201ffff00000f0f10040403");
    EXPECT_EQ(Hex(bytes.substr(24, 9)), "020050010050030025");
    EXPECT_EQ(bytes.substr(0x1f3), "SONSMITHJONES");

    cdx::Node back;
    ASSERT_TRUE(cdx::DecodeNode(page, 0x400, 10, ' ', back).ok());
    ASSERT_EQ(back.Count(), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Key(2)), 10), "SMITHSON  ");
    EXPECT_EQ(back.recnos, (std::vector<std::uint32_t>{2, 1, 3}));
}

TEST(CdxLeaf, RoundTripsAwkwardKeysAndWidensEntriesForLargeRecordNumbers) {
    std::mt19937 rng(3);
    for (std::uint16_t kl : {1, 8, 13, 50, 240}) {
        std::vector<std::pair<std::string, std::uint32_t>> entries;
        for (int i = 0; i < 200; ++i) {
            std::string k(rng() % (kl + 1), 'A');
            for (char& c : k) {
                c = static_cast<char>("AAB \x01\xff"[rng() % 6]);
            }
            entries.emplace_back(k,
                                 static_cast<std::uint32_t>(rng() % 3 == 0 ? rng() : rng() % 100));
        }
        cdx::Node all = MakeLeaf(kl, entries);
        std::vector<std::size_t> idx(all.Count());
        for (std::size_t i = 0; i < idx.size(); ++i)
            idx[i] = i;
        std::sort(idx.begin(), idx.end(), [&](auto a, auto b) {
            int c = std::memcmp(all.Key(a), all.Key(b), kl);
            return c != 0 ? c < 0 : all.recnos[a] < all.recnos[b];
        });
        cdx::Node sorted;
        sorted.keyLength = kl;
        sorted.attributes = all.attributes;
        for (std::size_t i : idx)
            sorted.Insert(sorted.Count(), all.Key(i), all.recnos[i], 0);
        for (std::size_t from = 0; from < sorted.Count();) {
            std::size_t fit = cdx::LeafFitCount(sorted, from, ' ');
            ASSERT_GT(fit, 0u);
            cdx::Page page;
            cdx::EncodeLeaf(sorted, from, fit, ' ', page);
            cdx::Node back;
            ASSERT_TRUE(cdx::DecodeNode(page, 0x400, kl, ' ', back).ok());
            ASSERT_EQ(back.Count(), fit);
            for (std::size_t i = 0; i < fit; ++i) {
                ASSERT_EQ(std::memcmp(back.Key(i), sorted.Key(from + i), kl), 0) << kl;
                ASSERT_EQ(back.recnos[i], sorted.recnos[from + i]);
            }
            // The free count must agree with the bytes actually used.
            std::size_t free = cdx::GetLE16(page.data() + cdx::leaf::kFree);
            std::size_t e = page[cdx::leaf::kEntryBytes];
            EXPECT_LE(free + cdx::leaf::kEntries + fit * e, cdx::kPageSize);
            from += fit;
        }
    }
}

// A table with the task file's shape, enough for keys of every type.
FakeTable TaskTable() {
    return FakeTable({{"DATE", 'C', 8},
                      {"TIME", 'C', 5},
                      {"DESCRIPT", 'C', 50},
                      {"DONE", 'L', 1},
                      {"KEYS", 'C', 60},
                      {"PRIORITY", 'C', 1},
                      {"AMOUNT", 'N', 10},
                      {"DUE", 'D', 8}});
}

struct Fixture {
    FakeTable table = TaskTable();
    std::shared_ptr<std::vector<char>> bytes = std::make_shared<std::vector<char>>();
    std::unique_ptr<CompoundIndex> index;

    Fixture() { EXPECT_TRUE(CompoundIndex::Create(OpenMem(bytes), table.Table(), index).ok()); }
    int Add(TagSpec spec) {
        int order = 0;
        Status s = index->AddTag(spec, table, nullptr, order);
        EXPECT_TRUE(s.ok()) << s.message();
        return order;
    }
    void Reopen() {
        ASSERT_TRUE(index->Flush().ok());
        index.reset();
        Status s = CompoundIndex::Open(OpenMem(bytes), table.Table(), false, index);
        ASSERT_TRUE(s.ok()) << s.message();
    }
    // Changes one field of a record and keeps the index up to date, as the engine does.
    void Change(std::uint32_t recno, std::size_t field, const std::string& value) {
        auto before = table.Snapshot(recno);
        table.Set(recno, field, value);
        auto after = table.Snapshot(recno);
        Status s = index->UpdateRecord(recno, &before, after);
        ASSERT_TRUE(s.ok()) << s.message();
    }
    std::uint32_t Append(const std::vector<std::string>& values) {
        std::uint32_t r = table.Append(values);
        auto after = table.Snapshot(r);
        EXPECT_TRUE(index->UpdateRecord(r, nullptr, after).ok());
        return r;
    }
    void ExpectConsistent() {
        CheckReport report;
        ASSERT_TRUE(index->Check(table, report).ok());
        EXPECT_TRUE(report.ok()) << report.missing << " missing, " << report.extra << " extra, "
                                 << report.misordered << " misordered, "
                                 << (report.problems.empty() ? "" : report.problems[0].detail);
        EXPECT_TRUE(index->Verify().ok());
    }
};

std::string RandomWord(std::mt19937& rng, int maxLen) {
    std::string w(1 + rng() % maxLen, 'a');
    for (char& c : w)
        c = static_cast<char>('a' + rng() % 4);
    return w;
}

// Many appends and changes, one key kept per record: the tag must always equal the model.
TEST(CdxTree, RandomUpkeepMatchesAModel) {
    Fixture f;
    int order = f.Add({"DESCRIPT", "upper(DESCRIPT)", "", false, false});
    std::mt19937 rng(11);
    std::multiset<std::pair<std::string, std::uint32_t>> model;
    std::map<std::uint32_t, std::string> keyOf;
    auto upper = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    for (int step = 0; step < 6000; ++step) {
        if (keyOf.empty() || rng() % 3 != 0) {
            std::string w = RandomWord(rng, 40);
            std::uint32_t r = f.Append({"", "", w});
            keyOf[r] = upper(w);
        } else {
            std::uint32_t r = 1 + rng() % f.table.RecordCount();
            std::string w = rng() % 2 ? RandomWord(rng, 40) : "";
            f.Change(r, 2, w);
            keyOf[r] = upper(w);
        }
    }
    for (auto& [r, k] : keyOf)
        model.insert({k, r});
    auto walked = WalkTag(*f.index, order);
    ASSERT_EQ(walked.size(), model.size());
    std::size_t i = 0;
    for (const auto& [k, r] : model) {
        ASSERT_EQ(walked[i].second, k) << i;
        ASSERT_EQ(walked[i].first, r) << i;
        ++i;
    }
    f.ExpectConsistent();
    // Backwards gives the same entries reversed.
    auto cursor = f.index->NewCursor(order);
    std::size_t back = walked.size();
    for (Status s = cursor->Last(); s.ok() && cursor->Valid(); s = cursor->Prior()) {
        ASSERT_GT(back, 0u);
        --back;
        ASSERT_EQ(cursor->RecNo(), walked[back].first);
    }
    EXPECT_EQ(back, 0u);
    f.Reopen();
    EXPECT_EQ(WalkTag(*f.index, order), walked);
}

// Removing every key again must leave a sound, empty tag whose pages went back to the free
// list and are used again.
TEST(CdxTree, EmptyingATagFreesItsPagesForReuse) {
    Fixture f;
    int order = f.Add({"KEYS", "KEYS", "", false, false});
    for (int i = 0; i < 3000; ++i)
        f.Append({"", "", "", "", "word" + std::to_string(i * 7919 % 3000)});
    for (std::uint32_t r = 1; r <= 3000; ++r)
        f.Change(r, 4, "");
    f.ExpectConsistent();
    for (std::uint32_t r = 1; r <= 3000; ++r)
        f.Change(r, 4, "longer key " + std::to_string(r));
    f.index->Flush();
    std::size_t grown = f.bytes->size();
    // Every key goes, then as many come back: the freed pages must be used again.
    for (std::uint32_t r = 1; r <= 3000; ++r)
        f.Change(r, 4, "");
    f.ExpectConsistent();
    EXPECT_EQ(f.index->KeyCount(order), 3000u);
    for (std::uint32_t r = 1; r <= 3000; ++r)
        f.Change(r, 4, "again" + std::to_string(r));
    f.index->Flush();
    EXPECT_LE(f.bytes->size(), grown + 4 * cdx::kPageSize);
    EXPECT_EQ(f.index->KeyCount(order), 3000u);
    f.ExpectConsistent();
}

TEST(CdxTree, BuildAndInsertGiveTheSameOrder) {
    Fixture f;
    std::mt19937 rng(5);
    for (int i = 0; i < 4000; ++i) {
        f.table.Append({std::to_string(20260000 + rng() % 400), "", RandomWord(rng, 30),
                        rng() % 2 ? "T" : "F", "", std::string(1, "ABC"[rng() % 3]),
                        std::to_string(int(rng() % 2000) - 1000)});
    }
    int built = f.Add({"PRI", "upper(PRIORITY)+DATE+TIME", "", false, false});
    int amount = f.Add({"AMOUNT", "AMOUNT", "", false, false});
    auto expectedBuilt = WalkTag(*f.index, built);
    auto expectedAmount = WalkTag(*f.index, amount);
    ASSERT_EQ(expectedBuilt.size(), 4000u);
    for (std::size_t i = 1; i < expectedAmount.size(); ++i) {
        ASSERT_LE(std::stod(expectedAmount[i - 1].second), std::stod(expectedAmount[i].second));
    }
    // The same records fed one at a time.
    Fixture g;
    int order = g.Add({"PRI", "upper(PRIORITY)+DATE+TIME", "", false, false});
    int order2 = g.Add({"AMOUNT", "AMOUNT", "", false, false});
    for (std::uint32_t r = 1; r <= f.table.RecordCount(); ++r) {
        auto img = f.table.Snapshot(r);
        g.table.Append({});
        g.table.Set(r, 0, std::string(img.Record() + 1, 8));
        for (std::size_t fld = 1; fld < 8; ++fld) {
            const FieldInfo& fi = f.table.Table().fields[fld];
            g.table.Set(r, fld, std::string(img.Record() + fi.offset, fi.length));
        }
        ASSERT_TRUE(g.index->UpdateRecord(r, nullptr, g.table.Snapshot(r)).ok());
    }
    EXPECT_EQ(WalkTag(*g.index, order), expectedBuilt);
    EXPECT_EQ(WalkTag(*g.index, order2), expectedAmount);
    g.ExpectConsistent();
    f.ExpectConsistent();
}

TEST(CdxTags, ConditionDescendingAndUnique) {
    Fixture f;
    for (int i = 0; i < 50; ++i) {
        std::uint32_t r =
            f.table.Append({"2026010" + std::to_string(i % 5), "", "d" + std::to_string(i)});
        f.table.SetDeleted(r, i % 10 == 0);
    }
    int live = f.Add({"DATETIME", "DATE+TIME", "not Deleted()", false, false});
    int desc = f.Add({"DESC", "DATE", "", false, true});
    int uniq = f.Add({"UNIQ", "DATE", "", true, false});
    EXPECT_EQ(f.index->KeyCount(live), 45u);
    auto d = WalkTag(*f.index, desc);
    ASSERT_EQ(d.size(), 50u);
    EXPECT_EQ(d.front().second, "20260104");
    EXPECT_EQ(d.back().second, "20260100");
    auto u = WalkTag(*f.index, uniq);
    ASSERT_EQ(u.size(), 5u);
    EXPECT_EQ(u[0], (std::pair<std::uint32_t, std::string>{1, "20260100"}));
    // Deleting a record takes it out of the conditioned tag only.
    auto before = f.table.Snapshot(2);
    f.table.SetDeleted(2, true);
    ASSERT_TRUE(f.index->UpdateRecord(2, &before, f.table.Snapshot(2)).ok());
    EXPECT_EQ(f.index->KeyCount(live), 44u);
    EXPECT_EQ(f.index->KeyCount(desc), 50u);
    f.ExpectConsistent();
    f.Reopen();
    EXPECT_TRUE(f.index->Tag(desc).descending);
    EXPECT_TRUE(f.index->Tag(uniq).unique);
    EXPECT_EQ(f.index->Tag(live).condition, "not Deleted()");
    EXPECT_EQ(f.index->Tag(live).keyLength, 13);
    EXPECT_EQ(f.index->FindTag("datetime"), live);
    f.ExpectConsistent();
}

TEST(CdxSeek, ExactSoftPrefixAndDescending) {
    Fixture f;
    for (const char* d : {"20260105", "20260110", "20260110", "20260120", "        "}) {
        f.table.Append({d, "09:00"});
    }
    int order = f.Add({"DATETIME", "DATE+TIME", "", false, false});
    int desc = f.Add({"DOWN", "DATE", "", false, true});
    auto c = f.index->NewCursor(order);
    bool found = false;
    ASSERT_TRUE(c->Seek("20260110", false, false, found).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(c->RecNo(), 2u);  // the first of equal keys
    ASSERT_TRUE(c->Seek("20260110", false, true, found).ok());
    EXPECT_FALSE(found);  // exact: the key is "2026011009:00"
    EXPECT_FALSE(c->Valid());
    ASSERT_TRUE(c->Seek("20260111", true, false, found).ok());
    EXPECT_FALSE(found);
    ASSERT_TRUE(c->Valid());
    EXPECT_EQ(c->RecNo(), 4u);  // soft: the next greater key
    ASSERT_TRUE(c->Seek("2027", true, false, found).ok());
    EXPECT_FALSE(c->Valid());
    ASSERT_TRUE(c->Seek("", false, false, found).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(c->RecNo(), 5u);  // blank dates come first

    auto d = f.index->NewCursor(desc);
    ASSERT_TRUE(d->Seek("20260110", false, false, found).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(d->RecNo(), 3u);  // descending meets the later record first
    ASSERT_TRUE(d->Next().ok());
    EXPECT_EQ(d->RecNo(), 2u);
    ASSERT_TRUE(d->Seek("20260107", true, false, found).ok());
    EXPECT_FALSE(found);
    EXPECT_EQ(d->RecNo(), 1u);  // the next key in descending order
}

TEST(CdxSeek, NumericAndDateKeys) {
    Fixture f;
    for (const char* a : {"12.5", "-3", "0", "100", "-0.5"})
        f.table.Append({"", "", "", "", "", "", a});
    f.table.Set(1, 7, "19991231");
    f.table.Set(2, 7, "20000101");
    int amount = f.Add({"AMOUNT", "AMOUNT", "", false, false});
    int due = f.Add({"DUE", "DUE", "", false, false});
    auto w = WalkTag(*f.index, amount);
    std::vector<std::string> texts;
    for (auto& e : w)
        texts.push_back(e.second);
    EXPECT_EQ(texts, (std::vector<std::string>{"-3", "-0.5", "0", "12.5", "100"}));
    auto c = f.index->NewCursor(amount);
    bool found = false;
    ASSERT_TRUE(c->Seek(EncodeNumericKey(12.5), false, false, found).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(c->RecNo(), 1u);
    EXPECT_FALSE(c->Seek("short", false, false, found).ok());
    auto dw = WalkTag(*f.index, due);
    ASSERT_EQ(dw.size(), 5u);
    EXPECT_EQ(dw[3], (std::pair<std::uint32_t, std::string>{1, "19991231"}));
    EXPECT_EQ(dw[4], (std::pair<std::uint32_t, std::string>{2, "20000101"}));
}

TEST(CdxScope, MovesStayInsideTheRange) {
    Fixture f;
    for (int i = 0; i < 300; ++i)
        f.table.Append({std::to_string(20260100 + i % 30)});
    int order = f.Add({"DATE", "DATE", "", false, false});
    auto c = f.index->NewCursor(order);
    c->SetScope(std::string("20260110"), std::string("20260112"));
    int n = 0;
    for (Status s = c->First(); s.ok() && c->Valid(); s = c->Next()) {
        ASSERT_GE(c->Key(), "20260110");
        ASSERT_LE(c->Key(), "20260112");
        ++n;
    }
    EXPECT_EQ(n, 30);
    ASSERT_TRUE(c->Last().ok());
    EXPECT_EQ(c->Key(), "20260112");
    bool found = false;
    ASSERT_TRUE(c->Seek("20260120", false, false, found).ok());
    EXPECT_FALSE(found);
    c->SetScope(std::nullopt, std::string("2026010"));
    ASSERT_TRUE(c->Last().ok());
    EXPECT_EQ(c->Key(), "20260109");
}

// A cursor keeps its place while other changes reshape the tree under it.
TEST(CdxCursor, ContinuesFromItsKeyAfterChanges) {
    Fixture f;
    for (int i = 0; i < 2000; ++i)
        f.table.Append({"", "", "k" + std::to_string(10000 + i)});
    int order = f.Add({"D", "DESCRIPT", "", false, false});
    auto c = f.index->NewCursor(order);
    bool found = false;
    ASSERT_TRUE(c->Seek("k11000", false, false, found).ok());
    ASSERT_TRUE(found);
    f.Change(1001, 2, "zzz");  // the current entry moves away
    for (std::uint32_t r = 1; r <= 500; ++r)
        f.Change(r, 2, "a" + std::to_string(r));
    ASSERT_TRUE(c->Next().ok());
    EXPECT_EQ(c->Key().substr(0, 6), "k11001");
    ASSERT_TRUE(c->Prior().ok());
    EXPECT_EQ(c->Key().substr(0, 6), "k10999");
}

TEST(CdxCheck, FindsMissingExtraAndStaleKeys) {
    Fixture f;
    for (int i = 0; i < 100; ++i)
        f.table.Append({"", "", "n" + std::to_string(i)});
    f.Add({"D", "DESCRIPT", "", false, false});
    f.Add({"U", "DESCRIPT", "", true, false});
    f.ExpectConsistent();
    // Records changed behind the index's back, as after a crash between the table and index.
    f.table.Set(5, 2, "changed");
    f.table.Append({"", "", "new"});
    CheckReport report;
    ASSERT_TRUE(f.index->Check(f.table, report).ok());
    EXPECT_EQ(report.missing, 4u);  // "changed" and "new" in both tags
    EXPECT_EQ(report.extra, 2u);    // the stale "n4" of record 5 in both tags
    ASSERT_FALSE(report.problems.empty());
    EXPECT_EQ(report.problems[0].tag, "D");
    // A rebuild makes everything agree again.
    ASSERT_TRUE(f.index->Rebuild(0, f.table, nullptr).ok());
    f.ExpectConsistent();
}

TEST(CdxBuild, ReportsRisingPercentagesEndingAtHundred) {
    Fixture f;
    for (int i = 0; i < 20000; ++i)
        f.table.Append({"", "", std::to_string(i)});
    std::vector<int> seen;
    int order = 0;
    ASSERT_TRUE(f.index
                    ->AddTag(
                        {"D", "DESCRIPT", "", false, false}, f.table,
                        [&](int p) { seen.push_back(p); }, order)
                    .ok());
    ASSERT_GE(seen.size(), 5u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST(CdxTags, ReplacingAndRemovingTagsKeepsTheOthers) {
    Fixture f;
    for (int i = 0; i < 500; ++i)
        f.table.Append({"", "", "x" + std::to_string(i), "", "k" + std::to_string(i % 7)});
    f.Add({"A", "DESCRIPT", "", false, false});
    f.Add({"B", "KEYS", "", false, false});
    f.Add({"A", "KEYS", "", false, true});  // same name: replaced, now last in creation order
    ASSERT_EQ(f.index->TagCount(), 2);
    EXPECT_EQ(f.index->Tag(1).name, "B");
    EXPECT_EQ(f.index->Tag(2).name, "A");
    EXPECT_TRUE(f.index->Tag(2).descending);
    ASSERT_TRUE(f.index->RemoveTag("b").ok());
    EXPECT_EQ(f.index->RemoveTag("b").code(), ErrorCode::kBadArgument);
    f.Reopen();
    ASSERT_EQ(f.index->TagCount(), 1);
    EXPECT_EQ(f.index->Tag(1).name, "A");
    f.ExpectConsistent();
}

TEST(CdxTags, RefusesBadSpecifications) {
    Fixture f;
    int order = 0;
    EXPECT_EQ(f.index->AddTag({"", "DATE", "", false, false}, f.table, nullptr, order).code(),
              ErrorCode::kBadArgument);
    EXPECT_EQ(
        f.index->AddTag({"ELEVENCHARS", "DATE", "", false, false}, f.table, nullptr, order).code(),
        ErrorCode::kBadArgument);
    EXPECT_EQ(f.index->AddTag({"X", "NOFIELD", "", false, false}, f.table, nullptr, order).code(),
              ErrorCode::kBadExpression);
    EXPECT_EQ(f.index->AddTag({"X", "DATE", "DATE", false, false}, f.table, nullptr, order).code(),
              ErrorCode::kBadExpression);
    EXPECT_EQ(
        f.index
            ->AddTag({"X", "KEYS+KEYS+KEYS+KEYS+KEYS", "", false, false}, f.table, nullptr, order)
            .code(),
        ErrorCode::kBadArgument);
    EXPECT_EQ(f.index->TagCount(), 0);
}

// The longest keys leave room for very few entries per page: splits must still work.
TEST(CdxTree, LongestKeysSplitAndMerge) {
    FakeTable table({{"A", 'C', 240}});
    auto bytes = std::make_shared<std::vector<char>>();
    std::unique_ptr<CompoundIndex> index;
    ASSERT_TRUE(CompoundIndex::Create(OpenMem(bytes), table.Table(), index).ok());
    int order = 0;
    ASSERT_TRUE(index->AddTag({"A", "A", "", false, false}, table, nullptr, order).ok());
    std::mt19937 rng(9);
    for (int i = 0; i < 400; ++i) {
        std::string k(240, 'x');
        for (char& c : k)
            c = static_cast<char>('a' + rng() % 26);
        std::uint32_t r = table.Append({k});
        ASSERT_TRUE(index->UpdateRecord(r, nullptr, table.Snapshot(r)).ok());
    }
    for (std::uint32_t r = 1; r <= 400; r += 2) {
        auto before = table.Snapshot(r);
        table.Set(r, 0, "");
        ASSERT_TRUE(index->UpdateRecord(r, &before, table.Snapshot(r)).ok());
    }
    CheckReport report;
    ASSERT_TRUE(index->Check(table, report).ok());
    EXPECT_TRUE(report.ok());
    EXPECT_TRUE(index->Verify().ok());
    EXPECT_EQ(index->KeyCount(order), 400u);
}

// A failed read is reported as a read and a failed write as a write: the person is told
// which of the two the system refused.
TEST(CdxIndex, FailedReadsAndWritesAreReportedAsSuch) {
    FakeTable table = TaskTable();
    auto bytes = std::make_shared<std::vector<char>>();
    auto file = std::make_unique<cdxtest::MemFile>(bytes);
    cdxtest::MemFile* raw = file.get();
    std::unique_ptr<CompoundIndex> index;
    ASSERT_TRUE(CompoundIndex::Create(std::move(file), table.Table(), index).ok());
    for (int i = 0; i < 100; ++i)
        table.Append({"", "", std::to_string(i)});
    int order = 0;
    ASSERT_TRUE(index->AddTag({"D", "DESCRIPT", "", false, false}, table, nullptr, order).ok());
    // Every change is written whole as it is made: the next one meets the failure, and is
    // taken back.
    raw->FailWrites();
    table.Append({"", "", "new"});
    EXPECT_EQ(index->UpdateRecord(table.RecordCount(), nullptr, *table.Record(table.RecordCount()))
                  .code(),
              ErrorCode::kWriteFailed);

    auto unreadable = std::make_unique<cdxtest::MemFile>(bytes);
    unreadable->FailReads();
    std::unique_ptr<CompoundIndex> reopened;
    EXPECT_EQ(CompoundIndex::Open(std::move(unreadable), table.Table(), false, reopened).code(),
              ErrorCode::kReadFailed);
}

}  // namespace
}  // namespace xbase

namespace xbase {
namespace {

// Two handles on one file in shared mode, as two processes: each change is flushed with the
// change counter raised, and the other handle drops its cached pages and sees the change.
TEST(CdxSharing, AnotherHandleSeesEveryChange) {
    FakeTable table = TaskTable();
    auto bytes = std::make_shared<std::vector<char>>();
    {
        std::unique_ptr<CompoundIndex> created;
        ASSERT_TRUE(CompoundIndex::Create(OpenMem(bytes), table.Table(), created).ok());
        for (int i = 0; i < 300; ++i)
            table.Append({"", "", "old" + std::to_string(i)});
        int order = 0;
        ASSERT_TRUE(
            created->AddTag({"D", "DESCRIPT", "", false, false}, table, nullptr, order).ok());
    }
    std::unique_ptr<CompoundIndex> writer;
    std::unique_ptr<CompoundIndex> reader;
    ASSERT_TRUE(CompoundIndex::Open(OpenMem(bytes), table.Table(), true, writer).ok());
    ASSERT_TRUE(CompoundIndex::Open(OpenMem(bytes), table.Table(), true, reader).ok());
    EXPECT_EQ(cdxtest::WalkTag(*reader, 1).size(), 300u);

    std::uint32_t r = table.Append({"", "", "aaa first"});
    ASSERT_TRUE(writer->UpdateRecord(r, nullptr, table.Snapshot(r)).ok());
    auto walked = cdxtest::WalkTag(*reader, 1);
    ASSERT_EQ(walked.size(), 301u);
    EXPECT_EQ(walked.front().second, "aaa first");

    // A tag added by the other handle appears too.
    int order = 0;
    ASSERT_TRUE(writer->AddTag({"K", "KEYS", "", false, false}, table, nullptr, order).ok());
    EXPECT_EQ(reader->KeyCount(2), 301u);
    EXPECT_EQ(reader->TagCount(), 2);
}

}  // namespace
}  // namespace xbase
