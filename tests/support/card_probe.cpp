// card_probe PELMO.EXE: starts the program as a double click in Explorer would, in the folder it
// lies in, and prints what its window shows once it is up ("counter: ...", "word: ...", in
// UTF-8), then closes it. Exit status 0 when the window came and the program ended cleanly.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/control_ids.h"
#include "tests/support/win32_window.h"

namespace {

std::string Utf8(const std::string& ansi) {
  const int wide =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring w(wide, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), wide);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: card_probe PELMO.EXE\n");
    return 2;
  }
  std::string folder = argv[1];
  folder.erase(folder.find_last_of("\\/") + 1);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process)) {
    std::fprintf(stderr, "card_probe: cannot start %s\n", argv[1]);
    return 1;
  }
  HWND main = nullptr;
  const bool up = pelmo::testing::WaitUntil([&] {
                    main = FindWindowA("pelmo fenwa", nullptr);
                    return main && IsWindowVisible(main);
                  }) &&
                  WaitForInputIdle(process.hProcess, 20000) == 0;
  if (up) {
    for (const auto& [name, id] : {std::pair{"counter", pelmo::testing::kCounter},
                                   std::pair{"word", pelmo::testing::kWord}}) {
      char text[256] = {};
      SendMessageA(GetDlgItem(main, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      std::printf("%s: %s\n", name, Utf8(text).c_str());
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
  }
  DWORD code = 1;
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
  }
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("exit: %lu\n", code);
  return up && code == 0 ? 0 : 1;
}
