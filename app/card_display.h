#pragma once

#include <windows.h>

namespace pelmo {

// Puts the current card's word, pronunciation and meaning and the counter into the controls.
void ShowCard(HWND mainWindow);
void UpdateCounterText();
// Carries out what a button or check box asks for; other ids are ignored.
void HandleCommand(int controlId, HWND mainWindow);

}  // namespace pelmo
