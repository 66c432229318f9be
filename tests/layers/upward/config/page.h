#pragma once

// A page that reaches up into the shell: the layer check refuses it.
#include "core/dialogs.h"
#include "shell/main_window.h"
