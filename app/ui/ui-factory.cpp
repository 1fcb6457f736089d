// The component factory (see ui-factory.h): constructors by type number, creation by
// type word with the default template's style.
#include "app/ui/ui-factory.h"

#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-advert.h"
#include "app/ui/widgets/ui-aligner.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-checkbox.h"
#include "app/ui/widgets/ui-editbox.h"
#include "app/ui/widgets/ui-emitter.h"
#include "app/ui/widgets/ui-image.h"
#include "app/ui/widgets/ui-listbox.h"
#include "app/ui/widgets/ui-marker.h"
#include "app/ui/widgets/ui-model.h"
#include "app/ui/widgets/ui-ninepatch.h"
#include "app/ui/widgets/ui-path.h"
#include "app/ui/widgets/ui-rectangle.h"
#include "app/ui/widgets/ui-ruler.h"
#include "app/ui/widgets/ui-scriptable.h"
#include "app/ui/widgets/ui-slider.h"
#include "app/ui/widgets/ui-textbox.h"
#include "app/ui/widgets/ui-touchfield.h"
#include "app/ui/widgets/ui-touchgrid.h"
#include "nstring.h"

#include <string.h>

namespace {

typedef UIComp *(*MakeComp)();

UIComp *MakePlain()
{
    return new UIComp();
}
UIComp *MakeRectangle()
{
    return new UICompRectangle();
}
UIComp *MakeMarker()
{
    return new UICompMarker();
}
UIComp *MakeRuler()
{
    return new UICompRuler();
}
UIComp *MakeAligner()
{
    return new UICompAligner();
}

// The kinds by type number; a null entry is a kind not built yet.
const MakeComp kMakers[UICOMP_NUM_TYPES] = {
    MakePlain,     // 0 plain
    []() -> UIComp * { return new UICompButton(); },      // 1
    []() -> UIComp * { return new UICompSlider(); },      // 2
    []() -> UIComp * { return new UICompEditbox(); },     // 3
    []() -> UIComp * { return new UICompCheckbox(); },    // 4
    []() -> UIComp * { return new UICompListbox(); },     // 5
    []() -> UIComp * { return new UICompPath(); },        // 6 path
    []() -> UIComp * { return new UICompEmitter(); },     // 7 emitter
    []() -> UIComp * { return new UICompScriptable(); },  // 8 scriptable
    []() -> UIComp * { return new UICompTouchField(); },  // 9
    []() -> UIComp * { return new UICompTouchGrid(); },   // 10
    []() -> UIComp * { return new UICompNinePatch(); },   // 11 nine-patch
    []() -> UIComp * { return new UICompTextbox(); },     // 12 text box
    MakeRectangle, // 13
    []() -> UIComp * { return new UICompImage(); },       // 14 image
    MakeMarker,    // 15
    MakeRuler,     // 16
    []() -> UIComp * { return new UICompAd(); },          // 17 advert
    []() -> UIComp * { return new UICompModel(); },       // 18 model
    MakeAligner,   // 19
};

thread_local UISet *building_set = nullptr;

}  // namespace

bool UICompFactory::KindExists(int type)
{
    return type >= 0 && type < UICOMP_NUM_TYPES && kMakers[type] != nullptr;
}

UIComp *UICompFactory::Construct(int type)
{
    if (!KindExists(type))
        return new UIComp();
    return kMakers[type]();
}

UIComp *UICompFactory::Generate(const char *name, const char *type_word)
{
    int type = UIComp::GetCompType(type_word);
    if (!KindExists(type))
        type = UICOMP_UNKNOWN;
    if (type == UICOMP_UNKNOWN && !(type_word && strstr(type_word, "Unknown"))) {
        UISet *set = building_set;
        ov->OV_Popupf(1, "Unknown component type '%s' in %s/%s.\n", type_word ? type_word : "",
                      set && set->file ? set->file : "", name ? name : "");
    }
    UIComp *comp = Construct(type);
    comp->SetName(name);
    comp->loaded = false;
    comp->type = type;
    char template_name[256];
    nStringFormat(template_name, sizeof template_name, "Default%s", type_word ? type_word : "");
    UIComp *tmpl = sman.GetCompTemplate(template_name);
    if (tmpl)
        comp->InheritFrom(tmpl);
    return comp;
}

void UICompFactory::SetBuildingSet(UISet *set)
{
    building_set = set;
}

UISet *UICompFactory::GetBuildingSet()
{
    return building_set;
}

UIComp *ScreenMan::GenerateComponent(const char *name, const char *type)
{
    return UICompFactory::Generate(name, type);
}
