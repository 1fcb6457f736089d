// Developer edits that do not read (see dev-edit-fallback.h).
#include "app/services/dev-edit-fallback.h"

#include "app/services/filehelpers.h"
#include "nstring.h"
#include "orvex.h"
#include "ovrecords.h"

#include <string.h>

namespace {

const char kDevEdits[] = "user://dev-edits/";
const char kDamaged[] = "Developer edit '%s' does not read (%s): the shipped file is used instead.\n";

}  // namespace

std::string OpenedFileName(const char *name)
{
    ov_file_t *f = name && name[0] ? ov->OV_OpenFile(name, "rb") : nullptr;
    if (!f)
        return "";
    std::string opened = f->name ? f->name : name;
    ov->OV_CloseFile(f);
    return opened;
}

bool IsDevEditFile(const char *static_name)
{
    return static_name && strncmp(static_name, kDevEdits, sizeof kDevEdits - 1) == 0;
}

bool SetDamagedDevEditAside(const char *static_name, const char *why)
{
    why = why && why[0] ? why : "damaged";
    ov->OV_PrintDebugf(2, kDamaged, static_name, why);
    ov->OV_Popupf(1, kDamaged, static_name, why);
    nString kept;
    if (!KeepDamagedCopy(static_name, &kept) || !ov->OV_DeleteFile(static_name)) {
        ov->OV_PrintDebugf(2, "Developer edit '%s' could not be set aside: %s.\n", static_name,
                           LastFileErrorText().c_str());
        return false;
    }
    return true;
}
