// Every reader of the product information files the update server publishes.
//
// Input: the identification facts the readers look at (device category, mount code,
// format marker, versions), then the file. Every reader runs on the same file.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "FuzzSupport.h"
#include "update/ProductInfoReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cbx::update;
  FuzzedDataProvider in(data, size);
  const int deviceKind = in.ConsumeIntegralInRange(0, 3);
  const int category = in.ConsumeIntegralInRange(0, 3);
  const bool converterAttached = in.ConsumeBool();
  const int mountCode = in.ConsumeIntegralInRange(-1, 255);
  const std::uint8_t formatMarker = in.ConsumeIntegral<std::uint8_t>();
  const std::string rawVersion = in.ConsumeRandomLengthString(16);
  const std::string programVersion = in.ConsumeRandomLengthString(16);
  const std::string content = in.ConsumeRemainingBytesAsString();

  static const std::string folder = cbx::fuzz::FreshFolder("productinfo");
  const std::string path = folder + "/1.01.ini";
  cbx::fuzz::WriteBytes(path, content);

  auto freshRecord = [&] {
    CLensUpdateInfoData record;
    record.deviceCategory = category;
    record.mountCode = mountCode;
    record.formatMarker = formatMarker;
    record.rawVersion = rawVersion;
    return record;
  };
  const std::string folderUrl = "http://server.example/4A1/KV/0123";
  std::string fwFile, fwFolder, docFolder, version;
  int valid = 0;

  CLensUpdateInfoData lens = freshRecord();
  ReadLensConfig(lens, path, category, converterAttached, valid);
  CLensUpdateInfoData adapter = freshRecord();
  ReadAdapterConfig(adapter, path, valid);
  CLensUpdateInfoData flash = freshRecord();
  ReadFlashConfig(flash, path, valid);
  CLensUpdateInfoData message = freshRecord();
  ReadMessageConfig(message, path);

  DockUpdateInfo dock;
  dock.dockRawVersion = rawVersion;
  dock.dockFormatMarker = formatMarker;
  ReadDockConfig(dock, path, folderUrl, fwFile, fwFolder, valid);
  DockUpdateInfo dockF = dock;
  ReadDockFConfig(dockF, path, folderUrl, programVersion, fwFile, fwFolder, valid);
  ReadProgramVersionInfo(path, version, valid);

  CLensUpdateInfoData product = freshRecord();
  ReadProductInfo(deviceKind, path, folderUrl, product, converterAttached, fwFile, fwFolder, docFolder, valid);
  if (valid != 0 && valid != 1) cbx::fuzz::Fail("valid is " + std::to_string(valid));
  return 0;
}
