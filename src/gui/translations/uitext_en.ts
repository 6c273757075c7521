<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>UiText</name>
    <message>
        <source>关于 KVT-640</source>
        <comment>1</comment>
        <translation>About KVT-640</translation>
    </message>
    <message>
        <source>KVT-640 1.0.0 版</source>
        <comment>2</comment>
        <translation>KVT-640 version 1.0.0</translation>
    </message>
    <message>
        <source>开尔瓦林工业通信 版权所有</source>
        <comment>3</comment>
        <translation>Kelvarin Industrial Communications. All rights reserved.</translation>
    </message>
    <message>
        <source>确定</source>
        <comment>4</comment>
        <translation>OK</translation>
    </message>
    <message>
        <source>自动回复开关</source>
        <comment>87</comment>
        <translation>Auto report switch</translation>
    </message>
    <message>
        <source>自动回复</source>
        <comment>89</comment>
        <translation>Auto report</translation>
    </message>
    <message>
        <source>自动回复周期</source>
        <comment>90</comment>
        <translation>Auto report period</translation>
    </message>
    <message>
        <source>自动回复IP地址</source>
        <comment>91</comment>
        <translation>Auto report IP address</translation>
    </message>
    <message>
        <source>产品名称</source>
        <comment>99</comment>
        <translation>Product name</translation>
    </message>
    <message>
        <source>指定IP地址搜索设备</source>
        <comment>101</comment>
        <translation>Search Device by IP Address</translation>
    </message>
    <message>
        <source>确定</source>
        <comment>102</comment>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <comment>103</comment>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>产品型号代码</source>
        <comment>113</comment>
        <translation>Product model code</translation>
    </message>
    <message>
        <source>固件版本号</source>
        <comment>114</comment>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>配置文件版本号</source>
        <comment>115</comment>
        <translation>Configuration file version</translation>
    </message>
    <message>
        <source>用户配置/后台配置标志</source>
        <comment>116</comment>
        <translation>User/background configuration flag</translation>
    </message>
    <message>
        <source>用户配置方式</source>
        <comment>119</comment>
        <translation>User configuration method</translation>
    </message>
    <message>
        <source>串口参数</source>
        <comment>120</comment>
        <translation>Serial port parameters</translation>
    </message>
    <message>
        <source>波特率</source>
        <comment>121</comment>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>数据位</source>
        <comment>122</comment>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <comment>123</comment>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <comment>124</comment>
        <translation>Parity</translation>
    </message>
    <message>
        <source>流控制</source>
        <comment>125</comment>
        <translation>Flow control</translation>
    </message>
    <message>
        <source>自动回复端口</source>
        <comment>127</comment>
        <translation>Auto report port</translation>
    </message>
    <message>
        <source>用户配置</source>
        <comment>170</comment>
        <translation>User configuration</translation>
    </message>
    <message>
        <source>后台配置</source>
        <comment>171</comment>
        <translation>Background configuration</translation>
    </message>
    <message>
        <source>使用PC配置软件设置</source>
        <comment>174</comment>
        <translation>Set by the PC configuration tool</translation>
    </message>
    <message>
        <source>使用串口（UART）设置</source>
        <comment>175</comment>
        <translation>Set by the host over the serial port (UART)</translation>
    </message>
    <message>
        <source>获得IP地址方式</source>
        <comment>176</comment>
        <translation>How the IP address is obtained</translation>
    </message>
    <message>
        <source>参数配置方式</source>
        <comment>177</comment>
        <translation>Parameter configuration method</translation>
    </message>
    <message>
        <source>后台配置</source>
        <comment>178</comment>
        <translation>Background configuration</translation>
    </message>
    <message>
        <source>Assembly Instance102:</source>
        <comment>185</comment>
        <translation>Assembly Instance102:</translation>
    </message>
    <message>
        <source>Assembly Instance101:</source>
        <comment>186</comment>
        <translation>Assembly Instance101:</translation>
    </message>
    <message>
        <source>Assembly Instance103:</source>
        <comment>187</comment>
        <translation>Assembly Instance103:</translation>
    </message>
    <message>
        <source>Assembly Instance112:</source>
        <comment>188</comment>
        <translation>Assembly Instance112:</translation>
    </message>
    <message>
        <source>Assembly Instance111:</source>
        <comment>189</comment>
        <translation>Assembly Instance111:</translation>
    </message>
    <message>
        <source>Assembly Instance113:</source>
        <comment>190</comment>
        <translation>Assembly Instance113:</translation>
    </message>
    <message>
        <source>Assembly Instance122:</source>
        <comment>191</comment>
        <translation>Assembly Instance122:</translation>
    </message>
    <message>
        <source>Assembly Instance121:</source>
        <comment>192</comment>
        <translation>Assembly Instance121:</translation>
    </message>
    <message>
        <source>Assembly Instance123:</source>
        <comment>193</comment>
        <translation>Assembly Instance123:</translation>
    </message>
    <message>
        <source>Ethernet/IP连接参数</source>
        <comment>194</comment>
        <translation>Ethernet/IP connection parameters</translation>
    </message>
    <message>
        <source>确定</source>
        <comment>195</comment>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <comment>196</comment>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>帮助</source>
        <comment>197</comment>
        <translation>Help</translation>
    </message>
    <message>
        <source>密码不可超过20个字符！</source>
        <comment>198</comment>
        <translation>A password may not exceed 20 characters!</translation>
    </message>
    <message>
        <source>输入数值超出范围！</source>
        <comment>199</comment>
        <translation>The value entered is out of range!</translation>
    </message>
    <message>
        <source>输入了无效数据！</source>
        <comment>200</comment>
        <translation>The data entered is not valid!</translation>
    </message>
    <message>
        <source>Modbus帧测试</source>
        <comment>1001</comment>
        <translation>Modbus frame test</translation>
    </message>
    <message>
        <source>发送</source>
        <comment>1002</comment>
        <translation>Send</translation>
    </message>
    <message>
        <source>清除</source>
        <comment>1003</comment>
        <translation>Clear</translation>
    </message>
    <message>
        <source>串口号</source>
        <comment>1004</comment>
        <translation>Serial port No.</translation>
    </message>
    <message>
        <source>从站地址</source>
        <comment>1005</comment>
        <translation>Slave address</translation>
    </message>
    <message>
        <source>功能码</source>
        <comment>1006</comment>
        <translation>Function code</translation>
    </message>
    <message>
        <source>起始地址</source>
        <comment>1007</comment>
        <translation>Start address</translation>
    </message>
    <message>
        <source>数量</source>
        <comment>1008</comment>
        <translation>Quantity</translation>
    </message>
    <message>
        <source>发送帧</source>
        <comment>1009</comment>
        <translation>Sent frame</translation>
    </message>
    <message>
        <source>接收帧</source>
        <comment>1010</comment>
        <translation>Received frame</translation>
    </message>
    <message>
        <source>超时时间</source>
        <comment>1011</comment>
        <translation>Timeout</translation>
    </message>
    <message>
        <source>发送次数</source>
        <comment>1012</comment>
        <translation>Sends</translation>
    </message>
    <message>
        <source>成功次数</source>
        <comment>1013</comment>
        <translation>Successes</translation>
    </message>
    <message>
        <source>失败次数</source>
        <comment>1014</comment>
        <translation>Failures</translation>
    </message>
    <message>
        <source>开始测试</source>
        <comment>1015</comment>
        <translation>Start test</translation>
    </message>
    <message>
        <source>停止测试</source>
        <comment>1016</comment>
        <translation>Stop test</translation>
    </message>
    <message>
        <source>数据</source>
        <comment>1017</comment>
        <translation>Data</translation>
    </message>
    <message>
        <source>校验</source>
        <comment>1018</comment>
        <translation>Checksum</translation>
    </message>
    <message>
        <source>CRC</source>
        <comment>1019</comment>
        <translation>CRC</translation>
    </message>
    <message>
        <source>LRC</source>
        <comment>1020</comment>
        <translation>LRC</translation>
    </message>
    <message>
        <source>十六进制</source>
        <comment>1021</comment>
        <translation>Hexadecimal</translation>
    </message>
    <message>
        <source>自动发送</source>
        <comment>1022</comment>
        <translation>Send automatically</translation>
    </message>
    <message>
        <source>发送间隔</source>
        <comment>1023</comment>
        <translation>Send interval</translation>
    </message>
    <message>
        <source>响应时间</source>
        <comment>1024</comment>
        <translation>Response time</translation>
    </message>
    <message>
        <source>无响应</source>
        <comment>1025</comment>
        <translation>No response</translation>
    </message>
    <message>
        <source>帧格式错误</source>
        <comment>1026</comment>
        <translation>Frame format error</translation>
    </message>
    <message>
        <source>校验错误</source>
        <comment>1027</comment>
        <translation>Checksum error</translation>
    </message>
    <message>
        <source>测试完成</source>
        <comment>1028</comment>
        <translation>Test finished</translation>
    </message>
    <message>
        <source>请输入数据</source>
        <comment>1029</comment>
        <translation>Please enter data</translation>
    </message>
    <message>
        <source>数据长度错误</source>
        <comment>1030</comment>
        <translation>Wrong data length</translation>
    </message>
    <message>
        <source>关闭</source>
        <comment>1031</comment>
        <translation>Close</translation>
    </message>
    <message>
        <source>无</source>
        <comment>2001</comment>
        <translation>No</translation>
    </message>
    <message>
        <source>流量监视</source>
        <comment>3001</comment>
        <translation>Traffic monitor</translation>
    </message>
    <message>
        <source>开始</source>
        <comment>3002</comment>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止</source>
        <comment>3003</comment>
        <translation>Stop</translation>
    </message>
    <message>
        <source>清除</source>
        <comment>3004</comment>
        <translation>Clear</translation>
    </message>
    <message>
        <source>端口</source>
        <comment>3005</comment>
        <translation>Port</translation>
    </message>
    <message>
        <source>串口1发送帧数</source>
        <comment>3006</comment>
        <translation>Serial port 1 frames sent</translation>
    </message>
    <message>
        <source>串口1接收帧数</source>
        <comment>3007</comment>
        <translation>Serial port 1 frames received</translation>
    </message>
    <message>
        <source>串口1错误帧数</source>
        <comment>3008</comment>
        <translation>Serial port 1 error frames</translation>
    </message>
    <message>
        <source>串口1超时次数</source>
        <comment>3009</comment>
        <translation>Serial port 1 timeouts</translation>
    </message>
    <message>
        <source>串口2发送帧数</source>
        <comment>3010</comment>
        <translation>Serial port 2 frames sent</translation>
    </message>
    <message>
        <source>串口2接收帧数</source>
        <comment>3011</comment>
        <translation>Serial port 2 frames received</translation>
    </message>
    <message>
        <source>串口2错误帧数</source>
        <comment>3012</comment>
        <translation>Serial port 2 error frames</translation>
    </message>
    <message>
        <source>串口2超时次数</source>
        <comment>3013</comment>
        <translation>Serial port 2 timeouts</translation>
    </message>
    <message>
        <source>串口3发送帧数</source>
        <comment>3014</comment>
        <translation>Serial port 3 frames sent</translation>
    </message>
    <message>
        <source>串口3接收帧数</source>
        <comment>3015</comment>
        <translation>Serial port 3 frames received</translation>
    </message>
    <message>
        <source>串口3错误帧数</source>
        <comment>3016</comment>
        <translation>Serial port 3 error frames</translation>
    </message>
    <message>
        <source>串口3超时次数</source>
        <comment>3017</comment>
        <translation>Serial port 3 timeouts</translation>
    </message>
    <message>
        <source>串口4发送帧数</source>
        <comment>3018</comment>
        <translation>Serial port 4 frames sent</translation>
    </message>
    <message>
        <source>串口4接收帧数</source>
        <comment>3019</comment>
        <translation>Serial port 4 frames received</translation>
    </message>
    <message>
        <source>串口4错误帧数</source>
        <comment>3020</comment>
        <translation>Serial port 4 error frames</translation>
    </message>
    <message>
        <source>串口4超时次数</source>
        <comment>3021</comment>
        <translation>Serial port 4 timeouts</translation>
    </message>
    <message>
        <source>串口5发送帧数</source>
        <comment>3022</comment>
        <translation>Serial port 5 frames sent</translation>
    </message>
    <message>
        <source>串口5接收帧数</source>
        <comment>3023</comment>
        <translation>Serial port 5 frames received</translation>
    </message>
    <message>
        <source>串口5错误帧数</source>
        <comment>3024</comment>
        <translation>Serial port 5 error frames</translation>
    </message>
    <message>
        <source>串口5超时次数</source>
        <comment>3025</comment>
        <translation>Serial port 5 timeouts</translation>
    </message>
    <message>
        <source>串口6发送帧数</source>
        <comment>3026</comment>
        <translation>Serial port 6 frames sent</translation>
    </message>
    <message>
        <source>串口6接收帧数</source>
        <comment>3027</comment>
        <translation>Serial port 6 frames received</translation>
    </message>
    <message>
        <source>串口6错误帧数</source>
        <comment>3028</comment>
        <translation>Serial port 6 error frames</translation>
    </message>
    <message>
        <source>串口6超时次数</source>
        <comment>3029</comment>
        <translation>Serial port 6 timeouts</translation>
    </message>
    <message>
        <source>串口7发送帧数</source>
        <comment>3030</comment>
        <translation>Serial port 7 frames sent</translation>
    </message>
    <message>
        <source>串口7接收帧数</source>
        <comment>3031</comment>
        <translation>Serial port 7 frames received</translation>
    </message>
    <message>
        <source>串口7错误帧数</source>
        <comment>3032</comment>
        <translation>Serial port 7 error frames</translation>
    </message>
    <message>
        <source>串口7超时次数</source>
        <comment>3033</comment>
        <translation>Serial port 7 timeouts</translation>
    </message>
    <message>
        <source>串口8发送帧数</source>
        <comment>3034</comment>
        <translation>Serial port 8 frames sent</translation>
    </message>
    <message>
        <source>串口8接收帧数</source>
        <comment>3035</comment>
        <translation>Serial port 8 frames received</translation>
    </message>
    <message>
        <source>串口8错误帧数</source>
        <comment>3036</comment>
        <translation>Serial port 8 error frames</translation>
    </message>
    <message>
        <source>串口8超时次数</source>
        <comment>3037</comment>
        <translation>Serial port 8 timeouts</translation>
    </message>
    <message>
        <source>串口9发送帧数</source>
        <comment>3038</comment>
        <translation>Serial port 9 frames sent</translation>
    </message>
    <message>
        <source>串口9接收帧数</source>
        <comment>3039</comment>
        <translation>Serial port 9 frames received</translation>
    </message>
    <message>
        <source>串口9错误帧数</source>
        <comment>3040</comment>
        <translation>Serial port 9 error frames</translation>
    </message>
    <message>
        <source>串口9超时次数</source>
        <comment>3041</comment>
        <translation>Serial port 9 timeouts</translation>
    </message>
    <message>
        <source>串口10发送帧数</source>
        <comment>3042</comment>
        <translation>Serial port 10 frames sent</translation>
    </message>
    <message>
        <source>串口10接收帧数</source>
        <comment>3043</comment>
        <translation>Serial port 10 frames received</translation>
    </message>
    <message>
        <source>串口10错误帧数</source>
        <comment>3044</comment>
        <translation>Serial port 10 error frames</translation>
    </message>
    <message>
        <source>串口10超时次数</source>
        <comment>3045</comment>
        <translation>Serial port 10 timeouts</translation>
    </message>
    <message>
        <source>串口11发送帧数</source>
        <comment>3046</comment>
        <translation>Serial port 11 frames sent</translation>
    </message>
    <message>
        <source>串口11接收帧数</source>
        <comment>3047</comment>
        <translation>Serial port 11 frames received</translation>
    </message>
    <message>
        <source>串口11错误帧数</source>
        <comment>3048</comment>
        <translation>Serial port 11 error frames</translation>
    </message>
    <message>
        <source>串口11超时次数</source>
        <comment>3049</comment>
        <translation>Serial port 11 timeouts</translation>
    </message>
    <message>
        <source>串口12发送帧数</source>
        <comment>3050</comment>
        <translation>Serial port 12 frames sent</translation>
    </message>
    <message>
        <source>串口12接收帧数</source>
        <comment>3051</comment>
        <translation>Serial port 12 frames received</translation>
    </message>
    <message>
        <source>串口12错误帧数</source>
        <comment>3052</comment>
        <translation>Serial port 12 error frames</translation>
    </message>
    <message>
        <source>串口12超时次数</source>
        <comment>3053</comment>
        <translation>Serial port 12 timeouts</translation>
    </message>
    <message>
        <source>串口13发送帧数</source>
        <comment>3054</comment>
        <translation>Serial port 13 frames sent</translation>
    </message>
    <message>
        <source>串口13接收帧数</source>
        <comment>3055</comment>
        <translation>Serial port 13 frames received</translation>
    </message>
    <message>
        <source>串口13错误帧数</source>
        <comment>3056</comment>
        <translation>Serial port 13 error frames</translation>
    </message>
    <message>
        <source>串口13超时次数</source>
        <comment>3057</comment>
        <translation>Serial port 13 timeouts</translation>
    </message>
    <message>
        <source>串口14发送帧数</source>
        <comment>3058</comment>
        <translation>Serial port 14 frames sent</translation>
    </message>
    <message>
        <source>串口14接收帧数</source>
        <comment>3059</comment>
        <translation>Serial port 14 frames received</translation>
    </message>
    <message>
        <source>串口14错误帧数</source>
        <comment>3060</comment>
        <translation>Serial port 14 error frames</translation>
    </message>
    <message>
        <source>串口14超时次数</source>
        <comment>3061</comment>
        <translation>Serial port 14 timeouts</translation>
    </message>
    <message>
        <source>串口15发送帧数</source>
        <comment>3062</comment>
        <translation>Serial port 15 frames sent</translation>
    </message>
    <message>
        <source>串口15接收帧数</source>
        <comment>3063</comment>
        <translation>Serial port 15 frames received</translation>
    </message>
    <message>
        <source>串口15错误帧数</source>
        <comment>3064</comment>
        <translation>Serial port 15 error frames</translation>
    </message>
    <message>
        <source>串口15超时次数</source>
        <comment>3065</comment>
        <translation>Serial port 15 timeouts</translation>
    </message>
    <message>
        <source>串口16发送帧数</source>
        <comment>3066</comment>
        <translation>Serial port 16 frames sent</translation>
    </message>
    <message>
        <source>串口16接收帧数</source>
        <comment>3067</comment>
        <translation>Serial port 16 frames received</translation>
    </message>
    <message>
        <source>串口16错误帧数</source>
        <comment>3068</comment>
        <translation>Serial port 16 error frames</translation>
    </message>
    <message>
        <source>串口16超时次数</source>
        <comment>3069</comment>
        <translation>Serial port 16 timeouts</translation>
    </message>
    <message>
        <source>序号</source>
        <comment>4001</comment>
        <translation>No.</translation>
    </message>
    <message>
        <source>名称</source>
        <comment>4002</comment>
        <translation>Name</translation>
    </message>
    <message>
        <source>型号</source>
        <comment>4003</comment>
        <translation>Model</translation>
    </message>
    <message>
        <source>IP地址</source>
        <comment>4004</comment>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>MAC地址</source>
        <comment>4005</comment>
        <translation>MAC Address</translation>
    </message>
    <message>
        <source>固件版本</source>
        <comment>4006</comment>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>密码设置</source>
        <comment>4007</comment>
        <translation>Password</translation>
    </message>
    <message>
        <source>远程配置</source>
        <comment>4008</comment>
        <translation>Remote configuration</translation>
    </message>
    <message>
        <source>管理员密码</source>
        <comment>4009</comment>
        <translation>Admin password</translation>
    </message>
    <message>
        <source>有</source>
        <comment>4010</comment>
        <translation>Yes</translation>
    </message>
    <message>
        <source>无</source>
        <comment>4011</comment>
        <translation>No</translation>
    </message>
    <message>
        <source>允许远程配置</source>
        <comment>4012</comment>
        <translation>Remote configuration allowed</translation>
    </message>
    <message>
        <source>禁止远程配置</source>
        <comment>4013</comment>
        <translation>Remote configuration forbidden</translation>
    </message>
    <message>
        <source>密码错误</source>
        <comment>4014</comment>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>密码正确</source>
        <comment>4015</comment>
        <translation>Password correct</translation>
    </message>
    <message>
        <source>读取成功!</source>
        <comment>4016</comment>
        <translation>Read successfully!</translation>
    </message>
    <message>
        <source>远程配置被禁止，请检查本地拨码开关的状态!</source>
        <comment>4017</comment>
        <translation>Remote configuration is forbidden. Please check the setting of the device&apos;s DIP switch!</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址和端口号是否正确!</source>
        <comment>4018</comment>
        <translation>Connection failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址和端口号是否正确!</source>
        <comment>4019</comment>
        <translation>Connection failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>读取失败!</source>
        <comment>4020</comment>
        <translation>Read failed!</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址和端口号是否正确!</source>
        <comment>4021</comment>
        <translation>Connection failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>写入成功!</source>
        <comment>4022</comment>
        <translation>Written successfully!</translation>
    </message>
    <message>
        <source>写入失败!</source>
        <comment>4023</comment>
        <translation>Write failed!</translation>
    </message>
    <message>
        <source>不支持设备</source>
        <comment>4024</comment>
        <translation>Unsupported device</translation>
    </message>
    <message>
        <source>有</source>
        <comment>4025</comment>
        <translation>Yes</translation>
    </message>
    <message>
        <source>无</source>
        <comment>4026</comment>
        <translation>No</translation>
    </message>
    <message>
        <source>允许远程配置</source>
        <comment>4027</comment>
        <translation>Remote configuration allowed</translation>
    </message>
    <message>
        <source>禁止远程配置</source>
        <comment>4028</comment>
        <translation>Remote configuration forbidden</translation>
    </message>
    <message>
        <source>禁止远程配置</source>
        <comment>4029</comment>
        <translation>Remote configuration forbidden</translation>
    </message>
    <message>
        <source>远程配置被禁止，请检查本地拨码开关的状态!</source>
        <comment>4030</comment>
        <translation>Remote configuration is forbidden. Please check the setting of the device&apos;s DIP switch!</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址和端口号是否正确!</source>
        <comment>4031</comment>
        <translation>Connection failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址和端口号是否正确!</source>
        <comment>4032</comment>
        <translation>Connection failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>请先选择设备!</source>
        <comment>4033</comment>
        <translation>Please select a device first!</translation>
    </message>
    <message>
        <source>请先搜索设备!</source>
        <comment>4034</comment>
        <translation>Please search for devices first!</translation>
    </message>
    <message>
        <source>未找到设备</source>
        <comment>4035</comment>
        <translation>No device found</translation>
    </message>
    <message>
        <source>正在搜索设备...</source>
        <comment>4036</comment>
        <translation>Searching for devices...</translation>
    </message>
    <message>
        <source>正在读取参数...</source>
        <comment>4037</comment>
        <translation>Reading parameters...</translation>
    </message>
    <message>
        <source>正在写入参数...</source>
        <comment>4038</comment>
        <translation>Writing parameters...</translation>
    </message>
    <message>
        <source>有</source>
        <comment>4039</comment>
        <translation>Yes</translation>
    </message>
    <message>
        <source>无</source>
        <comment>4040</comment>
        <translation>No</translation>
    </message>
    <message>
        <source>虚拟从站ID设置</source>
        <comment>4041</comment>
        <translation>Virtual slave ID settings</translation>
    </message>
    <message>
        <source>参数偏移量</source>
        <comment>4042</comment>
        <translation>Offset parameter</translation>
    </message>
    <message>
        <source>响应超时设置</source>
        <comment>4043</comment>
        <translation>Response timeout settings</translation>
    </message>
    <message>
        <source>参数帧间隔</source>
        <comment>4044</comment>
        <translation>Frame interval parameter</translation>
    </message>
    <message>
        <source>重发次数设置</source>
        <comment>4045</comment>
        <translation>Retries settings</translation>
    </message>
    <message>
        <source>参数优先级控制</source>
        <comment>4046</comment>
        <translation>Priority control parameter</translation>
    </message>
    <message>
        <source>指定主站设置</source>
        <comment>4047</comment>
        <translation>Designated master settings</translation>
    </message>
    <message>
        <source>参数指定请求</source>
        <comment>4048</comment>
        <translation>Designated request parameter</translation>
    </message>
    <message>
        <source>功能码设置</source>
        <comment>4049</comment>
        <translation>Function code settings</translation>
    </message>
    <message>
        <source>参数串口信息</source>
        <comment>4050</comment>
        <translation>Serial port information parameter</translation>
    </message>
    <message>
        <source>发送计数设置</source>
        <comment>4051</comment>
        <translation>Send count settings</translation>
    </message>
    <message>
        <source>网络名称		</source>
        <comment>4052</comment>
        <translation>Network name		</translation>
    </message>
    <message>
        <source>IP配置方式	</source>
        <comment>4053</comment>
        <translation>IP configuration	</translation>
    </message>
    <message>
        <source>静态配置
