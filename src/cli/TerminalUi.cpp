#include "cli/TerminalUi.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "app/MessageKinds.h"
#include "lens/TransferHost.h"

namespace cbx::cli {

namespace {

// A choice a button of the kind offers, with the code it returns.
struct Choice {
  std::string label;
  int result;
};

constexpr int kBarWidth = 40;

bool IsGoAhead(int result) { return result == kResultYes || result == 22; }

// Questions about this program (a newer one exists or is needed), not about a device: --yes
// is for firmware, so they are only ever answered at a prompt.
bool IsProgramQuestion(int kind) {
  return kind == 27 || kind == 28 || kind == 29 || kind == 208 || kind == 311 || kind == 312;
}

std::string Hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%04X", value);
  return buffer;
}

}  // namespace

TerminalUi::TerminalUi(const TextTable& texts, bool assumeYes) : texts_(&texts), assumeYes_(assumeYes) {}



void TerminalUi::SetTarget(AnswerTarget target, std::function<bool()> aboutDock) {
  target_ = target;
  aboutDock_ = std::move(aboutDock);
}

void TerminalUi::SetEventStream(std::ostream* out, bool json) {
  events_ = out;
  json_ = json;
}

void TerminalUi::Emit(nlohmann::ordered_json event) {
  std::lock_guard lock(mutex_);
  if (events_ == nullptr) return;
  if (!filter_.empty() &&
      std::find(filter_.begin(), filter_.end(), event.value("event", std::string())) == filter_.end()) {
    return;
  }
  if (json_) {
    *events_ << event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
    return;
  }
  // Text: the event name, its values, and a text last.
  std::string line = event.value("event", std::string("event"));
  std::string text;
  for (const auto& [key, value] : event.items()) {
    if (key == "event") continue;
    if (key == "text") {
      text = value.get<std::string>();
      continue;
    }
    line += " " + key + "=" + (value.is_string() ? value.get<std::string>() : value.dump());
  }
  if (!text.empty()) line += ": " + text;
  *events_ << line << std::endl;
}

std::string TerminalUi::MessageText(int kind, const std::string& callerText) const {
  const MessageKindInfo& info = MessageKind(kind);
  std::string text = callerText;
  if (info.fixedTextId != 0 && !texts_->GetText(static_cast<std::uint32_t>(info.fixedTextId), text)) {
    text = "message " + std::to_string(kind);
  }
  std::string second;
  if (info.secondTextId != 0 && texts_->GetText(static_cast<std::uint32_t>(info.secondTextId), second)) {
    const std::size_t at = second.find("%s");
    if (at != std::string::npos) second.replace(at, 2, callerText);
    text += "\n" + second;
  }
  return text;
}

std::string TerminalUi::Label(int id, const char* fallback) const {
  std::string label;
  if (id == 0 || !texts_->GetText(static_cast<std::uint32_t>(id), label) || label.empty()) return fallback;
  return label;
}

int TerminalUi::AskMessage(int kind, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    shown_.push_back(kind);
  }
  const MessageKindInfo& info = MessageKind(kind);
  const std::string message = MessageText(kind, text);
  std::vector<Choice> choices;
  if ((info.buttons & kButtonOk) != 0) choices.push_back({Label(info.okLabelId, "OK"), info.okResult});
  if ((info.buttons & kButtonCancel) != 0) choices.push_back({Label(info.cancelLabelId, "Cancel"), info.cancelResult});
  // 1045 of the update offers opens a document without closing: not an answer here.
  if ((info.buttons & kButton1045) != 0 && info.result1045 != 21) {
    choices.push_back({Label(info.label1045Id, "Continue"), info.result1045});
  }
  if ((info.buttons & kButton1046) != 0) choices.push_back({Label(info.label1046Id, "Back"), info.result1046});

  const int answer = Answer(kind, message);
  if (events_ != nullptr) {
    nlohmann::ordered_json event{{"event", "message"}, {"kind", kind}};
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Choice& c : choices) list.push_back({{"label", c.label}, {"result", c.result}});
    event["choices"] = list;
    event["answer"] = answer;
    event["text"] = message;
    Emit(event);
  } else {
    std::cerr << "calibrix-cli: " << message << "\n";
  }
  return answer;
}

