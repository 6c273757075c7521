<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>kvt::gui::BusyWindow</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>kvt::gui::CClose</name>
    <message>
        <source>提示</source>
        <translation>Prompt</translation>
    </message>
    <message>
        <source>配置已更改，是否保存配置？</source>
        <translation>The configuration has changed. Save it?</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>kvt::gui::CDevice</name>
    <message>
        <source>选择设备</source>
        <translation>Select Device</translation>
    </message>
    <message>
        <source>参数配置方式：</source>
        <translation>Configuration mode:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>kvt::gui::CLoad</name>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>下载并保存</source>
        <translation>Download and Save</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>写入后校验</source>
        <translation>Verify after writing</translation>
    </message>
    <message>
        <source>设备读回的配置与写入的不同：</source>
        <translation>The configuration read back from the device differs from what was written:</translation>
    </message>
    <message>
        <source>%1：写入 %2，读回 %3</source>
        <translation>%1: written %2, read %3</translation>
    </message>
</context>
<context>
    <name>kvt::gui::CMyPropertyPage2</name>
    <message>
        <source>注意：网络名称不可超过20个字符！</source>
        <translation>Note: the network name may not exceed 20 characters!</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>Network Settings</translation>
    </message>
</context>
<context>
    <name>kvt::gui::CMyPropertyPage7</name>
    <message>
        <source>注意：密码不可超过20个字符！</source>
        <translation>Note: a password may not exceed 20 characters!</translation>
    </message>
    <message>
        <source>用户密码</source>
        <translation>User password</translation>
    </message>
    <message>
        <source>确认密码</source>
        <translation>Confirm password</translation>
    </message>
    <message>
        <source>管理员密码</source>
        <translation>Admin password</translation>
    </message>
    <message>
        <source>密码设置</source>
        <translation>Password Settings</translation>
    </message>
</context>
<context>
    <name>kvt::gui::CMyPropertyPage8</name>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>自动报告目标</source>
        <translation>Report target</translation>
    </message>
    <message>
        <source>：</source>
        <translation>:</translation>
    </message>
    <message>
        <source>(1～65535)</source>
        <translation>(1~65535)</translation>
    </message>
    <message>
        <source>自动报告周期</source>
        <translation>Report period</translation>
    </message>
    <message>
        <source>(1～7200)</source>
        <translation>(1~7200)</translation>
    </message>
    <message>
        <source>IP地址报告</source>
        <translation>IP Address Report</translation>
    </message>
</context>
<context>
    <name>kvt::gui::CMyPropertyPage9</name>
    <message>
        <source>获得IP地址方式</source>
        <translation>How the IP address is obtained</translation>
    </message>
    <message>
        <source>使用PC配置软件设置</source>
        <translation>Set by the PC configuration tool</translation>
    </message>
    <message>
        <source>使用串口（UART）设置</source>
        <translation>Set by the host over the serial port (UART)</translation>
    </message>
    <message>
        <source>【注：选择此功能后必须向串口发送正确的初始化报文才能启动以太网接口！】</source>
        <translation>[Note: with this option the host must send a correct initialisation message over the serial port before the Ethernet interface starts!]</translation>
    </message>
    <message>
        <source>Ethernet/IP连接参数</source>
        <translation>Ethernet/IP Connection Parameters</translation>
    </message>
    <message>
        <source>后台参数</source>
        <translation>Advanced Parameters</translation>
    </message>
</context>
<context>
    <name>kvt::gui::CRQ_880Dlg</name>
    <message>
        <source>导出设备列表(CSV)...</source>
        <translation>Export Device List (CSV)...</translation>
    </message>
    <message>
        <source>所选语言将在下次启动本程序时使用。</source>
        <translation>The chosen language is used from the next start of the program.</translation>
    </message>
    <message>
        <source>网卡：%1</source>
        <translation>Interface: %1</translation>
    </message>
    <message>
        <source>该设备尚无IP地址（0.0.0.0），无法连接</source>
        <translation>This device has no IP address yet (0.0.0.0): it cannot be connected to</translation>
    </message>
</context>
<context>
    <name>kvt::gui::DownloadWarnings</name>
    <message>
        <source>下载前请检查以下设置：</source>
        <translation>Please check these settings before downloading:</translation>
    </message>
    <message>
        <source>继续下载</source>
        <translation>Download anyway</translation>
    </message>
    <message>
        <source>返回修改</source>
        <translation>Go back</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
