#include "sim/DeviceProfile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <system_error>

#include <nlohmann/json.hpp>

#include "app/Folders.h"
#include "dock/DockConfig.h"
#include "sim/DataAreaHandlers.h"

namespace cbx::sim {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Walks one profile document; every failure names the file and the field's dotted path.
class Reader {
 public:
  explicit Reader(std::string source) : source_(std::move(source)) {}

  [[noreturn]] void Fail(const std::string& field, const std::string& problem) const {
    throw ProfileError(source_ + ": " + (field.empty() ? "" : field + ": ") + problem);
  }

  // Typos in field names would otherwise be silently ignored and leave defaults behind.
  void OnlyKeys(const json& object, const std::string& field,
                std::initializer_list<std::string_view> allowed) const {
    if (!object.is_object()) Fail(field, "expected an object");
    for (const auto& item : object.items()) {
      if (std::find(allowed.begin(), allowed.end(), item.key()) == allowed.end()) {
        Fail(Join(field, item.key()), "unknown field");
      }
    }
  }

  const json* Find(const json& object, const std::string& key) const {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
  }

  const json& Require(const json& object, const std::string& field, const std::string& key) const {
    const json* value = Find(object, key);
    if (value == nullptr) Fail(Join(field, key), "missing");
    return *value;
  }

  // A JSON number or a text "0x.." (hex) or plain decimal digits, at most `max`.
  std::uint64_t Number(const json& value, const std::string& field, std::uint64_t max) const {
    const std::string expected = "expected a number up to " + std::to_string(max) +
                                 " (a JSON number or a \"0x..\" text), got " + value.dump();
    std::uint64_t n = 0;
    if (value.is_number_unsigned()) {
      n = value.get<std::uint64_t>();
    } else if (value.is_string()) {
      const std::string text = value.get<std::string>();
      const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
      const std::string digits = hex ? text.substr(2) : text;
      const auto isDigit = [hex](char c) {
        return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
      };
      if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit)) Fail(field, expected);
      errno = 0;
      n = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
      if (errno == ERANGE) Fail(field, expected);
    } else {
      Fail(field, expected);
    }
    if (n > max) Fail(field, expected);
    return n;
  }

  std::uint8_t Byte(const json& value, const std::string& field) const {
    return static_cast<std::uint8_t>(Number(value, field, 0xFF));
  }
  std::uint16_t Word(const json& value, const std::string& field) const {
    return static_cast<std::uint16_t>(Number(value, field, 0xFFFF));
  }

  // Four bytes B0..B3 in wire order, as one 32-bit value with B0 the low byte.
  std::uint32_t VersionBytes(const json& value, const std::string& field) const {
    if (!value.is_array() || value.size() != 4) Fail(field, "expected four bytes B0..B3, got " + value.dump());
    std::uint32_t version = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      version |= static_cast<std::uint32_t>(Byte(value[i], field + "[" + std::to_string(i) + "]")) << (8 * i);
    }
    return version;
  }

  std::string Text(const json& value, const std::string& field) const {
    if (!value.is_string()) Fail(field, "expected a text, got " + value.dump());
    return value.get<std::string>();
  }

  static std::string Join(const std::string& field, std::string_view key) {
    return field.empty() ? std::string(key) : field + "." + std::string(key);
  }

 private:
  std::string source_;
};

UsbDeviceProfile ReadDevice(const Reader& r, const json& object) {
  const std::string f = "device";
  r.OnlyKeys(object, f,
             {"productId", "vendorId", "versionBytes", "formatByte", "mountCode", "capability", "pathCode",
              "reportLength"});
  UsbDeviceProfile d;
  d.productId = r.Word(r.Require(object, f, "productId"), "device.productId");
  const json* vendor = r.Find(object, "vendorId");
  d.vendorId = vendor ? r.Word(*vendor, "device.vendorId") : dock::DockVendorId();
  d.version = r.VersionBytes(r.Require(object, f, "versionBytes"), "device.versionBytes");
  d.mountCode = r.Byte(r.Require(object, f, "mountCode"), "device.mountCode");
  if (const json* v = r.Find(object, "formatByte")) d.formatByte = r.Byte(*v, "device.formatByte");
  if (const json* v = r.Find(object, "capability")) d.capability = r.Byte(*v, "device.capability");
  if (const json* v = r.Find(object, "pathCode")) {
    if (!v->is_array() || v->size() != 2) r.Fail("device.pathCode", "expected two bytes, got " + v->dump());
    d.pathCode = {r.Byte((*v)[0], "device.pathCode[0]"), r.Byte((*v)[1], "device.pathCode[1]")};
  }
  if (const json* v = r.Find(object, "reportLength")) {
    d.reportLength = static_cast<std::size_t>(r.Number(*v, "device.reportLength", 4096));
    if (d.reportLength < 3) r.Fail("device.reportLength", "must be at least 3 (report number and code)");
  }
  return d;
}

