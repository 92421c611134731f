#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app_support_win.h"
#include "e2e_support_win.h"
#include "support/jpeg_encoder.h"

namespace tamsolo::e2e {
namespace {

namespace fs = std::filesystem;

bool HoldsEntryStartingWith(const fs::path& folder, const std::string& prefix) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().rfind(prefix, 0) == 0)
      return true;
  return false;
}

// Ctrl-C in the console of tamsolo-cli.exe stops a convert as a signal does on POSIX: the run
// ends with the interrupted status, its work folder and lock file are gone and no book is
// left. Ctrl-C comes once the work folder exists, while a large image is being decoded.
TEST(CliUnderWine, CtrlCStopsTheRunAndLeavesNothing) {
  testing::TempFolder temp;
  fs::create_directories(temp.Path() / "tmp");
  testing::WriteLargeJpeg(temp.Path() / "in" / "vol1" / "big.jpg", 9000, 12000, false);
  SetEnvironmentVariableA("TMP", temp.File("tmp").c_str());
  SetEnvironmentVariableA("TEMP", temp.File("tmp").c_str());
  std::string command = "\"" + CliExecutable() + "\" convert \"" + temp.File("in") + "\" -o \"" +
                        temp.File("out") + "\" --quiet";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                             nullptr, nullptr, &startup, &process));
  const bool started =
      PumpUntil([&] { return HoldsEntryStartingWith(temp.Path() / "tmp", "tamsolo-cli-"); }, 60000);
  EXPECT_TRUE(started) << "no work folder appeared";
  // Ctrl-C reaches the processes of one console: the test joins the child's to send it.
  FreeConsole();
  const BOOL attached = AttachConsole(process.dwProcessId);
  EXPECT_TRUE(attached) << "error " << GetLastError();
  SetConsoleCtrlHandler(nullptr, TRUE);
  const BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  EXPECT_TRUE(sent) << "error " << GetLastError();
  const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  if (waited != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  SetEnvironmentVariableA("TMP", nullptr);
  SetEnvironmentVariableA("TEMP", nullptr);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "Ctrl-C did not end the run";
  EXPECT_EQ(code, 130u);
  EXPECT_FALSE(HoldsEntryStartingWith(temp.Path() / "tmp", "tamsolo-cli-"));
  EXPECT_FALSE(fs::exists(temp.Path() / "out" / "vol1"));
}

}  // namespace
}  // namespace tamsolo::e2e
