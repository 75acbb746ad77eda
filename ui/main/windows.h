// The program's secondary windows: how each is created for the registry.
#pragma once

#include "ui/common/services.h"

namespace keyloom::ui {

void registerWindows(WindowRegistry& registry, Services& services);

}  // namespace keyloom::ui
