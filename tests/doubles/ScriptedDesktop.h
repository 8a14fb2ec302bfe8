#pragma once

#include "app/Desktop.h"
#include "doubles/FixedClock.h"
#include "doubles/ScriptedDocumentOpener.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "doubles/ScriptedSkin.h"
#include "doubles/ScriptedSystemDialogs.h"

// Every door to the desktop answered by script, the clock standing still.
using ScriptedDesktop =
    Desktop<ScriptedSystemDialogs, ScriptedMessageBoxes, ScriptedDocumentOpener, FixedClock, ScriptedSkin>;
