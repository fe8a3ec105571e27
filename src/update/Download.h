// One HTTP GET into a local file.
#pragma once

#include <string>

namespace cbx::update {

struct HttpResult {
  bool ok = false;
  long status = 0;    // the HTTP status, 0 when none arrived
  int errorCode = 0;  // transport error (no connection, time-out, ...); 0 for every other failure
};

// GET without caching, with the server's credentials; only status 200 counts. The body
// is streamed into "<path>.part" and renamed to `localPath` when complete, so a failed
// download never leaves a partial file under the real name. https is verified.
HttpResult HttpGetToFile(const std::string& url, const std::string& localPath);

}  // namespace cbx::update
