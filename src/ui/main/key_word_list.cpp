// Building and growing the key word list.
#include "ui/main/key_word_list.h"

#include "rtl/ansi.h"
#include "store/row_order.h"
#include "store/task_file.h"

void KeyWordList::Add(std::string_view word) {
    if (!word.empty() && upper_.insert(rtl::AnsiUpperCase(word)).second) {
        words_.emplace_back(word);
    }
}

void KeyWordList::Clear() {
    words_.clear();
    upper_.clear();
}

void BreakStringIntoWords(std::string_view text, KeyWordList& list) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        list.Add(text.substr(start, end - start));
        start = end + 1;
    }
}

void BuildKeyWordList(store::TTaskStore& store, KeyWordList& list) {
    list.Clear();
    store.TodoTable.DisableControls();
    store::ForEachVisible(store.TodoTable, "KEYS",
                          [&](std::string_view keys) { BreakStringIntoWords(keys, list); });
    store.TodoTable.EnableControls();
}
