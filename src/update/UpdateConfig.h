// Deployment constants of the update service.
#pragma once

namespace cbx::update {

// The built-in update server, used when the configuration's URL is empty. Builds for a
// real deployment set CALIBRIX_UPDATE_SERVER at configure time.
#ifndef CALIBRIX_UPDATE_SERVER
#define CALIBRIX_UPDATE_SERVER "http://updates.orvane.example/calibrix/"
#endif
inline constexpr const char* kBuiltInServerUrl = CALIBRIX_UPDATE_SERVER;

// The server's fixed credentials (a six-character user name, an eight-character password).
inline constexpr const char* kServerUserName = "cbxusr";
inline constexpr const char* kServerPassword = "Lens2Fit";

// Nothing hangs: a connection must open within this time, and a transfer that moves no
// byte for the stall time is given up.
inline constexpr long kConnectTimeoutSeconds = 15;
inline constexpr long kStallTimeoutSeconds = 30;

}  // namespace cbx::update
