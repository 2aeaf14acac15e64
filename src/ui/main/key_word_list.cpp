// Building and growing the key word list.
#include "ui/main/key_word_list.h"

#include <algorithm>

#include "rtl/ansi.h"
#include "store/row_order.h"
#include "store/task_file.h"

// Called for every word of every task when the list is built: a word the list holds already
// (nearly every one) costs no allocation.
void KeyWordList::Add(std::string_view word) {
    if (word.empty()) {
        return;
    }
    upperWord_.assign(word);
    for (char& c : upperWord_) {
        c = rtl::AnsiUpper(c);
    }
    if (upper_.find(upperWord_) == upper_.end()) {
        upper_.insert(upperWord_);
        words_.emplace_back(word);
    }
}

void KeyWordList::Clear() {
    words_.clear();
    upper_.clear();
}

void BreakStringIntoWords(std::string_view text, KeyWordList& list) {
    std::size_t start = text.find_first_not_of(' ');
    while (start != std::string_view::npos) {
        std::size_t end = std::min(text.find(' ', start), text.size());
        list.Add(text.substr(start, end - start));
        start = text.find_first_not_of(' ', end);
    }
}

void BuildKeyWordList(store::TTaskStore& store, KeyWordList& list) {
    list.Clear();
    store.TodoTable.DisableControls();
    store::ForEachVisible(store.TodoTable, store::task_field::kKeys,
                          [&](std::string_view keys) { BreakStringIntoWords(keys, list); });
    store.TodoTable.EnableControls();
}
