// The update-check workers: find the device's files on the server, mirror them under
// LensDatabase, read them and decide whether newer firmware may be installed.
#pragma once

#include <string>

#include "dock/DockDevice.h"
#include "update/AppState.h"
#include "update/SessionUi.h"

namespace cbx::update {

enum CheckKind : int {
  kCheckLens = 0,
  kCheckDock = 1,
  kCheckAdapter = 3,
  kCheckFlashDock = 4,
  kCheckFlash = 5,
  kCheckNothing = 6,
  kCheckConverterLens = 7,
};

enum CheckResult : int {
  kCheckNewer = 0,
  kCheckNewest = 1,
  kCheckFailed = 2,
  kCheckDockTooOld = 3,
  kCheckNoInformation = 5,
  kCheckProgramTooOld = 6,
  kCheckNotPermitted = 7,
};

// Function numbers of the error reports.
inline constexpr int kFnDockCheck = 3;
inline constexpr int kFnLensCheck = 4;

// Message kinds asked during downloads.
inline constexpr int kMessageRetryDownload = 15;
inline constexpr int kMessageKnownDeviceOffline = 17;

class UpdateChecker {
 public:
  // `lensDatabase` is the mirror folder; `programVersion` the short form a.b.c.
  UpdateChecker(AppState& state, dock::DockDevice& dock, SessionUi& ui, std::string lensDatabase,
                std::string programVersion);

  // Runs the worker of a check kind and returns its result code. The caller holds the
  // device (polling stopped) and shows the waiting message.
  int Run(int checkKind);

  // One download with the retry prompt for transport errors.
  bool DownloadWithRetry(const std::string& url, const std::string& localPath, bool deviceKnown,
                         int& errorCode);
  // One download, no prompt.
  bool DownloadFile(const std::string& url, const std::string& localPath);
  // Whether the server announces a newer version of this program.
  bool CheckProgramUpdate();

  // Shortened by tests.
  void SetNothingCheckDelayMs(int ms) { nothingCheckDelayMs_ = ms; }

 private:
  struct ProductFolder {
    std::string p, m, l, url;
  };
  bool BuildProductFolderUrl(bool converterAware, ProductFolder& folder);
  int CheckProduct(int kind);
  int CheckDock(bool flashDock);
  // Downloads a file that is not the product information file: any failure is logged.
  bool FetchRequired(int functionNumber, const std::string& url, const std::string& localPath);
  bool Ensure(int functionNumber, const std::string& folder);
  int Decide(int compareType);

  AppState& state_;
  dock::DockDevice& dock_;
  SessionUi& ui_;
  std::string lensDatabase_;
  std::string programVersion_;
  std::string base_;
  int nothingCheckDelayMs_ = 2000;
};

}  // namespace cbx::update
