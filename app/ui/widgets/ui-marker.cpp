// The marker (see ui-marker.h).
#include "app/ui/widgets/ui-marker.h"

#include "app/ui/screen-manager.h"

UICompMarker::UICompMarker()
{
    type = UICOMP_MARKER;
    interactive = false;
}

UIComp *UICompMarker::Clone(const char *clone_name)
{
    UICompMarker *c = new UICompMarker();
    c->SetName(clone_name);
    c->type = type;
    c->InheritFrom(this);
    c->area_width = area_width;
    c->area_height = area_height;
    c->template_comp = template_comp;
    c->parent = parent;
    return c;
}

void UICompMarker::Update(float) {}

void UICompMarker::Draw()
{
    if (sman.virtual_resize_mode)
        UpdateDimensions();
}

void UICompMarker::EditUpdate(float)
{
    EditResizeArea(Area(), this);
    UpdateDimensions();
}

void UICompMarker::ExportLua(FILE *f)
{
    UIComp::ExportLua(f);
    const UICompMarker *t = dynamic_cast<UICompMarker *>(template_comp);
    const UICompMarker defaults;
    ExportArea(Area(), f, (t ? t : &defaults)->area_width, (t ? t : &defaults)->area_height);
}

int UICompMarker::GetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::GetProperty(prop, L);
    if (n > 0 || !prop)
        return n;
    return GetAreaProperty(Area(), prop, L);
}

// The area changes the size only at the next UpdateDimensions.
int UICompMarker::SetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::SetProperty(prop, L);
    if (n >= 0 || !prop)
        return n;
    return SetAreaProperty(Area(), this, prop, L);
}

bool UICompMarker::InheritFrom(UIComp *tmpl)
{
    if (!UIComp::InheritFrom(tmpl))
        return false;
    UpdateDimensions();
    return true;
}

void UICompMarker::UpdateDimensions()
{
    ApplyAreaDimensions(Area(), this);
}
