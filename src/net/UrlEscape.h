#pragma once

// The escape function is a pure text function of the platform layer, so that the billing library can
// escape the values of the upload address without depending on the network layer.
#include "platform/UrlEscape.h"
