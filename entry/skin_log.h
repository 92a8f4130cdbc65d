#pragma once
// What the window toolkit finds wrong with the skin goes to the setup log, where support staff
// see why a window looks wrong or why the skin "cannot be loaded" box came up.

// Makes the setup log the toolkit's skin diagnostics sink for the rest of the process.
void LogSkinDiagnostics();
