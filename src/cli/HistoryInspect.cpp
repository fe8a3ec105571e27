#include "cli/HistoryInspect.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/RecordJson.h"
#include "records/HistoryFiles.h"

namespace cbx::cli {

namespace {

struct HistoryInspectArgs {
  std::string file;
  bool json = false;
};

}  // namespace

void AddHistoryInspectCommand(CLI::App& inspect) {
  auto args = std::make_shared<HistoryInspectArgs>();
  auto* history = inspect.add_subcommand(
      "history", "Print every record of a lens history file (LensHistory.dat); writes nothing");
  history->add_option("FILE", args->file, "Lens history file")->required();
  history->add_flag("--json", args->json, "Print compact JSON on one line");
  history->callback([args] {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(args->file, ec)) {
      std::cerr << "calibrix-cli: cannot open the file " << args->file << "\n";
      throw CLI::RuntimeError(2);
    }
    std::string error;
    const auto records = records::ReadLensHistoryFile(args->file, &error);
    nlohmann::ordered_json out;
    out["records"] = nlohmann::ordered_json::array();
    for (const auto& record : records) out["records"].push_back(ToJson(record));
    // A file that ends in the middle of an entry still shows the entries before it.
    if (!error.empty()) out["error"] = error;
    std::cout << (args->json ? out.dump() : out.dump(2)) << "\n";
    if (!error.empty()) {
      std::cerr << "calibrix-cli: " << error << "\n";
      throw CLI::RuntimeError(1);
    }
  });
}

}  // namespace cbx::cli
