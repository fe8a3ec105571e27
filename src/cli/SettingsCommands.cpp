#include "cli/SettingsCommands.h"

#include <cstdio>
#include <iostream>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/DeviceConnection.h"
#include "dock/DeviceIdentity.h"
#include "dock/DockDevice.h"
#include "lens/CustomisationRules.h"
#include "lens/SettingsWorkers.h"
#include "sim/BackendFactory.h"
#include "update/ProductInfoReaders.h"

namespace cbx::cli {

namespace {

struct DumpArgs {
  bool json = false;
  bool raw = false;
  std::string productInfo;
  double waitSeconds = 3;
};

std::string HexBytes(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count) {
  std::string text;
  char digits[4];
  for (std::size_t i = from; i < from + count && i < bytes.size(); ++i) {
    std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
    if (!text.empty()) text += ' ';
    text += digits;
  }
  return text;
}

std::string Hex(std::uint32_t value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
  return buffer;
}

const char* ThreeWayName(int value, bool osMode) {
  static const char* const kAfSpeed[] = {"standard", "speed priority", "quality priority"};
  static const char* const kOs[] = {"standard", "mode 1", "mode 2"};
  return osMode ? kOs[value] : kAfSpeed[value];
}

const char* SensitivityName(lens::MfSensitivity value) {
  switch (value) {
    case lens::MfSensitivity::kSlow: return "slow";
    case lens::MfSensitivity::kFast: return "fast";
    default: return "normal";
  }
}

int Inverted(std::uint8_t stored) { return static_cast<std::uint8_t>(~stored); }

// The decoded record, as the screens show it.
nlohmann::ordered_json CsRecordJson(const lens::LensSettingsModel& model) {
  nlohmann::ordered_json out;
  const bool ml = model.IsMlMount();
  out["deviceClass"] = ml ? "ml-mount" : "standard";
  nlohmann::ordered_json modes = nlohmann::ordered_json::array();
  for (const std::uint32_t group : {model.mode1Group, model.mode2Group}) {
    nlohmann::ordered_json mode;
    if (ml) {
      mode["limiterPosition"] = Inverted(lens::GroupByte(group, 1));
    } else {
      mode["afSpeed"] = ThreeWayName(lens::DecodeThreeWay(lens::GroupByte(group, 0)), false);
      mode["limiterUpper"] = Inverted(lens::GroupByte(group, 1));
      mode["limiterLower"] = Inverted(lens::GroupByte(group, 2));
    }
    mode["osMode"] = ThreeWayName(lens::DecodeThreeWay(lens::GroupByte(group, 3)), true);
    modes.push_back(mode);
  }
  out["customModes"] = modes;
  if (ml) {
    out["writeCount"] = lens::WriteCount(model.writeCounter);
    out["mfSensitivity"] = SensitivityName(lens::DecodeMfSensitivity(model.mfSensitivityByte));
  } else {
    out["manualOverride"] = lens::MfSwitchOn(model.mfWord);
    out["manualOverrideLevel"] = lens::MfLevel(model.mfWord);
    out["afFunctionButton"] = lens::AfFunctionIsAfOn(model.afFunctionByte) ? "AF-ON" : "AFL";
  }
  return out;
}

// The current set's table as signed corrections, 16 rows of 32.
nlohmann::ordered_json AfTableJson(const lens::LensSettingsModel& model) {
  nlohmann::ordered_json out;
  const auto set = model.CurrentAfSet();
  if (model.IsMlMount() || !set) return nullptr;
  out["set"] = *set;
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (int r = 0; r < lens::kAfTableRows; ++r) {
    nlohmann::ordered_json row = nlohmann::ordered_json::array();
    for (int c = 0; c < lens::kAfTableColumns; ++c) {
      row.push_back(lens::DecodeAfValue(model.afEditBuffer[static_cast<std::size_t>(r * lens::kAfTableColumns + c)]));
    }
    rows.push_back(row);
  }
  out["rows"] = rows;
  return out;
}

nlohmann::ordered_json ImageJson(const lens::Image& image) {
  nlohmann::ordered_json blocks = nlohmann::ordered_json::array();
  for (const lens::Block& block : image) blocks.push_back(HexBytes(block, 0, block.size()));
  return blocks;
}

void PrintImage(const char* name, const lens::Image& image) {
  for (std::size_t b = 0; b < image.size(); ++b) {
    std::cout << name << " block " << b << ":\n";
    for (std::size_t at = 0; at < image[b].size(); at += 32) {
      std::cout << "  " << Hex(static_cast<std::uint32_t>(at), 4) << "  " << HexBytes(image[b], at, 32) << "\n";
    }
  }
}

void PrintText(const lens::LensSettingsModel& model, bool raw) {
  const auto record = CsRecordJson(model);
  std::cout << "Lens:        " << model.LensInfo().productName << " (" << record["deviceClass"].get<std::string>()
            << ")\n";
  int m = 1;
  for (const auto& mode : record["customModes"]) {
    std::cout << "Custom mode " << m++ << ":";
    if (mode.contains("afSpeed")) {
      std::cout << " AF speed " << mode["afSpeed"].get<std::string>() << ", limiter " << mode["limiterLower"].get<int>()
                << ".." << mode["limiterUpper"].get<int>();
    } else {
      std::cout << " limiter position " << mode["limiterPosition"].get<int>();
    }
    std::cout << ", OS " << mode["osMode"].get<std::string>() << "\n";
  }
  if (record.contains("writeCount")) {
    std::cout << "Writes:      " << record["writeCount"].get<int>() << "\n"
              << "MF sensitivity: " << record["mfSensitivity"].get<std::string>() << "\n";
  } else {
    std::cout << "Manual override: " << (record["manualOverride"].get<bool>() ? "on" : "off") << ", level "
              << record["manualOverrideLevel"].get<int>() << "\n"
              << "AF function button: " << record["afFunctionButton"].get<std::string>() << "\n";
  }
  const auto af = AfTableJson(model);
  if (!af.is_null()) {
    std::cout << "AF fine adjustment, set " << af["set"].get<int>() << ":\n";
    for (const auto& row : af["rows"]) {
      std::ostringstream line;
      for (const auto& value : row) {
        char cell[8];
        std::snprintf(cell, sizeof cell, "%4d", value.get<int>());
        line << cell;
      }
      std::cout << line.str() << "\n";
    }
  }
  if (raw) {
    PrintImage("AF area", model.AfImage);
    PrintImage("CS image", model.CsImage);
  }
}

// A mounted lens identified, its product information loaded and its settings read: what
// `dump` shows and `set` edits.
class LensSession {
 public:
  explicit LensSession(const CliContext& context)
      : dock_(sim::MakeBackend(sim::SelectedBackendSpec(context.device))),
        controller_(dock_, model_, state_, host_) {
    controller_.onDeviceLost = [this] { lost_ = true; };
  }

