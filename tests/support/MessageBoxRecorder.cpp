#include "tests/support/MessageBoxRecorder.h"

MessageBoxRecorder::MessageBoxRecorder()
{
    SetMessageBoxHook([this](const QString& text, MessageBoxType type) {
        boxes_.push_back({text, type});
        if (!answers_.empty()) {
            const DialogResult answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return AsksYesNo(type) ? IDYES : IDOK;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxHook({});
}

void MessageBoxRecorder::Answer(std::vector<DialogResult> answers)
{
    answers_.assign(answers.begin(), answers.end());
}

std::vector<QString> MessageBoxRecorder::Texts() const
{
    std::vector<QString> texts;
    for (const Box& box : boxes_)
        texts.push_back(box.Text);
    return texts;
}
