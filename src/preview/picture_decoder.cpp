#include "preview/picture_decoder.h"
