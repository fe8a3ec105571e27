#include "cli/SupportCommands.h"

#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "app/Folders.h"
#include "app/IniFile.h"
#include "app/ProgramVersion.h"
#include "app/TextResources.h"
#include "cli/HistoryInspect.h"
#include "cli/ProductInfoCommands.h"

namespace cbx::cli {

namespace {

constexpr int kLastFolderNumber = 12;

struct InspectIniArgs {
  std::string file, section, key, defaultValue;
};

struct InspectTextArgs {
  std::uint32_t id = 0;
  std::string stringsFile;
};

int RunPaths(bool json) {
  if (json) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    for (int n = 0; n <= kLastFolderNumber; ++n) out[std::to_string(n)] = GetFolder(n);
    std::cout << out.dump(2) << "\n";
  } else {
    for (int n = 0; n <= kLastFolderNumber; ++n) {
      const std::string folder = GetFolder(n);
      if (!folder.empty()) std::cout << n << "\t" << folder << "\n";
    }
  }
  return 0;
}

int RunInspectText(const InspectTextArgs& args) {
  const std::string path = args.stringsFile.empty()
                               ? JoinPath(GetFolder(kFolderStrings), kStringFileName)
                               : args.stringsFile;
  TextTable texts;
  if (!texts.LoadTexts(path)) {
    std::cerr << "calibrix-cli: cannot open the text file " << path << "\n";
    return 2;
  }
  const CStringItem* item = texts.FindItem(args.id);
  if (item == nullptr) {
    std::cerr << "calibrix-cli: no text with id " << args.id << " in " << path << "\n";
    return 1;
  }
  nlohmann::ordered_json out;
  out["id"] = item->id;
  out["fontId"] = item->fontId;
  out["color"] = item->color;
  out["text"] = item->text;
  std::cout << out.dump() << "\n";
  return 0;
}

}  // namespace

void AddSupportCommands(CLI::App& app, CliContext& context) {
  int& exitCode = context.exitCode;
  auto* paths = app.add_subcommand("paths", "Show the folders the program uses, by folder number");
  auto pathsJson = std::make_shared<bool>(false);
  paths->add_flag("--json", *pathsJson, "Print a JSON object keyed by folder number");
  paths->callback([pathsJson, &exitCode] { exitCode = RunPaths(*pathsJson); });

  auto* inspect = app.add_subcommand("inspect", "Look into configuration and resource files");
  inspect->require_subcommand(1);

  auto iniArgs = std::make_shared<InspectIniArgs>();
  auto* ini = inspect->add_subcommand("ini", "Print one value of an INI file as the program reads it");
  ini->add_option("FILE", iniArgs->file, "INI file")->required();
  ini->add_option("SECTION", iniArgs->section, "Section name")->required();
  ini->add_option("KEY", iniArgs->key, "Key name")->required();
  ini->add_option("--default", iniArgs->defaultValue, "Value when the key is missing");
  ini->callback([iniArgs, &exitCode] {
    std::cout << ReadIniValue(iniArgs->section, iniArgs->key, iniArgs->defaultValue, iniArgs->file)
              << "\n";
    exitCode = 0;
  });

  auto textArgs = std::make_shared<InspectTextArgs>();
  auto* text = inspect->add_subcommand("text", "Print the text entry with an id as JSON");
  text->add_option("ID", textArgs->id, "Text id")->required();
  text->add_option("--strings", textArgs->stringsFile,
                   "Text file to read (default: String.txt in the program folder)");
  text->callback([textArgs, &exitCode] { exitCode = RunInspectText(*textArgs); });

  AddProductInfoCommands(*inspect);
  AddHistoryInspectCommand(*inspect);

  auto* version = app.add_subcommand("version", "Show the program version");
  version->callback([&exitCode] {
    std::cout << "ORVANE Calibrix " << GetProgramVersion(false) << " (" << GetProgramVersion(true)
              << ")\n";
    exitCode = 0;
  });
}

}  // namespace cbx::cli
