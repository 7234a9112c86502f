#pragma once

// The upload-job interface lives in the platform layer so that the network layer can implement it
// without depending on the billing library.
#include "platform/UploadJob.h"
