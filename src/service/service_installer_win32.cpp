#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <type_traits>

#include "runtime/wide_text_win32.hpp"
#include "service/service_installer.hpp"
#include "service/service_installer_win32.hpp"
#include "service/syslog_event_log.hpp"

namespace helvanta {

namespace {

struct TServiceHandleClose {
  void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using TServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, TServiceHandleClose>;

TServiceInstallResult Failed(const std::string& reason) { return {false, std::string(kServiceName) + ": " + reason}; }

// What failed and why; access denied means the command prompt was not started as
// administrator, which the system's own text does not say.
std::string CallFailure(const std::string& what, DWORD code) {
  if (code == ERROR_ACCESS_DENIED) {
    return what + " needs administrator rights: run it from a command prompt started with \"Run as administrator\" (" +
           WindowsErrorText(code) + ")";
  }
  return what + " failed: " + WindowsErrorText(code);
}

// The folder as compared: absolute, links resolved, one trailing separator, lower case as
// Windows compares names; "" when it cannot be.
std::wstring FolderKey(const std::filesystem::path& folder) {
  std::error_code error;
  std::wstring key = (std::filesystem::weakly_canonical(folder, error) / L"").wstring();
  if (error || key.empty()) return {};
  CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
  return key;
}

// The output folder must exist (it is never created), and the service may write there
// only: not in the program's own folder.
std::string CheckOutputFolder(const TServiceUnitSettings& settings) {
  const std::string& folder = settings.outputFolder;
  const std::filesystem::path path(WideOf(folder));
  if (folder.empty() || !path.is_absolute()) {
    return "the output folder \"" + folder + "\" is not an absolute path; set OutputFolder in Helvanta.ini";
  }
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) {
    return "the output folder " + folder + " cannot be used: " + error.message() + " (create it, then install again)";
  }
  if (!std::filesystem::is_directory(status)) return "the output folder " + folder + " is not a folder";
  const std::wstring output = FolderKey(path);
  const std::wstring program = FolderKey(std::filesystem::path(WideOf(settings.programFolder)));
  if (!output.empty() && !program.empty() && program.starts_with(output)) {
    return "the output folder " + folder + " holds the program's folder " + settings.programFolder +
           ", which the service must not write; give the logs a folder of their own";
  }
  return {};
}

// Names the executable as the event source's message file.
std::string RegisterEventSource(const std::string& executable) {
  HKEY key = nullptr;
  const std::wstring keyName = WideOf(kEventSourceKey);
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return CallFailure("registering the event source", static_cast<DWORD>(status));
  const std::wstring file = WideOf(executable);
  const DWORD types = kEventTypesSupported;
  status = RegSetValueExW(key, L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                          static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
  }
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return CallFailure("registering the event source", static_cast<DWORD>(status));
  return {};
}

std::string UnregisterEventSource() {
  const LSTATUS status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, WideOf(kEventSourceKey).c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    return CallFailure("removing the event source", static_cast<DWORD>(status));
  }
  return {};
}

// Asks a running service to stop and waits until it has, as long as it reports progress.
std::string StopIfRunning(SC_HANDLE service) {
  SERVICE_STATUS status{};
  if (!ControlService(service, SERVICE_CONTROL_STOP, &status)) {
    const DWORD error = GetLastError();
    if (error == ERROR_SERVICE_NOT_ACTIVE) return {};
    if (error != ERROR_SERVICE_CANNOT_ACCEPT_CTRL) return CallFailure("stopping the service", error);
  }
  DWORD checkPoint = status.dwCheckPoint;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(status.dwWaitHint);
  while (status.dwCurrentState != SERVICE_STOPPED) {
    // A tenth of the wait hint, kept between 0.1 and 1 s.
    const DWORD pause = std::clamp<DWORD>(status.dwWaitHint / 10, 100, 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    if (!QueryServiceStatus(service, &status)) return CallFailure("stopping the service", GetLastError());
    if (status.dwCheckPoint != checkPoint) {
      checkPoint = status.dwCheckPoint;
      deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(status.dwWaitHint);
    } else if (status.dwCurrentState != SERVICE_STOPPED && std::chrono::steady_clock::now() > deadline) {
      return "the service did not stop in time; stop it with sc stop " + std::string(kServiceName) +
             ", then uninstall again";
    }
  }
  return {};
}

}  // namespace

std::string ServiceCommandLine(const std::string& executable) { return "\"" + executable + "\" -service"; }

TServiceInstallPlace DefaultInstallPlace() { return {}; }

TServiceInstallResult InstallService(const TServiceInstallPlace& /*place*/, const TServiceUnitSettings& settings) {
  if (std::string error = CheckOutputFolder(settings); !error.empty()) return Failed(error);
  const TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return Failed(CallFailure("installing the service", GetLastError()));
  const std::wstring name = WideOf(kServiceName);
  const std::wstring commandLine = WideOf(ServiceCommandLine(settings.executable));
  TServiceHandle service(CreateServiceW(manager.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                        SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                        commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  if (!service && GetLastError() == ERROR_SERVICE_EXISTS) {
    // Installing again takes up this executable's place (a copy moved elsewhere).
    service.reset(OpenServiceW(manager.get(), name.c_str(), SERVICE_CHANGE_CONFIG));
    if (service &&
        !ChangeServiceConfigW(service.get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                              commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, name.c_str())) {
      return Failed(CallFailure("changing the installed service", GetLastError()));
    }
  }
  if (!service) return Failed(CallFailure("installing the service", GetLastError()));
  if (std::string error = RegisterEventSource(settings.executable); !error.empty()) {
    return Failed(error + " (the service is installed)");
  }
  return {true, "Service installed successfully"};
}

TServiceInstallResult UninstallService(const TServiceInstallPlace& /*place*/) {
  const TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return Failed(CallFailure("removing the service", GetLastError()));
  const TServiceHandle service(
      OpenServiceW(manager.get(), WideOf(kServiceName).c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (!service) {
    const DWORD error = GetLastError();
    if (error == ERROR_SERVICE_DOES_NOT_EXIST) return Failed("the service is not installed");
    return Failed(CallFailure("removing the service", error));
  }
  if (std::string error = StopIfRunning(service.get()); !error.empty()) return Failed(error);
  if (!DeleteService(service.get())) return Failed(CallFailure("removing the service", GetLastError()));
  if (std::string error = UnregisterEventSource(); !error.empty()) return Failed(error + " (the service is removed)");
  return {true, "Service uninstalled successfully"};
}

}  // namespace helvanta
