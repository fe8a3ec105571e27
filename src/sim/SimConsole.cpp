#include "sim/SimConsole.h"

#include <charconv>
#include <optional>
#include <sstream>
#include <vector>

namespace cbx::sim {

namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// "0xEE" or "238", at most `max`.
std::optional<unsigned long> Number(std::string_view text, unsigned long max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value > max) return std::nullopt;
  return value;
}

std::string Error(const std::string& why) { return "error: " + why; }

}  // namespace

SimConsole::Answer SimConsole::Execute(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == '#') return {};
  const auto space = line.find_first_of(" \t");
  const std::string command(line.substr(0, space));
  const std::string_view rest = space == std::string_view::npos ? std::string_view{} : Trim(line.substr(space));
  std::vector<std::string> args;
  {
    std::istringstream words{std::string(rest)};
    for (std::string word; words >> word;) args.push_back(word);
  }
  const auto noArgs = [&](auto&& action) -> Answer {
    if (!args.empty()) return {Error(command + " takes no argument")};
    action();
    return {"ok"};
  };

  try {
    if (command == "quit") return {"ok", true};
    if (command == "plug") return noArgs([&] { device_.Plug(); });
    if (command == "unplug") return noArgs([&] { device_.Unplug(); });
    if (command == "restart") return noArgs([&] { device_.Restart(); });
    if (command == "unmount") return noArgs([&] { device_.Unmount(); });

    if (command == "mount" || command == "swap") {
      // The rest of the line, so that file names may hold spaces.
      if (rest.empty()) return {Error(command + " needs a profile file or name")};
      DeviceProfile profile = LoadProfile(std::string(rest));
      if (command == "swap") {
        device_.Swap(std::move(profile));
      } else if (!profile.attached) {
        return {Error(profile.id + " has nothing attached")};
      } else {
        device_.Mount(*profile.attached);
      }
      return {"ok"};
    }

    if (command == "memory") {
      // What the mounted lens holds now, so that a test can see what a program wrote.
      if (args.size() != 1 || (args[0] != "af" && args[0] != "cs")) return {Error("memory needs af or cs")};
      const std::vector<std::uint8_t> area = args[0] == "af" ? device_.AfArea() : device_.CsArea();
      static constexpr char kDigits[] = "0123456789ABCDEF";
      std::string hex;
      hex.reserve(area.size() * 2);
      for (const std::uint8_t b : area) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0x0F];
      }
      return {area.empty() ? "ok" : "ok " + hex};
    }

    if (command == "status") {
      if (args.size() != 1) return {Error("status needs a byte or auto")};
      Faults faults = device_.GetFaults();
      if (args[0] == "auto") {
        faults.forcedStatus.reset();
      } else if (const auto byte = Number(args[0], 0xFF)) {
        faults.forcedStatus = static_cast<std::uint8_t>(*byte);
      } else {
        return {Error("not a byte: " + args[0])};
      }
      device_.SetFaults(faults);
      return {"ok"};
    }

    if (command == "fault") {
      if (args.empty()) return {Error("fault needs none, silent, wrong-code or disconnect-after")};
      Faults faults = device_.GetFaults();
      const std::string& kind = args[0];
      if (kind == "none" && args.size() == 1) {
        faults = {};
      } else if ((kind == "silent" || kind == "wrong-code") && args.size() <= 2) {
        faults.reply = kind == "silent" ? ReplyFault::Silent : ReplyFault::WrongCode;
        faults.replyFaultCode.reset();
        if (args.size() == 2) {
          const auto code = Number(args[1], 0xFFFF);
          if (!code) return {Error("not a command code: " + args[1])};
          faults.replyFaultCode = static_cast<std::uint16_t>(*code);
        }
      } else if (kind == "disconnect-after" && args.size() == 2) {
        const auto count = Number(args[1], 1000000);
        if (!count || *count == 0) return {Error("disconnect-after needs a count of 1 or more")};
        faults.disconnectAfter = static_cast<std::size_t>(*count);
      } else {
        return {Error("unknown fault: " + std::string(rest))};
      }
      device_.SetFaults(faults);
      return {"ok"};
    }
  } catch (const std::exception& e) {
    return {Error(e.what())};
  }
  return {Error("unknown command: " + command)};
}

}  // namespace cbx::sim
