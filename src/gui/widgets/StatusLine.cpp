#include "gui/widgets/StatusLine.h"

namespace kvt::gui {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("StatusLine"));
    setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void StatusLine::showMessage(const QString& message, QTime at) {
    m_message = message;
    setText(QStringLiteral("%1  %2").arg(at.toString(QStringLiteral("HH:mm:ss")), message));
}

void StatusLine::searchEnded(Outcome outcome, int rows) {
    if (outcome == Outcome::Done && rows > 0)
        showMessage(tr("找到 %n 台设备", nullptr, rows));
    else
        showMessage(tr("未找到设备"));
}

void StatusLine::downloadEnded(Outcome write, std::optional<Outcome> reset) {
    if (write != Outcome::Done) return;
    if (reset == Outcome::Done)
        showMessage(tr("配置已下载，设备已复位"));
    else
        showMessage(tr("配置已下载"));
}

void StatusLine::listening(std::uint16_t port) {
    showMessage(tr("正在监听 UDP 端口 %1").arg(port));
}

void StatusLine::listenerStopped() {
    showMessage(tr("已停止监听"));
}

void StatusLine::portBusy(std::uint16_t port) {
    showMessage(tr("端口 %1 已被占用").arg(port));
}

void StatusLine::cannotListen(std::uint16_t port) {
    showMessage(tr("无法监听端口 %1").arg(port));
}

}  // namespace kvt::gui