int TerminalUi::Answer(int kind, const std::string& message) {
  const MessageKindInfo& info = MessageKind(kind);
  // The answer that goes ahead (13, or 22 for the precautions) and the one that declines.
  int goAhead = 0;
  if ((info.buttons & kButtonOk) != 0 && IsGoAhead(info.okResult)) goAhead = info.okResult;
  if ((info.buttons & kButton1045) != 0 && IsGoAhead(info.result1045)) goAhead = info.result1045;
  const int decline = info.cancelResult;
  const bool retry = goAhead == 0 && (info.buttons & kButtonCancel) != 0 && info.okResult != info.cancelResult;
  if (goAhead == 0 && !retry) return (info.buttons & kButtonOk) != 0 ? info.okResult : kResultOfClose;
  // A "try again" prompt is never answered blindly, so that an unattended run cannot loop.
  if (retry) goAhead = info.okResult;
  if (answerNo_ || (retry && assumeYes_)) return decline;
  if (target_ != AnswerTarget::kAny && AboutDock() != (target_ == AnswerTarget::kDock)) return decline;
  if (assumeYes_) return IsProgramQuestion(kind) ? decline : goAhead;
  if (!::isatty(STDIN_FILENO)) return decline;
  // Only a real terminal gets a prompt; the question itself goes with it.
  std::lock_guard lock(mutex_);
  if (events_ != nullptr) std::cerr << message << "\n";
  const bool withBack = (info.buttons & kButton1046) != 0;
  std::cerr << (withBack ? "[y]es / [b]ack / [N]o: " : "[y/N] ") << std::flush;
  std::string reply;
  std::getline(std::cin, reply);
  if (reply == "y" || reply == "Y" || reply == "yes") return goAhead;
  if (withBack && (reply == "b" || reply == "B" || reply == "back")) return info.result1046;
  return decline;
}

int TerminalUi::RunUpdateCheck(int waitKind, const std::function<int()>& check) {
  const bool aboutDock = AboutDock();
  const int result = check();
  {
    std::lock_guard lock(mutex_);
    checks_.push_back({waitKind, result, aboutDock, ++order_});
  }
  Emit({{"event", "check"}, {"waitKind", waitKind}, {"device", aboutDock ? "usb" : "attached"}, {"result", result}});
  return result;
}

int TerminalUi::RunTransfer(int transferType, const std::function<int()>& transfer) {
  {
    std::lock_guard lock(mutex_);
    lastPercent_ = -1;
  }
  Emit({{"event", "transfer-start"}, {"type", transferType}});
  const int result = transfer();
  {
    std::lock_guard lock(mutex_);
    transfers_.push_back({transferType, result, ++order_});
    if (showProgress_ && lastPercent_ >= 0) {
      const bool done = result == lens::kTransferSuccess;
      if (::isatty(STDERR_FILENO)) {
        std::cerr << (done ? "\r[" + std::string(kBarWidth, '#') + "] 100%\n" : std::string("\n"));
      } else if (done && lastPercent_ < 100) {
        std::cerr << "transfer " << transferType << ": 100%\n";
      }
    }
  }
  Emit({{"event", "transfer-end"}, {"type", transferType}, {"result", result}});
  return result;
}

int TerminalUi::RunEmcTest(EmcControl& control, const std::function<int()>& loop) {
  Emit({{"event", "emc-start"}});
  control.SetListener({[this](const std::string& status) { Emit({{"event", "emc-status"}, {"text", status}}); }, {}});
  const int result = loop();
  control.SetListener({});
  Emit({{"event", "emc-end"}, {"result", result}});
  return result;
}

void TerminalUi::TransferProgressed(int transferType, int min, int max, int position) {
  if (!showProgress_ || max <= min) return;
  const int percent = static_cast<int>(100LL * (position - min) / (max - min));
  std::lock_guard lock(mutex_);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  if (::isatty(STDERR_FILENO)) {
    const int filled = percent * kBarWidth / 100;
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << percent << "%" << std::flush;
  } else if (percent % 10 == 0) {
    std::cerr << "transfer " << transferType << ": " << percent << "%\n";
  }
}

void TerminalUi::ShowScreen(int screen) { Emit({{"event", "screen"}, {"screen", screen}}); }

void TerminalUi::HomeMessage(std::uint32_t message, bool updateAllowed, bool customAllowed) {
  Emit({{"event", "home"},
        {"message", Hex(message)},
        {"updateAllowed", updateAllowed},
        {"customAllowed", customAllowed}});
}

void TerminalUi::MarkConnectedDevice(int index, bool added) {
  Emit({{"event", "history"}, {"connectedIndex", index}, {"added", added}});
}

void TerminalUi::SetDeviceTitle(const std::string& title, bool) { Emit({{"event", "title"}, {"text", title}}); }

void TerminalUi::SetConnectionLamp(bool on) { Emit({{"event", "lamp"}, {"on", on}}); }

void TerminalUi::OpenProgramWebPage() {
  Emit({{"event", "web-page"}, {"text", "a newer program is needed: see the program's web page"}});
}

std::optional<std::string> TerminalUi::ChooseHistoryFile(bool) { return historyFile_; }

std::vector<int> TerminalUi::ShownKinds() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

std::vector<TerminalUi::CheckRecord> TerminalUi::Checks() const {
  std::lock_guard lock(mutex_);
  return checks_;
}

std::vector<TerminalUi::TransferRecord> TerminalUi::Transfers() const {
  std::lock_guard lock(mutex_);
  return transfers_;
}

}  // namespace cbx::cli