  // 0 when the settings were read, else the exit code; the reason is on standard error.
  int Open(const std::string& productInfo, double waitSeconds) {
    if (!WaitForDevice(dock_, waitSeconds)) return ReportNoDevice(dock_, std::cerr);
    dock::DeviceIdentity identity;
    const dock::IdentifyResult identified = dock::ReadIdentity(dock_, identity);
    if (!identified.ok) {
      std::cerr << "calibrix-cli: cannot read " << dock::IdentifyStepText(identified.failedStep) << "\n";
      return 1;
    }
    if (!identity.attached) {
      std::cerr << "calibrix-cli: no lens is mounted\n";
      return 1;
    }
    // The product information says where the settings live in the lens.
    info_.mountCode = identity.attached->mountCode;
    info_.productCodeText = identity.attached->productCodeText;
    info_.serialNumber = identity.attached->serialNumber;
    info_.deviceCategory = identity.attached->throughConverter ? 1 : 0;
    int valid = 0;
    update::ReadLensConfig(info_, productInfo, info_.deviceCategory, identity.attached->throughConverter, valid);
    if (valid != 1) {
      std::cerr << "calibrix-cli: " << productInfo << " is not usable lens product information\n";
      return 1;
    }
    model_.SetLensInfo(info_);
    bool failed = false;
    if (!controller_.BothDataRead(failed, false)) return Failure(failed, "read");
    if (model_.CsImage.empty()) {
      std::cerr << "calibrix-cli: this lens has no settings to read\n";
      return 1;
    }
    return 0;
  }

