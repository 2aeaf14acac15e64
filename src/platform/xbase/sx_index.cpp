// The index calls of the sx_* interface: tags of the table's compound indexes, the order in
// force, seeks and scopes. Without an open index: record order only, no tags, every seek
// fails and leaves the cursor at the end.
#include <algorithm>
#include <cctype>

#include "platform/xbase/cdx_area.h"
#include "platform/xbase/sx.h"
#include "platform/xbase/work_area.h"

using namespace xbase;

namespace {

bool Check(const Status& s) {
    if (!s) {
        Fail(s);
        return false;
    }
    return true;
}

AreaIndexes& IndexesOf(WorkArea& area) {
    if (!area.indexes) {
        area.indexes = std::make_unique<AreaIndexes>(area);
    }
    return *area.indexes;
}

AreaIndexes* CurrentIndexes() {
    WorkArea* area = CurrentArea();
    return area == nullptr ? nullptr : &IndexesOf(*area);
}

}  // namespace

int sx_IndexTag(std::string_view file, std::string_view tag, std::string_view expression,
                int option, bool descending, std::string_view condition) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return 0;
    }
    if (!Check(area->FlushBuffer())) {
        return 0;
    }
    TagSpec spec;
    spec.name = std::string(tag);
    spec.key = std::string(expression);
    spec.condition = std::string(condition);
    spec.unique = option != 0;
    spec.descending = descending;
    int order = 0;
    Engine& e = TheEngine();
    if (!Check(IndexesOf(*area).IndexTag(e.files(), std::string(file), spec, order, e.gauge))) {
        return 0;
    }
    Check(area->GoTop());
    return order;
}

int sx_IndexOpen(std::string_view file) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return 0;
    }
    int first = 0;
    if (!Check(IndexesOf(*area).OpenFile(TheEngine().files(), std::string(file), false, false,
                                         first))) {
        return 0;
    }
    return first;
}

void sx_CloseIndexes() {
    if (AreaIndexes* indexes = CurrentIndexes()) {
        indexes->CloseAll();
    }
}

bool sx_SetOrder(int order) {
    AreaIndexes* indexes = CurrentIndexes();
    return indexes != nullptr && indexes->SetOrder(order);
}

int sx_IndexOrd() {
    AreaIndexes* indexes = CurrentIndexes();
    return indexes == nullptr ? 0 : indexes->order();
}

int sx_TagArea(std::string_view tag) {
    AreaIndexes* indexes = CurrentIndexes();
    return indexes == nullptr ? 0 : indexes->TagArea(tag);
}

std::string sx_TagName(int order) {
    AreaIndexes* indexes = CurrentIndexes();
    return indexes == nullptr ? std::string() : indexes->TagName(order);
}

std::string sx_IndexName(int order) {
    AreaIndexes* indexes = CurrentIndexes();
    if (indexes == nullptr) {
        return {};
    }
    return indexes->IndexName(order == 0 ? indexes->order() : order);
}

std::string sx_IndexKey() {
    AreaIndexes* indexes = CurrentIndexes();
    const TagInfo* tag = indexes == nullptr ? nullptr : indexes->Tag(indexes->order());
    return tag == nullptr ? std::string() : tag->key;
}

// The field the key expression is built on: the table's field whose name comes first in it.
std::string sx_IndexKeyField() {
    WorkArea* area = CurrentArea();
    std::string key = sx_IndexKey();
    if (area == nullptr || key.empty()) {
        return {};
    }
    for (char& c : key) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    auto isWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    std::size_t best = std::string::npos;
    std::string field;
    for (const FieldInfo& f : area->fields()) {
        for (std::size_t at = key.find(f.name); at != std::string::npos;
             at = key.find(f.name, at + 1)) {
            bool whole = (at == 0 || !isWord(key[at - 1])) &&
                         (at + f.name.size() == key.size() || !isWord(key[at + f.name.size()]));
            if (whole && at < best) {
                best = at;
                field = f.name;
            }
            if (whole) {
                break;
            }
        }
    }
    return field;
}

std::string sx_KeyData() {
    WorkArea* area = CurrentArea();
    if (area == nullptr || !area->atRecord() || !area->indexes) {
        return {};
    }
    return area->indexes->KeyData(area->buffer(), area->recNo());
}

bool sx_Seek(std::string_view key) {
    WorkArea* area = CurrentArea();
    if (area == nullptr) {
        return false;
    }
    if (!Check(area->FlushBuffer())) {
        return false;
    }
    AreaIndexes& indexes = IndexesOf(*area);
    if (!indexes.ordered()) {
        area->Go(0);
        return false;
    }
    const Settings& settings = TheEngine().settings;
    bool found = false;
    std::uint32_t recNo = 0;
    if (!Check(indexes.Seek(key, settings.softSeek, settings.exact, found, recNo))) {
        area->Go(0);
        return false;
    }
    // Not found with soft seek off leaves the table at its end.
    Check(area->Go(found || settings.softSeek ? recNo : 0));
    if (area->atRecord() && !area->CurrentVisible()) {
        // A hidden record (deleted, or outside the filter): the next visible one in the
        // order, which is a match only when it still has the key.
        Check(area->Skip(1));
        found = found && area->atRecord() &&
                indexes.Matches(area->buffer(), area->recNo(), key, settings.exact);
        if (!found && !settings.softSeek) {
            Check(area->Go(0));
        }
    }
    return found;
}

bool sx_SetScope(std::string_view low, std::string_view high) {
    AreaIndexes* indexes = CurrentIndexes();
    if (indexes == nullptr) {
        return false;
    }
    auto bound = [](std::string_view v) {
        return v.empty() ? std::nullopt : std::optional<std::string>(std::string(v));
    };
    indexes->SetScope(bound(low), bound(high));
    return indexes->ordered();
}

int sx_IndexCheck(int budget) {
    AreaIndexes* indexes = CurrentIndexes();
    if (indexes == nullptr) {
        return -1;
    }
    bool done = false;
    CheckReport report;
    if (!Check(indexes->CheckStep(static_cast<std::uint32_t>(std::max(budget, 1)), done, report))) {
        return -1;
    }
    return !done ? 0 : report.ok() ? 1 : 2;
}
