#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace morvik {

namespace {

// A posted message on its way through Qt's queue.
class TPostedMessage : public QEvent {
  public:
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    TPostedMessage(UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(Type()), message(message), wParam(wParam), lParam(lParam) {}

    const UINT message;
    const WPARAM wParam;
    const LPARAM lParam;
};

// Receives a window's posted messages; with it go those not yet delivered.
class TMailbox : public QObject {
  public:
    explicit TMailbox(HWND window) : window_(window) {}
    bool event(QEvent* event) override {
        if (event->type() != TPostedMessage::Type()) return QObject::event(event);
        const auto* posted = static_cast<TPostedMessage*>(event);
        SendMessageA(window_, posted->message, posted->wParam, posted->lParam);
        return true;
    }

  private:
    HWND window_;
};

struct Window {
    WNDPROC procedure;
    std::unique_ptr<TMailbox> mailbox;
    std::vector<std::unique_ptr<TWindowProc>> kept;
};

std::map<HWND, Window>& Windows() {
    static std::map<HWND, Window> windows;
    return windows;
}

Window* Find(HWND window) {
    const auto found = Windows().find(window);
    return found == Windows().end() ? nullptr : &found->second;
}

}  // namespace

WNDPROC SetWindowLongA(HWND window, int index, WNDPROC procedure) {
    Window* found = Find(window);
    if (found == nullptr || index != GWL_WNDPROC) return nullptr;
    return std::exchange(found->procedure, procedure);
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    return procedure == nullptr ? 0 : procedure->Call(window, message, wParam, lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* found = Find(window);
    return found == nullptr ? 0
                            : CallWindowProcA(found->procedure, window, message, wParam, lParam);
}

bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* found = Find(window);
    if (found == nullptr) return false;
    QCoreApplication::postEvent(found->mailbox.get(), new TPostedMessage(message, wParam, lParam));
    return true;
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

bool IsWindow(HWND window) { return Find(window) != nullptr; }

UINT RegisterWindowMessageA(const char* name) {
    static constexpr UINT kFirstRegistered = 0xC000;
    static QHash<QString, UINT> registered;
    const QString key = QString::fromUtf8(name);
    if (!registered.contains(key)) {
        registered.insert(key, kFirstRegistered + static_cast<UINT>(registered.size()));
    }
    return registered.value(key);
}

HWND CreateWindowHandle(WNDPROC procedure) {
    static HWND last = 0x10000;
    const HWND window = ++last;
    Windows().emplace(window, Window{procedure, std::make_unique<TMailbox>(window), {}});
    return window;
}

void DestroyWindowHandle(HWND window) { Windows().erase(window); }

void KeepWhileWindowLives(HWND window, std::unique_ptr<TWindowProc> procedure) {
    if (Window* found = Find(window)) found->kept.push_back(std::move(procedure));
}

}  // namespace morvik
