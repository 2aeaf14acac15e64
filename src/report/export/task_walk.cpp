// The task set's walk and the texts of each task, read from the table's stored fields with
// the task grid's own display rules.
#include "report/export/task_walk.h"

#include <variant>

#include "store/display_fields.h"
#include "store/task_record.h"

namespace report {

namespace {

// A stored text field's value; a blank field reads as "".
std::string TextOf(const store::FieldValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    return text == nullptr ? std::string() : *text;
}

bool BooleanOf(const store::FieldValue& value) {
    const auto* flag = std::get_if<bool>(&value);
    return flag != nullptr && *flag;
}

// Puts the engine back where it stood when the walk began, however the walk ends.
class EnginePlace {
  public:
    EnginePlace(store::EngineAdaptor& engine, int cursor) : engine_(engine), cursor_(cursor) {
        engine_.GetBookmark(cursor_, record_);
    }
    ~EnginePlace() { engine_.SetToBookmark(cursor_, record_); }
    EnginePlace(const EnginePlace&) = delete;
    EnginePlace& operator=(const EnginePlace&) = delete;

  private:
    store::EngineAdaptor& engine_;
    int cursor_;
    std::int32_t record_ = 0;
};

}  // namespace

bool TaskWalk::Fail(std::string text) {
    error_ = text.empty() ? "The task table could not be read" : std::move(text);
    return false;
}

bool TaskWalk::Run(const std::function<bool(const TaskRowTexts&)>& visit, bool withNotes) {
    error_.clear();
    cancelled_ = false;
    if (!table_.Active()) {
        return Fail("The task table is not open");
    }
    namespace field = store::task_field;
    const store::TField* fields[7] = {
        table_.FieldByName(field::kDescript), table_.FieldByName(field::kDate),
        table_.FieldByName(field::kTime),     table_.FieldByName(field::kPriority),
        table_.FieldByName(field::kDone),     table_.FieldByName(field::kKeys),
        table_.FieldByName(field::kNote)};
    for (const store::TField* field : fields) {
        if (field == nullptr) {
            return Fail("The task table lacks one of its fields");
        }
    }
    store::EngineAdaptor& engine = table_.Adaptor();
    const int cursor = table_.Handle();
    auto read = [&](const store::TField* field, const store::RecordImage& image,
                    store::FieldValue& value) {
        const store::DbiResult r = engine.GetField(cursor, field->Desc().number, image, value);
        return r == store::dbi::kOk || Fail(store::EngineAdaptor::ErrorText(r));
    };

    // Counted once: the count walks the whole table, and nothing changes it during the walk.
    const bool listed = records_ != nullptr;
    const int count = listed ? static_cast<int>(records_->size()) : engine_.FilteredCount();
    const EnginePlace place(engine, cursor);
    if (const store::DbiResult r = engine.SetToBegin(cursor); r != store::dbi::kOk) {
        return Fail(store::EngineAdaptor::ErrorText(r));
    }
    store::RecordImage image;
    store::RecordProps props;
    for (int visited = 0;;) {
        // The progress lets messages through, and what they run may move the engine (a repaint
        // reading rows, the set following the grid): each step goes on from the last task.
        std::int32_t at = 0;
        if (!listed && visited > 0 && engine.GetBookmark(cursor, at) == store::dbi::kOk &&
            at != props.recordNumber) {
            engine.SetToBookmark(cursor, props.recordNumber);
        }
        store::DbiResult r = store::dbi::kEof;
        if (!listed) {
            r = engine.GetNextRecord(cursor, false, &image, &props);
        } else if (visited < count) {
            r = engine.SetToBookmark(cursor, (*records_)[static_cast<std::size_t>(visited)]);
            if (r == store::dbi::kOk) {
                r = engine.GetRecord(cursor, false, &image, &props);
            }
        }
        if (r == store::dbi::kEof) {
            return true;
        }
        if (r != store::dbi::kOk) {
            return Fail(store::EngineAdaptor::ErrorText(r));
        }
        store::FieldValue values[6];
        for (int i = 0; i < 6; ++i) {
            if (!read(fields[i], image, values[i])) {
                return false;
            }
        }
        TaskRowTexts row{TextOf(values[0]),
                         store::ShowDate(TextOf(values[1])),
                         store::ShowTime(TextOf(values[2])),
                         store::ShowPriority(TextOf(values[3])),
                         store::IsDone(BooleanOf(values[4])),
                         {},
                         TextOf(values[1]),
                         TextOf(values[2]),
                         TextOf(values[5]),
                         TextOf(values[3]),
                         props.recordNumber};
        // A note that cannot be read ends the export: a report without it would pass for whole.
        if (withNotes) {
            const store::DbiResult memo =
                engine.GetBlob(cursor, fields[6]->Desc().number, image, row.note);
            if (memo != store::dbi::kOk) {
                return Fail(store::EngineAdaptor::ErrorText(memo));
            }
        }
        if (!visit(row) || ++visited == count) {
            return true;
        }
        if (progress_ && !progress_(visited, count)) {
            cancelled_ = true;
            return false;
        }
    }
}

}  // namespace report
