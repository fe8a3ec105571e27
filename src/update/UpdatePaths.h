// Where things are on the update server and in its local mirror under LensDatabase.
// Server paths are joined with "/", local paths with the platform separator.
#pragma once

#include <string>
#include <string_view>

namespace cbx::update {

// The configured address when not empty, else the built-in one; always ends with "/".
std::string GetServerBaseUrl(const std::string& serverUrlOverride);

// "jpn", "eng", ... for the user-interface language; "eng" for any other value.
std::string LanguageCode(int uiLanguage);
std::string MessageFileName(int uiLanguage);   // code + ".ini"
std::string DocumentFileName(int uiLanguage);  // code + ".htm"

// Server folder of a product: B P/M/L.
std::string ProductFolderUrl(const std::string& base, const std::string& productCode,
                             const std::string& mountText, const std::string& lensCode);
std::string ImageFolderUrl(const std::string& base, const std::string& productCode);  // B P/Image/
std::string MessageFileUrl(const std::string& base, const std::string& productCode, int uiLanguage);
// B USBDock/D or B USBDock_F/D.
std::string DockFolderUrl(const std::string& base, bool flashDock, const std::string& dockId);
// B Win (or B CBX for programs of version 1.3.9 and older).
std::string ProgramFolderUrl(const std::string& base, const std::string& programVersion);
std::string ProgramFolderName(const std::string& programVersion);
// Server files are joined with "/".
std::string UrlJoin(const std::string& folderUrl, const std::string& name);

// The dock version text used in dock file names: the raw text, or its first four
// characters for the extended format.
std::string DockVersionText(const std::string& dockRawVersion, bool extendedFormat);

// 100·a + 10·b + c of a program version a.b.c.
int ProgramVersionNumber(const std::string& programVersion);

// Local mirror below the LensDatabase folder R.
std::string LocalProductFolder(const std::string& r, const std::string& p, const std::string& m,
                               const std::string& l);
std::string LocalImageFolder(const std::string& r, const std::string& p);
std::string LocalMessageFolder(const std::string& r, const std::string& p);
std::string LocalDocumentFolder(const std::string& r, const std::string& p, const std::string& m,
                                const std::string& l, const std::string& fwversion);
std::string LocalFirmwareFolder(const std::string& r, const std::string& p, const std::string& m,
                                const std::string& l, const std::string& fwversion);
std::string LocalDockFolder(const std::string& r, bool flashDock, const std::string& dockId);
std::string LocalDockFirmwareFolder(const std::string& r, bool flashDock, const std::string& dockId,
                                    const std::string& dockFwversion);
std::string LocalProgramFolder(const std::string& r, const std::string& programVersion);

// A value from the server that becomes one folder or file name of a local path: not empty,
// no separator, not "." or "..", no NUL. Anything else could write outside the mirror.
bool IsSafePathSegment(std::string_view value);

}  // namespace cbx::update