  // The exit code of a controller operation that returned false.
  int Failure(bool failed, const char* what) const {
    std::cerr << "calibrix-cli: "
              << (lost_ ? "the device went away" : failed ? "the lens failed to answer" : "the lens is not ready")
              << " while its settings were " << what << "\n";
    return lost_ ? kExitNoDevice : 1;
  }

  const update::CLensUpdateInfoData& Info() const { return info_; }
  lens::LensSettingsModel& Model() { return model_; }
  lens::SettingsController& Controller() { return controller_; }

 private:
  dock::DockDevice dock_;
  update::CLensUpdateInfoData info_;
  AppState state_;
  lens::LensSettingsModel model_;
  lens::TransferHost host_;
  lens::SettingsController controller_;
  bool lost_ = false;
};

nlohmann::ordered_json SettingsJson(const update::CLensUpdateInfoData& info, const lens::LensSettingsModel& model) {
  nlohmann::ordered_json out;
  out["productCode"] = info.productCodeText;
  out["mountCode"] = Hex(static_cast<std::uint32_t>(info.mountCode), 2);
  out["cs"] = CsRecordJson(model);
  out["af"] = AfTableJson(model);
  return out;
}

int RunDump(const CliContext& context, const DumpArgs& args) {
  LensSession session(context);
  if (const int code = session.Open(args.productInfo, args.waitSeconds)) return code;
  const lens::LensSettingsModel& model = session.Model();
  if (args.json) {
    auto out = SettingsJson(session.Info(), model);
    if (args.raw) {
      out["raw"] = {{"af", ImageJson(model.AfImage)}, {"cs", ImageJson(model.CsImage)}};
    }
    std::cout << out.dump(2) << "\n";
  } else {
    PrintText(model, args.raw);
  }
  return 0;
}

// ---- settings set ----

struct AfCellEdit {
  int grid = 0;
  int cell = 0;
  int value = 0;
};

struct SetArgs {
  std::string productInfo;
  double waitSeconds = 3;
  bool json = false;
  int mode = 0;
  int afSpeed = -1;
  int osMode = -1;
  std::vector<int> limiter;
  int manualOverride = -1;  // 1 on, 0 off
  bool hasManualOverrideLevel = false;
  int manualOverrideLevel = 0;
  int afFunction = -1;  // 1 AF-ON, 0 AFL
  int mfSensitivity = -1;
  std::vector<std::string> afCells;
  bool reset = false;

