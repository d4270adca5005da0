#include "WinTestWindow.h"

namespace tivrel::test {

namespace {

const wchar_t kClassName[] = L"TivrelTestTarget";

void registerClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW; // replaced per window below
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

} // namespace

WinTestWindow::WinTestWindow(const RECT& place) {
    registerClass();
    m_window =
        CreateWindowExW(WS_EX_TOPMOST, kClassName, L"Tivrel test target", WS_POPUP | WS_BORDER,
                        place.left, place.top, place.right - place.left, place.bottom - place.top,
                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_window)
        return;
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure));
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    UpdateWindow(m_window);
    pumpUntil([this] { return IsWindowVisible(m_window) != FALSE; }, 5000);
}

WinTestWindow::~WinTestWindow() {
    if (m_window)
        DestroyWindow(m_window);
}

POINT WinTestWindow::centre() const {
    RECT rect{};
    GetWindowRect(m_window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

LRESULT CALLBACK WinTestWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WinTestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        Counts& c = self->m_counts;
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: // a second quick click is still a press
            ++c.leftDown;
            break;
        case WM_LBUTTONUP:
            ++c.leftUp;
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            ++c.rightDown;
            break;
        case WM_RBUTTONUP:
            ++c.rightUp;
            break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            ++c.middleDown;
            break;
        case WM_MBUTTONUP:
            ++c.middleUp;
            break;
        case WM_KEYDOWN:
            ++c.keyDowns;
            break;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE; // the clicks must not take the focus from anyone
        default:
            break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void pumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(timeoutMs);
    while (!done()) {
        if (GetTickCount64() > deadline)
            return false;
        pumpPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

} // namespace tivrel::test
