#pragma once

// Registers the skin's control classes with the dialog templates, so that a template can
// name them as data: "GAMESLIST" (the games list, under the name dialogs have always used
// for it) and "TivoraButton", "TivoraCustomButton", "TivoraCheckbox", "TivoraStatic",
// "SimpleStatic", "ToolbarEdit", "TivoraTabCtrl". A template may as well keep the standard
// class names and hand the skin classes to Build as per-dialog makers (MakerFor<...>()).
// Safe to call more than once.
namespace SkinClasses {
void Register();
}  // namespace SkinClasses