  bool ModeValues() const { return afSpeed >= 0 || osMode >= 0 || !limiter.empty(); }
  bool CsValues() const {
    return ModeValues() || manualOverride >= 0 || hasManualOverrideLevel || afFunction >= 0 || mfSensitivity >= 0;
  }
};

// GRID:CELL=VALUE, e.g. 2:0=+3.
std::optional<AfCellEdit> ParseAfCell(const std::string& text) {
  AfCellEdit edit;
  char colon = 0, equals = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c%d%n", &edit.grid, &colon, &edit.cell, &equals, &edit.value, &consumed) != 5 ||
      colon != ':' || equals != '=' || static_cast<std::size_t>(consumed) != text.size()) {
    return std::nullopt;
  }
  return edit;
}

// A refusal: nothing is written.
int Refuse(const std::string& why) {
  std::cerr << "calibrix-cli: " << why << "; nothing was written\n";
  return 1;
}

// The edited values the screens show after a write, read back from the images.
void ReloadFromImages(lens::LensSettingsModel& model) {
  model.ReadModeGroups(model.mode1Group, model.mode2Group);
  if (model.IsMlMount()) {
    model.ReadWriteCounter(model.writeCounter);
    model.ReadMfSensitivityByte(model.mfSensitivityByte);
    return;
  }
  model.ReadMfWord(model.mfWord);
  model.ReadAfFunctionByte(model.afFunctionByte);
  try {
    model.ReadAfTable(model.afEditBuffer);
  } catch (const lens::LensModelArgumentError&) {
    // A lens without an AF table of its current set shows none.
  }
}

std::string Signed(int value) { return (value > 0 ? "+" : "") + std::to_string(value); }

// Checks every requested value against the device class and what the lens offers, before
// anything is changed. An empty text means allowed.
std::string RefusalOf(const SetArgs& args, const lens::LensSettingsModel& model, const update::CLensUpdateInfoData& info) {
  const bool ml = model.IsMlMount();
  const lens::CustomisationRights rights = lens::RightsOf(info);
  if (ml && !lens::CustomisationAllowed(info, model.writeCounter)) {
    if (info.MFSensCtrl == 0) return "this lens cannot be customised";
    return "this lens has taken its limit of " + std::to_string(static_cast<std::uint16_t>(info.DataWriteNumLimit)) +
           " settings writes and cannot be customised any more";
  }
  const char* const onlyStandard = " is not a setting of an ml-mount lens";
  if (args.reset) return rights.resetAll ? "" : "this lens offers no reset of its settings";
  if (args.ModeValues() && !rights.customModes) return "this lens offers no custom modes";
  if (args.afSpeed >= 0) {
    if (ml) return std::string("AF speed") + onlyStandard;
    if (!rights.afSpeed) return "this lens offers no AF speed setting";
  }
  if (args.osMode >= 0 && !rights.osMode) return "this lens offers no OS mode setting";
  if (!args.limiter.empty()) {
    if (!rights.focusLimiter) return "this lens offers no focus limiter";
    if (ml && args.limiter.size() != 1) return "an ml-mount lens takes one focus-limiter position";
    if (!ml && args.limiter.size() != 2) return "the focus limiter of this lens takes two handle indices";
    if (ml && model.EncoderPositionCount() == 0) return "this lens names no focus-limiter positions";
  }
  if (args.manualOverride >= 0 || args.hasManualOverrideLevel) {
    if (ml) return std::string("manual override") + onlyStandard;
    if (!rights.manualOverride) return "this lens offers no manual override setting";
  }
  if (args.afFunction >= 0) {
    if (ml) return std::string("the AF function button") + onlyStandard;
    if (!rights.afFunction) return "this lens offers no AF function button setting";
  }
  if (args.mfSensitivity >= 0) {
    if (!ml) return "MF sensitivity is a setting of ml-mount lenses only";
    if (!rights.mfSensitivity) return "this lens offers no MF sensitivity setting";
  }
  if (!args.afCells.empty()) {
    if (ml) return std::string("AF fine adjustment") + onlyStandard;
    if (!rights.afFineAdjustment) return "this lens offers no AF fine adjustment";
    if (!model.CurrentAfSet()) return "this lens has no AF table for its mount";
  }
  return "";
}

// Applies the CS edits as the screens do; fills `changes` with what each became. An empty
// result means success, else why the edit is refused.
std::string ApplyCsEdits(const SetArgs& args, lens::LensSettingsModel& model, std::vector<std::string>& changes) {
  if (args.ModeValues()) {
    model.selectedMode = args.mode;
    const std::string mode = "custom mode " + std::to_string(args.mode) + " ";
    if (args.afSpeed >= 0) {
      model.SetAfSpeed(args.afSpeed);
      changes.push_back(mode + "AF speed: " + ThreeWayName(args.afSpeed, false));
    }
    if (args.osMode >= 0) {
      model.SetOsMode(args.osMode);
      changes.push_back(mode + "OS mode: " + ThreeWayName(args.osMode, true));
    }
    if (model.IsMlMount() && !args.limiter.empty()) {
      const int position = lens::ClampMlLimiterPosition(model, args.limiter[0]);
      model.SetLimiter(position, 0);
      changes.push_back(mode + "limiter position: " + std::to_string(position));
    } else if (!args.limiter.empty()) {
      const int a = lens::ClampLimiterIndex(model, args.limiter[0]);
      const int b = lens::ClampLimiterIndex(model, args.limiter[1]);
      model.SetLimiter(a, b);
      changes.push_back(mode + "limiter: " + std::to_string(std::min(a, b)) + ".." + std::to_string(std::max(a, b)));
    }
  }
  if (args.manualOverride >= 0 || args.hasManualOverrideLevel) {
    if (!lens::LoadManualOverride(model)) return "the manual override cannot be read from the lens";
    if (args.manualOverride >= 0) {
      model.SetMfSwitch(args.manualOverride == 1);
      changes.push_back(std::string("manual override: ") + (args.manualOverride == 1 ? "on" : "off"));
    }
    if (args.hasManualOverrideLevel) {
      // The level is offered only while the override is on.
      if (!lens::MfSwitchOn(model.mfWord)) return "the manual-override level can be set only while manual override is on";
      model.SetMfLevel(args.manualOverrideLevel);
      changes.push_back("manual override level: " + std::to_string(lens::MfLevel(model.mfWord)));
    }
  }
  if (args.afFunction >= 0) {
    model.SetAfFunction(args.afFunction == 1);
    changes.push_back(std::string("AF function button: ") + (args.afFunction == 1 ? "AF-ON" : "AFL"));
  }
  if (args.mfSensitivity >= 0) {
    const auto value = static_cast<lens::MfSensitivity>(args.mfSensitivity);
    model.SetMfSensitivity(value);
    changes.push_back(std::string("MF sensitivity: ") + SensitivityName(value));
  }
  return "";
}

// The AF grid cells edited as the screen's slider does.
std::string ApplyAfEdits(const std::vector<AfCellEdit>& edits, lens::LensSettingsModel& model,
                         const update::CLensUpdateInfoData& info, std::vector<std::string>& changes) {
  if (edits.empty()) return "";
  const int gridCount = lens::AfGridCount(info);
  std::vector<lens::AfGridState> grids(static_cast<std::size_t>(gridCount));
  model.UpdateAFGridValue(grids);
  for (const AfCellEdit& edit : edits) {
    if (edit.grid < 0 || edit.grid >= gridCount) {
      return "AF grid " + std::to_string(edit.grid) + " does not exist (this lens has grids 0.." +
             std::to_string(gridCount - 1) + ")";
    }
    if (edit.cell < 0 || edit.cell >= lens::kAfGridCells) {
      return "AF cell " + std::to_string(edit.cell) + " does not exist (cells are 0..3, 0 = leftmost)";
    }
    lens::EditAfCell(model, grids, edit.grid, edit.cell, edit.value);
    const auto& grid = grids[static_cast<std::size_t>(edit.grid)];
    changes.push_back("AF grid " + std::to_string(edit.grid) + (grid.label.empty() ? "" : " (" + grid.label + ")") +
                      " cell " + std::to_string(edit.cell) + ": " +
                      Signed(grid.value[static_cast<std::size_t>(edit.cell)]));
  }
  return "";
}

int RunSet(const CliContext& context, const SetArgs& args) {
  // What can be judged without the lens.
  std::vector<AfCellEdit> afEdits;
  for (const std::string& text : args.afCells) {
    const auto edit = ParseAfCell(text);
    if (!edit) return Refuse("--af-cell takes GRID:CELL=VALUE, not '" + text + "'");
    afEdits.push_back(*edit);
  }
  if (!args.reset && !args.CsValues() && afEdits.empty()) return Refuse("there is nothing to set");
  if (args.reset && (args.CsValues() || !afEdits.empty() || args.mode != 0)) {
    return Refuse("--reset cannot be combined with other values");
  }
  if (args.ModeValues() && args.mode == 0) return Refuse("custom-mode values need --mode 1 or --mode 2");
  if (args.mode != 0 && !args.ModeValues()) return Refuse("--mode needs a custom-mode value to set");

  LensSession session(context);
  if (const int code = session.Open(args.productInfo, args.waitSeconds)) return code;
  lens::LensSettingsModel& model = session.Model();
  const update::CLensUpdateInfoData& info = session.Info();
  if (const std::string why = RefusalOf(args, model, info); !why.empty()) return Refuse(why);

  std::vector<std::string> changes;
  bool writeCs = false, writeAf = false, failed = false;
  if (args.reset) {
    if (model.IsMlMount()) {
      model.ResetEditedValues();
      model.SetMfSensitivity(lens::MfSensitivity::kNormal);
      if (!session.Controller().CSDataWrite(failed)) return session.Failure(failed, "reset");
      writeCs = true;
      changes.push_back("custom modes and MF sensitivity reset");
    } else {
      if (!session.Controller().ResetCustomData(failed, false)) return session.Failure(failed, "reset");
      writeCs = writeAf = true;
      changes.push_back("all settings reset");
    }
  } else {
    try {
      if (std::string why = ApplyCsEdits(args, model, changes); !why.empty()) return Refuse(why);
      if (std::string why = ApplyAfEdits(afEdits, model, info, changes); !why.empty()) return Refuse(why);
      const bool ml = model.IsMlMount();
      // Like a screen's Write button: only what differs from the lens goes out, so an ml-mount
      // lens does not spend one of its limited writes on values it already holds.
      writeCs = args.CsValues() && (model.IsChangeCSDoubleData() ||
                                    (ml ? model.IsMfSensitivityChanged()
                                        : model.IsChangeMFData() || model.IsAfFunctionChanged()));
      writeAf = !afEdits.empty() && model.IsChangeAFData();
    } catch (const lens::LensModelArgumentError& e) {
      return Refuse(std::string("the product information does not fit this lens (") + e.what() + ")");
    }
    if (writeCs && !session.Controller().CSDataWrite(failed)) return session.Failure(failed, "written");
    if (writeAf && !session.Controller().AFDataWrite(failed)) {
      if (writeCs) std::cerr << "calibrix-cli: the custom settings were written, the AF fine adjustment was not\n";
      return session.Failure(failed, "written");
    }
  }
  ReloadFromImages(model);

  if (args.json) {
    auto out = SettingsJson(info, model);
    nlohmann::ordered_json written = nlohmann::ordered_json::array();
    if (writeCs) written.push_back("cs");
    if (writeAf) written.push_back("af");
    out["written"] = written;
    out["changes"] = changes;
    std::cout << out.dump(2) << "\n";
    return 0;
  }
  for (const std::string& change : changes) std::cout << "Set " << change << "\n";
  if (!writeCs && !writeAf) {
    std::cout << "The lens already holds these values; nothing was written.\n";
  } else {
    std::cout << "Wrote " << (writeCs && writeAf ? "the custom settings and the AF fine adjustment"
                              : writeCs          ? "the custom settings"
                                                 : "the AF fine adjustment")
              << ". The lens now holds:\n";
  }
  PrintText(model, false);
  return 0;
}

// An option given as one of a few words, each standing for a number; `shown` lists the words
// in the order the help names them.
void AddWordOption(CLI::App* command, const std::string& name, int& value, const std::map<std::string, int>& words,
                   const std::string& help, const std::string& shown) {
  command->add_option(name, value, help)
      ->transform(CLI::CheckedTransformer(words, CLI::ignore_case))
      ->option_text(shown);
}

}  // namespace

