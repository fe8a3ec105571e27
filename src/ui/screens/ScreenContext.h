// What every screen works with: the session state, the texts, the controller and the way
// to switch screens.
#pragma once

#include <functional>

#include "app/TextResources.h"
#include "dock/DockDevice.h"
#include "lens/LensSettingsModel.h"
#include "session/SessionController.h"
#include "update/AppState.h"
#include "update/SessionUi.h"

namespace cbx::ui {

struct ScreenContext {
  AppState& state;
  const TextTable& texts;
  session::SessionController& controller;
  lens::LensSettingsModel& model;
  lens::SettingsController& settings;
  dock::DockDevice& dock;
  SessionUi& ui;
  std::function<void(int screen)> showScreen;
  // The unsaved-change question of the customisation screen shown; true when it may be left.
  std::function<bool()> leaveShownScreen = [] { return true; };
};

}  // namespace cbx::ui
