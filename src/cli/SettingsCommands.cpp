#include "cli/SettingsCommands.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/DeviceConnection.h"
#include "dock/DeviceIdentity.h"
#include "dock/DockDevice.h"
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

int RunDump(const CliContext& context, const DumpArgs& args) {
  dock::DockDevice dock(sim::MakeBackend(sim::SelectedBackendSpec(context.device)));
  if (!WaitForDevice(dock, args.waitSeconds)) {
    std::cerr << "calibrix-cli: no device found on " << dock.Backend().Describe() << "\n";
    return kExitNoDevice;
  }
  dock::DeviceIdentity identity;
  const dock::IdentifyResult identified = dock::ReadIdentity(dock, identity);
  if (!identified.ok) {
    std::cerr << "calibrix-cli: cannot read " << dock::IdentifyStepText(identified.failedStep) << "\n";
    return 1;
  }
  if (!identity.attached) {
    std::cerr << "calibrix-cli: no lens is mounted\n";
    return 1;
  }
  // The product information says where the settings live in the lens.
  update::CLensUpdateInfoData info;
  info.mountCode = identity.attached->mountCode;
  info.productCodeText = identity.attached->productCodeText;
  info.serialNumber = identity.attached->serialNumber;
  info.deviceCategory = identity.attached->throughConverter ? 1 : 0;
  int valid = 0;
  update::ReadLensConfig(info, args.productInfo, info.deviceCategory, identity.attached->throughConverter, valid);
  if (valid != 1) {
    std::cerr << "calibrix-cli: " << args.productInfo << " is not usable lens product information\n";
    return 1;
  }

  AppState state;
  lens::LensSettingsModel model;
  model.SetLensInfo(info);
  lens::TransferHost host;
  lens::SettingsController controller(dock, model, state, host);
  bool lost = false;
  controller.onDeviceLost = [&lost] { lost = true; };
  bool failed = false;
  if (!controller.BothDataRead(failed, false)) {
    std::cerr << "calibrix-cli: " << (lost ? "the device went away" : failed ? "the lens failed to answer" : "the lens is not ready")
              << " while its settings were read\n";
    return lost ? kExitNoDevice : 1;
  }
  if (model.CsImage.empty()) {
    std::cerr << "calibrix-cli: this lens has no settings to read\n";
    return 1;
  }

  if (args.json) {
    nlohmann::ordered_json out;
    out["productCode"] = info.productCodeText;
    out["mountCode"] = Hex(static_cast<std::uint32_t>(info.mountCode), 2);
    out["cs"] = CsRecordJson(model);
    out["af"] = AfTableJson(model);
    if (args.raw) {
      out["raw"] = {{"af", ImageJson(model.AfImage)}, {"cs", ImageJson(model.CsImage)}};
    }
    std::cout << out.dump(2) << "\n";
  } else {
    PrintText(model, args.raw);
  }
  return 0;
}

}  // namespace

void AddSettingsCommands(CLI::App& app, CliContext& context) {
  auto* settings = app.add_subcommand("settings", "Read the mounted lens's settings");
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
}

}  // namespace cbx::cli
