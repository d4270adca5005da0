// tivrel.exe as a user meets it on Windows, driven from outside with the system's own input:
// the terms accepted, the window on top, the tray icon, a run of a
// given amount of clicks counted by a window of this test, and "Exit" answered Yes.
//
// TIVREL_PROGRAM_FILE names the program. The test owns the Wine prefix it runs in: it sets
// the program's registry key itself.
#include "ProgramFile.h"
#include "WinTestWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace tivrel::test {
namespace {

const wchar_t kSettingsKey[] = L"Software\\Tivrel";

struct Found {
    DWORD process;
    const wchar_t* title;
    HWND window = nullptr;
};

// A visible top-level window of the process with exactly this title.
HWND windowOf(DWORD process, const wchar_t* title) {
    Found found{process, title};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& f = *reinterpret_cast<Found*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t text[256] = {};
            GetWindowTextW(window, text, 256);
            if (owner == f.process && IsWindowVisible(window) && wcscmp(text, f.title) == 0) {
                f.window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.window;
}

// The icons in the notification area: Wine shows each as a window of this class, docked in
// the session's tray host or in its own stand-alone tray.
int trayIcons() {
    int icons = 0;
    const auto count = [](HWND window, LPARAM data) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (wcscmp(name, L"__winex11_tray_icon") == 0)
            ++*reinterpret_cast<int*>(data);
        return TRUE;
    };
    EnumWindows(count, reinterpret_cast<LPARAM>(&icons));
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            EnumChildWindows(
                window,
                [](HWND child, LPARAM d) -> BOOL {
                    wchar_t name[64] = {};
                    GetClassNameW(child, name, 64);
                    if (wcscmp(name, L"__winex11_tray_icon") == 0)
                        ++*reinterpret_cast<int*>(d);
                    return TRUE;
                },
                data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&icons));
    return icons;
}

void sendKeys(std::initializer_list<WORD> chord) {
    std::vector<INPUT> inputs;
    for (WORD key : chord) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = chord.end(); key != chord.begin();) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

void clickAt(POINT at) {
    SetCursorPos(at.x, at.y);
    pumpUntil([&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
    });
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

class Program : public ::testing::Test {
protected:
    Program() {
        program = programFile();
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        dialogLog = std::wstring(folder) + L"tivrel-program-test-dialogs.txt";
        DeleteFileW(dialogLog.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }
    ~Program() override {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }

    bool start() {
        SetEnvironmentVariableW(L"TIVREL_DIALOG_LOG", dialogLog.c_str());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + program + L"\"";
        return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process) != FALSE;
    }

    HWND waitForWindow(const wchar_t* title, int timeoutMs = 30000) {
        HWND window = nullptr;
        pumpUntil([&] { return (window = windowOf(process.dwProcessId, title)) != nullptr; },
                  timeoutMs);
        return window;
    }

    // Brings the box to the front and types the keys until it goes; a key typed before the
    // box had the focus went elsewhere.
    bool answer(const wchar_t* title, std::initializer_list<WORD> chord) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            HWND box = waitForWindow(title);
            if (!box)
                return false;
            SetForegroundWindow(box);
            pumpUntil([&] { return GetForegroundWindow() == box; }, 2000);
            sendKeys(chord);
            if (pumpUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 3000))
                return true;
        }
        return false;
    }

    // The lines the program's message and input boxes logged as they opened.
    std::vector<std::string> dialogs() const {
        std::vector<std::string> lines;
        std::ifstream file(dialogLog.c_str());
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    std::wstring setting(const wchar_t* section, const wchar_t* name) const {
        wchar_t data[256] = {};
        DWORD size = sizeof data;
        const std::wstring key = std::wstring(kSettingsKey) + L"\\" + section;
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data,
                         &size) != ERROR_SUCCESS)
            return {};
        return data;
    }

    void store(const wchar_t* section, const wchar_t* name, const wchar_t* value) {
        const std::wstring key = std::wstring(kSettingsKey) + L"\\" + section;
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value,
                        DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
    }

    std::wstring program;
    std::wstring dialogLog;
    PROCESS_INFORMATION process{};
};

// A point of the main window's client area, given in the twips of its layout (15 to the
// pixel on a 96 dpi display) from the top left of the area below the menu bar, which is
// 4200 x 4995 twips.
POINT onMainWindow(HWND window, int xTwips, int yTwips) {
    RECT client{};
    GetClientRect(window, &client);
    const int menuBar = client.bottom - 4995 / 15;
    POINT at{xTwips / 15, menuBar + yTwips / 15};
    ClientToScreen(window, &at);
    return at;
}

