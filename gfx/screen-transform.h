// Resolution choice from the program's "resolutions" list, autoscaling from the
// reference size, and the per-frame screen transform (centring, scaling, rotation).
#ifndef OV_SCREEN_TRANSFORM_H
#define OV_SCREEN_TRANSFORM_H

// Chooses the program's width and height from the resolution list; true when one was set.
bool OVI_SelectOptimalResolution(bool windowed);
bool OVI_IsResolutionSupportedByDevice(int w, int h, bool windowed);
// Computes scales, inverse scales and offsets (and the touch mapping) from the reference size.
void OVI_SetupAutoscaling();
// Refreshes the allowed-orientation mask and the current angle.
void OVI_UpdateScreenTransforms(float seconds);
// Turns a rectangle with the picture when a wide program runs on a portrait device.
void OV_TranslateRectByOrientation(int *x, int *y, int *w, int *h);

// The engine's lifecycle and frame (through the graphics table of core/service-calls.h).
void OVI_SetupAutoscale(void);
void OVI_SelectResolution(int windowed);
bool OVI_ResolutionSupported(int w, int h, int windowed);
void OVI_SetDefaultRenderStates(void);
void OVI_PushScreenTransforms(float seconds);
void OVI_PopScreenTransforms(void);
void OVI_DrawScreenBorders(void);

#endif
