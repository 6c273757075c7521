#include "core/text/ExtraText.h"

namespace kvt {
namespace detail {

const std::vector<OwnText> kOwnTexts = {
    {kMsgSaveFailed, "保存失败，无法写入该文件!", "Saving failed: the file cannot be written!"},
    {kMsgLegacyDownload, "该型号设备的配置不能下载!",
     "The configuration of this device model cannot be downloaded!"},
    {kMsgNotGbk, "输入包含无法使用的字符!", "The input holds characters that cannot be used!"},
    {kMsgOpenFailed, "文件无法读取!", "The file cannot be read!"},
    {kTxtJoin, "%1%2", "%1%2"},
    {kTxtInterfaceColumn, "网络接口", "Interface"},
    {kTxtPasswordMissing, "设备需要密码，但未给出密码",
     "the device needs a password and none was given"},
    {kTxtFailedStep, "失败：%1", "failed: %1"},
    {kTxtHeldResetFailed, "设备已有该配置，但复位失败：%1",
     "held already, but the reset failed: %1"},
    {kTxtWrittenResetFailed, "已写入，但复位失败：%1", "written, but the reset failed: %1"},
    {kTxtEnipWithin, "；%1（%2 秒内）", "; %1 within %2 s"},
    {kTxtEnipCheck, "；%1", "; %1"},
    {kTxtNotSupported, "不是支持的产品", "not a supported product"},
    {kTxtAlreadyHeld, "设备已有该配置", "the device already holds it"},
    {kTxtResetToMove, "；已复位，改用 %1", "; reset to move to %1"},
    {kTxtMovesAtReset, "；下次复位后改用 %1", "; it moves to %1 at its next reset"},
    {kTxtWouldChange, "将更改 %1 个字段", "%1 field(s) would change"},
    {kTxtNothingSent, "未发送：%1", "nothing was sent: %1"},
    {kTxtAndMore, "（还有其它问题）", " (and more)"},
    {kTxtReadBackFailed, "设备已确认，但读回失败：%1",
     "acknowledged, but the read-back failed: %1"},
    {kTxtHoldsOther, "设备已确认，但有 %1 个字段与所写不同",
     "acknowledged, but the device holds something else in %1 field(s)"},
    {kTxtWrittenVerified, "已写入并核对", "written and verified"},
    {kTxtWritten, "已写入", "written"},
    {kTxtResetToo, "，已复位", ", reset"},
    {kTxtNoAnswerAt, "在 %1 搜索，无设备应答", "no device answered the search at %1"},
    {kTxtNoAnswerMac, "MAC 为 %1 的设备未应答搜索", "no device with MAC %1 answered the search"},
    {kTxtOutOfRange, "%1 超出范围 %2", "%1 is out of range %2"},
    {kTxtNotNumber, "%1 不是数字", "%1 is not a number"},
    {kTxtNotNumberRange, "%1 不是数字（只能输入数字，%2）", "%1 is not a number (digits only, %2)"},
    {kTxtTooLong, "超过 %1 个字节（一个汉字占两个字节）",
     "is longer than %1 bytes (a Chinese character takes two)"},
    {kTxtTooLongValue, "%2 超过 %1 个字节（一个汉字占两个字节）",
     "%2 is longer than %1 bytes (a Chinese character takes two)"},
    {kTxtSpace, "%1 含有空格", "%1 contains a space"},
    {kTxtNoAddress, "%1 读作空地址", "%1 is read as no address"},
    {kTxtNotAddress, "%1 不是 IPv4 地址", "%1 is not an IPv4 address"},
    {kTxtMaskNotContiguous, "%1 不是连续的子网掩码", "%1 is not a contiguous subnet mask"},
    {kTxtNetworkAddress, "%1 是其子网 %2 的网络地址", "%1 is the network address of its subnet %2"},
    {kTxtBroadcastAddress, "%1 是其子网 %2 的广播地址",
     "%1 is the broadcast address of its subnet %2"},
    {kTxtOutsideSubnet, "%1 不在子网 %2 内", "%1 is outside the subnet %2"},
    {kTxtLeavesStatic,
     "设备将放弃静态地址，改用 %1：网络中若没有 %1 服务器，设备此后将没有可知的IP地址",
     "the device leaves its static address for %1: without a %1 server on its network it has no "
     "known address afterwards"},
    {kTxtRange, "%1～%2", "%1 to %2"},
    {kTxtQuoted, "“%1”", "\"%1\""},
    {kTxtFieldIssue, "%1: %2", "%1: %2"},
    {kTxtFieldKind, "配置类型", "Configuration kind"},
    {kTxtFieldProductCode, "产品代码", "Product code"},
    {kTxtFieldFirmware, "固件版本", "Firmware version"},
    {kTxtFieldFileVersion, "文件版本", "File version"},
    {kTxtFieldReport, "IP地址报告", "IP address report"},
    {kTxtFieldReportTarget, "自动报告目标", "Report target"},
    {kTxtFieldReportPort, "自动报告端口", "Report port"},
    {kTxtFieldReportPeriod, "自动报告周期", "Report period"},
    {kTxtFieldReserved, "保留参数", "Reserved parameter"},
    {kTxtFieldAssemblies, "Ethernet/IP连接参数", "Ethernet/IP Connection Parameters"},
    {kTxtAssemblyInstance, "Assembly Instance %1", "Assembly Instance %1"},
    {kTxtDisabled, "禁用", "Disabled"},
    {kTxtEnabled, "启用", "Enabled"},
    {kTxtEmptyValue, "（空）", "(empty)"},
    {kTxtBatchSummary, "%1 行：%2 成功，%3 失败，%4 已更改，%5 已核对",
     "%1 rows: %2 succeeded, %3 failed, %4 changed, %5 verified"},
    {kTxtBatchSummaryDry, "%1 行：%2 成功，%3 失败，%4 将更改，%5 已核对",
     "%1 rows: %2 succeeded, %3 failed, %4 would change, %5 verified"},
};

const std::vector<WindowText> kWindowTexts = {
    {nullptr, "取消", "Cancel"},
    {nullptr, "提示", "Prompt"},
    {nullptr, "配置已更改，是否保存配置？", "The configuration has changed. Save it?"},
    {nullptr, "是(&Y)", "&Yes"},
    {nullptr, "否(&N)", "&No"},
    {nullptr, "选择设备", "Select Device"},
    {nullptr, "参数配置方式：", "Configuration mode:"},
    {nullptr, "确定", "OK"},
    {nullptr, "保存", "Save"},
    {nullptr, "下载", "Download"},
    {nullptr, "下载并保存", "Download and Save"},
    {nullptr, "写入后校验", "Verify after writing"},
    {nullptr, "设备读回的配置与写入的不同：",
     "The configuration read back from the device differs from what was written:"},
    {nullptr, "%1：写入 %2，读回 %3", "%1: written %2, read %3"},
    {nullptr, "注意：网络名称不可超过20个字符！",
     "Note: the network name may not exceed 20 characters!"},
    {nullptr, "网络设置", "Network Settings"},
    {nullptr, "注意：密码不可超过20个字符！", "Note: a password may not exceed 20 characters!"},
    {nullptr, "用户密码", "User password"},
    {nullptr, "确认密码", "Confirm password"},
    {nullptr, "管理员密码", "Admin password"},
    {nullptr, "密码设置", "Password Settings"},
    {nullptr, "设置", "Settings"},
    {nullptr, "启用", "Enable"},
    {nullptr, "自动报告目标", "Report target"},
    {"kvt::gui::CMyPropertyPage8", "：", ":"},
    {"kvt::gui::DownloadWarnings", "：", ": "},
    {nullptr, "(1～65535)", "(1~65535)"},
    {nullptr, "自动报告周期", "Report period"},
    {nullptr, "(1～7200)", "(1~7200)"},
    {nullptr, "IP地址报告", "IP Address Report"},
    {nullptr, "获得IP地址方式", "How the IP address is obtained"},
    {nullptr, "使用PC配置软件设置", "Set by the PC configuration tool"},
    {nullptr, "使用串口（UART）设置", "Set by the host over the serial port (UART)"},
    {nullptr, "【注：选择此功能后必须向串口发送正确的初始化报文才能启动以太网接口！】",
     "[Note: with this option the host must send a correct initialisation message over the serial "
     "port before the Ethernet interface starts!]"},
    {nullptr, "Ethernet/IP连接参数", "Ethernet/IP Connection Parameters"},
    {nullptr, "后台参数", "Advanced Parameters"},
    {nullptr, "导出设备列表(CSV)...", "Export Device List (CSV)..."},
    {nullptr, "所选语言将在下次启动本程序时使用。",
     "The chosen language is used from the next start of the program."},
    {nullptr, "网卡：%1", "Interface: %1"},
    {nullptr, "该设备尚无IP地址（0.0.0.0），无法连接",
     "This device has no IP address yet (0.0.0.0): it cannot be connected to"},
    {nullptr, "下载前请检查以下设置：", "Please check these settings before downloading:"},
    {nullptr, "继续下载", "Download anyway"},
    {nullptr, "返回修改", "Go back"},
    {nullptr, "输入", "input"},
    {nullptr, "输出", "output"},
    {nullptr, "配置", "configuration"},
    {nullptr, "一致", "match"},
    {nullptr, "不符", "differs"},
    {nullptr, "不支持", "not supported"},
    {nullptr, "未比较", "not compared"},
    {nullptr, "设备未在 %1 上线：%2 秒内无 EtherNet/IP 应答",
     "The device did not come online at %1: no EtherNet/IP answer within %2 s"},
    {nullptr, "设备已在 %1 上线，但 EtherNet/IP 会话失败",
     "The device is online at %1, but the EtherNet/IP session failed"},
    {nullptr, "实例 %1 应为 %2 字节，设备报告 %3",
     "instance %1 should be %2 bytes, the device reports %3"},
    {nullptr, "设备已在 %1 上线，EtherNet/IP 正常", "The device is online at %1; EtherNet/IP OK"},
    {nullptr, "设备已在 %1 上线，EtherNet/IP 组件大小不符：%2",
     "The device is online at %1; EtherNet/IP assembly sizes differ: %2"},
    {nullptr, "；", "; "},
    {nullptr, "%1；正在等待设备在 %2 上线…", "%1; waiting for the device at %2…"},
    {nullptr, "EtherNet/IP 检查", "EtherNet/IP check"},
    {nullptr, "正在询问 %1…", "Asking %1…"},
    {nullptr, "实例", "Instance"},
    {nullptr, "类型", "Type"},
    {nullptr, "大小(字节)", "Size (bytes)"},
    {nullptr, "结果", "Result"},
    {nullptr, "关闭", "Close"},
    {nullptr, "%1 应答 EtherNet/IP", "%1 answers on EtherNet/IP"},
    {nullptr, "名称 %1，厂商 %2，设备类型 %3，产品代码 %4，版本 %5.%6，序列号 %7",
     "Name %1, vendor %2, device type %3, product code %4, revision %5.%6, serial %7"},
    {nullptr, "正在连接 %1…", "Connecting to %1…"},
    {nullptr, "正在验证密码…", "Checking the password…"},
    {nullptr, "正在读取配置…", "Reading the configuration…"},
    {nullptr, "正在下载配置…", "Downloading the configuration…"},
    {nullptr, "正在复位设备…", "Resetting the device…"},
    {nullptr, "搜索发往 %1（--broadcast），不经选择的网卡",
     "The search goes to %1 (--broadcast), not by a chosen interface"},
    {nullptr, "搜索经由的网卡", "Network interface the search goes out by"},
    {nullptr, "全部网卡", "All interfaces"},
    {nullptr, "找到 %n 台设备", "Found %n device", "Found %n devices"},
    {nullptr, "未找到设备", "No device found"},
    {nullptr, "配置已下载，设备已复位", "Configuration downloaded, device reset"},
    {nullptr, "配置已下载", "Configuration downloaded"},
    {nullptr, "正在监听 UDP 端口 %1", "Listening on UDP port %1"},
    {nullptr, "已停止监听", "Listening stopped"},
    {nullptr, "端口 %1 已被占用", "Port %1 is already in use"},
    {nullptr, "无法监听端口 %1", "Cannot listen on port %1"},
    {nullptr, "本地端口 %1 已被占用，无法搜索", "Local port %1 is already in use: cannot search"},
    {nullptr, "配置已下载，校验失败", "Configuration downloaded, verification failed"},
    {nullptr, "校验失败：无法读回配置",
     "Verification failed: the configuration could not be read back"},
    {nullptr, "配置已下载并已校验，设备已复位",
     "Configuration downloaded and verified, device reset"},
    {nullptr, "配置已下载并已校验", "Configuration downloaded and verified"},
    {nullptr, "列表已满：另有 %n 台设备未列出", "List full: %n more device is not listed",
     "List full: %n more devices are not listed"},
    {nullptr, "UDP监听端口：", "UDP listening port:"},
    {nullptr, "（1 ~ 65535）", "(1 ~ 65535)"},
    {nullptr, "开始", "Start"},
    {nullptr, "结束", "Stop"},
    {nullptr, "导出报告列表(CSV)...", "Export Report List (CSV)..."},
};

}  // namespace detail

std::string textUtf8(std::uint32_t id, Lang lang) {
    for (const detail::OwnText& own : detail::kOwnTexts) {
        if (own.id == id) return lang == Lang::En ? own.en : own.zh;
    }
    return uiTextUtf8(id, lang);
}

std::string messageTextUtf8(std::uint32_t id) {
    return textUtf8(id, Lang::Zh);
}

Gbk messageText(std::uint32_t id) {
    return id >= 90000 ? gbk(messageTextUtf8(id)) : uiText(id);
}

Text text(std::uint32_t id, std::vector<Text> args) {
    return Text{id, {}, std::move(args)};
}

Text literal(std::string utf8) {
    return Text{0, std::move(utf8), {}};
}

Text joined(Text first, Text second) {
    return text(kTxtJoin, {std::move(first), std::move(second)});
}

std::string render(const Text& text, Lang lang) {
    if (text.id == 0) return text.literal;
    const std::string pattern = textUtf8(text.id, lang);
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const std::size_t arg = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && arg < text.args.size()) {
            out += render(text.args[arg], lang);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace kvt