// One data area: "units" of 32 bytes filled with "fill", then "patches" laid over it in
// order, each {"at", "hex"} or {"at", "fill", "length"}.
std::vector<std::uint8_t> ReadArea(const Reader& r, const json& object, const std::string& f) {
  r.OnlyKeys(object, f, {"units", "fill", "patches"});
  const auto units = static_cast<std::size_t>(r.Number(r.Require(object, f, "units"), f + ".units", 0xFFFF));
  std::uint8_t fill = 0xFF;
  if (const json* v = r.Find(object, "fill")) fill = r.Byte(*v, f + ".fill");
  std::vector<std::uint8_t> area(units * 32, fill);
  const json* patches = r.Find(object, "patches");
  if (patches == nullptr) return area;
  if (!patches->is_array()) r.Fail(f + ".patches", "expected a list");
  for (std::size_t i = 0; i < patches->size(); ++i) {
    const std::string pf = f + ".patches[" + std::to_string(i) + "]";
    const json& patch = (*patches)[i];
    r.OnlyKeys(patch, pf, {"at", "hex", "fill", "length"});
    const auto at = static_cast<std::size_t>(r.Number(r.Require(patch, pf, "at"), pf + ".at", area.size()));
    std::vector<std::uint8_t> bytes;
    if (const json* hex = r.Find(patch, "hex")) {
      if (r.Find(patch, "fill") || r.Find(patch, "length")) r.Fail(pf, "give either hex or fill and length");
      std::string digits;
      for (const char c : r.Text(*hex, pf + ".hex")) {
        if (c == ' ') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) r.Fail(pf + ".hex", "expected hex digits");
        digits += c;
      }
      if (digits.size() % 2 != 0) r.Fail(pf + ".hex", "expected whole bytes");
      for (std::size_t k = 0; k < digits.size(); k += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(k, 2), nullptr, 16)));
      }
    } else {
      const std::uint8_t value = r.Byte(r.Require(patch, pf, "fill"), pf + ".fill");
      const auto length = static_cast<std::size_t>(r.Number(r.Require(patch, pf, "length"), pf + ".length", area.size()));
      bytes.assign(length, value);
    }
    if (at + bytes.size() > area.size()) r.Fail(pf, "runs past the end of the area");
    std::copy(bytes.begin(), bytes.end(), area.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return area;
}

AttachedProfile ReadAttached(const Reader& r, const json& object) {
  const std::string f = "attached";
  r.OnlyKeys(object, f,
             {"productCode", "mountCode", "serialNumber", "versionBytes", "formatByte", "status", "memory"});
  AttachedProfile a;
  a.productCode = r.Word(r.Require(object, f, "productCode"), "attached.productCode");
  a.mountCode = r.Byte(r.Require(object, f, "mountCode"), "attached.mountCode");
  a.serialNumber = r.Text(r.Require(object, f, "serialNumber"), "attached.serialNumber");
  const bool ascii = std::all_of(a.serialNumber.begin(), a.serialNumber.end(),
                                 [](char c) { return c > 0 && static_cast<unsigned char>(c) < 0x80; });
  if (a.serialNumber.size() > 8 || !ascii) r.Fail("attached.serialNumber", "expected up to 8 ASCII characters");
  a.version = r.VersionBytes(r.Require(object, f, "versionBytes"), "attached.versionBytes");
  if (const json* v = r.Find(object, "formatByte")) a.formatByte = r.Byte(*v, "attached.formatByte");
  if (const json* v = r.Find(object, "status")) a.status = r.Byte(*v, "attached.status");
  if (const json* memory = r.Find(object, "memory")) {
    r.OnlyKeys(*memory, "attached.memory", {"af", "cs"});
    if (const json* v = r.Find(*memory, "af")) a.afArea = ReadArea(r, *v, "attached.memory.af");
    if (const json* v = r.Find(*memory, "cs")) {
      if (!IsMlMount(a.mountCode)) r.Fail("attached.memory.cs", "a standard lens keeps its CS record in the AF area");
      a.csArea = ReadArea(r, *v, "attached.memory.cs");
    }
  }
  return a;
}

