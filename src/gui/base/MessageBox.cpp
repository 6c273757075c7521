#include "gui/base/MessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "gui/base/Texts.h"

namespace kvt::gui {

namespace {

// Only the user-interface thread shows boxes, so one plain hook suffices.
MessageBox::Hook& hookSlot() {
    static MessageBox::Hook hook;
    return hook;
}

QMessageBox::StandardButtons standardButtons(MessageBox::Buttons buttons) {
    switch (buttons) {
        case MessageBox::Buttons::Ok:
            return QMessageBox::Ok;
        case MessageBox::Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageBox::Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageBox::Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon standardIcon(MessageBox::Icon icon) {
    switch (icon) {
        case MessageBox::Icon::Information:
            return QMessageBox::Information;
        case MessageBox::Icon::Warning:
            return QMessageBox::Warning;
        case MessageBox::Icon::Critical:
            return QMessageBox::Critical;
        case MessageBox::Icon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

MessageBox::Answer firstButton(MessageBox::Buttons buttons) {
    return buttons == MessageBox::Buttons::Ok || buttons == MessageBox::Buttons::OkCancel
               ? MessageBox::Answer::Ok
               : MessageBox::Answer::Yes;
}

}  // namespace

int captionWidth(const QWidget* window) {
    // The title bar's font is the window manager's; the application's is a fair measure. The
    // icon, the three buttons and the margins take about this much beside the text.
    constexpr int kTitleBarControls = 140;
    const QFontMetrics metrics(QApplication::font());
    return metrics.horizontalAdvance(window->windowTitle()) + kTitleBarControls;
}

void fitCaption(QWidget* window) {
    window->setMinimumWidth(std::max(window->minimumWidth(), captionWidth(window)));
}

MessageBox::Answer MessageBox::show(QWidget* parent, std::uint32_t textId, Buttons buttons,
                                    Icon icon) {
    return showText(parent, uiString(textId), buttons, icon, textId);
}

MessageBox::Answer MessageBox::showText(QWidget* parent, const QString& text, Buttons buttons,
                                        Icon icon, std::uint32_t textId) {
    return present(parent, Shown{textId, text, buttons, icon});
}

MessageBox::Hook MessageBox::setHook(Hook hook) {
    return std::exchange(hookSlot(), std::move(hook));
}

MessageBox::Answer MessageBox::present(QWidget* parent, const Shown& shown) {
    if (const Hook& hook = hookSlot()) return hook(shown);
    QMessageBox box(standardIcon(shown.icon), QString::fromLatin1(kCaption), shown.text,
                    standardButtons(shown.buttons), parent);
    // A message box sets its own size from its text: a spacer across its grid keeps a short
    // message's box wide enough for the caption.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(captionWidth(&box), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            // Esc or the close box on a box without Cancel.
            return shown.buttons == Buttons::YesNo ? Answer::No
                   : shown.buttons == Buttons::Ok  ? Answer::Ok
                                                   : Answer::Cancel;
    }
}

MessageBoxRecorder::MessageBoxRecorder() {
    m_previous =
        MessageBox::setHook([this](const MessageBox::Shown& shown) { return answer(shown); });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    MessageBox::setHook(std::move(m_previous));
}

std::vector<std::uint32_t> MessageBoxRecorder::ids() const {
    std::vector<std::uint32_t> result;
    for (const auto& s : m_shown) result.push_back(s.textId);
    return result;
}

MessageBox::Answer MessageBoxRecorder::answer(const MessageBox::Shown& shown) {
    m_shown.push_back(shown);
    if (!m_answers.empty()) {
        const MessageBox::Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    return m_hasDefault ? m_default : firstButton(shown.buttons);
}

}  // namespace kvt::gui