TEST_F(Program, TermsTrayTopmostAnAmountRunAndExit) {
    ASSERT_FALSE(program.empty()) << "TIVREL_PROGRAM_FILE is not set";
    const int iconsBefore = trayIcons();
    store(L"Auto-Hide", L"Show", L"1"); // the window shows at start-up
    // Told already that this system gives the program no start/stop key (yet).
    store(L"Keys", L"Told", L"NotOffered");
    ASSERT_TRUE(start()) << "cannot start the program, error " << GetLastError();

    // The terms come first, with no icon yet.
    ASSERT_TRUE(waitForWindow(L"Disclaimer Notice")) << "no terms notice";
    EXPECT_EQ(trayIcons(), iconsBefore) << "an icon before the terms were accepted";
    ASSERT_TRUE(answer(L"Disclaimer Notice", {VK_MENU, 'A'}));
    EXPECT_TRUE(pumpUntil([&] { return setting(L"EULA", L"TrialRead") == L"ACCEPTED"; }))
        << "the acceptance was not stored";

    // The main window: shown and on top; the icon in the tray. (Wine gives no other process
    // a window's system menu: the Close command is the backend tests' to check.)
    const HWND main = waitForWindow(L"Tivrel");
    ASSERT_TRUE(main) << "no main window after accepting";
    EXPECT_TRUE(pumpUntil([&] {
        return (GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    })) << "the main window is not topmost";
    EXPECT_TRUE(pumpUntil([&] { return trayIcons() == iconsBefore + 1; }))
        << trayIcons() << " icons, " << iconsBefore << " before the start";

    // An amount of 25: tick "Amount" and enter the number in the box its value opens.
    clickAt(onMainWindow(main, 120 + 480 + 300, 120 + 2520 + 127));
    clickAt(onMainWindow(main, 120 + 360 + 300, 120 + 2880 + 127));
    const std::size_t logged = dialogs().size();
    ASSERT_TRUE(pumpUntil([&] { return dialogs().size() > logged; }))
        << "no input box for the amount";
    ASSERT_EQ(dialogs().back().rfind("input\t", 0), 0u) << dialogs().back();
    HWND input = GetForegroundWindow();
    ASSERT_TRUE(pumpUntil([&] {
        input = GetForegroundWindow();
        DWORD owner = 0;
        GetWindowThreadProcessId(input, &owner);
        return owner == process.dwProcessId && input != main;
    }));
    sendKeys({VK_CONTROL, 'A'});
    sendKeys({'2'});
    sendKeys({'5'});
    sendKeys({VK_RETURN});
    ASSERT_TRUE(pumpUntil([&] { return !IsWindowVisible(input); })) << "the box stayed";

    // The pointer on this test's window, ENTER on the program's: 25 clicks, not one more.
    RECT mainPlace{};
    GetWindowRect(main, &mainPlace);
    const LONG left = mainPlace.right < 700 ? 800 : 100;
    WinTestWindow target({left, 300, left + 300, 600});
    ASSERT_TRUE(target.handle());
    const POINT centre = target.centre();
    SetCursorPos(centre.x, centre.y);
    SetForegroundWindow(main);
    ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == main; }, 5000));
    sendKeys({VK_RETURN});
    HWND stopped = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] { return (stopped = windowOf(process.dwProcessId, L"Program Stopped")) != nullptr; },
        60000))
        << target.counts().leftUp << " clicks and no end of the run";
    pumpPending();
    EXPECT_EQ(target.counts().leftDown, 25);
    EXPECT_EQ(target.counts().leftUp, 25);
    EXPECT_EQ(target.counts().total(), 50) << "other buttons were clicked";
    const std::string summary = dialogs().back();
    EXPECT_NE(summary.find("The required amount of clicks has been reached."), std::string::npos)
        << summary;
    EXPECT_NE(summary.find("25"), std::string::npos) << summary;
    ASSERT_TRUE(answer(L"Program Stopped", {VK_RETURN}));

    // "Exit" is the last item of the File menu; Yes ends the program with status 0.
    SetForegroundWindow(main);
    pumpUntil([&] { return GetForegroundWindow() == main; }, 5000);
    sendKeys({VK_MENU, 'F'});
    sendKeys({VK_UP});
    sendKeys({VK_RETURN});
    ASSERT_TRUE(waitForWindow(L"Exiting ...")) << "no question before exiting";
    ASSERT_TRUE(answer(L"Exiting ...", {VK_MENU, 'Y'}));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0) << "still running";
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    EXPECT_EQ(status, 0u);
    EXPECT_TRUE(pumpUntil([&] { return trayIcons() == iconsBefore; })) << "the icon stayed";
}

} // namespace
} // namespace tivrel::test
