#include "update/Download.h"

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

#include "update/UpdateConfig.h"

namespace cbx::update {

namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

constexpr std::size_t kWriteBufferBytes = 1024 * 1024;
// Fewer, larger reads from the socket; within every libcurl's accepted range.
constexpr long kReceiveBufferBytes = 256 * 1024;

struct Sink {
  std::FILE* file = nullptr;
  bool writeFailed = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* userData) {
  auto* sink = static_cast<Sink*>(userData);
  const std::size_t bytes = size * count;
  if (std::fwrite(data, 1, bytes, sink->file) != bytes) {
    sink->writeFailed = true;
    return 0;  // makes libcurl stop with a write error
  }
  return bytes;
}

// Transport failures are worth a retry prompt; a bad URL or a local problem is not.
bool IsTransportError(CURLcode code) {
  switch (code) {
    case CURLE_OK:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_WRITE_ERROR:
    case CURLE_OUT_OF_MEMORY:
    case CURLE_HTTP_RETURNED_ERROR:
      return false;
    default:
      return true;
  }
}

}  // namespace

HttpResult HttpGetToFile(const std::string& url, const std::string& localPath) {
  GlobalInit();
  HttpResult result;
  const std::string partPath = localPath + ".part";
  std::error_code ec;

  Sink sink;
  sink.file = std::fopen(partPath.c_str(), "wb");
  if (sink.file == nullptr) return result;
  // The transport hands over pieces of a few KiB; a large stdio buffer turns them into few
  // large writes. Flush failures still show up at fclose.
  std::vector<char> fileBuffer(kWriteBufferBytes);
  std::setvbuf(sink.file, fileBuffer.data(), _IOFBF, fileBuffer.size());

  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    std::fclose(sink.file);
    std::filesystem::remove(partPath, ec);
    return result;
  }
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Cache-Control: no-cache");
  headers = curl_slist_append(headers, "Pragma: no-cache");
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
#if LIBCURL_VERSION_NUM >= 0x075500
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
#else
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
  curl_easy_setopt(curl, CURLOPT_USERNAME, kServerUserName);
  curl_easy_setopt(curl, CURLOPT_PASSWORD, kServerPassword);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // worker threads: no SIGALRM for time-outs
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);

  // A body that is not 200 is never written anywhere but the part file.
  const CURLcode code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  const bool closed = std::fclose(sink.file) == 0;

  if (code == CURLE_OK && result.status == 200 && closed && !sink.writeFailed) {
    std::filesystem::rename(partPath, localPath, ec);
    result.ok = !ec;
  } else if (code != CURLE_OK && IsTransportError(code) && !sink.writeFailed) {
    result.errorCode = static_cast<int>(code);
  }
  if (!result.ok) std::filesystem::remove(partPath, ec);
  return result;
}

}  // namespace cbx::update
