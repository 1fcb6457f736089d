// The entries the services above the screen framework fill in (see frame-services.h).
#include "app/ui/frame-services.h"

FrameServices frame_services;
