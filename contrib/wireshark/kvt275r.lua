-- Wireshark dissector for the KVT-275R gateway's configuration protocol: the discovery query and
-- reply (UDP), the IP address report (UDP) and the exchanges on the configuration port (TCP:
-- password checks, reads with the images in their replies, writes, acknowledgements, reset).
--
--   tshark -X lua_script:kvt275r.lua -r capture.pcapng
--   tshark -X lua_script:kvt275r.lua -o kvt275r.config_port:19801 -r capture.pcapng
--
-- Or copy the file into Wireshark's personal Lua plugins folder (Help > About Wireshark >
-- Folders). Field names follow the JSON keys of kvt640-cli (`show --json`, `search --json`).
-- Every number on the wire is big-endian; texts are GBK, zero-padded to 20 bytes.

local kvt = Proto("kvt275r", "KVT-275R configuration protocol")

local DISCOVERY_PORT = 18801 -- UDP, where queries go and replies come from
local CONFIG_PORT = 18801 -- TCP, the device's configuration port
local REPORT_PORT = 16800 -- UDP, the default target port of IP address reports

kvt.prefs.discovery_port = Pref.uint("Discovery UDP port", DISCOVERY_PORT,
    "UDP port the gateways answer discovery queries on")
kvt.prefs.config_port = Pref.uint("Configuration TCP port", CONFIG_PORT,
    "TCP port of the gateways' configuration exchanges")
kvt.prefs.report_port = Pref.uint("IP address report UDP port", REPORT_PORT,
    "UDP port the gateways send their IP address reports to (their report_port setting)")

local CODE_DISCOVERY = 0x03
local CODE_READ_BACKGROUND = 0x05
local CODE_WRITE_BACKGROUND = 0x06
local CODE_ADMIN_PASSWORD = 0x07
local CODE_RESET = 0x0A
local CODE_READ_USER = 0x25
local CODE_WRITE_USER = 0x26
local CODE_USER_PASSWORD = 0x27
local CODE_REFUSAL = 0xFF -- kvt275r-sim's refusal reply; a gateway does not send it

local PRODUCT_KVT275R = 134103 -- 02 0B D7
local MAKER_TAG = "Kelvarin"
local TEXT_WIDTH = 20
local DISCOVERY_REPLY_SIZE = 68
local REPORT_SIZE = 76
local FIXED_REPLY_SIZE = 16
local LARGEST_MESSAGE = 1216 -- the tool never accumulates more than this
local USER, BACKGROUND = 0, 1
local IMAGE_SIZE = { [USER] = 60, [BACKGROUND] = 164 }

local code_names = {
    [CODE_DISCOVERY] = "discovery",
    [CODE_READ_BACKGROUND] = "read background configuration",
    [CODE_WRITE_BACKGROUND] = "write background configuration",
    [CODE_ADMIN_PASSWORD] = "administrator password check",
    [CODE_RESET] = "remote reset",
    [CODE_READ_USER] = "read user configuration",
    [CODE_WRITE_USER] = "write user configuration",
    [CODE_USER_PASSWORD] = "user password check",
    [CODE_REFUSAL] = "refusal (simulator)",
}
local kind_names = { [USER] = "user", [BACKGROUND] = "background" }
local ip_method_names = { [0] = "static", [1] = "DHCP", [2] = "BOOTP" }
local ip_setting_names = { [0x01] = "PC software", [0xFF] = "host over the UART" }
local refusal_names = {
    [1] = "password check needed",
    [2] = "remote configuration forbidden",
    [3] = "malformed request",
    [4] = "unknown command",
}

local function text_field(abbr, name)
    return ProtoField.string("kvt275r." .. abbr, name)
end

