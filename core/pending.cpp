// Slots of services that this build does not carry yet: each answers "not available"
// (null, 0 or nothing), so that the application can call through every slot.
#include "core/services.h"

// ---- engine-internal seams of the same services

#include "core/ov_state.h"

