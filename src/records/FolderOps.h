// Run-only files: document copies for viewing and the folder operations that create,
// move and delete such trees. Nothing here shows anything to the user.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace cbx::records {

// Deletes a folder with everything in it, going on past entries that cannot be deleted;
// the result is that of removing the folder itself.
bool DeleteFolderTree(const std::string& folder);
// Deletes everything inside a folder and keeps the folder.
void EmptyFolder(const std::string& folder);
// Silent recursive copy or move of a file or folder, replacing what is there. When the
// target is an existing folder the item goes inside it, otherwise it takes the target's
// name. 0 means success.
int CopyFolder(const std::string& from, const std::string& to);
int MoveItem(const std::string& from, const std::string& to);
// Moves every subfolder of `fromFolder` into `toFolder`; files directly in it stay.
void MoveSubfolders(const std::string& fromFolder, const std::string& toFolder);

// Text before and after the last separator ('/' or '\').
std::string GetParentFolder(const std::string& path);
std::string GetFileName(const std::string& path);

// Downloads/ORVANE/ORVANE Calibrix/CBXTemp_<UTC time to the millisecond>/
std::string DocumentCopyFolderName(const std::string& downloadsFolder);

// Copies a downloaded document into a new copy folder under its own name.
bool CopyDocumentForViewing(const std::string& source, std::string& copyPath, const std::string& downloadsFolder);

// Documents copied out during this run: source path -> copy path.
class DocumentCopyMap {
 public:
  bool Find(const std::string& source, std::string& copy) const;
  void Insert(const std::string& source, const std::string& copy);
  std::vector<std::string> Copies() const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::string> copies_;
};

// The copy for viewing of a document: the one made earlier in this run, or a new one.
bool DocumentForViewing(DocumentCopyMap& map, const std::string& source, std::string& copyPath,
                        const std::string& downloadsFolder);

// What a normal end of the run removes: the mirror, the temporary folder and every
// document copy folder.
void RemoveRunFolders(const std::string& lensDatabase, const std::string& tempFolder, const DocumentCopyMap& copies);

}  // namespace cbx::records
