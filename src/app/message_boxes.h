// The shell's message boxes: a box with the host's flags, the Yes/No question and the
// information box the commands report their failures in.
#pragma once

#include <string_view>

// Shows `text` in a box captioned `caption` with the standard style flags (buttons, icon,
// default button) and returns the result code of the button pressed (1 OK, 2 Cancel, 6 Yes,
// 7 No, ...). Texts are Windows-1252; "\r" breaks a line.
int ShowMessageBox(std::string_view text, std::string_view caption, unsigned flags);

// Asks `question` in a box captioned "Quillet" with Yes and No and the question icon
// (flags 36); true when the user pressed Yes.
bool ConfirmYesNo(std::string_view question);

// Sets the mouse cursor back to the arrow, then shows `message` in a box captioned
// "Information" with an OK button and the information icon (flags 64).
void ShowInformation(std::string_view message);
