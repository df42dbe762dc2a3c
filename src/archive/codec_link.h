// The codec interface as the container sees it.
#pragma once

#include "codecs/codec.h"
