#pragma once
// Every message box of the tool goes through here, so that all of them carry the caption
// "KVT-640" and so that tests can answer them without a box being shown.
#include <QMessageBox>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace kvt::gui {

// The narrowest width at which `window`'s caption is not cut in its title bar (the title bar's
// icon and buttons included); the platform's own dialogs size themselves to their content only.
int captionWidth(const QWidget* window);
// Makes `window` at least that wide.
void fitCaption(QWidget* window);

class MessageBox {
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Icon { Information, Warning, Critical, Question };
    enum class Answer { Ok, Cancel, Yes, No };

    // What a box would have shown; textId is 0 for a free text.
    struct Shown {
        std::uint32_t textId = 0;
        QString text;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::Information;
    };
    // Replaces the box: gets what would be shown and returns the button the user "pressed".
    using Hook = std::function<Answer(const Shown&)>;

    static constexpr const char* kCaption = "KVT-640";

    // Text from the UI text table or our own message ids (>= 90000).
    static Answer show(QWidget* parent, std::uint32_t textId, Buttons buttons = Buttons::Ok,
                       Icon icon = Icon::Information);
    // A composed text (for example a message followed by a detail).
    static Answer showText(QWidget* parent, const QString& text, Buttons buttons = Buttons::Ok,
                           Icon icon = Icon::Information, std::uint32_t textId = 0);

    // Installs a hook (an empty one restores real boxes); returns the previous one.
    static Hook setHook(Hook hook);

private:
    static Answer present(QWidget* parent, const Shown& shown);
};

// Test helper: while it lives, boxes are recorded instead of shown. Answers are taken from the
// queue given to answerNext(); when it is empty the default answer is used (Ok/Yes by default,
// i.e. the first button of the box).
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void answerNext(MessageBox::Answer answer) { m_answers.push_back(answer); }
    // Used when no queued answer is left; unset means "the box's first button".
    void setDefaultAnswer(MessageBox::Answer answer) {
        m_default = answer;
        m_hasDefault = true;
    }
    const std::vector<MessageBox::Shown>& shown() const { return m_shown; }
    std::vector<std::uint32_t> ids() const;
    void clear() { m_shown.clear(); }

private:
    MessageBox::Answer answer(const MessageBox::Shown& shown);

    std::vector<MessageBox::Shown> m_shown;
    std::deque<MessageBox::Answer> m_answers;
    MessageBox::Answer m_default = MessageBox::Answer::Ok;
    bool m_hasDefault = false;
    MessageBox::Hook m_previous;
};

}  // namespace kvt::gui
