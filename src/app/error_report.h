// Message boxes and the default report of an error that leaves a handler. Qt carries no
// exception out of a slot, so every handler runs through CallReported. Tests install a
// MessageRecorder, which takes the boxes' place: no test ever waits on a modal dialog.
#pragma once

#include <QString>

#include <exception>
#include <utility>
#include <vector>

namespace zenta {

enum class MessageIcon { None, Information, Warning, Error, Question };

// A modal box with the text, one button "确定" and the caption "Zenta".
void ShowMessage(const QString& text, MessageIcon icon = MessageIcon::None);

// A modal box with the question, the buttons "是" and "否" and the caption "Zenta"; true for "是".
bool AskQuestion(const QString& text);

// The default report: the error's text, with a full stop added when it lacks one, and an
// error icon. The event ends there; the program goes on.
void ReportError(const std::exception& error);

// Runs a handler; an error leaving it gets the default report.
template <typename Handler>
void CallReported(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ReportError(error);
    }
}

// While one exists, boxes are recorded here instead of being shown.
class MessageRecorder {
public:
    struct Message {
        QString text;
        MessageIcon icon;
    };

    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<Message> messages;
    // What AskQuestion answers; the question is recorded with the icon Question.
    bool answer = true;
};

}  // namespace zenta
