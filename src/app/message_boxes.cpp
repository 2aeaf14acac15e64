// The shell's message boxes on the windowing layer's standard boxes.
#include "app/message_boxes.h"

#include "platform/ui/application.h"
#include "platform/ui/message_box.h"

namespace {
constexpr unsigned kConfirmFlags = ui::kMbYesNo | ui::kMbIconQuestion;      // 36
constexpr unsigned kInformationFlags = ui::kMbOk | ui::kMbIconInformation;  // 64
}  // namespace

int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags) {
    return ui::MessageBox(text, caption, flags);
}

bool ConfirmYesNo(std::string_view question) {
    return ShowMessageBox(question, "Quillet", kConfirmFlags) == ui::kIdYes;
}

void ShowInformation(std::string_view message) {
    // A failure reported in the middle of a long operation must not leave the hourglass up.
    ui::SetScreenCursor(ui::ScreenCursor::Default);
    ShowMessageBox(message, "Information", kInformationFlags);
}
