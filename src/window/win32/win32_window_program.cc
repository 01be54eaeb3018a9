#include "window/win32/win32_window_program.h"

#include "window/win32/windows_api.h"
// After <windows.h>, which they need.
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/text_codec.h"
#include "panel/settings_fields.h"
#include "platform/locations.h"
#include "platform/program_arguments.h"
#include "platform/site_places.h"
#include "run/session.h"
#include "settings/config_place_message.h"
#include "window/presenter/start_up.h"
#include "window/presenter/window_texts.h"
#include "window/win32/win32_main_window.h"
#include "window/win32/win32_message_loop.h"
#include "window/win32/win32_step_driver.h"

namespace quelbo {
namespace {

constexpr int kExitClean = 0;
constexpr char kName[] = "quelbo";

std::string Usage() {
  return std::string(
             "Usage: quelbo [SITE_FOLDER]\n"
             "\n"
             "Opens the window on the pages of the site in SITE_FOLDER. Without SITE_FOLDER\n"
             "the site is the folder that holds this program; when that is a system folder,\n"
             "a folder of programs (such as ") +
         kProgramFolderExamples[Index(Language::kEnglish)] +
         ")\n"
         "or one you cannot write to, the window first asks which folder to work on.\n"
         "\n"
         "Settings are kept in " +
         ConfigDirectory() + "\n(" + kConfigDirectoryChoice[Index(Language::kEnglish)] +
         ").\n"
         "\n"
         "  --help      print this text\n"
         "  --version   print the version\n";
}

// A window program has no console of its own: what it prints (--help, a wrong command line)
// goes to the console it was started from, unless it is sent elsewhere. Returns whether the
// error stream reaches anything (false when started from Explorer or a shortcut).
bool UseParentConsole() {
  const auto sent_elsewhere = [](DWORD which) {
    HANDLE handle = ::GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
  };
  const bool out_elsewhere = sent_elsewhere(STD_OUTPUT_HANDLE);
  const bool err_elsewhere = sent_elsewhere(STD_ERROR_HANDLE);
  if (out_elsewhere && err_elsewhere) return true;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return err_elsewhere;
  if (!out_elsewhere) (void)std::freopen("CONOUT$", "w", stdout);
  if (!err_elsewhere) (void)std::freopen("CONOUT$", "w", stderr);
  return true;
}

// The form's own caption, for a box shown before there is a window.
std::u16string FormCaption() { return std::u16string(ControlPanel().Text(Control::Form1)); }

// The folder the user picks in the system's folder chooser; empty when none is picked.
std::string ChooseSiteFolder() {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOW browse{};
  const std::u16string title = FromUtf8(kWindowTexts.choose_site_folder);
  browse.lpszTitle = reinterpret_cast<const wchar_t*>(title.c_str());
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  std::string folder;
  if (PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse)) {
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(chosen, path)) {
      const std::u16string wide(reinterpret_cast<const char16_t*>(path));
      folder = ToUtf8(wide);
      for (char& c : folder) {
        if (c == '\\') c = '/';
      }
    }
    ::CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return folder;
}

}  // namespace

int RunWin32WindowProgram(int argc, char** argv) {
  const bool error_stream_read = UseParentConsole();
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<const char*> utf8_argv;
  for (const std::string& argument : arguments) utf8_argv.push_back(argument.c_str());
  const std::unique_ptr<FileSystem> machine_fs = NewMachineFileSystem();
  FileSystem& fs = *machine_fs;
  StartUp plan =
      PlanStartUp(fs, static_cast<int>(utf8_argv.size()), utf8_argv.data(), kName, Usage());
  switch (plan.kind) {
    case StartUp::Kind::kAnswer:
    case StartUp::Kind::kRefuse:
      std::fputs(plan.text.c_str(), plan.kind == StartUp::Kind::kAnswer ? stdout : stderr);
      if (!plan.message.empty() && !error_stream_read) {
        // Started from Explorer or a shortcut, the program has no console to read.
        ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(plan.message.c_str()),
                      reinterpret_cast<const wchar_t*>(FormCaption().c_str()),
                      MB_OK | MB_ICONERROR);
      }
      return plan.exit_status;
    case StartUp::Kind::kAsk:
      plan.folder = ChooseSiteFolder();
      if (plan.folder.empty()) {
        std::fprintf(stderr, "%s: no site folder chosen\n", kName);
        return kExitClean;
      }
      break;
    case StartUp::Kind::kOpen:
      break;
  }
  const std::string root = std::move(plan.folder);
  const ConfigPlace config_place = ConfigDirectoryPlace();
  SteadyClock clock;
  auto created = Session::Create(fs, clock, SessionPaths{root, config_place.directory});
  if (!created) {
    std::fprintf(stderr, "%s: %s\n", kName, created.error().Message().c_str());
    return 2;  // as for a wrong command line
  }
  Session& session = **created;

  // The window exists before the settings fill it, and is shown only after.
  Win32MainWindow window(session.panel(), {});
  // Preview and undo sit below the designed area, which stays as it is.
  window.ShowSession(session, clock);
  session.LoadSettings();
  if (config_place.instead_of_usual) {
    session.panel().SetText(
        kStatusLine, UsualConfigPlaceUnusableMessage(config_place.directory, session.texts()));
  }
  Win32StepDriver driver(session.scheduler(), clock);
  // Closing the window ends the program: no step runs after it, and nothing is saved.
  window.OnClose([&driver] { driver.Stop(); });
  win32::SetMessageFilter([&window](const MSG& message) { return window.HandleKey(message); });
  window.RefreshNow();
  window.Show(SW_SHOWDEFAULT);
  const int status = win32::RunMessageLoop();
  win32::SetMessageFilter({});
  return status;
}

}  // namespace quelbo