local f = {
    message = ProtoField.string("kvt275r.message", "Message"),
    code = ProtoField.uint32("kvt275r.code", "Command code", base.HEX, code_names),
    length = ProtoField.uint32("kvt275r.length", "Payload length", base.DEC),
    request_in = ProtoField.framenum("kvt275r.request_in", "Request in frame", base.NONE,
        frametype.REQUEST),
    not_interpreted = ProtoField.bytes("kvt275r.not_interpreted", "Not interpreted"),
    zero = ProtoField.bytes("kvt275r.zero", "Zero"),
    -- discovery reply and IP address report
    product_code = ProtoField.uint24("kvt275r.product_code", "Product code", base.DEC),
    model = ProtoField.string("kvt275r.model", "Model"),
    firmware = ProtoField.string("kvt275r.firmware", "Firmware version"),
    firmware_major = ProtoField.uint16("kvt275r.firmware_major", "Firmware major", base.DEC),
    firmware_minor = ProtoField.uint16("kvt275r.firmware_minor", "Firmware minor", base.DEC),
    mac = ProtoField.ether("kvt275r.mac", "MAC address"),
    ip = ProtoField.ipv4("kvt275r.ip", "IP address"),
    flags = ProtoField.uint8("kvt275r.flags", "Password flags", base.HEX),
    user_password_set = ProtoField.bool("kvt275r.user_password_set", "User password set", 8,
        nil, 0x01),
    admin_password_set = ProtoField.bool("kvt275r.admin_password_set",
        "Administrator password set", 8, nil, 0x02),
    name = text_field("name", "Device name"),
    remote_config = ProtoField.uint32("kvt275r.remote_config", "Remote configuration",
        base.DEC),
    remote_config_allowed = ProtoField.bool("kvt275r.remote_config_allowed",
        "Remote configuration allowed"),
    -- password checks and reset
    kind = ProtoField.uint8("kvt275r.kind", "Configuration kind", base.DEC, kind_names),
    maker_tag = ProtoField.string("kvt275r.maker_tag", "Maker tag"),
    password = text_field("password", "Password"),
    password_accepted = ProtoField.bool("kvt275r.password_accepted", "Password accepted"),
    ignored = ProtoField.bytes("kvt275r.ignored", "Ignored by the tool"),
    refused_code = ProtoField.uint32("kvt275r.refused_code", "Refused request", base.HEX,
        code_names),
    refusal_reason = ProtoField.uint32("kvt275r.refusal_reason", "Reason", base.DEC,
        refusal_names),
    -- configuration images
    image_length = ProtoField.uint32("kvt275r.image_length", "Image length", base.DEC),
    ip_method = ProtoField.uint32("kvt275r.ip_method", "IP method", base.DEC, ip_method_names),
    ip_address = ProtoField.ipv4("kvt275r.ip_address", "IP address"),
    subnet_mask = ProtoField.ipv4("kvt275r.subnet_mask", "Subnet mask"),
    gateway = ProtoField.ipv4("kvt275r.gateway", "Default gateway"),
    dns1 = ProtoField.ipv4("kvt275r.dns1", "DNS1"),
    dns2 = ProtoField.ipv4("kvt275r.dns2", "DNS2"),
    network_name = text_field("network_name", "Network name"),
    user_password = text_field("user_password", "User password"),
    admin_password = text_field("admin_password", "Administrator password"),
    ip_setting_method = ProtoField.uint8("kvt275r.ip_setting_method", "IP-setting method",
        base.HEX, ip_setting_names),
    reserved_parameter = ProtoField.uint32("kvt275r.reserved_parameter", "Reserved parameter",
        base.DEC),
    report_enabled = ProtoField.bool("kvt275r.report_enabled", "IP address report enabled"),
    report_target = ProtoField.ipv4("kvt275r.report_target", "Report target"),
    report_port = ProtoField.uint16("kvt275r.report_port", "Report port", base.DEC),
    report_period = ProtoField.uint16("kvt275r.report_period", "Report period (s)", base.DEC),
}

-- Assembly sizes, in image order.
local ASSEMBLIES = {
    { 102, "input" }, { 101, "output" }, { 103, "configuration" },
    { 112, "input" }, { 111, "output" }, { 113, "configuration" },
    { 122, "input" }, { 121, "output" }, { 123, "configuration" },
}
local assembly_fields = {}
for i, a in ipairs(ASSEMBLIES) do
    assembly_fields[i] = ProtoField.int32("kvt275r.assembly_" .. a[1],
        "Assembly Instance " .. a[1] .. " (" .. a[2] .. ") size", base.DEC)
end

