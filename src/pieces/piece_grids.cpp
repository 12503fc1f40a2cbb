#include "pieces/piece_grids.h"
