#pragma once

// True when this installer may open a wizard. False when another installer's wizard (a
// top-level window carrying the property "BokrinInstall") was found; that wizard is then
// restored when minimised and brought to the foreground.
bool FindRunningWizard();
