#include "platform/Platform.h"

namespace tivrel {

namespace {

template <typename Service> Service& either(Service* replacement, Service& own) {
    return replacement ? *replacement : own;
}

} // namespace

Platform Platform::with(const Replacements& r) const {
    return Platform{
        .mouse = either(r.mouse, mouse),
        .pointerWatch = either(r.pointerWatch, pointerWatch),
        .dialogs = either(r.dialogs, dialogs),
        .timeOfDay = either(r.timeOfDay, timeOfDay),
        .stacking = either(r.stacking, stacking),
        .newTickSource = r.newTickSource ? r.newTickSource : newTickSource,
        .newClickTimer = r.newClickTimer ? r.newClickTimer : newClickTimer,
        .settings = either(r.settings, settings),
        .files = either(r.files, files),
        .instanceLock = either(r.instanceLock, instanceLock),
        .trayIcon = either(r.trayIcon, trayIcon),
        .windowCommands = either(r.windowCommands, windowCommands),
        .termination = either(r.termination, termination),
        .startupEntry = either(r.startupEntry, startupEntry),
        .browser = either(r.browser, browser),
        .startStopKey = either(r.startStopKey, startStopKey),
        .copyChannel = either(r.copyChannel, copyChannel),
    };
}

} // namespace tivrel
