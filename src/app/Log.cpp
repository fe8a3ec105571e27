#include "app/Log.h"

#include <cstdio>
#include <ctime>

#include "app/ErrorTables.h"

namespace cbx {

Log& Log::Instance() {
  static Log log;
  return log;
}

void Log::Configure(bool logEnabled, std::string logFilePath, bool isSecondInstance) {
  std::lock_guard lock(mutex_);
  logEnabled_ = logEnabled;
  logFilePath_ = std::move(logFilePath);
  isSecondInstance_ = isSecondInstance;
}

bool Log::IsEnabled() const {
  std::lock_guard lock(mutex_);
  return logEnabled_ && !isSecondInstance_ && !logFilePath_.empty();
}

std::string Log::LogFilePath() const {
  std::lock_guard lock(mutex_);
  return logFilePath_;
}

std::string LogTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y/%m/%d/%H:%M:%S :", &local);
  return std::string(buffer, n);
}

void Log::WriteLogLine(std::string_view message) {
  // The lock keeps entries of different threads whole; the file is still opened and
  // closed for each entry so that nothing is lost when the program dies.
  std::lock_guard lock(mutex_);
  if (isSecondInstance_ || !logEnabled_ || logFilePath_.empty()) return;
  std::FILE* file = std::fopen(logFilePath_.c_str(), "ab");
  if (file == nullptr) return;
  std::string entry = LogTimeStamp();
  entry.append(message);
  entry.push_back('\n');
  std::fwrite(entry.data(), 1, entry.size(), file);
  std::fclose(file);
}

void WriteLogLine(std::string_view message) { Log::Instance().WriteLogLine(message); }

void ReportError(int functionNumber, int errorNumber, std::uint16_t commandCode,
                 std::string_view detail) {
  WriteLogLine(BuildErrorReport(functionNumber, errorNumber, commandCode, detail));
}

}  // namespace cbx