local all_fields = {}
for _, field in pairs(f) do all_fields[#all_fields + 1] = field end
for _, field in ipairs(assembly_fields) do all_fields[#all_fields + 1] = field end
kvt.fields = all_fields

local ef = {
    short = ProtoExpert.new("kvt275r.expert.short", "Message shorter than its layout",
        expert.group.PROTOCOL, expert.severity.WARN),
    length = ProtoExpert.new("kvt275r.expert.length", "Length field differs from the layout",
        expert.group.PROTOCOL, expert.severity.WARN),
    not_discovery = ProtoExpert.new("kvt275r.expert.not_discovery",
        "Not a discovery reply (code is not 3): the tool ignores it",
        expert.group.PROTOCOL, expert.severity.WARN),
    other_product = ProtoExpert.new("kvt275r.expert.other_product",
        "Not a KVT-275R: listed as another product, not configurable",
        expert.group.RESPONSE_CODE, expert.severity.NOTE),
    maker_tag = ProtoExpert.new("kvt275r.expert.maker_tag", "Maker tag is not \"Kelvarin\"",
        expert.group.PROTOCOL, expert.severity.WARN),
    password_rejected = ProtoExpert.new("kvt275r.expert.password_rejected",
        "Password rejected", expert.group.RESPONSE_CODE, expert.severity.NOTE),
    refused = ProtoExpert.new("kvt275r.expert.refused", "Request refused",
        expert.group.RESPONSE_CODE, expert.severity.NOTE),
    wrong_code = ProtoExpert.new("kvt275r.expert.wrong_code",
        "Reply code does not repeat the request's code: the tool reports a failed exchange",
        expert.group.RESPONSE_CODE, expert.severity.WARN),
    unknown = ProtoExpert.new("kvt275r.expert.unknown", "Unknown command code",
        expert.group.UNDECODED, expert.severity.WARN),
    oversized = ProtoExpert.new("kvt275r.expert.oversized",
        "Length field exceeds any message of the protocol",
        expert.group.MALFORMED, expert.severity.ERROR),
}
kvt.experts = { ef.short, ef.length, ef.not_discovery, ef.other_product, ef.maker_tag,
    ef.password_rejected, ef.refused, ef.wrong_code, ef.unknown, ef.oversized }

local tcp_stream = Field.new("tcp.stream")

-- Per TCP stream: the last request seen; per reply frame: the request it answers. Filled on
-- the first pass, read on later ones.
local pending = {}
local answers = {}
function kvt.init()
    pending = {}
    answers = {}
end

---------------------------------------------------------------------------------------------
-- Helpers

-- A dissection cursor over one message: adds fields at fixed offsets, and notes once when the
-- message ends before a field does (the tool reads missing bytes as zero).
local Layout = {}
Layout.__index = Layout

local function layout(tvb, tree)
    return setmetatable({ tvb = tvb, tree = tree, truncated = false }, Layout)
end

function Layout:has(offset, size)
    if offset + size <= self.tvb:len() then return true end
    if not self.truncated then
        self.truncated = true
        self.tree:add_proto_expert_info(ef.short, string.format("Message ends at byte %d, "
            .. "before the field at byte %d; the tool reads missing bytes as zero",
            self.tvb:len(), offset))
    end
    return false
end

function Layout:add(field, offset, size)
    if not self:has(offset, size) then return nil end
    return self.tree:add(field, self.tvb(offset, size))
end

-- A 20-byte GBK text, up to its first zero byte; it may fill the field without one.
local function gbk_text(range)
    local text = range:string(ENC_GB18030)
    local nul = text:find("\0", 1, true)
    return nul and text:sub(1, nul - 1) or text
end

function Layout:text(field, offset)
    if not self:has(offset, TEXT_WIDTH) then return nil end
    local range = self.tvb(offset, TEXT_WIDTH)
    return self.tree:add(field, range, gbk_text(range))
end

function Layout:uint(offset, size)
    if offset + size > self.tvb:len() then return 0 end
    return self.tvb(offset, size):uint()
end

function Layout:string(offset, size)
    if offset + size > self.tvb:len() then return "" end
    return gbk_text(self.tvb(offset, size))
end

local function generated(tree, field, value)
    local item = tree:add(field, value)
    item:set_generated()
    return item
end

-- The message's kind as a field and as the start of the Info column.
local function name_message(tree, pinfo, text, detail)
    generated(tree, f.message, text)
    local info = detail and (text .. ": " .. detail) or text
    tree:append_text(", " .. info)
    if pinfo.private.kvt275r_info then
        pinfo.cols.info:append("; " .. info)
    else
        pinfo.cols.info:set(info)
    end
    pinfo.private.kvt275r_info = "1"
end

local function dotted(l, offset)
    if offset + 4 > l.tvb:len() then return "?" end
    return tostring(l.tvb(offset, 4):ipv4())
end

local function mac_text(l, offset)
    if offset + 6 > l.tvb:len() then return "?" end
    return tostring(l.tvb(offset, 6):ether())
end

---------------------------------------------------------------------------------------------
-- UDP: discovery and IP address reports

local function dissect_query(tvb, pinfo, tree)
    local l = layout(tvb, tree)
    name_message(tree, pinfo, "discovery query")
    l:add(f.code, 0, 4)
    l:add(f.zero, 4, 4)
    if tvb:len() > 8 then tree:add(f.not_interpreted, tvb(8)) end
end

local function dissect_reply(tvb, pinfo, tree)
    local l = layout(tvb, tree)
    local code = l:uint(0, 4)
    local code_item = l:add(f.code, 0, 4)
    if code ~= CODE_DISCOVERY then
        name_message(tree, pinfo, "discovery reply (ignored)")
        if code_item then code_item:add_proto_expert_info(ef.not_discovery) end
        return
    end
    if tvb:len() < DISCOVERY_REPLY_SIZE then
        tree:add_proto_expert_info(ef.short, string.format(
            "Reply of %d bytes instead of %d: the tool reads the fields past its end as zero%s",
            tvb:len(), DISCOVERY_REPLY_SIZE,
            tvb:len() < 16 and "; a broadcast search ignores it" or ""))
        l.truncated = true
    end
    l:add(f.not_interpreted, 4, 5)
    local product = l:uint(9, 3)
    local is_kvt = product == PRODUCT_KVT275R
    local product_item = l:add(f.product_code, 9, 3)
    generated(tree, f.model, is_kvt and "KVT-275R" or "other product")
    if product_item and not is_kvt then product_item:add_proto_expert_info(ef.other_product) end
    l:add(f.not_interpreted, 12, 12)
    local firmware = string.format("%d.%d", l:uint(24, 2), l:uint(26, 2))
    if l:has(24, 4) then
        local fw = tree:add(f.firmware, tvb(24, 4), firmware)
        fw:add(f.firmware_major, tvb(24, 2))
        fw:add(f.firmware_minor, tvb(26, 2))
    end
    l:add(f.mac, 28, 6)
    l:add(f.not_interpreted, 34, 2)
    l:add(f.ip, 36, 4)
    l:add(f.not_interpreted, 40, 3)
    if l:has(43, 1) then
        local flags = tree:add(f.flags, tvb(43, 1))
        flags:add(f.user_password_set, tvb(43, 1))
        flags:add(f.admin_password_set, tvb(43, 1))
    end
    local name_item = l:text(f.name, 44)
    if name_item and not is_kvt then name_item:append_text(" (not read: another product)") end
    local remote = l:uint(64, 4)
    local remote_item = l:add(f.remote_config, 64, 4)
    if remote_item then
        remote_item:append_text(remote == 1 and " (allowed)" or " (forbidden)")
    end
    generated(tree, f.remote_config_allowed, remote == 1)
    if tvb:len() > DISCOVERY_REPLY_SIZE then
        tree:add(f.not_interpreted, tvb(DISCOVERY_REPLY_SIZE))
    end
    local name = is_kvt and l:string(44, TEXT_WIDTH) or "?"
    name_message(tree, pinfo, "discovery reply", string.format("\"%s\" %s %s fw %s%s", name,
        dotted(l, 36), mac_text(l, 28), firmware, is_kvt and "" or " (other product)"))
end

local function dissect_report(tvb, pinfo, tree)
    local l = layout(tvb, tree)
    if tvb:len() < REPORT_SIZE then
        tree:add_proto_expert_info(ef.short, string.format(
            "Report of %d bytes instead of %d", tvb:len(), REPORT_SIZE))
        l.truncated = true
    end
    l:add(f.not_interpreted, 0, 36)
    l:add(f.mac, 36, 6)
    l:add(f.not_interpreted, 42, 2)
    l:add(f.ip, 44, 4)
    l:add(f.not_interpreted, 48, 8)
    l:text(f.name, 56)
    if tvb:len() > REPORT_SIZE then tree:add(f.not_interpreted, tvb(REPORT_SIZE)) end
    name_message(tree, pinfo, "IP address report", string.format("\"%s\" %s %s",
        l:string(56, TEXT_WIDTH), dotted(l, 44), mac_text(l, 36)))
end

local function dissect_udp(tvb, pinfo, tree)
    local p = kvt.prefs
    local to_report = pinfo.dst_port == p.report_port
    local to_discovery = pinfo.dst_port == p.discovery_port
    local from_discovery = pinfo.src_port == p.discovery_port
    local t = tree:add(kvt, tvb())
    if to_report and not to_discovery then
        dissect_report(tvb, pinfo, t)
    elseif to_discovery and not from_discovery then
        dissect_query(tvb, pinfo, t)
    elseif from_discovery and not to_discovery then
        dissect_reply(tvb, pinfo, t)
    elseif tvb:len() == 8 then -- both ends on the discovery port: tell by the layout
        dissect_query(tvb, pinfo, t)
    elseif tvb:len() >= 4 and tvb(0, 4):uint() == CODE_DISCOVERY then
        dissect_reply(tvb, pinfo, t)
    else
        dissect_report(tvb, pinfo, t)
    end
end

---------------------------------------------------------------------------------------------
-- TCP: the configuration port

local function from_device(pinfo)
    return pinfo.src_port == kvt.prefs.config_port
end

local function is_image_read(code)
    return code == CODE_READ_USER or code == CODE_READ_BACKGROUND
end

-- The request a reply answers: the last one on its stream, looked up on the first pass and
-- kept per frame for the later ones.
local function request_of(pinfo)
    if not pinfo.visited then
        local stream = tcp_stream()
        answers[pinfo.number] = pending[stream and stream.value or -1]
    end
    return answers[pinfo.number]
end

-- A reply is framed as the tool receives it: the reply to a read is an image whose end the
-- 16-bit length at bytes 6..7 gives, whatever its code; every other reply is 16 bytes,
-- whatever its length field says (a wrong password's reply has length 9). A request is its
-- header and the payload length it announces.
local function message_length(tvb, pinfo, offset)
    local code = tvb(offset, 4):uint()
    local n
    if from_device(pinfo) then
        local request = request_of(pinfo)
        local read = is_image_read(request and request.code or code)
        n = read and 8 + tvb(offset + 6, 2):uint() or FIXED_REPLY_SIZE
    else
        n = 8 + tvb(offset + 4, 4):uint()
    end
    if n > LARGEST_MESSAGE then
        -- Not a message of this protocol: take the rest of the segment rather than wait for
        -- bytes that will never come.
        return tvb:len() - offset
    end
    return n
end

local function dissect_image(l, pinfo, kind, writing)
    local tvb, tree = l.tvb, l.tree
    local expected = IMAGE_SIZE[kind]
    generated(tree, f.kind, kind)
    generated(tree, f.image_length, tvb:len())
    local length = l:uint(4, 4)
    if length ~= expected - 8 then
        tree:add_proto_expert_info(ef.length, string.format(
            "Payload length %d; a %s image carries %d", length, kind_names[kind], expected - 8))
    end
    local method = l:uint(8, 4)
    local method_item = l:add(f.ip_method, 8, 4)
    if method_item and method > 2 then method_item:append_text(" (read as DHCP)") end
    -- The tool's address parser refuses 255.255.255.255 and puts the field's default instead.
    local function address(field, offset, default)
        local item = l:add(field, offset, 4)
        if item and tvb(offset, 4):uint() == 0xFFFFFFFF then
            item:append_text(" (read as " .. default .. ")")
        end
    end
    address(f.ip_address, 12, "192.168.0.15")
    address(f.subnet_mask, 16, "255.255.255.0")
    address(f.gateway, 20, "192.168.0.1")
    address(f.dns1, 24, "0.0.0.0")
    address(f.dns2, 28, "0.0.0.0")
    local report_at
    if kind == USER then
        l:text(f.user_password, 32)
        report_at = 52
    else
        l:text(f.network_name, 32)
        l:text(f.user_password, 52)
        l:text(f.admin_password, 72)
        l:add(f.zero, 92, 3)
        l:add(f.ip_setting_method, 95, 1)
        l:add(f.zero, 96, 16)
        l:add(f.reserved_parameter, 112, 4)
        report_at = 116
    end
    if l:has(report_at, 8) then
        local period = tvb(report_at + 6, 2):uint()
        local report = generated(tree, f.report_enabled, period ~= 0)
        local target = report:add(f.report_target, tvb(report_at, 4))
        if period ~= 0 and tvb(report_at, 4):uint() == 0xFFFFFFFF then
            target:append_text(" (read as no address)")
        end
        report:add(f.report_port, tvb(report_at + 4, 2))
        report:add(f.report_period, tvb(report_at + 6, 2))
    end
    if kind == BACKGROUND then
        for i, field in ipairs(assembly_fields) do l:add(field, 124 + 4 * (i - 1), 4) end
        l:add(f.zero, 160, 4)
    end
    if tvb:len() > expected then tree:add(f.not_interpreted, tvb(expected)) end
    local address = dotted(l, 12)
    name_message(tree, pinfo, (writing and "write " or "") .. kind_names[kind] .. " image",
        string.format("%d bytes, ip_address %s", tvb:len(), address))
end

local function dissect_request(l, pinfo, code)
    local tvb, tree = l.tvb, l.tree
    local function maker_tag(offset)
        local tag = l:add(f.maker_tag, offset, #MAKER_TAG)
        if tag and tvb(offset, #MAKER_TAG):string() ~= MAKER_TAG then
            tag:add_proto_expert_info(ef.maker_tag)
        end
    end
    if code == CODE_READ_USER or code == CODE_READ_BACKGROUND then
        local kind = code == CODE_READ_USER and USER or BACKGROUND
        generated(tree, f.kind, kind)
        name_message(tree, pinfo, "read " .. kind_names[kind] .. " configuration")
        if tvb:len() > 8 then tree:add(f.not_interpreted, tvb(8)) end
    elseif code == CODE_USER_PASSWORD then
        generated(tree, f.kind, USER)
        l:text(f.password, 8)
        name_message(tree, pinfo, "user password check")
    elseif code == CODE_ADMIN_PASSWORD then
        generated(tree, f.kind, BACKGROUND)
        maker_tag(8)
        l:text(f.password, 16)
        name_message(tree, pinfo, "administrator password check")
    elseif code == CODE_WRITE_USER then
        dissect_image(l, pinfo, USER, true)
    elseif code == CODE_WRITE_BACKGROUND then
        dissect_image(l, pinfo, BACKGROUND, true)
    elseif code == CODE_RESET then
        maker_tag(8)
        name_message(tree, pinfo, "remote reset")
    else
        tree:add_proto_expert_info(ef.unknown)
        name_message(tree, pinfo, "unknown request", string.format("code 0x%02X", code))
        if tvb:len() > 8 then tree:add(f.not_interpreted, tvb(8)) end
    end
end

local function dissect_device_reply(l, pinfo, code, request)
    local tvb, tree = l.tvb, l.tree
    -- Decoded as the reply the tool waits for; a code that does not repeat the request's
    -- fails the exchange in the tool.
    local answers_code = code
    local wrong_code = false
    if request then
        generated(tree, f.request_in, request.frame)
        if code ~= request.code and code ~= CODE_REFUSAL then
            tree:add_proto_expert_info(ef.wrong_code, string.format(
                "Reply code 0x%02X to request 0x%02X: the tool reports a failed exchange",
                code, request.code))
            answers_code = request.code
            wrong_code = true
        end
    end
    local function ignored_tail()
        if tvb:len() > 8 then tree:add(f.ignored, tvb(8)) end
    end
    if code == CODE_REFUSAL then
        local reason = l:uint(12, 4)
        l:add(f.refused_code, 8, 4)
        local item = l:add(f.refusal_reason, 12, 4)
        if item then item:add_proto_expert_info(ef.refused) end
        name_message(tree, pinfo, "refusal", refusal_names[reason] or tostring(reason))
    elseif answers_code == CODE_READ_USER then
        dissect_image(l, pinfo, USER, false)
    elseif answers_code == CODE_READ_BACKGROUND then
        dissect_image(l, pinfo, BACKGROUND, false)
    elseif answers_code == CODE_USER_PASSWORD or answers_code == CODE_ADMIN_PASSWORD then
        -- Accepted exactly when the first 8 bytes are the request's code and length 8.
        local kind = answers_code == CODE_USER_PASSWORD and USER or BACKGROUND
        local accepted = code == answers_code and l:uint(4, 4) == 8 and tvb:len() >= 8
        generated(tree, f.kind, kind)
        local result = generated(tree, f.password_accepted, accepted)
        if not accepted then result:add_proto_expert_info(ef.password_rejected) end
        ignored_tail()
        name_message(tree, pinfo, (kind == USER and "user" or "administrator") ..
            " password check reply", accepted and "accepted" or "rejected")
    elseif answers_code == CODE_WRITE_USER or answers_code == CODE_WRITE_BACKGROUND then
        generated(tree, f.kind, answers_code == CODE_WRITE_USER and USER or BACKGROUND)
        ignored_tail()
        name_message(tree, pinfo, "acknowledgement", code_names[answers_code])
    elseif answers_code == CODE_RESET then
        ignored_tail()
        name_message(tree, pinfo, "acknowledgement", code_names[CODE_RESET])
    else
        tree:add_proto_expert_info(ef.unknown)
        ignored_tail()
        name_message(tree, pinfo, "unknown reply", string.format("code 0x%02X", code))
    end
    if wrong_code then pinfo.cols.info:append(string.format(" [reply code 0x%02X]", code)) end
end

local function dissect_message(tvb, pinfo, tree)
    local t = tree:add(kvt, tvb())
    local l = layout(tvb, t)
    local code = l:uint(0, 4)
    l:add(f.code, 0, 4)
    local length_item = l:add(f.length, 4, 4)
    if length_item and l:uint(4, 4) + 8 > LARGEST_MESSAGE then
        length_item:add_proto_expert_info(ef.oversized)
    end
    if from_device(pinfo) then
        dissect_device_reply(l, pinfo, code, request_of(pinfo))
    else
        if not pinfo.visited then
            local stream = tcp_stream()
            pending[stream and stream.value or -1] = { code = code, frame = pinfo.number }
        end
        dissect_request(l, pinfo, code)
    end
    return tvb:len()
end

local function dissect_tcp(tvb, pinfo, tree)
    dissect_tcp_pdus(tvb, tree, 8, message_length, dissect_message)
end

---------------------------------------------------------------------------------------------

function kvt.dissector(tvb, pinfo, tree)
    if tvb:len() == 0 then return 0 end
    pinfo.cols.protocol = "KVT-275R"
    pinfo.private.kvt275r_info = nil
    if tcp_stream() then
        dissect_tcp(tvb, pinfo, tree)
    else
        dissect_udp(tvb, pinfo, tree)
    end
    return tvb:len()
end

-- The ports come from the preferences; a change moves the registrations.
local registered = { udp = {}, tcp = {} }
local function register_ports()
    local tables = { udp = DissectorTable.get("udp.port"), tcp = DissectorTable.get("tcp.port") }
    for transport, ports in pairs(registered) do
        for _, port in ipairs(ports) do tables[transport]:remove(port, kvt) end
    end
    registered = {
        udp = { kvt.prefs.discovery_port, kvt.prefs.report_port },
        tcp = { kvt.prefs.config_port },
    }
    for transport, ports in pairs(registered) do
        for _, port in ipairs(ports) do tables[transport]:add(port, kvt) end
    end
end

function kvt.prefs_changed()
    register_ports()
end

register_ports()
