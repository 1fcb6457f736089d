// The model component (see ui-model.h).
#include "app/ui/widgets/ui-model.h"

#include "app/ui/model.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

using namespace uiwidget;

namespace {

const char kPrefix[] = "model.";
const size_t kPrefixLength = sizeof kPrefix - 1;

// The rest of a property name after "model."; a name without the prefix is reported
// and looked up from its seventh character on, or whole when it is shorter.
const char *PropertyRest(const char *prop)
{
    if (strncmp(prop, kPrefix, kPrefixLength) == 0)
        return prop + kPrefixLength;
    ov->OV_Popupf(1, "UICompModel::GetProperty: Unknown Property '%s'\n", prop);
    return strlen(prop) >= kPrefixLength ? prop + kPrefixLength : prop;
}

}  // namespace

UICompModel::~UICompModel()
{
    if (model)
        model_man.ReleaseModel(model);
}

void UICompModel::CopyToClone(UICompModel *clone) const
{
    clone->ShareModel(model);
}

void UICompModel::Update(float) {}

void UICompModel::ShareModel(Model *other)
{
    if (other == model)
        return;
    // The manager shares a loaded model by its file name: one more reference.
    if (other)
        other = model_man.LoadModel(other->name);
    if (model)
        model_man.ReleaseModel(model);
    model = other;
}

void UICompModel::SetModel(const char *file)
{
    Model *old = model;
    model = file && file[0] ? model_man.LoadModel(file) : nullptr;
    if (old)
        model_man.ReleaseModel(old);
    UpdateDimensions();
}

void UICompModel::Draw()
{
    const float a = BeginDraw(this);
    if (a <= 0.0f)
        return;
    const float angle_now = GetStaticAngle();
    align = UIALIGN_CENTER;
    if (!model)
        return;
    const vec2_t s = GetStaticPos();
    const vec3_t at = {s.x, s.y, GetStaticPosZ()};
    ov->OV_SetRenderStateb(OV_RS_DEPTH_TEST, true);
    ov->OV_SetRenderStateb(OV_RS_DEPTH_WRITE, true);
    model->Draw(at, angle_now, dynamic_scale);
    ov->OV_SetRenderStateb(OV_RS_DEPTH_TEST, false);
    ov->OV_SetRenderStateb(OV_RS_DEPTH_WRITE, false);
}

void UICompModel::ApplyCacheMode(int mode)
{
    if (model)
        ApplyBitmapsCacheMode(this, mode, {model->texture}, false);
}

void UICompModel::EditUpdate(float) {}

// Without a model template the reference has none.
void UICompModel::ExportOwn(FILE *f, const UICompModel &t)
{
    if (model && model != t.model)
        WriteLuaPropertyText(f, "model.model", model->name ? model->name : "");
}

int UICompModel::GetOwnProperty(const char *prop, lua_State *L)
{
    const char *rest = PropertyRest(prop);
    if (strcmp(rest, "model") == 0) {
        lua_pushstring(L, model && model->name ? model->name : "");
        return 1;
    }
    ov->OV_Popupf(1, "UICompModel::GetProperty: Unknown Property '%s'\n", rest);
    return 0;
}

int UICompModel::SetOwnProperty(const char *prop, lua_State *L)
{
    const char *rest = PropertyRest(prop);
    if (strcmp(rest, "model") == 0)
        SetModel(lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr);
    else
        ov->OV_Popupf(1, "UICompModel::SetProperty: Unknown Property '%s' for UIComp '%s'\n", rest, name ? name : "");
    return 0;
}

bool UICompModel::IsInView()
{
    return true;
}

void UICompModel::InheritOwn(const UICompModel &t)
{
    ShareModel(t.model);
}

void UICompModel::UpdateDimensions()
{
    const float w = model ? model->bounds_max.x - model->bounds_min.x : 0.0f;
    const float h = model ? model->bounds_max.y - model->bounds_min.y : 0.0f;
    SetScaledSize(w != 0.0f ? w : 16.0f, h != 0.0f ? h : 16.0f);
}