</context>
<context>
    <name>kvt::gui::EnipCheckWindow</name>
    <message>
        <source>输入</source>
        <translation>input</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>output</translation>
    </message>
    <message>
        <source>配置</source>
        <translation>configuration</translation>
    </message>
    <message>
        <source>一致</source>
        <translation>match</translation>
    </message>
    <message>
        <source>不符</source>
        <translation>differs</translation>
    </message>
    <message>
        <source>不支持</source>
        <translation>not supported</translation>
    </message>
    <message>
        <source>未比较</source>
        <translation>not compared</translation>
    </message>
    <message>
        <source>设备未在 %1 上线：%2 秒内无 EtherNet/IP 应答</source>
        <translation>The device did not come online at %1: no EtherNet/IP answer within %2 s</translation>
    </message>
    <message>
        <source>设备已在 %1 上线，但 EtherNet/IP 会话失败</source>
        <translation>The device is online at %1, but the EtherNet/IP session failed</translation>
    </message>
    <message>
        <source>实例 %1 应为 %2 字节，设备报告 %3</source>
        <translation>instance %1 should be %2 bytes, the device reports %3</translation>
    </message>
    <message>
        <source>设备已在 %1 上线，EtherNet/IP 正常</source>
        <translation>The device is online at %1; EtherNet/IP OK</translation>
    </message>
    <message>
        <source>设备已在 %1 上线，EtherNet/IP 组件大小不符：%2</source>
        <translation>The device is online at %1; EtherNet/IP assembly sizes differ: %2</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>%1；正在等待设备在 %2 上线…</source>
        <translation>%1; waiting for the device at %2…</translation>
    </message>
    <message>
        <source>EtherNet/IP 检查</source>
        <translation>EtherNet/IP check</translation>
    </message>
    <message>
        <source>正在询问 %1…</source>
        <translation>Asking %1…</translation>
    </message>
    <message>
        <source>实例</source>
        <translation>Instance</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>大小(字节)</source>
        <translation>Size (bytes)</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1 应答 EtherNet/IP</source>
        <translation>%1 answers on EtherNet/IP</translation>
    </message>
    <message>
        <source>名称 %1，厂商 %2，设备类型 %3，产品代码 %4，版本 %5.%6，序列号 %7</source>
        <translation>Name %1, vendor %2, device type %3, product code %4, revision %5.%6, serial %7</translation>
    </message>
</context>
<context>
    <name>kvt::gui::GuiFlowUi</name>
    <message>
        <source>正在连接 %1…</source>
        <translation>Connecting to %1…</translation>
    </message>
    <message>
        <source>正在验证密码…</source>
        <translation>Checking the password…</translation>
    </message>
    <message>
        <source>正在读取配置…</source>
        <translation>Reading the configuration…</translation>
    </message>
    <message>
        <source>正在下载配置…</source>
        <translation>Downloading the configuration…</translation>
    </message>
    <message>
        <source>正在复位设备…</source>
        <translation>Resetting the device…</translation>
    </message>
</context>
<context>
    <name>kvt::gui::InterfaceChoice</name>
    <message>
        <source>搜索发往 %1（--broadcast），不经选择的网卡</source>
        <translation>The search goes to %1 (--broadcast), not by a chosen interface</translation>
    </message>
    <message>
        <source>搜索经由的网卡</source>
        <translation>Network interface the search goes out by</translation>
    </message>
    <message>
        <source>全部网卡</source>
        <translation>All interfaces</translation>
    </message>
</context>
<context>
    <name>kvt::gui::StatusLine</name>
    <message numerus="yes">
        <source>找到 %n 台设备</source>
        <translation>
            <numerusform>Found %n device</numerusform>
            <numerusform>Found %n devices</numerusform>
        </translation>
    </message>
    <message>
        <source>未找到设备</source>
        <translation>No device found</translation>
    </message>
    <message>
        <source>配置已下载，设备已复位</source>
        <translation>Configuration downloaded, device reset</translation>
    </message>
    <message>
        <source>配置已下载</source>
        <translation>Configuration downloaded</translation>
    </message>
    <message>
        <source>正在监听 UDP 端口 %1</source>
        <translation>Listening on UDP port %1</translation>
    </message>
    <message>
        <source>已停止监听</source>
        <translation>Listening stopped</translation>
    </message>
    <message>
        <source>端口 %1 已被占用</source>
        <translation>Port %1 is already in use</translation>
    </message>
    <message>
        <source>无法监听端口 %1</source>
        <translation>Cannot listen on port %1</translation>
    </message>
    <message>
        <source>本地端口 %1 已被占用，无法搜索</source>
        <translation>Local port %1 is already in use: cannot search</translation>
    </message>
    <message>
        <source>配置已下载，校验失败</source>
        <translation>Configuration downloaded, verification failed</translation>
    </message>
    <message>
        <source>校验失败：无法读回配置</source>
        <translation>Verification failed: the configuration could not be read back</translation>
    </message>
    <message>
        <source>配置已下载并已校验，设备已复位</source>
        <translation>Configuration downloaded and verified, device reset</translation>
    </message>
    <message>
        <source>配置已下载并已校验</source>
        <translation>Configuration downloaded and verified</translation>
    </message>
    <message numerus="yes">
        <source>列表已满：另有 %n 台设备未列出</source>
        <translation>
            <numerusform>List full: %n more device is not listed</numerusform>
            <numerusform>List full: %n more devices are not listed</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kvt::gui::ipAddrReport</name>
    <message>
        <source>IP地址报告</source>
        <translation>IP Address Report</translation>
    </message>
    <message>
        <source>UDP监听端口：</source>
        <translation>UDP listening port:</translation>
    </message>
    <message>
        <source>（1 ~ 65535）</source>
        <translation>(1 ~ 65535)</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>导出报告列表(CSV)...</source>
        <translation>Export Report List (CSV)...</translation>
    </message>
</context>
</TS>
