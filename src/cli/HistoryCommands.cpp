#include "cli/HistoryCommands.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/RecordJson.h"
#include "cli/TerminalUi.h"
#include "records/HistoryTransfer.h"
#include "records/RunLifecycle.h"

namespace cbx::cli {

namespace {

struct HistoryArgs {
  bool json = false;
  bool yes = false;
  std::string file;
};

const char* CategoryName(int category) {
  switch (category) {
    case 1: return "mount converter";
    case 2: return "flash unit";
    case 3: return "cine lens";
    default: return "lens";
  }
}

// Runs a history command between the program's own start and end steps.
int WithRun(const std::function<int(AppState&, records::RunLifecycle&)>& command) {
  AppState state;
  records::RunLifecycle run;
  if (run.Start(state) != records::RunLifecycle::StartResult::kStarted) {
    std::cerr << "calibrix-cli: another ORVANE Calibrix is using " << run.Locations().dataFolder
              << "; close it and try again\n";
    return kExitBusy;
  }
  const int code = command(state, run);
  run.Finish();
  return code;
}

int RunList(const HistoryArgs& args) {
  return WithRun([&args](AppState& state, records::RunLifecycle&) {
    const auto records = state.lensHistory.Records();
    if (args.json) {
      nlohmann::ordered_json out = nlohmann::ordered_json::array();
      for (std::size_t i = 0; i < records.size(); ++i) out.push_back(RecordSummaryJson(records[i], static_cast<int>(i)));
      std::cout << out.dump(2) << "\n";
      return 0;
    }
    if (records.empty()) std::cout << "The device history is empty.\n";
    for (std::size_t i = 0; i < records.size(); ++i) {
      const auto row = RecordSummaryJson(records[i], static_cast<int>(i));
      std::cout << i + 1 << ". " << row["productName"].get<std::string>() << "  ("
                << CategoryName(records[i].deviceCategory) << ", S/N " << records[i].serialNumber << ", version "
                << row["displayVersion"].get<std::string>() << ")\n";
    }
    return 0;
  });
}

int RunTransfer(const HistoryArgs& args, bool exporting) {
  return WithRun([&args, exporting](AppState& state, records::RunLifecycle& run) {
    TerminalUi ui(run.Texts(), args.yes);
    ui.SetHistoryFile(std::filesystem::absolute(args.file).string());
    records::TransferContext context{state, ui, nullptr, run.Locations()};
    const records::TransferOutcome outcome =
        exporting ? records::ExportHistory(context) : records::ImportHistory(context);
    if (outcome == records::TransferOutcome::kDone) {
      std::cerr << "calibrix-cli: history " << (exporting ? "exported to " : "imported from ") << args.file << "\n";
      return 0;
    }
    if (outcome == records::TransferOutcome::kCancelled) {
      std::cerr << "calibrix-cli: import cancelled (confirm with --yes)\n";
    }
    return 1;
  });
}

}  // namespace

void AddHistoryCommands(CLI::App& app, CliContext& context) {
  auto* history = app.add_subcommand("history", "The device history: list, export, import");
  history->require_subcommand(1);

  auto listArgs = std::make_shared<HistoryArgs>();
  auto* list = history->add_subcommand("list", "List the devices met, in history order");
  list->add_flag("--json", listArgs->json, "Print JSON");
  list->callback([listArgs, &context] { context.exitCode = RunList(*listArgs); });

  auto exportArgs = std::make_shared<HistoryArgs>();
  auto* exportCommand = history->add_subcommand("export", "Write the history to a .hist archive");
  exportCommand->add_option("FILE", exportArgs->file, "Archive to write")->required();
  exportCommand->callback([exportArgs, &context] { context.exitCode = RunTransfer(*exportArgs, true); });

  auto importArgs = std::make_shared<HistoryArgs>();
  auto* importCommand = history->add_subcommand("import", "Replace the history with a .hist archive");
  importCommand->add_option("FILE", importArgs->file, "Archive to read")->required()->check(CLI::ExistingFile);
  importCommand->add_flag("--yes", importArgs->yes, "Confirm the replacement without asking");
  importCommand->callback([importArgs, &context] { context.exitCode = RunTransfer(*importArgs, false); });
}

}  // namespace cbx::cli