BehaviourProfile ReadBehaviour(const Reader& r, const json& object) {
  r.OnlyKeys(object, "behaviour",
             {"workingReports", "sectorTableAnswers", "restartMs", "productIdAfterRestart", "versionBytesAfterUpdate"});
  BehaviourProfile b;
  if (const json* v = r.Find(object, "workingReports")) {
    b.workingReports = static_cast<int>(r.Number(*v, "behaviour.workingReports", 1000));
  }
  if (const json* v = r.Find(object, "sectorTableAnswers")) {
    const std::string text = r.Text(*v, "behaviour.sectorTableAnswers");
    if (text == "every") b.sectorTableAnswers = SectorTableAnswers::Every;
    else if (text == "first") b.sectorTableAnswers = SectorTableAnswers::First;
    else r.Fail("behaviour.sectorTableAnswers", "expected \"every\" or \"first\", got " + v->dump());
  }
  if (const json* v = r.Find(object, "restartMs")) {
    b.restartMs = static_cast<int>(r.Number(*v, "behaviour.restartMs", 600000));
  }
  if (const json* v = r.Find(object, "productIdAfterRestart")) {
    b.productIdAfterRestart = r.Word(*v, "behaviour.productIdAfterRestart");
  }
  if (const json* v = r.Find(object, "versionBytesAfterUpdate")) {
    b.versionAfterUpdate = r.VersionBytes(*v, "behaviour.versionBytesAfterUpdate");
  }
  return b;
}

bool LooksLikePath(const std::string& text) {
  return text.find('/') != std::string::npos || text.ends_with(".json");
}

}  // namespace

DeviceProfile ParseProfile(const std::string& jsonText, const std::string& source) {
  const Reader r(source);
  json doc;
  try {
    doc = json::parse(jsonText);
  } catch (const json::parse_error& e) {
    r.Fail("", std::string("not valid JSON: ") + e.what());
  }
  r.OnlyKeys(doc, "", {"name", "device", "attached", "emptyStatus", "behaviour"});

  DeviceProfile p;
  p.source = source;
  p.id = fs::path(source).stem().string();
  p.name = r.Text(r.Require(doc, "", "name"), "name");
  p.device = ReadDevice(r, r.Require(doc, "", "device"));
  if (const json* v = r.Find(doc, "attached"); v != nullptr && !v->is_null()) p.attached = ReadAttached(r, *v);
  if (const json* v = r.Find(doc, "emptyStatus")) p.emptyStatus = r.Byte(*v, "emptyStatus");
  if (const json* v = r.Find(doc, "behaviour")) p.behaviour = ReadBehaviour(r, *v);
  return p;
}

std::string ProfileFolder() { return JoinPath(ProgramFolder(), "devices"); }

DeviceProfile LoadProfile(const std::string& fileOrName) {
  if (fileOrName.empty()) throw ProfileError("no device profile named");
  std::error_code ec;
  std::string file = fileOrName;
  if (!LooksLikePath(fileOrName) && !fs::is_regular_file(fileOrName, ec)) {
    file = JoinPath(ProfileFolder(), fileOrName + ".json");
    if (!fs::is_regular_file(file, ec)) {
      throw ProfileError("no device profile \"" + fileOrName + "\" (looked for " + file + ")");
    }
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ProfileError(file + ": cannot be read");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ProfileError(file + ": cannot be read");
  return ParseProfile(text, file);
}

std::vector<std::string> ShippedProfileNames() {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(ProfileFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".json") names.push_back(it->path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace cbx::sim
