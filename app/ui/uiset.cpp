// The UI set of a screen, and the screen manager's building of a set from a UI script.
#include "app/ui/uiset.h"

#include "app/services/localization.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/services/featureman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/ui-factory.h"

#include <stdlib.h>
#include <string.h>

namespace {

bool FeaturesSatisfied(UIComp *comp)
{
    return !comp->required_features || feature_man.EvaluateProductFeatureRequirementList(comp->required_features);
}

}  // namespace

UISet::UISet(const char *file_name) : file(strdup(file_name ? file_name : ""))
{
    L = lua_man.OpenLuaState(0);
    if (L)
        lua_man.SetLuaStateUserData(L, this);
}

UISet::~UISet()
{
    for (int i = comps.Count() - 1; i >= 0; i--)
        delete comps[i];
    comps.Clear();
    if (L)
        lua_man.CloseLuaState(L);
    free(file);
    free(events_file);
}

UIComp *UISet::GetComp(const char *wanted)
{
    if (!wanted)
        return nullptr;
    for (int i = 0; i < comps.Count(); i++)
        if (comps[i]->name && strcmp(comps[i]->name, wanted) == 0)
            return comps[i];
    return nullptr;
}

UIComp *UISet::GetCompByIndex(int index)
{
    if (index < 0 || index >= comps.Count())
        return nullptr;
    return comps[index];
}

void UISet::Remove(UIComp *comp)
{
    for (int i = 0; i < comps.Count(); i++) {
        if (comps[i] == comp) {
            comps.Remove(i);
            if (active_comp == comp)
                active_comp = nullptr;
            return;
        }
    }
}

void UISet::UpdateComponents()
{
    for (int i = 0; i < comps.Count(); i++) {
        comps[i]->CalculateDynamicScale();
        comps[i]->UpdateDimensions();
    }
}

void UISet::ApplyCacheModeOnEnter()
{
    if (cache_applied)
        return;
    for (int i = 0; i < comps.Count(); i++) {
        UIComp *comp = comps[i];
        if ((comp->cache_mode == UICACHE_LOAD_ON_ENTER || comp->cache_mode == UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE) &&
            FeaturesSatisfied(comp)) {
            comp->ApplyCacheMode(2);
            sman.ResetNextFrameTimeDelta();
        }
    }
    for (int i = 0; i < comps.Count(); i++)
        comps[i]->UpdateDimensions();
    cache_applied = true;
}

void UISet::ApplyCacheModeOnLeave()
{
    if (!cache_applied)
        return;
    for (int i = 0; i < comps.Count(); i++) {
        UIComp *comp = comps[i];
        if (comp->cache_mode == UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE && FeaturesSatisfied(comp))
            comp->ApplyCacheMode(3);
    }
    cache_applied = false;
}

void UISet::BuildFromScript()
{
    UISet *outer = UICompFactory::GetBuildingSet();
    UICompFactory::SetBuildingSet(this);
    if (L)
        lua_man.ExecLuaFile(L, file);
    UICompFactory::SetBuildingSet(outer);

    for (int i = 0; i < comps.Count(); i++) {
        UIComp *comp = comps[i];
        comp->Precalculate();
        comp->loaded = true;
        comp->UpdateDimensions();
    }
}

UISet *ScreenMan::GetStateUISet(lua_State *L)
{
    return L ? static_cast<UISet *>(lua_man.GetLuaStateUserData(L)) : nullptr;
}

UISet *ScreenMan::GetUISetForScreen(const char *file, Screen *screen)
{
    UISet *set = new UISet(file);
    if (screen) {
        if (UISet *old = screen->ui) {
            ov->OV_Popupf(1, "Screen '%s' already has a UISet (%s)! Trying to set to '%s'.\n", screen->name, old->file,
                          set->file);
            // The old set's own script may be the one running this (script "LoadUI").
            RetireUISet(old);
            screen->default_comp = nullptr;
        }
        screen->ui = set;
    }
    if (!set->owner)
        set->owner = screen;
    else
        ov->OV_Popupf(1, "UI Set '%s' already has a screen counterpart!\n", set->file);

    bool developer = prog.parms.developer_mode != 0;
    float mem_before = 0.0f;
    if (developer) {
        ov->OV_CallExtension("RefreshMemUsageEstimates", "");
        mem_before = ov->OV_GetKeyStatef(2005);
    }
    if (!screen) {
        if (!templates)
            templates = set;
        else
            ov->OV_Popupf(2, "ScreenMan::GetUISetForScreen called with null screen is not allowed.\n");
    }
    ov->OV_Printf("Loading UI '%s'..\n", set->file);

    char comment[600];
    loc_man().LocalizeNewLine();
    snprintf(comment, sizeof comment, "Strings in UI file '%s':", set->file);
    loc_man().LocalizeComment(comment);

    set->BuildFromScript();

    snprintf(comment, sizeof comment, "End of strings in UI file '%s':", set->file);
    loc_man().LocalizeComment(comment);
    loc_man().LocalizeNewLine();

    if (developer) {
        ov->OV_CallExtension("RefreshMemUsageEstimates", "");
        set->mem_usage = (int)(ov->OV_GetKeyStatef(2005) - mem_before);
    }
    return set;
}
