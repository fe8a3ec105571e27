// The text table the program ships, as the tests read it.
#pragma once

#include "app/Folders.h"
#include "app/TextResources.h"

namespace cbx::test {

inline TextTable ShippedTexts() {
  TextTable texts;
  texts.LoadTexts(JoinPath(GetFolder(kFolderStrings), kStringFileName));
  return texts;
}

}  // namespace cbx::test
