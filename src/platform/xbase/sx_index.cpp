// The index calls of the sx_* interface, with their answers while a table has no index
// open: record order only, no tags, every seek fails and leaves the cursor at the end.
#include "platform/xbase/sx.h"
#include "platform/xbase/work_area.h"

using namespace xbase;

int sx_IndexTag(std::string_view, std::string_view, std::string_view, int, bool, std::string_view) {
    if (CurrentArea() == nullptr) {
        return 0;
    }
    Fail({ErrorCode::kNotSupported, "index tags are not available"});
    return 0;
}

int sx_IndexOpen(std::string_view) {
    if (CurrentArea() == nullptr) {
        return 0;
    }
    Fail({ErrorCode::kNotSupported, "index files are not available"});
    return 0;
}

void sx_CloseIndexes() {}

bool sx_SetOrder(int order) {
    return CurrentArea() != nullptr && order == 0;
}

int sx_IndexOrd() {
    return 0;
}

int sx_TagArea(std::string_view) {
    return 0;
}

std::string sx_TagName(int) {
    return {};
}

std::string sx_IndexName(int) {
    return {};
}

std::string sx_IndexKey() {
    return {};
}

std::string sx_IndexKeyField() {
    return {};
}

std::string sx_KeyData() {
    return {};
}

bool sx_Seek(std::string_view) {
    if (WorkArea* area = CurrentArea()) {
        area->Go(0);
    }
    return false;
}

bool sx_SetScope(std::string_view, std::string_view) {
    return false;
}
