// What every screen works with: the session state, the texts, the controller and the way
// to switch screens.
#pragma once

#include <functional>

#include "app/TextResources.h"
#include "lens/LensSettingsModel.h"
#include "session/SessionController.h"
#include "update/AppState.h"

namespace cbx::ui {

struct ScreenContext {
  AppState& state;
  const TextTable& texts;
  session::SessionController& controller;
  lens::LensSettingsModel& model;
  std::function<void(int screen)> showScreen;
};

}  // namespace cbx::ui
