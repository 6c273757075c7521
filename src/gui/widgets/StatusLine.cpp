#include "gui/widgets/StatusLine.h"

#include <QPainter>
#include <QStyle>

namespace kvt::gui {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("StatusLine"));
    // Takes the width the window gives; its text does not ask for more.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize StatusLine::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 20, QLabel::sizeHint().height()};
}

QSize StatusLine::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

void StatusLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(),
                          shown, foregroundRole());
}

void StatusLine::showMessage(const QString& message, QTime at) {
    m_message = message;
    setText(QStringLiteral("%1  %2").arg(at.toString(QStringLiteral("HH:mm:ss")), message));
    setToolTip(text());
    update();
}

void StatusLine::searchEnded(Outcome outcome, int rows, std::uint16_t localPort) {
    if (outcome == Outcome::SearchPortBusy)
        showMessage(tr("本地端口 %1 已被占用，无法搜索").arg(localPort));
    else if (outcome == Outcome::Done && rows > 0)
        showMessage(tr("找到 %n 台设备", nullptr, rows));
    else
        showMessage(tr("未找到设备"));
}

void StatusLine::downloadEnded(const DownloadOutcome& outcome) {
    if (!outcome.acknowledged()) return;
    const bool reset = outcome.reset == Outcome::Done;
    switch (outcome.verification) {
        case Verification::Differs:
            showMessage(tr("配置已下载，校验失败"));
            return;
        case Verification::ReadFailed:
            showMessage(tr("校验失败：无法读回配置"));
            return;
        case Verification::Verified:
            showMessage(reset ? tr("配置已下载并已校验，设备已复位") : tr("配置已下载并已校验"));
            return;
        case Verification::NotAsked:
            break;
    }
    showMessage(reset ? tr("配置已下载，设备已复位") : tr("配置已下载"));
}

void StatusLine::devicesNotListed(std::size_t count) {
    showMessage(tr("列表已满：另有 %n 台设备未列出", nullptr, static_cast<int>(count)));
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
