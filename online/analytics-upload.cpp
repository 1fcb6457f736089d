// The analytics upload: the address is finished on the main thread when the event is
// logged; a thread "Analyst" per event sends it, one at a time under the engine
// mutex "ANALYST_THREAD". The reply is not read.
#include "online/analytics.h"

#include "app/services/featureman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "orvex.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>

nString Analyst::BuildUploadAddress(const char *body)
{
    nString out;
    if (!prof)
        return out;
    const char *app_id = feature_man.GetProductValue("analytics_id");
    std::string address = ANALYTICS_ENDPOINT;
    address += "app_id=";
    address += app_id ? app_id : prog.id;
    if (feature_man.ProductFeatureExists("AUTO_TESTING_MODE"))
        address += "_autoplayer";
    else if (prog.parms.developer_mode)
        address += "_devmode";
    else if (feature_man.ProductFeatureExists("BETA"))
        address += "_beta";
    char udid[16];
    snprintf(udid, sizeof udid, "%d", prof->GetRandom());
    address += "&version=";
    address += prog.version;
    address += "&platform=";
    address += feature_man.GetCurrentPlatformId();
    address += "&udid=";
    address += udid;
    address += "&";
    address += body ? body : "";
    out.Set(address.c_str());
    return out;
}

void Analyst_LoggerThread(void *block)
{
    char *address = (char *)block;
    ov_mutex_t *mutex = ov->OV_GetMutex("ANALYST_THREAD");
    ov->OV_LockMutex(mutex);
    ov->OV_Printf("Uploading analytics event.\n");
    ov->OV_Printf("Constructed URL: '%s'\n", address);
    ov_buffer_t reply = {};
    int status = 5;
    int ret = ov->OV_SendHttpRequest(2, address, "application/x-www-form-urlencoded", nullptr, 0, &reply, &status);
    ov->OV_Printf("ret:%d\n", ret);
    ov->OV_FreeBuffer(&reply);
    free(address);
    ov->OV_UnlockMutex(mutex);
}
