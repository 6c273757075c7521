#include "core/text/ExtraText.h"

#include "core/text/UiText.h"

namespace kvt {

std::string messageTextUtf8(std::uint32_t id) {
    switch (id) {
        case kMsgSaveFailed:
            return "保存失败，无法写入该文件!";
        case kMsgLegacyDownload:
            return "该型号设备的配置不能下载!";
        case kMsgNotGbk:
            return "输入包含无法使用的字符!";
        case kMsgOpenFailed:
            return "文件无法读取!";
        default:
            return uiTextUtf8(id);
    }
}

Gbk messageText(std::uint32_t id) {
    return id >= 90000 ? gbk(messageTextUtf8(id)) : uiText(id);
}

}  // namespace kvt
