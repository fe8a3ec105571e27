#include "cli/TerminalUi.h"

#include <unistd.h>

#include <iostream>

#include "app/MessageKinds.h"

namespace cbx::cli {

TerminalUi::TerminalUi(const TextTable& texts, bool assumeYes) : texts_(texts), assumeYes_(assumeYes) {}

std::string TerminalUi::MessageText(int kind, const std::string& callerText) const {
  const MessageKindInfo& info = MessageKind(kind);
  std::string text = callerText;
  if (info.fixedTextId != 0 && !texts_.GetText(static_cast<std::uint32_t>(info.fixedTextId), text)) {
    text = "message " + std::to_string(kind);
  }
  std::string second;
  if (info.secondTextId != 0 && texts_.GetText(static_cast<std::uint32_t>(info.secondTextId), second)) {
    const std::size_t at = second.find("%s");
    if (at != std::string::npos) second.replace(at, 2, callerText);
    text += "\n" + second;
  }
  return text;
}

int TerminalUi::AskMessage(int kind, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    shown_.push_back(kind);
  }
  const MessageKindInfo& info = MessageKind(kind);
  std::cerr << "calibrix-cli: " << MessageText(kind, text) << "\n";
  const bool question = (info.buttons & kButtonCancel) != 0 && info.okResult != info.cancelResult;
  if (!question) return (info.buttons & kButtonOk) != 0 ? info.okResult : kResultOfClose;
  // --yes confirms yes/no questions; "try again" prompts are never answered blindly,
  // so an unattended run cannot loop.
  if (assumeYes_ && info.okResult == kResultYes) return info.okResult;
  if (!::isatty(STDIN_FILENO)) return info.cancelResult;
  std::cerr << "[y/N] " << std::flush;
  std::string answer;
  std::getline(std::cin, answer);
  return (answer == "y" || answer == "Y" || answer == "yes") ? info.okResult : info.cancelResult;
}

std::optional<std::string> TerminalUi::ChooseHistoryFile(bool) { return historyFile_; }

std::vector<int> TerminalUi::ShownKinds() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

}  // namespace cbx::cli
