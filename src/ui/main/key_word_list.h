// The key word list: every distinct word of the tasks' KEYS, in order of first appearance,
// letter case ignored when telling words apart.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace store {
class TTaskStore;
}

class KeyWordList {
  public:
    // The words in order of first appearance (Windows-1252).
    const std::vector<std::string>& Words() const { return words_; }
    // Appends the word unless it is empty or the list holds it in any letter case.
    void Add(std::string_view word);
    void Clear();

  private:
    std::vector<std::string> words_;
    std::unordered_set<std::string> upper_;
    std::string upperWord_;  // the word being added, in upper case
};

// Appends each space-separated word of `text` that the list does not hold yet (Windows-1252
// letters compared without regard to case; the first spelling met stays). Only spaces
// separate words.
void BreakStringIntoWords(std::string_view text, KeyWordList& list);

// Empties the list and fills it from every task that is not deleted, done ones included, in
// the order in force, reading ahead.
void BuildKeyWordList(store::TTaskStore& store, KeyWordList& list);
