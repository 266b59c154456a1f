// The Win32 tests run under Wine with a Japanese ANSI code page.
// shellapi.h needs windows.h before it.
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Outside a Wine virtual desktop Wine leaves window frames to the X window manager, so a
// caption painted through the window DC never reaches the window's pixels. With the windows
// of this executable alone (the AppDefaults key) unmanaged and undecorated, Wine draws the
// frames itself, as Windows does, and the caption tests can read back what the renderer
// painted; destroying a shown window no longer waits 2 s for a window manager that Xvfb does
// not have either. Returns false when the keys had to be written now: a process that started
// before they existed may not see them (measured: a first run in a fresh Wine session did not).
bool LetWineDrawTheFrames() {
  char exe[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string name(exe, length);
  name = name.substr(name.find_last_of("\\/") + 1);
  std::string path = "Software\\Wine\\AppDefaults\\" + name + "\\X11 Driver";
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return true;
  bool present = true;
  for (const char* option : {"Managed", "Decorated"}) {
    char value[8] = {};
    DWORD size = sizeof value - 1;
    if (RegQueryValueExA(key, option, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
        std::strcmp(value, "N") == 0)
      continue;
    present = false;
    RegSetValueExA(key, option, 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  }
  RegCloseKey(key);
  return present;
}

// Runs this same command line once more, now with the keys in place; its exit code, or -1
// when the second process could not be started.
int RunAgain() {
  SetEnvironmentVariableA("LUMBREL_TESTS_RELAUNCHED", "1");  // never a third time
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (handle && handle != INVALID_HANDLE_VALUE)
      SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  std::wstring commandLine = GetCommandLineW();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Every started form adds its tray icon and removes it again. When the last icon goes,
// Wine's explorer hides its stand-alone tray window and waits 2 s for a window manager;
// one icon kept for the whole run spares each test that wait.
class TrayIconKeeper : public testing::Environment {
 public:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"tray keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window_) return;
    NOTIFYICONDATAA record = Record();
    record.uFlags = NIF_ICON | NIF_TIP;
    record.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    std::strcpy(record.szTip, "tests");
    added_ = Shell_NotifyIconA(NIM_ADD, &record) != FALSE;
  }
  void TearDown() override {
    NOTIFYICONDATAA record = Record();
    if (added_) Shell_NotifyIconA(NIM_DELETE, &record);
    if (window_) DestroyWindow(window_);
  }

 private:
  NOTIFYICONDATAA Record() const {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window_;
    record.uID = 1;
    return record;
  }
  HWND window_ = nullptr;
  bool added_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (UnderWine() && !LetWineDrawTheFrames() && !GetEnvironmentVariableA("LUMBREL_TESTS_RELAUNCHED", nullptr, 0)) {
    int code = RunAgain();
    if (code >= 0) return code;
  }
  testing::InitGoogleTest(&argc, argv);
  // The shipped program is the 32-bit one; a 64-bit run stands in only where 32-bit cannot run.
  std::printf("architecture: %s\n", sizeof(void*) == 4 ? "i686 (32-bit)" : "x86_64 (64-bit)");
  testing::AddGlobalTestEnvironment(new TrayIconKeeper);
  return RUN_ALL_TESTS();
}
