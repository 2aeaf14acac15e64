// Shared by the report tests: a text measure of fixed width, a task file holding every kind of
// field text a row can show, and the task store opened on it in date-and-time order.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "report/export/text_measure.h"
#include "rtl/format_settings.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace report_test {

// Every byte is 6 pixels wide: HTML notes wrap at 64 characters, RTF at 48, text at 34.
class FixedMeasure : public report::TextMeasure {
  public:
    int TextWidth(std::string_view text) const override {
        return 6 * static_cast<int>(text.size());
    }
};

inline constexpr char kFifty[] = "12345678901234567890123456789012345678901234567890";
inline constexpr char kWrapNote[] =
    "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu";

// In date-and-time order: all texts empty with a note of empty lines; a full-width description,
// a long date and a blank-only note; Windows-1252 letters, done, a one-line note; markup
// characters in the description and a note with an empty line; a note that wraps.
inline std::vector<store_test::Task> EveryKindOfTask() {
    return {
        {"", "", "", "\r\n\r\n", false, "", ""},
        {"20270105", "13:05", kFifty, "   ", false, "", "a"},
        {"20270210", "00:00", "Caf\xE9 cr\xE8me \x80 5", "Call back", true, "", "B"},
        {"20270301", "", "Buy <milk> & {eggs} \\ now", "First\r\n\r\nThird <b>{x}\\\r\n", false, "",
         "C"},
        {"20270402", "09:30", "Wrap", kWrapNote, false, "", "A"},
    };
}

// A task file in a temporary folder, opened through the task store with deleted tasks hidden,
// under the internal formats with English names, January's short name made long.
class ReportStoreTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        saved_ = rtl::CurrentFormats();
        rtl::FormatSettings formats = rtl::DefaultFormatSettings();
        formats.shortMonthNames[0] = "Janvier\xE9t\xE9";
        rtl::SetCurrentFormats(formats);
    }
    void TearDown() override {
        store_.reset();
        rtl::SetCurrentFormats(saved_);
        StoreTest::TearDown();
    }

    // Writes QUILX.DBF with its tags and opens it in date-and-time order.
    void OpenTasks(const std::vector<store_test::Task>& tasks) {
        MakeTaskFile(store::kTaskTableName, tasks, true);
        store_ = std::make_unique<store::TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        store_->EngineEnv1.SetDeleted(true);
        ASSERT_TRUE(store_->OpenTaskTable(false));
    }
    store::TTaskStore& Store() { return *store_; }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // Lines joined as the exports write them, each ended by CR LF.
    static std::string Lines(const std::vector<std::string>& lines) {
        std::string out;
        for (const std::string& line : lines) {
            out += line + "\r\n";
        }
        return out;
    }

  private:
    rtl::FormatSettings saved_;
    std::unique_ptr<store::TTaskStore> store_;
};

}  // namespace report_test
