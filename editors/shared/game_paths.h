#pragma once

// The chosen game files live with the file access; the editors include them here.

#include "io/game_files.h"
