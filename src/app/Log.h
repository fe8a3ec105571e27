// The optional log file CBXLog.txt and the numbered error reports written into it.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace cbx {

inline constexpr std::string_view kLogFileName = "CBXLog.txt";

// One log per process, shared by the UI thread and every worker.
class Log {
 public:
  static Log& Instance();

  // Settings taken at start-up; until the path is set nothing is written.
  void Configure(bool logEnabled, std::string logFilePath, bool isSecondInstance = false);
  bool IsEnabled() const;
  std::string LogFilePath() const;

  // Appends time stamp + message + "\n". Opens and closes the file for every entry;
  // failures of the log itself are ignored.
  void WriteLogLine(std::string_view message);

 private:
  mutable std::mutex mutex_;
  bool logEnabled_ = false;
  bool isSecondInstance_ = false;
  std::string logFilePath_;
};

// "%Y/%m/%d/%H:%M:%S :" in local time; empty when the time cannot be formatted.
std::string LogTimeStamp();

void WriteLogLine(std::string_view message);

// Writes the numbered report of a failure to the log (never shows anything).
void ReportError(int functionNumber, int errorNumber, std::uint16_t commandCode = 0,
                 std::string_view detail = {});

}  // namespace cbx