</source>
        <comment>4054</comment>
        <translation>Static
</translation>
    </message>
    <message>
        <source>IP地址		</source>
        <comment>4055</comment>
        <translation>IP address		</translation>
    </message>
    <message>
        <source>子网掩码		</source>
        <comment>4056</comment>
        <translation>Subnet mask		</translation>
    </message>
    <message>
        <source>默认网关		</source>
        <comment>4057</comment>
        <translation>Default gateway		</translation>
    </message>
    <message>
        <source>参数工作模式</source>
        <comment>4058</comment>
        <translation>Operating mode parameter</translation>
    </message>
    <message>
        <source>Modbus RTU设置</source>
        <comment>4059</comment>
        <translation>Modbus RTU settings</translation>
    </message>
    <message>
        <source>参数Modbus ASCII</source>
        <comment>4060</comment>
        <translation>Modbus ASCII parameter</translation>
    </message>
    <message>
        <source>从站ID映射设置</source>
        <comment>4061</comment>
        <translation>Slave ID mapping settings</translation>
    </message>
    <message>
        <source>参数虚拟从站ID</source>
        <comment>4062</comment>
        <translation>Virtual slave ID parameter</translation>
    </message>
    <message>
        <source>偏移量设置</source>
        <comment>4063</comment>
        <translation>Offset settings</translation>
    </message>
    <message>
        <source>参数响应超时</source>
        <comment>4064</comment>
        <translation>Response timeout parameter</translation>
    </message>
    <message>
        <source>帧间隔设置</source>
        <comment>4065</comment>
        <translation>Frame interval settings</translation>
    </message>
    <message>
        <source>参数重发次数</source>
        <comment>4066</comment>
        <translation>Retries parameter</translation>
    </message>
    <message>
        <source>优先级控制设置</source>
        <comment>4067</comment>
        <translation>Priority control settings</translation>
    </message>
    <message>
        <source>参数指定主站</source>
        <comment>4068</comment>
        <translation>Designated master parameter</translation>
    </message>
    <message>
        <source>指定请求设置</source>
        <comment>4069</comment>
        <translation>Designated request settings</translation>
    </message>
    <message>
        <source>参数功能码</source>
        <comment>4070</comment>
        <translation>Function code parameter</translation>
    </message>
    <message>
        <source>串口信息设置</source>
        <comment>4071</comment>
        <translation>Serial port information settings</translation>
    </message>
    <message>
        <source>参数发送计数</source>
        <comment>4072</comment>
        <translation>Send count parameter</translation>
    </message>
    <message>
        <source>接收计数设置</source>
        <comment>4073</comment>
        <translation>Receive count settings</translation>
    </message>
    <message>
        <source>参数串口</source>
        <comment>4074</comment>
        <translation>Serial port parameter</translation>
    </message>
    <message>
        <source>波特率设置</source>
        <comment>4075</comment>
        <translation>Baud rate settings</translation>
    </message>
    <message>
        <source>参数数据位</source>
        <comment>4076</comment>
        <translation>Data bits parameter</translation>
    </message>
    <message>
        <source>停止位设置</source>
        <comment>4077</comment>
        <translation>Stop bits settings</translation>
    </message>
    <message>
        <source>参数校验</source>
        <comment>4078</comment>
        <translation>Parity parameter</translation>
    </message>
    <message>
        <source>工作模式设置</source>
        <comment>4079</comment>
        <translation>Operating mode settings</translation>
    </message>
    <message>
        <source>参数Modbus RTU</source>
        <comment>4080</comment>
        <translation>Modbus RTU parameter</translation>
    </message>
    <message>
        <source>Modbus ASCII设置</source>
        <comment>4081</comment>
        <translation>Modbus ASCII settings</translation>
    </message>
    <message>
        <source>参数从站ID映射</source>
        <comment>4082</comment>
        <translation>Slave ID mapping parameter</translation>
    </message>
    <message>
        <source>虚拟从站ID设置</source>
        <comment>4083</comment>
        <translation>Virtual slave ID settings</translation>
    </message>
    <message>
        <source>参数偏移量</source>
        <comment>4084</comment>
        <translation>Offset parameter</translation>
    </message>
    <message>
        <source>响应超时设置</source>
        <comment>4085</comment>
        <translation>Response timeout settings</translation>
    </message>
    <message>
        <source>参数帧间隔</source>
        <comment>4086</comment>
        <translation>Frame interval parameter</translation>
    </message>
    <message>
        <source>重发次数设置</source>
        <comment>4087</comment>
        <translation>Retries settings</translation>
    </message>
    <message>
        <source>参数优先级控制</source>
        <comment>4088</comment>
        <translation>Priority control parameter</translation>
    </message>
    <message>
        <source>指定主站设置</source>
        <comment>4089</comment>
        <translation>Designated master settings</translation>
    </message>
    <message>
        <source>参数指定请求</source>
        <comment>4090</comment>
        <translation>Designated request parameter</translation>
    </message>
    <message>
        <source>功能码设置</source>
        <comment>4091</comment>
        <translation>Function code settings</translation>
    </message>
    <message>
        <source>参数串口信息</source>
        <comment>4092</comment>
        <translation>Serial port information parameter</translation>
    </message>
    <message>
        <source>发送计数设置</source>
        <comment>4093</comment>
        <translation>Send count settings</translation>
    </message>
    <message>
        <source>参数接收计数</source>
        <comment>4094</comment>
        <translation>Receive count parameter</translation>
    </message>
    <message>
        <source>串口设置</source>
        <comment>4095</comment>
        <translation>Serial port settings</translation>
    </message>
    <message>
        <source>参数波特率</source>
        <comment>4096</comment>
        <translation>Baud rate parameter</translation>
    </message>
    <message>
        <source>数据位设置</source>
        <comment>4097</comment>
        <translation>Data bits settings</translation>
    </message>
    <message>
        <source>参数停止位</source>
        <comment>4098</comment>
        <translation>Stop bits parameter</translation>
    </message>
    <message>
        <source>校验设置</source>
        <comment>4099</comment>
        <translation>Parity settings</translation>
    </message>
    <message>
        <source>参数工作模式</source>
        <comment>4100</comment>
        <translation>Operating mode parameter</translation>
    </message>
    <message>
        <source>Modbus RTU设置</source>
        <comment>4101</comment>
        <translation>Modbus RTU settings</translation>
    </message>
    <message>
        <source>参数Modbus ASCII</source>
        <comment>4102</comment>
        <translation>Modbus ASCII parameter</translation>
    </message>
    <message>
        <source>从站ID映射设置</source>
        <comment>4103</comment>
        <translation>Slave ID mapping settings</translation>
    </message>
    <message>
        <source>参数虚拟从站ID</source>
        <comment>4104</comment>
        <translation>Virtual slave ID parameter</translation>
    </message>
    <message>
        <source>偏移量设置</source>
        <comment>4105</comment>
        <translation>Offset settings</translation>
    </message>
    <message>
        <source>参数响应超时</source>
        <comment>4106</comment>
        <translation>Response timeout parameter</translation>
    </message>
    <message>
        <source>帧间隔设置</source>
        <comment>4107</comment>
        <translation>Frame interval settings</translation>
    </message>
    <message>
        <source>参数重发次数</source>
        <comment>4108</comment>
        <translation>Retries parameter</translation>
    </message>
    <message>
        <source>优先级控制设置</source>
        <comment>4109</comment>
        <translation>Priority control settings</translation>
    </message>
    <message>
        <source>参数指定主站</source>
        <comment>4110</comment>
        <translation>Designated master parameter</translation>
    </message>
    <message>
        <source>指定请求设置</source>
        <comment>4111</comment>
        <translation>Designated request settings</translation>
    </message>
    <message>
        <source>参数功能码</source>
        <comment>4112</comment>
        <translation>Function code parameter</translation>
    </message>
    <message>
        <source>串口信息设置</source>
        <comment>4113</comment>
        <translation>Serial port information settings</translation>
    </message>
    <message>
        <source>禁止远程配置</source>
        <comment>4114</comment>
        <translation>Remote configuration forbidden</translation>
    </message>
    <message>
        <source>远程配置被禁止，请检查本地拨码开关的状态!</source>
        <comment>4115</comment>
        <translation>Remote configuration is forbidden. Please check the setting of the device&apos;s DIP switch!</translation>
    </message>
    <message>
        <source>文件不存在!</source>
        <comment>4116</comment>
        <translation>The file does not exist!</translation>
    </message>
    <message>
        <source>波特率设置</source>
        <comment>4117</comment>
        <translation>Baud rate settings</translation>
    </message>
    <message>
        <source>参数数据位</source>
        <comment>4118</comment>
        <translation>Data bits parameter</translation>
    </message>
    <message>
        <source>停止位设置</source>
        <comment>4119</comment>
        <translation>Stop bits settings</translation>
    </message>
    <message>
        <source>参数校验</source>
        <comment>4120</comment>
        <translation>Parity parameter</translation>
    </message>
    <message>
        <source>网络名称</source>
        <comment>4121</comment>
        <translation>Network name</translation>
    </message>
    <message>
        <source>IP配置方式</source>
        <comment>4122</comment>
        <translation>IP configuration</translation>
    </message>
    <message>
        <source>DHCP</source>
        <comment>4123</comment>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>BOOTP</source>
        <comment>4124</comment>
        <translation>BOOTP</translation>
    </message>
    <message>
        <source>IP地址</source>
        <comment>4125</comment>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <comment>4126</comment>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>默认网关</source>
        <comment>4127</comment>
        <translation>Default gateway</translation>
    </message>
    <message>
        <source>参数帧间隔</source>
        <comment>4128</comment>
        <translation>Frame interval parameter</translation>
    </message>
    <message>
        <source>重发次数设置</source>
        <comment>4129</comment>
        <translation>Retries settings</translation>
    </message>
    <message>
        <source>参数优先级控制</source>
        <comment>4130</comment>
        <translation>Priority control parameter</translation>
    </message>
    <message>
        <source>指定主站设置</source>
        <comment>4131</comment>
        <translation>Designated master settings</translation>
    </message>
    <message>
        <source>参数指定请求</source>
        <comment>4132</comment>
        <translation>Designated request parameter</translation>
    </message>
    <message>
        <source>功能码设置</source>
        <comment>4133</comment>
        <translation>Function code settings</translation>
    </message>
    <message>
        <source>参数串口信息</source>
        <comment>4134</comment>
        <translation>Serial port information parameter</translation>
    </message>
    <message>
        <source>发送计数设置</source>
        <comment>4135</comment>
        <translation>Send count settings</translation>
    </message>
    <message>
        <source>参数接收计数</source>
        <comment>4136</comment>
        <translation>Receive count parameter</translation>
    </message>
    <message>
        <source>串口设置</source>
        <comment>4137</comment>
        <translation>Serial port settings</translation>
    </message>
    <message>
        <source>参数波特率</source>
        <comment>4138</comment>
        <translation>Baud rate parameter</translation>
    </message>
    <message>
        <source>数据位设置</source>
        <comment>4139</comment>
        <translation>Data bits settings</translation>
    </message>
    <message>
        <source>参数停止位</source>
        <comment>4140</comment>
        <translation>Stop bits parameter</translation>
    </message>
    <message>
        <source>校验设置</source>
        <comment>4141</comment>
        <translation>Parity settings</translation>
    </message>
    <message>
        <source>参数工作模式</source>
        <comment>4142</comment>
        <translation>Operating mode parameter</translation>
    </message>
    <message>
        <source>Modbus RTU设置</source>
        <comment>4143</comment>
        <translation>Modbus RTU settings</translation>
    </message>
    <message>
        <source>参数Modbus ASCII</source>
        <comment>4144</comment>
        <translation>Modbus ASCII parameter</translation>
    </message>
    <message>
        <source>从站ID映射设置</source>
        <comment>4145</comment>
        <translation>Slave ID mapping settings</translation>
    </message>
    <message>
        <source>参数虚拟从站ID</source>
        <comment>4146</comment>
        <translation>Virtual slave ID parameter</translation>
    </message>
    <message>
        <source>偏移量设置</source>
        <comment>4147</comment>
        <translation>Offset settings</translation>
    </message>
    <message>
        <source>参数响应超时</source>
        <comment>4148</comment>
        <translation>Response timeout parameter</translation>
    </message>
    <message>
        <source>帧间隔设置</source>
        <comment>4149</comment>
        <translation>Frame interval settings</translation>
    </message>
    <message>
        <source>参数重发次数</source>
        <comment>4150</comment>
        <translation>Retries parameter</translation>
    </message>
    <message>
        <source>优先级控制设置</source>
        <comment>4151</comment>
        <translation>Priority control settings</translation>
    </message>
    <message>
        <source>参数指定主站</source>
        <comment>4152</comment>
        <translation>Designated master parameter</translation>
    </message>
    <message>
        <source>指定请求设置</source>
        <comment>4153</comment>
        <translation>Designated request settings</translation>
    </message>
    <message>
        <source>参数功能码</source>
        <comment>4154</comment>
        <translation>Function code parameter</translation>
    </message>
    <message>
        <source>串口信息设置</source>
        <comment>4155</comment>
        <translation>Serial port information settings</translation>
    </message>
    <message>
        <source>参数发送计数</source>
        <comment>4156</comment>
        <translation>Send count parameter</translation>
    </message>
    <message>
        <source>接收计数设置</source>
        <comment>4157</comment>
        <translation>Receive count settings</translation>
    </message>
    <message>
        <source>参数串口</source>
        <comment>4158</comment>
        <translation>Serial port parameter</translation>
    </message>
    <message>
        <source>波特率设置</source>
        <comment>4159</comment>
        <translation>Baud rate settings</translation>
    </message>
    <message>
        <source>参数数据位</source>
        <comment>4160</comment>
        <translation>Data bits parameter</translation>
    </message>
    <message>
        <source>停止位设置</source>
        <comment>4161</comment>
        <translation>Stop bits settings</translation>
    </message>
    <message>
        <source>参数校验</source>
        <comment>4162</comment>
        <translation>Parity parameter</translation>
    </message>
    <message>
        <source>工作模式设置</source>
        <comment>4163</comment>
        <translation>Operating mode settings</translation>
    </message>
    <message>
        <source>参数Modbus RTU</source>
        <comment>4164</comment>
        <translation>Modbus RTU parameter</translation>
    </message>
    <message>
        <source>Modbus ASCII设置</source>
        <comment>4165</comment>
        <translation>Modbus ASCII settings</translation>
    </message>
    <message>
        <source>参数从站ID映射</source>
        <comment>4166</comment>
        <translation>Slave ID mapping parameter</translation>
    </message>
    <message>
        <source>虚拟从站ID设置</source>
        <comment>4167</comment>
        <translation>Virtual slave ID settings</translation>
    </message>
    <message>
        <source>参数偏移量</source>
        <comment>4168</comment>
        <translation>Offset parameter</translation>
    </message>
    <message>
        <source>响应超时设置</source>
        <comment>4169</comment>
        <translation>Response timeout settings</translation>
    </message>
    <message>
        <source>参数帧间隔</source>
        <comment>4170</comment>
        <translation>Frame interval parameter</translation>
    </message>
    <message>
        <source>重发次数设置</source>
        <comment>4171</comment>
        <translation>Retries settings</translation>
    </message>
    <message>
        <source>参数优先级控制</source>
        <comment>4172</comment>
        <translation>Priority control parameter</translation>
    </message>
    <message>
        <source>指定主站设置</source>
        <comment>4173</comment>
        <translation>Designated master settings</translation>
    </message>
    <message>
        <source>参数指定请求</source>
        <comment>4174</comment>
        <translation>Designated request parameter</translation>
    </message>
    <message>
        <source>功能码设置</source>
        <comment>4175</comment>
        <translation>Function code settings</translation>
    </message>
    <message>
        <source>参数串口信息</source>
        <comment>4176</comment>
        <translation>Serial port information parameter</translation>
    </message>
    <message>
        <source>搜索设备</source>
        <comment>4177</comment>
        <translation>Search Devices</translation>
    </message>
    <message>
        <source>指定IP搜索</source>
        <comment>4178</comment>
        <translation>Search by IP</translation>
    </message>
    <message>
        <source>用户参数配置</source>
        <comment>4179</comment>
        <translation>User Configuration</translation>
    </message>
    <message>
        <source>后台参数配置</source>
        <comment>4180</comment>
        <translation>Background Configuration</translation>
    </message>
    <message>
        <source>IP地址报告</source>
        <comment>4181</comment>
        <translation>IP Address Report</translation>
    </message>
    <message>
        <source>打开</source>
        <comment>4184</comment>
        <translation>Open</translation>
    </message>
    <message>
        <source>保存</source>
        <comment>4185</comment>
        <translation>Save</translation>
    </message>
    <message>
        <source>退出</source>
        <comment>4186</comment>
        <translation>Exit</translation>
    </message>
    <message>
        <source>下载</source>
        <comment>4187</comment>
        <translation>Download</translation>
    </message>
    <message>
        <source>上传</source>
        <comment>4188</comment>
        <translation>Upload</translation>
    </message>
    <message>
        <source>新建</source>
        <comment>4189</comment>
        <translation>New</translation>
    </message>
    <message>
        <source>参数响应超时</source>
        <comment>4190</comment>
        <translation>Response timeout parameter</translation>
    </message>
    <message>
        <source>帧间隔设置</source>
        <comment>4191</comment>
        <translation>Frame interval settings</translation>
    </message>
    <message>
        <source>参数重发次数</source>
        <comment>4192</comment>
        <translation>Retries parameter</translation>
    </message>
    <message>
        <source>优先级控制设置</source>
        <comment>4193</comment>
        <translation>Priority control settings</translation>
    </message>
    <message>
        <source>参数指定主站</source>
        <comment>4194</comment>
        <translation>Designated master parameter</translation>
    </message>
    <message>
        <source>指定请求设置</source>
        <comment>4195</comment>
        <translation>Designated request settings</translation>
    </message>
    <message>
        <source>参数功能码</source>
        <comment>4196</comment>
        <translation>Function code parameter</translation>
    </message>
    <message>
        <source>串口信息设置</source>
        <comment>4197</comment>
        <translation>Serial port information settings</translation>
    </message>
    <message>
        <source>参数发送计数</source>
        <comment>4198</comment>
        <translation>Send count parameter</translation>
    </message>
    <message>
        <source>接收计数设置</source>
        <comment>4199</comment>
        <translation>Receive count settings</translation>
    </message>
    <message>
        <source>参数串口</source>
        <comment>4200</comment>
        <translation>Serial port parameter</translation>
    </message>
    <message>
        <source>波特率设置</source>
        <comment>4201</comment>
        <translation>Baud rate settings</translation>
    </message>
    <message>
        <source>参数数据位</source>
        <comment>4202</comment>
        <translation>Data bits parameter</translation>
    </message>
    <message>
        <source>停止位设置</source>
        <comment>4203</comment>
        <translation>Stop bits settings</translation>
    </message>
    <message>
        <source>参数校验</source>
        <comment>4204</comment>
        <translation>Parity parameter</translation>
    </message>
    <message>
        <source>工作模式设置</source>
        <comment>4205</comment>
        <translation>Operating mode settings</translation>
    </message>
    <message>
        <source>参数Modbus RTU</source>
        <comment>4206</comment>
        <translation>Modbus RTU parameter</translation>
    </message>
    <message>
        <source>Modbus ASCII设置</source>
        <comment>4207</comment>
        <translation>Modbus ASCII settings</translation>
    </message>
    <message>
        <source>参数从站ID映射</source>
        <comment>4208</comment>
        <translation>Slave ID mapping parameter</translation>
    </message>
    <message>
        <source>虚拟从站ID设置</source>
        <comment>4209</comment>
        <translation>Virtual slave ID settings</translation>
    </message>
    <message>
        <source>参数偏移量</source>
        <comment>4210</comment>
        <translation>Offset parameter</translation>
    </message>
    <message>
        <source>响应超时设置</source>
        <comment>4211</comment>
        <translation>Response timeout settings</translation>
    </message>
    <message>
        <source>参数帧间隔</source>
        <comment>4212</comment>
        <translation>Frame interval parameter</translation>
    </message>
    <message>
        <source>重发次数设置</source>
        <comment>4213</comment>
        <translation>Retries settings</translation>
    </message>
    <message>
        <source>参数优先级控制</source>
        <comment>4214</comment>
        <translation>Priority control parameter</translation>
    </message>
    <message>
        <source>指定主站设置</source>
        <comment>4215</comment>
        <translation>Designated master settings</translation>
    </message>
    <message>
        <source>参数指定请求</source>
        <comment>4216</comment>
        <translation>Designated request parameter</translation>
    </message>
    <message>
        <source>功能码设置</source>
        <comment>4217</comment>
        <translation>Function code settings</translation>
    </message>
    <message>
        <source>参数串口信息</source>
        <comment>4218</comment>
        <translation>Serial port information parameter</translation>
    </message>
    <message>
        <source>发送计数设置</source>
        <comment>4219</comment>
        <translation>Send count settings</translation>
    </message>
    <message>
        <source>参数接收计数</source>
        <comment>4220</comment>
        <translation>Receive count parameter</translation>
    </message>
    <message>
        <source>串口设置</source>
        <comment>4221</comment>
        <translation>Serial port settings</translation>
    </message>
    <message>
        <source>参数波特率</source>
        <comment>4222</comment>
        <translation>Baud rate parameter</translation>
    </message>
    <message>
        <source>数据位设置</source>
        <comment>4223</comment>
        <translation>Data bits settings</translation>
    </message>
    <message>
        <source>参数停止位</source>
        <comment>4224</comment>
        <translation>Stop bits parameter</translation>
    </message>
    <message>
        <source>校验设置</source>
        <comment>4225</comment>
        <translation>Parity settings</translation>
    </message>
    <message>
        <source>参数工作模式</source>
        <comment>4226</comment>
        <translation>Operating mode parameter</translation>
    </message>
    <message>
        <source>Modbus RTU设置</source>
        <comment>4227</comment>
        <translation>Modbus RTU settings</translation>
    </message>
    <message>
        <source>参数Modbus ASCII</source>
        <comment>4228</comment>
        <translation>Modbus ASCII parameter</translation>
    </message>
    <message>
        <source>从站ID映射设置</source>
        <comment>4229</comment>
        <translation>Slave ID mapping settings</translation>
    </message>
    <message>
        <source>参数虚拟从站ID</source>
        <comment>4230</comment>
        <translation>Virtual slave ID parameter</translation>
    </message>
    <message>
        <source>偏移量设置</source>
        <comment>4231</comment>
        <translation>Offset settings</translation>
    </message>
    <message>
        <source>参数响应超时</source>
        <comment>4232</comment>
        <translation>Response timeout parameter</translation>
    </message>
    <message>
        <source>帧间隔设置</source>
        <comment>4233</comment>
        <translation>Frame interval settings</translation>
    </message>
    <message>
        <source>参数重发次数</source>
        <comment>4234</comment>
        <translation>Retries parameter</translation>
    </message>
    <message>
        <source>优先级控制设置</source>
        <comment>4235</comment>
        <translation>Priority control settings</translation>
    </message>
    <message>
        <source>参数指定主站</source>
        <comment>4236</comment>
        <translation>Designated master parameter</translation>
    </message>
    <message>
        <source>指定请求设置</source>
        <comment>4237</comment>
        <translation>Designated request settings</translation>
    </message>
    <message>
        <source>参数功能码</source>
        <comment>4238</comment>
        <translation>Function code parameter</translation>
    </message>
    <message>
        <source>串口信息设置</source>
        <comment>4239</comment>
        <translation>Serial port information settings</translation>
    </message>
    <message>
        <source>参数发送计数</source>
        <comment>4240</comment>
        <translation>Send count parameter</translation>
    </message>
    <message>
        <source>接收计数设置</source>
        <comment>4241</comment>
        <translation>Receive count settings</translation>
    </message>
    <message>
        <source>参数串口</source>
        <comment>4242</comment>
        <translation>Serial port parameter</translation>
    </message>
    <message>
        <source>波特率设置</source>
        <comment>4243</comment>
        <translation>Baud rate settings</translation>
    </message>
    <message>
        <source>参数数据位</source>
        <comment>4244</comment>
        <translation>Data bits parameter</translation>
    </message>
    <message>
        <source>停止位设置</source>
        <comment>4245</comment>
        <translation>Stop bits settings</translation>
    </message>
    <message>
        <source>参数校验</source>
        <comment>4246</comment>
        <translation>Parity parameter</translation>
    </message>
    <message>
        <source>工作模式设置</source>
        <comment>4247</comment>
        <translation>Operating mode settings</translation>
    </message>
    <message>
        <source>参数Modbus RTU</source>
        <comment>4248</comment>
        <translation>Modbus RTU parameter</translation>
    </message>
    <message>
        <source>Modbus ASCII设置</source>
        <comment>4249</comment>
        <translation>Modbus ASCII settings</translation>
    </message>
    <message>
        <source>参数从站ID映射</source>
        <comment>4250</comment>
        <translation>Slave ID mapping parameter</translation>
    </message>
    <message>
        <source>虚拟从站ID设置</source>
        <comment>4251</comment>
        <translation>Virtual slave ID settings</translation>
    </message>
    <message>
        <source>参数偏移量</source>
        <comment>4252</comment>
        <translation>Offset parameter</translation>
    </message>
    <message>
        <source>响应超时设置</source>
        <comment>4253</comment>
        <translation>Response timeout settings</translation>
    </message>
    <message>
        <source>参数帧间隔</source>
        <comment>4254</comment>
        <translation>Frame interval parameter</translation>
    </message>
    <message>
        <source>重发次数设置</source>
        <comment>4255</comment>
        <translation>Retries settings</translation>
    </message>
    <message>
        <source>参数优先级控制</source>
        <comment>4256</comment>
        <translation>Priority control parameter</translation>
    </message>
    <message>
        <source>指定主站设置</source>
        <comment>4257</comment>
        <translation>Designated master settings</translation>
    </message>
    <message>
        <source>参数指定请求</source>
        <comment>4258</comment>
        <translation>Designated request parameter</translation>
    </message>
    <message>
        <source>功能码设置</source>
        <comment>4259</comment>
        <translation>Function code settings</translation>
    </message>
    <message>
        <source>参数串口信息</source>
        <comment>4260</comment>
        <translation>Serial port information parameter</translation>
    </message>
    <message>
        <source>发送计数设置</source>
        <comment>4261</comment>
        <translation>Send count settings</translation>
    </message>
    <message>
        <source>参数接收计数</source>
        <comment>4262</comment>
        <translation>Receive count parameter</translation>
    </message>
    <message>
        <source>串口设置</source>
        <comment>4263</comment>
        <translation>Serial port settings</translation>
    </message>
    <message>
        <source>参数波特率</source>
        <comment>4264</comment>
        <translation>Baud rate parameter</translation>
    </message>
    <message>
        <source>数据位设置</source>
        <comment>4265</comment>
        <translation>Data bits settings</translation>
    </message>
    <message>
        <source>参数停止位</source>
        <comment>4266</comment>
        <translation>Stop bits parameter</translation>
    </message>
    <message>
        <source>校验设置</source>
        <comment>4267</comment>
        <translation>Parity settings</translation>
    </message>
    <message>
        <source>参数工作模式</source>
        <comment>4268</comment>
        <translation>Operating mode parameter</translation>
    </message>
    <message>
        <source>Modbus RTU设置</source>
        <comment>4269</comment>
        <translation>Modbus RTU settings</translation>
    </message>
    <message>
        <source>参数Modbus ASCII</source>
        <comment>4270</comment>
        <translation>Modbus ASCII parameter</translation>
    </message>
    <message>
        <source>从站ID映射设置</source>
        <comment>4271</comment>
        <translation>Slave ID mapping settings</translation>
    </message>
    <message>
        <source>参数虚拟从站ID</source>
        <comment>4272</comment>
        <translation>Virtual slave ID parameter</translation>
    </message>
    <message>
        <source>偏移量设置</source>
        <comment>4273</comment>
        <translation>Offset settings</translation>
    </message>
    <message>
        <source>参数响应超时</source>
        <comment>4274</comment>
        <translation>Response timeout parameter</translation>
    </message>
    <message>
        <source>帧间隔设置</source>
        <comment>4275</comment>
        <translation>Frame interval settings</translation>
    </message>
    <message>
        <source>参数重发次数</source>
        <comment>4276</comment>
        <translation>Retries parameter</translation>
    </message>
    <message>
        <source>优先级控制设置</source>
        <comment>4277</comment>
        <translation>Priority control settings</translation>
    </message>
    <message>
        <source>参数指定主站</source>
        <comment>4278</comment>
        <translation>Designated master parameter</translation>
    </message>
    <message>
        <source>指定请求设置</source>
        <comment>4279</comment>
        <translation>Designated request settings</translation>
    </message>
    <message>
        <source>参数功能码</source>
        <comment>4280</comment>
        <translation>Function code parameter</translation>
    </message>
    <message>
        <source>串口信息设置</source>
        <comment>4281</comment>
        <translation>Serial port information settings</translation>
    </message>
    <message>
        <source>参数发送计数</source>
        <comment>4282</comment>
        <translation>Send count parameter</translation>
    </message>
    <message>
        <source>接收计数设置</source>
        <comment>4283</comment>
        <translation>Receive count settings</translation>
    </message>
    <message>
        <source>参数串口</source>
        <comment>4284</comment>
        <translation>Serial port parameter</translation>
    </message>
    <message>
        <source>波特率设置</source>
        <comment>4285</comment>
        <translation>Baud rate settings</translation>
    </message>
    <message>
        <source>参数数据位</source>
        <comment>4286</comment>
        <translation>Data bits parameter</translation>
    </message>
    <message>
        <source>停止位设置</source>
        <comment>4287</comment>
        <translation>Stop bits settings</translation>
    </message>
    <message>
        <source>参数校验</source>
        <comment>4288</comment>
        <translation>Parity parameter</translation>
    </message>
    <message>
        <source>工作模式设置</source>
        <comment>4289</comment>
        <translation>Operating mode settings</translation>
    </message>
    <message>
        <source>参数Modbus RTU</source>
        <comment>4290</comment>
        <translation>Modbus RTU parameter</translation>
    </message>
    <message>
        <source>Modbus ASCII设置</source>
        <comment>4291</comment>
        <translation>Modbus ASCII settings</translation>
    </message>
    <message>
        <source>参数从站ID映射</source>
        <comment>4292</comment>
        <translation>Slave ID mapping parameter</translation>
    </message>
    <message>
        <source>虚拟从站ID设置</source>
        <comment>4293</comment>
        <translation>Virtual slave ID settings</translation>
    </message>
    <message>
        <source>参数偏移量</source>
        <comment>4294</comment>
        <translation>Offset parameter</translation>
    </message>
    <message>
        <source>响应超时设置</source>
        <comment>4295</comment>
        <translation>Response timeout settings</translation>
    </message>
    <message>
        <source>参数帧间隔</source>
        <comment>4296</comment>
        <translation>Frame interval parameter</translation>
    </message>
    <message>
        <source>重发次数设置</source>
        <comment>4297</comment>
        <translation>Retries settings</translation>
    </message>
    <message>
        <source>参数优先级控制</source>
        <comment>4298</comment>
        <translation>Priority control parameter</translation>
    </message>
    <message>
        <source>指定主站设置</source>
        <comment>4299</comment>
        <translation>Designated master settings</translation>
    </message>
    <message>
        <source>参数指定请求</source>
        <comment>4300</comment>
        <translation>Designated request parameter</translation>
    </message>
    <message>
        <source>功能码设置</source>
        <comment>4301</comment>
        <translation>Function code settings</translation>
    </message>
    <message>
        <source>参数串口信息</source>
        <comment>4302</comment>
        <translation>Serial port information parameter</translation>
    </message>
    <message>
        <source>发送计数设置</source>
        <comment>4303</comment>
        <translation>Send count settings</translation>
    </message>
    <message>
        <source>参数接收计数</source>
        <comment>4304</comment>
        <translation>Receive count parameter</translation>
    </message>
    <message>
        <source>串口设置</source>
        <comment>4305</comment>
        <translation>Serial port settings</translation>
    </message>
    <message>
        <source>参数波特率</source>
        <comment>4306</comment>
        <translation>Baud rate parameter</translation>
    </message>
    <message>
        <source>数据位设置</source>
        <comment>4307</comment>
        <translation>Data bits settings</translation>
    </message>
    <message>
        <source>参数停止位</source>
        <comment>4308</comment>
        <translation>Stop bits parameter</translation>
    </message>
    <message>
        <source>校验设置</source>
        <comment>4309</comment>
        <translation>Parity settings</translation>
    </message>
    <message>
        <source>参数工作模式</source>
        <comment>4310</comment>
        <translation>Operating mode parameter</translation>
    </message>
    <message>
        <source>连接失败！请确认是否选中设备。</source>
        <comment>4311</comment>
        <translation>Connection failed! Please check that a device is selected.</translation>
    </message>
    <message>
        <source>参数Modbus ASCII</source>
        <comment>4312</comment>
        <translation>Modbus ASCII parameter</translation>
    </message>
    <message>
        <source>从站ID映射设置</source>
        <comment>4313</comment>
        <translation>Slave ID mapping settings</translation>
    </message>
    <message>
        <source>参数虚拟从站ID</source>
        <comment>4314</comment>
        <translation>Virtual slave ID parameter</translation>
    </message>
    <message>
        <source>偏移量设置</source>
        <comment>4315</comment>
        <translation>Offset settings</translation>
    </message>
    <message>
        <source>参数响应超时</source>
        <comment>4316</comment>
        <translation>Response timeout parameter</translation>
    </message>
    <message>
        <source>序号</source>
        <comment>4501</comment>
        <translation>No.</translation>
    </message>
    <message>
        <source>设备名称</source>
        <comment>4502</comment>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>IP地址</source>
        <comment>4503</comment>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>MAC地址</source>
        <comment>4504</comment>
        <translation>MAC Address</translation>
    </message>
    <message>
        <source>次数</source>
        <comment>4505</comment>
        <translation>Count</translation>
    </message>
    <message>
        <source>之前一次时间</source>
        <comment>4506</comment>
        <translation>Previous Report</translation>
    </message>
    <message>
        <source>最近一次时间</source>
        <comment>4507</comment>
        <translation>Latest Report</translation>
    </message>
    <message>
        <source>映射表1</source>
        <comment>5001</comment>
        <translation>Mapping table 1</translation>
    </message>
    <message>
        <source>超时设置2</source>
        <comment>5002</comment>
        <translation>Timeout settings 2</translation>
    </message>
    <message>
        <source>优先级3</source>
        <comment>5003</comment>
        <translation>Priority 3</translation>
    </message>
    <message>
        <source>访问控制4</source>
        <comment>5004</comment>
        <translation>Access control 4</translation>
    </message>
    <message>
        <source>串口参数5</source>
        <comment>5005</comment>
        <translation>Serial port parameters 5</translation>
    </message>
    <message>
        <source>映射表6</source>
        <comment>5006</comment>
        <translation>Mapping table 6</translation>
    </message>
    <message>
        <source>超时设置7</source>
        <comment>5007</comment>
        <translation>Timeout settings 7</translation>
    </message>
    <message>
        <source>优先级8</source>
        <comment>5008</comment>
        <translation>Priority 8</translation>
    </message>
    <message>
        <source>访问控制9</source>
        <comment>5009</comment>
        <translation>Access control 9</translation>
    </message>
    <message>
        <source>串口参数10</source>
        <comment>5010</comment>
        <translation>Serial port parameters 10</translation>
    </message>
    <message>
        <source>映射表11</source>
        <comment>5011</comment>
        <translation>Mapping table 11</translation>
    </message>
    <message>
        <source>静态配置</source>
        <comment>5012</comment>
        <translation>Static</translation>
    </message>
    <message>
        <source>优先级13</source>
        <comment>5013</comment>
        <translation>Priority 13</translation>
    </message>
    <message>
        <source>访问控制14</source>
        <comment>5014</comment>
        <translation>Access control 14</translation>
    </message>
    <message>
        <source>串口参数15</source>
        <comment>5015</comment>
        <translation>Serial port parameters 15</translation>
    </message>
    <message>
        <source>映射表16</source>
        <comment>5016</comment>
        <translation>Mapping table 16</translation>
    </message>
    <message>
        <source>超时设置17</source>
        <comment>5017</comment>
        <translation>Timeout settings 17</translation>
    </message>
    <message>
        <source>优先级18</source>
        <comment>5018</comment>
        <translation>Priority 18</translation>
    </message>
    <message>
        <source>访问控制19</source>
        <comment>5019</comment>
        <translation>Access control 19</translation>
    </message>
    <message>
        <source>串口参数20</source>
        <comment>5020</comment>
        <translation>Serial port parameters 20</translation>
    </message>
    <message>
        <source>映射表21</source>
        <comment>5021</comment>
        <translation>Mapping table 21</translation>
    </message>
    <message>
        <source>超时设置22</source>
        <comment>5022</comment>
        <translation>Timeout settings 22</translation>
    </message>
    <message>
        <source>优先级23</source>
        <comment>5023</comment>
        <translation>Priority 23</translation>
    </message>
    <message>
        <source>访问控制24</source>
        <comment>5024</comment>
        <translation>Access control 24</translation>
    </message>
    <message>
        <source>串口参数25</source>
        <comment>5025</comment>
        <translation>Serial port parameters 25</translation>
    </message>
    <message>
        <source>映射表26</source>
        <comment>5026</comment>
        <translation>Mapping table 26</translation>
    </message>
    <message>
        <source>超时设置27</source>
        <comment>5027</comment>
        <translation>Timeout settings 27</translation>
    </message>
    <message>
        <source>优先级28</source>
        <comment>5028</comment>
        <translation>Priority 28</translation>
    </message>
    <message>
        <source>访问控制29</source>
        <comment>5029</comment>
        <translation>Access control 29</translation>
    </message>
    <message>
        <source>串口参数30</source>
        <comment>5030</comment>
        <translation>Serial port parameters 30</translation>
    </message>
    <message>
        <source>映射表31</source>
        <comment>5031</comment>
        <translation>Mapping table 31</translation>
    </message>
    <message>
        <source>超时设置32</source>
        <comment>5032</comment>
        <translation>Timeout settings 32</translation>
    </message>
    <message>
        <source>优先级33</source>
        <comment>5033</comment>
        <translation>Priority 33</translation>
    </message>
    <message>
        <source>访问控制34</source>
        <comment>5034</comment>
        <translation>Access control 34</translation>
    </message>
    <message>
        <source>串口参数35</source>
        <comment>5035</comment>
        <translation>Serial port parameters 35</translation>
    </message>
    <message>
        <source>映射表36</source>
        <comment>5036</comment>
        <translation>Mapping table 36</translation>
    </message>
    <message>
        <source>超时设置37</source>
        <comment>5037</comment>
        <translation>Timeout settings 37</translation>
    </message>
    <message>
        <source>优先级38</source>
        <comment>5038</comment>
        <translation>Priority 38</translation>
    </message>
    <message>
        <source>访问控制39</source>
        <comment>5039</comment>
        <translation>Access control 39</translation>
    </message>
    <message>
        <source>串口参数40</source>
        <comment>5040</comment>
        <translation>Serial port parameters 40</translation>
    </message>
    <message>
        <source>映射表41</source>
        <comment>5041</comment>
        <translation>Mapping table 41</translation>
    </message>
    <message>
        <source>两次输入的密码不一致,请重新输入!</source>
        <comment>5042</comment>
        <translation>The two passwords differ. Please enter them again!</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址和端口号是否正确!</source>
        <comment>5043</comment>
        <translation>Connection failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址和端口号是否正确!</source>
        <comment>5044</comment>
        <translation>Connection failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>写入失败,请确认IP地址和端口号是否正确!</source>
        <comment>5045</comment>
        <translation>Write failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>写入失败,请确认IP地址和端口号是否正确!</source>
        <comment>5046</comment>
        <translation>Write failed. Please check that the IP address and the port are correct!</translation>
    </message>
    <message>
        <source>写入失败!</source>
        <comment>5047</comment>
        <translation>Write failed!</translation>
    </message>
    <message>
        <source>优先级48</source>
        <comment>5048</comment>
        <translation>Priority 48</translation>
    </message>
    <message>
        <source>访问控制49</source>
        <comment>5049</comment>
        <translation>Access control 49</translation>
    </message>
    <message>
        <source>串口参数50</source>
        <comment>5050</comment>
        <translation>Serial port parameters 50</translation>
    </message>
    <message>
        <source>名字长度不能超过20个字符!</source>
        <comment>5051</comment>
        <translation>The name may not exceed 20 characters!</translation>
    </message>
    <message>
        <source>名字不能有空格!</source>
        <comment>5052</comment>
        <translation>The name may not contain spaces!</translation>
    </message>
    <message>
        <source>优先级53</source>
        <comment>5053</comment>
        <translation>Priority 53</translation>
    </message>
    <message>
        <source>访问控制54</source>
        <comment>5054</comment>
        <translation>Access control 54</translation>
    </message>
    <message>
        <source>串口参数55</source>
        <comment>5055</comment>
        <translation>Serial port parameters 55</translation>
    </message>
    <message>
        <source>映射表56</source>
        <comment>5056</comment>
        <translation>Mapping table 56</translation>
    </message>
    <message>
        <source>超时设置57</source>
        <comment>5057</comment>
        <translation>Timeout settings 57</translation>
    </message>
    <message>
        <source>优先级58</source>
        <comment>5058</comment>
        <translation>Priority 58</translation>
    </message>
    <message>
        <source>访问控制59</source>
        <comment>5059</comment>
        <translation>Access control 59</translation>
    </message>
    <message>
        <source>串口参数60</source>
        <comment>5060</comment>
        <translation>Serial port parameters 60</translation>
    </message>
    <message>
        <source>映射表61</source>
        <comment>5061</comment>
        <translation>Mapping table 61</translation>
    </message>
    <message>
        <source>超时设置62</source>
        <comment>5062</comment>
        <translation>Timeout settings 62</translation>
    </message>
    <message>
        <source>优先级63</source>
        <comment>5063</comment>
        <translation>Priority 63</translation>
    </message>
    <message>
        <source>访问控制64</source>
        <comment>5064</comment>
        <translation>Access control 64</translation>
    </message>
    <message>
        <source>远程复位失败</source>
        <comment>5065</comment>
        <translation>Remote reset failed</translation>
    </message>
    <message>
        <source>静态配置</source>
        <comment>5070</comment>
        <translation>Static</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址是否正确!</source>
        <comment>7001</comment>
        <translation>Connection failed. Please check that the IP address is correct!</translation>
    </message>
    <message>
        <source>连接失败,请确认IP地址是否正确!</source>
        <comment>7002</comment>
        <translation>Connection failed. Please check that the IP address is correct!</translation>
    </message>
    <message>
        <source>输入密码</source>
        <comment>7003</comment>
        <translation>Enter Password</translation>
    </message>
    <message>
        <source>连接该设备需密码验证,请输入密码:</source>
        <comment>7004</comment>
        <translation>This device asks for a password. Please enter the password:</translation>
    </message>
    <message>
        <source>确认</source>
        <comment>7005</comment>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <comment>7006</comment>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>其它设备</source>
        <comment>8000</comment>
        <translation>Other device</translation>
    </message>
    <message>
        <source>不支持设备</source>
        <comment>8001</comment>
        <translation>Unsupported device</translation>
    </message>
    <message>
        <source>有</source>
        <comment>8002</comment>
        <translation>Yes</translation>
    </message>
    <message>
        <source>无</source>
        <comment>8003</comment>
        <translation>No</translation>
    </message>
    <message>
        <source>允许远程配置</source>
        <comment>8004</comment>
        <translation>Remote configuration allowed</translation>
    </message>
    <message>
        <source>禁止远程配置</source>
        <comment>8005</comment>
        <translation>Remote configuration forbidden</translation>
    </message>
    <message>
        <source>请等待.....</source>
        <comment>8006</comment>
        <translation>Please wait.....</translation>
    </message>
    <message>
        <source>以太网</source>
        <comment>9001</comment>
        <translation>Ethernet</translation>
    </message>
    <message>
        <source>网络名称</source>
        <comment>9002</comment>
        <translation>Network name</translation>
    </message>
    <message>
        <source>IP配置方式</source>
        <comment>9003</comment>
        <translation>IP configuration</translation>
    </message>
    <message>
        <source>IP地址</source>
        <comment>9004</comment>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <comment>9005</comment>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>默认网关</source>
        <comment>9006</comment>
        <translation>Default gateway</translation>
    </message>
    <message>
        <source>DNS1</source>
        <comment>9007</comment>
        <translation>DNS1</translation>
    </message>
    <message>
        <source>DNS2</source>
        <comment>9008</comment>
        <translation>DNS2</translation>
    </message>
    <message>
        <source>串口号</source>
        <comment>10001</comment>
        <translation>Serial port No.</translation>
    </message>
    <message>
        <source>波特率</source>
        <comment>10002</comment>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>数据位</source>
        <comment>10003</comment>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <comment>10004</comment>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <comment>10005</comment>
        <translation>Parity</translation>
    </message>
    <message>
        <source>流控</source>
        <comment>10006</comment>
        <translation>Flow control</translation>
    </message>
    <message>
        <source>模式</source>
        <comment>10007</comment>
        <translation>Mode</translation>
    </message>
    <message>
        <source>RTU</source>
        <comment>10008</comment>
        <translation>RTU</translation>
    </message>
    <message>
        <source>ASCII</source>
        <comment>10009</comment>
        <translation>ASCII</translation>
    </message>
    <message>
        <source>应用</source>
        <comment>10010</comment>
        <translation>Apply</translation>
    </message>
    <message>
        <source>ID映射目标IP</source>
        <comment>11001</comment>
        <translation>ID mapping target IP</translation>
    </message>
    <message>
        <source>ID映射端口</source>
        <comment>11002</comment>
        <translation>ID mapping port</translation>
    </message>
    <message>
        <source>ID映射串口</source>
        <comment>11003</comment>
        <translation>ID mapping serial port</translation>
    </message>
    <message>
        <source>ID映射最小ID</source>
        <comment>11004</comment>
        <translation>ID mapping lowest ID</translation>
    </message>
    <message>
        <source>ID映射最大ID</source>
        <comment>11005</comment>
        <translation>ID mapping highest ID</translation>
    </message>
    <message>
        <source>ID映射偏移符号</source>
        <comment>11006</comment>
        <translation>ID mapping offset sign</translation>
    </message>
    <message>
        <source>ID映射偏移量</source>
        <comment>11007</comment>
        <translation>ID mapping offset</translation>
    </message>
    <message>
        <source>ID映射添加</source>
        <comment>11008</comment>
        <translation>ID mapping add</translation>
    </message>
    <message>
        <source>ID映射删除</source>
        <comment>11009</comment>
        <translation>ID mapping delete</translation>
    </message>
    <message>
        <source>ID映射修改</source>
        <comment>11010</comment>
        <translation>ID mapping modify</translation>
    </message>
    <message>
        <source>ID映射清空</source>
        <comment>11011</comment>
        <translation>ID mapping clear</translation>
    </message>
    <message>
        <source>ID映射列表</source>
        <comment>11012</comment>
        <translation>ID mapping list</translation>
    </message>
    <message>
        <source>ID映射序号</source>
        <comment>11013</comment>
        <translation>ID mapping No.</translation>
    </message>
    <message>
        <source>ID映射说明</source>
        <comment>11014</comment>
        <translation>ID mapping description</translation>
    </message>
    <message>
        <source>Modbus响应超时</source>
        <comment>12001</comment>
        <translation>Modbus response timeout</translation>
    </message>
    <message>
        <source>Modbus帧间隔</source>
        <comment>12002</comment>
        <translation>Modbus frame interval</translation>
    </message>
    <message>
        <source>Modbus重发次数</source>
        <comment>12003</comment>
        <translation>Modbus retries</translation>
    </message>
    <message>
        <source>Modbus字符间隔</source>
        <comment>12004</comment>
        <translation>Modbus character interval</translation>
    </message>
    <message>
        <source>Modbus广播延时</source>
        <comment>12005</comment>
        <translation>Modbus broadcast delay</translation>
    </message>
    <message>
        <source>Modbus毫秒</source>
        <comment>12006</comment>
        <translation>Modbus milliseconds</translation>
    </message>
    <message>
        <source>Modbus次</source>
        <comment>12007</comment>
        <translation>Modbus times</translation>
    </message>
    <message>
        <source>Modbus应用</source>
        <comment>12008</comment>
        <translation>Modbus apply</translation>
    </message>
    <message>
        <source>优先级控制</source>
        <comment>13001</comment>
        <translation>Priority control</translation>
    </message>
    <message>
        <source>优先级指定主站</source>
        <comment>13002</comment>
        <translation>Priority designated master</translation>
    </message>
    <message>
        <source>优先级指定请求</source>
        <comment>13003</comment>
        <translation>Priority designated request</translation>
    </message>
    <message>
        <source>优先级主站IP</source>
        <comment>13004</comment>
        <translation>Priority master IP</translation>
    </message>
    <message>
        <source>优先级串口ID</source>
        <comment>13005</comment>
        <translation>Priority serial port ID</translation>
    </message>
    <message>
        <source>优先级从站ID开关</source>
        <comment>13006</comment>
        <translation>Priority slave ID switch</translation>
    </message>
    <message>
        <source>优先级从站ID</source>
        <comment>13007</comment>
        <translation>Priority slave ID</translation>
    </message>
    <message>
        <source>优先级功能码开关</source>
        <comment>13008</comment>
        <translation>Priority function code switch</translation>
    </message>
    <message>
        <source>优先级功能码</source>
        <comment>13009</comment>
        <translation>Priority function code</translation>
    </message>
    <message>
        <source>优先级添加</source>
        <comment>13010</comment>
        <translation>Priority add</translation>
    </message>
    <message>
        <source>优先级删除</source>
        <comment>13011</comment>
        <translation>Priority delete</translation>
    </message>
    <message>
        <source>高级</source>
        <comment>14001</comment>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>用户密码</source>
        <comment>14002</comment>
        <translation>User password</translation>
    </message>
    <message>
        <source>确认密码</source>
        <comment>14003</comment>
        <translation>Confirm password</translation>
    </message>
    <message>
        <source>管理员密码</source>
        <comment>14004</comment>
        <translation>Admin password</translation>
    </message>
    <message>
        <source>确认密码</source>
        <comment>14005</comment>
        <translation>Confirm password</translation>
    </message>
    <message>
        <source>访问控制</source>
        <comment>14006</comment>
        <translation>Access control</translation>
    </message>
    <message>
        <source>允许访问的IP范围</source>
        <comment>14007</comment>
        <translation>IP range allowed access</translation>
    </message>
    <message>
        <source>起始地址</source>
        <comment>14008</comment>
        <translation>Start address</translation>
    </message>
    <message>
        <source>结束地址</source>
        <comment>14009</comment>
        <translation>End address</translation>
    </message>
    <message>
        <source>启用</source>
        <comment>14010</comment>
        <translation>Enable</translation>
    </message>
    <message>
        <source>远程复位</source>
        <comment>15001</comment>
        <translation>Remote Reset</translation>
    </message>
    <message>
        <source>是否复位远程设备?</source>
        <comment>15002</comment>
        <translation>Reset the remote device?</translation>
    </message>
    <message>
        <source>确定</source>
        <comment>15003</comment>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <comment>15004</comment>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存失败，无法写入该文件!</source>
        <comment>90001</comment>
        <translation>Saving failed: the file cannot be written!</translation>
    </message>
    <message>
        <source>该型号设备的配置不能下载!</source>
        <comment>90002</comment>
        <translation>The configuration of this device model cannot be downloaded!</translation>
    </message>
    <message>
        <source>输入包含无法使用的字符!</source>
        <comment>90003</comment>
        <translation>The input holds characters that cannot be used!</translation>
    </message>
    <message>
        <source>文件无法读取!</source>
        <comment>90004</comment>
        <translation>The file cannot be read!</translation>
    </message>
</context>
</TS>
