#pragma once
#include "common/scoped_handle.h"

// True when this installer may open a wizard. False when another installer's wizard (a
// top-level window carrying the property "BokrinInstall") was found; that wizard is then
// restored when minimised and brought to the foreground.
bool FindRunningWizard();
// True when another installer's wizard is open; nothing is brought forward, for a run that
// shows nothing.
bool IsWizardOpen();

// Every run that may install holds the installer lock for as long as it runs, so that a silent
// run and a wizard never install at once. True when `lock` holds it now, or when it cannot be
// made at all (logged; the run goes on as one without the lock would); false when another run
// holds it.
bool TakeInstallerLock(ScopedHandle& lock);
