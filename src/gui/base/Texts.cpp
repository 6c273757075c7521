#include "gui/base/Texts.h"

#include <QByteArray>
#include <QCoreApplication>

#include "core/config/DeviceTexts.h"
#include "core/text/ExtraText.h"

namespace kvt::gui {

QString uiString(std::uint32_t id) {
    const std::string text = messageTextUtf8(id);
    // An empty text has nothing to translate (and Qt would not look it up).
    if (text.empty()) return {};
    return QCoreApplication::translate("UiText", text.c_str(), QByteArray::number(id).constData());
}

QString shownValue(const Gbk& value, std::initializer_list<std::uint32_t> ids) {
    for (const std::uint32_t id : ids)
        if (value == uiText(id)) return uiString(id);
    return fromGbk(value);
}

QString deviceTitle(const CEquipment& device) {
    const QString name = shownText(nameTextId(device), device.name);
    const QString address = fromGbk(device.ipAddress);
    return name.isEmpty() ? address : QStringLiteral("%1 (%2)").arg(name, address);
}

QString captionWithDevice(const QString& caption, const CEquipment* device) {
    if (!device) return caption;
    return QStringLiteral("%1 - %2").arg(caption, deviceTitle(*device));
}

}  // namespace kvt::gui
