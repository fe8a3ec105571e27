#include "cli/ProductInfoCommands.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "app/ProgramVersion.h"
#include "cli/RecordJson.h"
#include "update/DockUpdateInfo.h"
#include "update/LensUpdateInfo.h"
#include "update/ProductInfoReaders.h"
#include "update/VersionCompare.h"

namespace cbx::cli {

namespace {

using nlohmann::ordered_json;
using update::CLensUpdateInfoData;
using update::DockUpdateInfo;
// The record printers are shared with the other inspect commands.
using cli::ToJson;

struct ProductInfoArgs {
  std::string file;
  std::string reader;
  int category = 0;
  std::string mountCode;
  std::string formatMarker;
  std::string rawVersion;
  std::string folderUrl;
  std::string programVersion;
  bool converter = false;
  bool json = false;
};

struct CompareArgs {
  std::string device, server;
  int type = 0;
  bool extended = false;
  std::string mountCode;
  bool lensUnreadable = false;
  bool dockUnreadable = false;
};

// "0x"-prefixed hexadecimal or decimal.
std::optional<int> NumberFromText(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

const CLI::Validator kNumber(
    [](std::string& text) {
      return NumberFromText(text) ? std::string() : "not a number (decimal or 0x-hexadecimal): " + text;
    },
    "NUMBER");

int NumberOr(const std::string& text, int fallback) {
  return text.empty() ? fallback : NumberFromText(text).value_or(fallback);
}

ordered_json ToJson(const DockUpdateInfo& d) {
  ordered_json out;
  out["dockRawVersion"] = d.dockRawVersion;
  out["dockId"] = d.dockId;
  out["dockFormatMarker"] = d.dockFormatMarker;
  out["dockVersionUnreadable"] = d.dockVersionUnreadable;
  out["dockMountName"] = d.dockMountName;
  out["dockUpDate"] = d.dockUpDate;
  out["dockFwversion"] = d.dockFwversion;
  out["dockDisplayVer"] = d.dockDisplayVer;
  out["dockFwupOk"] = d.dockFwupOk;
  out["dockFirmupMinCBXVer"] = d.dockFirmupMinCBXVer;
  out["dockProgramVersionOk"] = d.dockProgramVersionOk;
  out["dockFwMap"] = ToJson(d.dockFwMap);
  out["dockFwLocalPath"] = d.dockFwLocalPath;
  return out;
}

ordered_json MessageJson(const CLensUpdateInfoData& r) {
  return {{"btnOsText1", r.btnOsText1},           {"btnOsText2", r.btnOsText2},
          {"btnOsText3", r.btnOsText3},           {"msgOsText1", r.msgOsText1},
          {"msgOsText2", r.msgOsText2},           {"msgOsText3", r.msgOsText3},
          {"btnAfSpeedText1", r.btnAfSpeedText1}, {"btnAfSpeedText2", r.btnAfSpeedText2},
          {"btnAfSpeedText3", r.btnAfSpeedText3}, {"msgAfSpeedText1", r.msgAfSpeedText1},
          {"msgAfSpeedText2", r.msgAfSpeedText2}, {"msgAfSpeedText3", r.msgAfSpeedText3}};
}

ordered_json ReadWith(const ProductInfoArgs& args) {
  if (args.reader == "program") {
    std::string version;
    int valid = 0;
    update::ReadProgramVersionInfo(args.file, version, valid);
    return {{"version", version}, {"valid", valid}};
  }
  if (args.reader == "dock" || args.reader == "dockf") {
    DockUpdateInfo dock;
    dock.dockRawVersion = args.rawVersion;
    dock.dockFormatMarker = static_cast<std::uint8_t>(NumberOr(args.formatMarker, 0) & 0xFF);
    std::string fwFileName, fwFolderUrl;
    int valid = 0;
    if (args.reader == "dock") {
      update::ReadDockConfig(dock, args.file, args.folderUrl, fwFileName, fwFolderUrl, valid);
    } else {
      const std::string programVersion =
          args.programVersion.empty() ? GetProgramVersion(true) : args.programVersion;
      update::ReadDockFConfig(dock, args.file, args.folderUrl, programVersion, fwFileName, fwFolderUrl,
                              valid);
    }
    ordered_json out = ToJson(dock);
    out["fwFileName"] = fwFileName;
    out["fwFolderUrl"] = fwFolderUrl;
    out["valid"] = valid;
    return out;
  }

  CLensUpdateInfoData record;
  record.deviceCategory = args.category;
  record.mountCode = NumberOr(args.mountCode, record.mountCode);
  record.formatMarker = static_cast<std::uint8_t>(NumberOr(args.formatMarker, 0) & 0xFF);
  record.rawVersion = args.rawVersion;
  if (args.reader == "message") {
    update::ReadMessageConfig(record, args.file);
    return MessageJson(record);
  }
  const int kind = args.reader == "adapter" ? update::kProductKindAdapter
                   : args.reader == "flash" ? update::kProductKindFlash
                                            : 0;
  std::string fwFileName, fwFolderUrl, docFolderUrl;
  int valid = 0;
  update::ReadProductInfo(kind, args.file, args.folderUrl, record, args.converter, fwFileName,
                          fwFolderUrl, docFolderUrl, valid);
  ordered_json out = ToJson(record);
  out["fwFileName"] = fwFileName;
  out["fwFolderUrl"] = fwFolderUrl;
  out["docFolderUrl"] = docFolderUrl;
  // What the update check looks up and what the screens show for this device.
  out["versionText"] = update::GetVersionText(record);
  out["displayVersion"] = update::GetDisplayVersion(record);
  out["valid"] = valid;
  return out;
}

}  // namespace

void AddProductInfoCommands(CLI::App& inspect) {
  auto args = std::make_shared<ProductInfoArgs>();
  auto* info = inspect.add_subcommand(
      "product-info", "Read a product information file as an update check would and print the result");
  info->add_option("FILE", args->file, "Product information file")->required();
  info->add_option("--reader", args->reader, "Which file kind to read it as")
      ->required()
      ->check(CLI::IsMember({"lens", "adapter", "flash", "message", "dock", "dockf", "program"}));
  info->add_option("--category", args->category,
                   "Device category of the lens: 0 lens, 1 through a converter, 2 flash, 3 cine lens");
  info->add_option("--mount-code", args->mountCode, "Mount code of the device")->check(kNumber);
  info->add_option("--format-marker", args->formatMarker, "Version format byte (0xAA: extended)")
      ->check(kNumber);
  info->add_option("--raw-version", args->rawVersion, "Version text the device reported");
  info->add_flag("--converter", args->converter, "A mount converter is attached");
  info->add_option("--folder-url", args->folderUrl, "Server folder the file came from");
  info->add_option("--program-version", args->programVersion,
                   "Program version a.b.c for the dockf reader (default: this program's)");
  info->add_flag("--json", args->json, "Print compact JSON on one line");
  info->callback([args] {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(args->file, ec)) {
      std::cerr << "calibrix-cli: cannot open the file " << args->file << "\n";
      throw CLI::RuntimeError(2);
    }
    const ordered_json out = ReadWith(*args);
    std::cout << (args->json ? out.dump() : out.dump(2)) << "\n";
  });

