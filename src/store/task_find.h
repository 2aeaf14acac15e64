// Find as you type: the tasks' texts held in memory, folded, while a find is open, and the
// grid's rows narrowed to the tasks whose description, key words or note contain a text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace store {

class TTable;

// The description, key words and note of tasks, folded to upper case as the engine's UPPER
// folds them (Windows-1252 letters, accented ones included), so that a find agrees with the
// key word filter: "é" and "É" find each other, "e" and "é" do not. Folding once, when the
// texts are read, lets each keystroke compare bytes only.
class TFindTexts {
  public:
    // Sets or replaces one record's texts, Windows-1252 as stored; trailing blanks of the
    // description and key words are not part of them.
    void Put(std::int32_t record, std::string_view descript, std::string_view keys,
             std::string_view note);
    // Whether the record's texts contain `folded` (a text passed through Fold). The empty
    // text is in every record; a record never put contains no other.
    bool Contains(std::int32_t record, std::string_view folded) const;
    // The records of `records` that contain `folded`, in their order.
    std::vector<std::int32_t> Matching(const std::vector<std::int32_t>& records,
                                       std::string_view folded) const;
    // Gives back the room kept for more texts once the texts of a whole list are read.
    void ShrinkToFit();
    // The memory the texts hold, in bytes.
    std::size_t Bytes() const;

    static std::string Fold(std::string_view ansi);

  private:
    // Where one record's texts lie in text_.
    struct Slice {
        std::uint64_t at = 0;
        std::uint32_t size = 0;
    };
    std::string_view TextOf(std::int32_t record) const;

    // Each record's three texts, one after the other; a replaced record's old texts stay
    // behind unused until the find closes, as a person's edits add little.
    std::string text_;
    std::vector<Slice> slices_;  // by record number
};

// The rows a grid shows while a find is open: of the rows of the order in force (`rows`,
// record numbers in order, as TRowOrder holds them), those whose task contains the text
// sought. A task changed, added or put back while the find is open shows among them, whether
// it contains the text or not, until the next text is sought; a task deleted or filtered out
// leaves them.
class TFoundRows {
  public:
    // Reads the texts of every row's task, through the table's work area; the find starts
    // with the empty text, which every row contains.
    TFoundRows(TTable& table, const std::vector<std::int32_t>& rows);

    // Narrows `rows` to the tasks that contain `ansiText`. When the text only grew since the
    // last time and nothing changed meanwhile, only the rows found then are looked through.
    void Find(std::string_view ansiText, const std::vector<std::int32_t>& rows);
    const std::string& Text() const { return text_; }

    // The tasks changed since the text was last sought, which show whatever they hold.
    const std::vector<std::int32_t>& Changed() const { return changed_; }
    // Shows `changed` as well, those of them among `rows`: reading the list again (another
    // filter, another program's tasks) does not hide a task changed since the last text.
    void KeepShowing(const std::vector<std::int32_t>& changed,
                     const std::vector<std::int32_t>& rows);

    int Count() const { return static_cast<int>(found_.size()); }
    // 0 outside the rows.
    std::int32_t RecordAt(int row) const;
    // -1 when the record is not one of the rows.
    int RowOf(std::int32_t record) const;

    // A record was changed, appended or deleted, and `rows` already hold it where it now
    // belongs, at `orderRow` (-1 when it no longer shows). Its texts are read again; the
    // answer is the row it belongs at once taken out of these rows, -1 when it does not show.
    // Erase and Insert then move it, as with TRowOrder.
    int Place(std::int32_t record, const std::vector<std::int32_t>& rows, int orderRow);
    void Erase(int row);
    void Insert(int row, std::int32_t record);

    std::size_t Bytes() const;

  private:
    void Read(const std::vector<std::int32_t>& records);

    TTable& table_;
    TFindTexts texts_;
    std::string text_;    // sought, Windows-1252
    std::string folded_;  // the same, folded
    // found_ is exactly the rows that contain folded_: a longer text need look only there.
    bool narrowable_ = false;
    std::vector<std::int32_t> found_;
    std::vector<std::int32_t> changed_;
};

}  // namespace store
