#pragma once
// Shared pieces of the desktop tool's tests: settings kept away from the user's, acting on a
// modal window once it is up, the simulator on this process's loopback block, and a session
// pointed at it.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Session.h"
#include "sim/Simulator.h"
#include "support/TestNet.h"

namespace kvt::test {

// The folder that stands for ~/.config in this test process: the tool's own settings and
// those of Qt's dialogs land there and go with the process.
inline QString settingsFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kvt-gui-test-config-XXXXXX"));
    return folder.path();
}

// Set before main(), so before anything can have looked the settings folder up.
inline const bool kSettingsIsolated = [] {
    return qputenv("XDG_CONFIG_HOME", settingsFolder().toLocal8Bit());
}();

// Runs `act` on the active modal window of type T as soon as it is up and `ready` holds for
// it; gives up after `limitMs` (the test then fails on its own checks, never hangs).
template <typename T>
void whenModal(std::function<void(T*)> act, std::function<bool(T*)> ready = {},
               int limitMs = 8000) {
    // Parented to the application so that a watcher still pending when a test ends goes
    // with it instead of leaking.
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act, ready, limitMs] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        const bool go = window && (!ready || ready(window));
        if (go || clock->elapsed() > limitMs) {
            timer->stop();
            timer->deleteLater();
            if (go) act(window);
        }
    });
    timer->start();
}

inline Session loopbackSession(int discoveryHost = 1) {
    Session session;
    session.network.discoveryTarget = loopbackHost(discoveryHost);
    session.network.localAddress = loopbackHost(200);
    session.network.connectTimeoutMs = 1000;
    return session;
}

inline kvt::sim::DeviceSetup simDevice(int host, const std::string& name) {
    kvt::sim::DeviceSetup setup;
    setup.address = loopbackHost(host);
    setup.name = name;
    setup.mac = {0x02, 0x00, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(host)};
    return setup;
}

// A started simulator answering discovery on host `discoveryHost`, or null (with `error`).
inline std::unique_ptr<kvt::sim::Simulator> startSimulator(
    std::vector<kvt::sim::DeviceSetup> devices, int discoveryHost, std::string* error) {
    kvt::sim::Options options;
    options.discoveryAddress = loopbackHost(discoveryHost);
    options.log = false;
    auto sim = std::make_unique<kvt::sim::Simulator>(options, std::move(devices));
    if (!sim->start(error)) return nullptr;
    return sim;
}

}  // namespace kvt::test
