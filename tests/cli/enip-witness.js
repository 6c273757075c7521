// A third-party EtherNet/IP client (st-ethernet-ip) against simulated gateways on loopback.
// Usage: node enip-witness.js MODULE-DIR BROWSE-ADDR LOCAL-ADDR DEVICE-ADDR EXPECTED-NAMES
//   MODULE-DIR: the node_modules folder that holds st-ethernet-ip
//   BROWSE-ADDR: where the ListIdentity goes (the simulator's discovery address)
//   EXPECTED-NAMES: the product names the browse must list, comma-separated
// Prints "ok: ..." per check and exits 1 at the first failed one.
"use strict";
const path = require("path");
const [moduleDir, browseAddr, localAddr, deviceAddr, names] = process.argv.slice(2);
const lib = require(path.join(moduleDir, "st-ethernet-ip"));
const IoController = require(path.join(moduleDir, "st-ethernet-ip/dist/io/tcp"));

function check(condition, what) {
    if (!condition) {
        console.log("FAIL: " + what);
        process.exit(1);
    }
    console.log("ok: " + what);
}
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

async function browse() {
    // No automatic browsing: its query goes to 255.255.255.255. The browser's own socket sends
    // the one query to the loopback address, and its own parser fills the device list.
    const browser = new lib.Browser(0, localAddr, false);
    await new Promise(resolve => browser.socket.once("listening", resolve));
    const query = lib.EthernetIP.encapsulation.header.build(
        lib.EthernetIP.encapsulation.commands.ListIdentity);
    browser.socket.send(query, 44818, browseAddr);
    await sleep(2600);  // a requester delay of 0 means up to 2000 ms
    const listed = browser.deviceList.map(d => d.productName).sort();
    check(JSON.stringify(listed) === JSON.stringify(names.split(",").sort()),
          "browser lists " + listed.join(","));
    const first = browser.deviceList.find(d => d.socketAddress.sin_addr === deviceAddr);
    check(first && first.socketAddress.sin_port === 44818 && first.deviceType === 12,
          "browser reads the socket address and device type of " + deviceAddr);
    browser.socket.close();
}

async function attributes() {
    const plc = new lib.Controller(false);
    // An empty route: the gateway itself answers the Unconnected Send.
    await plc.connect(deviceAddr, Buffer.alloc(0), false);
    const size = await plc.getAttributeSingle(4, 102, 4);
    check(size.readUInt16LE(0) === 68, "getAttributeSingle(4, 102, 4) = " + size.readUInt16LE(0));
    const output = await plc.getAttributeSingle(4, 101, 4);
    check(output.readUInt16LE(0) === 64, "getAttributeSingle(4, 101, 4) = " + output.readUInt16LE(0));
    let status = null;
    await plc.getAttributeSingle(4, 199, 4).catch(e => { status = e.generalStatusCode; });
    check(status === 0x05, "an unknown instance gets path destination unknown (" + status + ")");
    plc.destroy();
}

async function forwardOpen(outputSize, inputSize) {
    const io = new IoController(true, {assembly: 103, size: 0}, {assembly: 101, size: outputSize},
                                {assembly: 102, size: inputSize});
    io.rpi = 100;
    try {
        await io.connect(deviceAddr, 0, localAddr);
        return {general: 0, extended: []};
    } catch (e) {
        return {general: e.generalStatusCode, extended: e.extendedStatus || []};
    } finally {
        io.destroy();
    }
}

(async () => {
    await browse();
    await attributes();
    let r = await forwardOpen(60, 68);
    check(r.general === 1 && r.extended[0] === 0x0127 && r.extended[1] === 70,
          "Forward_Open with a wrong O->T size: " + JSON.stringify(r));
    r = await forwardOpen(64, 64);
    check(r.general === 1 && r.extended[0] === 0x0128 && r.extended[1] === 70,
          "Forward_Open with a wrong T->O size: " + JSON.stringify(r));
    r = await forwardOpen(64, 68);
    check(r.general === 0, "Forward_Open with the configured sizes: " + JSON.stringify(r));
    process.exit(0);
})().catch(e => {
    console.log("FAIL: " + (e && e.stack ? e.stack : JSON.stringify(e)));
    process.exit(1);
});