void AddSettingsCommands(CLI::App& app, CliContext& context) {
  auto* settings = app.add_subcommand("settings", "Read or change the mounted lens's settings");
  settings->require_subcommand(1);
  auto args = std::make_shared<DumpArgs>();
  auto* dump = settings->add_subcommand("dump", "Read the lens's custom settings and AF fine adjustment and print them");
  dump->add_flag("--json", args->json, "Print JSON");
  dump->add_flag("--raw", args->raw, "Also print the raw data-area images as hex");
  dump->add_option("--product-info", args->productInfo,
                   "The lens's product information file (.ini), which says where its settings live")
      ->required()
      ->check(CLI::ExistingFile);
  dump->add_option("--wait", args->waitSeconds, "Seconds to wait for a device (default 3)")
      ->check(CLI::NonNegativeNumber);
  dump->callback([args, &context] { context.exitCode = RunDump(context, *args); });

  auto set = std::make_shared<SetArgs>();
  auto* setCommand = settings->add_subcommand(
      "set",
      "Change the lens's settings and write them, as the customisation screens do. Values outside their "
      "range are clamped; a value the lens does not offer is refused and nothing is written. Only "
      "values that differ from the lens are written.");
  setCommand->add_option("--product-info", set->productInfo,
                         "The lens's product information file (.ini), which says where its settings live")
      ->required()
      ->check(CLI::ExistingFile);
  setCommand->add_option("--wait", set->waitSeconds, "Seconds to wait for a device (default 3)")
      ->check(CLI::NonNegativeNumber);
  setCommand->add_flag("--json", set->json, "Print the result as JSON");
  setCommand->add_option("--mode", set->mode, "The custom mode that --af-speed, --os-mode and --limiter change: 1 or 2")
      ->check(CLI::IsMember({1, 2}));
  AddWordOption(setCommand, "--af-speed", set->afSpeed, {{"standard", 0}, {"speed", 1}, {"quality", 2}},
                "AF speed of the mode: standard, speed (priority) or quality (priority)", "standard|speed|quality");
  AddWordOption(setCommand, "--os-mode", set->osMode, {{"standard", 0}, {"1", 1}, {"2", 2}},
                "OS mode of the mode: standard, 1 or 2", "standard|1|2");
  setCommand
      ->add_option("--limiter", set->limiter,
                   "Focus limiter of the mode: two handle indices A,B (0..number of encoder positions) on a "
                   "standard lens, one position on an ml-mount lens; clamped into range")
      ->delimiter(',')
      ->expected(1, 2)
      ->option_text("A,B|POSITION");
  AddWordOption(setCommand, "--manual-override", set->manualOverride, {{"on", 1}, {"off", 0}},
                "Manual override: on or off", "on|off");
  auto* level = setCommand->add_option("--manual-override-level", set->manualOverrideLevel,
                                       "Manual-override level 1..15 (clamped; needs manual override on)");
  AddWordOption(setCommand, "--af-function", set->afFunction, {{"af-on", 1}, {"afl", 0}},
                "AF function button: af-on or afl", "af-on|afl");
  AddWordOption(setCommand, "--mf-sensitivity", set->mfSensitivity, {{"normal", 0}, {"slow", 1}, {"fast", 2}},
                "MF sensitivity of an ml-mount lens: slow, normal or fast", "slow|normal|fast");
  setCommand->add_option("--af-cell", set->afCells,
                         "AF fine adjustment: GRID:CELL=VALUE, repeatable. GRID is the focal-length band (0..3 on a "
                         "zoom lens, else 0), CELL the column as shown (0 = leftmost), VALUE -20..+20 (clamped)");
  setCommand->add_flag("--reset", set->reset,
                       "Reset instead: every setting and the AF fine adjustment of a standard lens; the custom modes "
                       "and MF sensitivity of an ml-mount lens");
  setCommand->callback([set, level, &context] {
    set->hasManualOverrideLevel = level->count() > 0;
    context.exitCode = RunSet(context, *set);
  });
}

}  // namespace cbx::cli
