#pragma once

#include <deque>
#include <vector>

#include <QString>

#include "res/MessageBox.h"

// Answers the program's message boxes and remembers what they said.
class MessageBoxRecorder {
public:
    struct Box {
        QString Text;
        MessageBoxType Type = MB_OK;
    };

    MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    ~MessageBoxRecorder();

    // The answers, in order; IDOK (or IDYES for yes/no boxes) once they run out.
    void Answer(std::vector<DialogResult> answers);
    const std::vector<Box>& Boxes() const { return boxes_; }
    std::vector<QString> Texts() const;

private:
    std::vector<Box> boxes_;
    std::deque<DialogResult> answers_;
};