  auto compareArgs = std::make_shared<CompareArgs>();
  auto* compare = inspect.add_subcommand("compare", "Compare a device firmware version with the server's");
  compare->add_option("DEVICE", compareArgs->device, "Version the device reports")->required();
  compare->add_option("SERVER", compareArgs->server, "Version on the server")->required();
  compare->add_option("--type", compareArgs->type,
                      "Compare type: 0 lens, 1 dock, 3 adapter, 4 flash USB side, 5 flash, 7 converter lens")
      ->required();
  compare->add_flag("--extended", compareArgs->extended, "Extended version format");
  compare->add_option("--mount-code", compareArgs->mountCode, "Mount code of the device")->check(kNumber);
  compare->add_flag("--lens-unreadable", compareArgs->lensUnreadable, "The device version could not be read");
  compare->add_flag("--dock-unreadable", compareArgs->dockUnreadable, "The dock version could not be read");
  compare->callback([compareArgs] {
    const auto& a = *compareArgs;
    const update::CompareResult result =
        update::IsNewerFirmware(a.device, a.server, a.extended, a.type, NumberOr(a.mountCode, -1),
                                {a.lensUnreadable, a.dockUnreadable});
    std::cout << ordered_json{{"newer", result.newer}, {"comparable", result.comparable}}.dump() << "\n";
  });
}

}  // namespace cbx::cli
