// Where the task store's words for a person go: information messages and status texts.
// The program shows them in a box and a status panel; tests record them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace store {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // An information box with an OK button; the work goes on after it.
    virtual void ShowInformation(std::string_view text) = 0;
};

class StatusSink {
  public:
    virtual ~StatusSink() = default;
    // The status panel's caption; pending window messages are processed right after.
    virtual void ShowStatus(std::string_view text) = 0;
};

// Keeps every message and status text, in order.
class RecordingSink : public MessageSink, public StatusSink {
  public:
    void ShowInformation(std::string_view text) override { messages.emplace_back(text); }
    void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }
    std::vector<std::string> messages;
    std::vector<std::string> statuses;
};

}  // namespace store
