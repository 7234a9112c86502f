#pragma once

#include "platform/MessageBoxes.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace bv {

// Message boxes of a test: every box is recorded, questions are answered from a queue (the box's
// default button when the queue is empty).
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Box
    {
        std::string text;
        std::string caption;
        MbIcon icon;
        MbButtons buttons;
    };

    using MessageBoxes::show;
    MbResult show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons,
                  MbResult defaultButton) override
    {
        boxes.push_back({text, caption, icon, buttons});
        if (onShow)
            onShow();
        if (answers.empty())
            return defaultButton;
        const MbResult answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const Box& box : boxes)
            out.push_back(box.text);
        return out;
    }

    std::vector<Box> boxes;
    std::deque<MbResult> answers;
    // Runs while a box is shown, before it is answered (what the user does meanwhile).
    std::function<void()> onShow;
};

} // namespace bv
