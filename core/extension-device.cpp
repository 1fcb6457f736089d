// The device part of the engine's platform services: the extension commands the device
// answers before the engine does (links, the on-screen keyboard, mail), and the mouse
// cursor, which a touch device does not have.
#include "core/extension.h"

#include "core/ov_state.h"
#include "core/services.h"
#include "platform/bps.h"
#include "platform/headless.h"
#include "platform/navigator.h"

#include <string.h>

namespace {

// The device layer's default keyboard layout and Enter key.
const int kDefaultKeyboardLayout = 0;
const int kDefaultEnterKey = 0;

// Hands the link to the device's navigator; "OK" only when it was handed on.
const char *OpenUrl(const char *url);

}  // namespace

// Answers "OpenURL", "BeginKeyboardInput" and "EndKeyboardInput"; null for the rest.
const char *OVD_CallExtension(const char *name, const char *arg)
{
    if (!name)
        return nullptr;
    // Tests answer prompts and choosers here; the program leaves the table empty.
    if (const char *reply = ovdev::headless::answer(name))
        return reply;
    if (strcmp(name, "OpenURL") == 0)
        return OpenUrl(arg);
    if (strcmp(name, "BeginKeyboardInput") == 0) {
        ovdev::virtualkeyboard_change_options(kDefaultKeyboardLayout, kDefaultEnterKey);
        ovdev::virtualkeyboard_show();
        return "OK";
    }
    if (strcmp(name, "EndKeyboardInput") == 0) {
        ovdev::virtualkeyboard_hide();
        return "OK";
    }
    if (strcmp(name, "ComposeMail") == 0) {
        // Nothing here can send mail: the caller takes its not-available path.
        OV_PrintDebugf(OV_INFO, "ComposeMail: no mail service on this device.\n");
        return nullptr;
    }
    return nullptr;
}

// No cursor on a touch device: the call does nothing.
void OVD_SetCursor(const char *)
{
}

namespace {

const char *OpenUrl(const char *url)
{
    if (!url)
        return nullptr;
    char *err = nullptr;
    if (ovdev::navigator_invoke(url, &err) == ovdev::BPS_SUCCESS)
        return "OK";
    OV_PrintDebugf(OV_WARNING, "OpenURL: link '%s' not opened: %s.\n", url, err ? err : "unknown reason");
    ovdev::bps_free(err);
    return nullptr;
}

}  // namespace
