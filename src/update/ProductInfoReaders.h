// Readers of the product information files that the update server publishes per product,
// per dock model and for the program itself. Each reader fills its record in every case and
// sets `valid` to 1 only when the file is complete enough to be used, else to 0. A missing
// file or section reads as all defaults and so is never valid.
#pragma once

#include <string>

#include "update/DockUpdateInfo.h"
#include "update/LensUpdateInfo.h"

namespace cbx::update {

// Device kinds of ReadProductInfo; any other value reads a lens file.
inline constexpr int kProductKindAdapter = 1;
inline constexpr int kProductKindFlash = 2;

// "Lens Config". `deviceCategory` picks the cine rules (3) and whether the older minimum
// program version key may stand in (not for 1); the ml-mount test uses the record's mount
// code and `converterAttached`.
void ReadLensConfig(CLensUpdateInfoData& record, const std::string& path, int deviceCategory,
                    bool converterAttached, int& valid);

// "Dock Config" of a mount adapter.
void ReadAdapterConfig(CLensUpdateInfoData& record, const std::string& path, int& valid);

// "Flash Config".
void ReadFlashConfig(CLensUpdateInfoData& record, const std::string& path, int& valid);

// "Message Config": the twelve button and message texts in the user's language.
void ReadMessageConfig(CLensUpdateInfoData& record, const std::string& path);

// "Dock Config" of the lens dock. The dock fields and the results are written whether or
// not the file is valid; `fwFolderUrl` is folderUrl + "/" + Fwpath.
void ReadDockConfig(DockUpdateInfo& dock, const std::string& path, const std::string& folderUrl,
                    std::string& fwFileName, std::string& fwFolderUrl, int& valid);

// "Dock Config" of a flash unit's USB side: as ReadDockConfig plus the update permission
// and the minimum program version, whose key depends on `programVersion` ("a.b.c").
void ReadDockFConfig(DockUpdateInfo& dock, const std::string& path, const std::string& folderUrl,
                     const std::string& programVersion, std::string& fwFileName,
                     std::string& fwFolderUrl, int& valid);

// "CBX Config": the program's newest version; valid when it is not empty.
void ReadProgramVersionInfo(const std::string& path, std::string& version, int& valid);

// Reads the product file of `deviceKind` (a lens file with the record's device category),
// gives the firmware file name and the firmware and document folder URLs, and for every
// kind but the adapter turns the product name into its display name.
void ReadProductInfo(int deviceKind, const std::string& path, const std::string& folderUrl,
                     CLensUpdateInfoData& record, bool converterAttached, std::string& fwFileName,
                     std::string& fwFolderUrl, std::string& docFolderUrl, int& valid);

}  // namespace cbx::update
