#pragma once

// The application object as the program sets it up. The program and its widget tests both go
// through here, so the tests' windows are made and drawn the way the cashier's are.

// Before the QApplication is created: the attributes Qt reads at its construction.
void prepareApplication();

// Right after the QApplication is created: name, icon, caches, and how the program ends.
void setUpApplication();
