// The factory: kinds by type word, the default templates, "inherit" and "UICompEvent".
#include "app/ui/screen-manager.h"
#include "app/ui/ui-factory.h"
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
#include "tests/app/ui/comp_fixture.h"

#include "nstring.h"

#include <gtest/gtest.h>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using apptest::Logged;

class Factory : public comptest::CompTest {};

TEST_F(Factory, TypeWordsBuildTheirKindsWithTheDefaultTemplate)
{
    StartUI();
    Screen *s = MakeScreen("Kinds", "CreateComp ('rectangle', 'a')\n"
                                    "CreateComp ('MARKER', 'b')\n"
                                    "CreateComp ('Ruler', 'c')\n"
                                    "CreateComp ('aligner', 'd')\n");
    const struct {
        const char *name;
        int type;
        const char *tmpl;
    } cases[] = {{"a", 13, "DefaultRectangle"}, {"b", 15, "DefaultMarker"}, {"c", 16, "DefaultRuler"}, {"d", 19, "DefaultAligner"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        UIComp *comp = s->GetComp(c.name);
        ASSERT_NE(comp, nullptr);
        EXPECT_EQ(comp->type, c.type);
        ASSERT_NE(comp->template_comp, nullptr);
        EXPECT_STREQ(comp->template_comp->name, c.tmpl);
        EXPECT_TRUE(comp->loaded);
        EXPECT_EQ(comp->owner, s);
        EXPECT_FALSE(comp->interactive);
    }
    EXPECT_NE(dynamic_cast<UICompRectangle *>(s->GetComp("a")), nullptr);
    EXPECT_EQ(s->ui->active_comp, s->GetComp("d"));
}

// Every kind derives directly from the component base: a component is of its own kind
// and of no other (the aligner is no marker, for instance), and so is its clone.
TEST_F(Factory, EachKindIsItsOwnClassAndNoOther)
{
    StartUI();
    const char *const words[] = {"Button",   "Slider",    "Editbox",   "Checkbox", "Listbox",  "Path",   "Emitter",
                                 "Scriptable", "TouchField", "TouchGrid", "NinePatch", "Textbox", "Rectangle",
                                 "Image",    "Marker",    "Ruler",     "Ad",       "Model",    "Aligner"};
    std::string script;
    for (const char *word : words)
        script += std::string("CreateComp ('") + word + "', 'c_" + word + "')\n";
    Screen *s = MakeScreen("AllKinds", script.c_str());
    // Which kinds a component is, by type number.
    auto kinds = [](UIComp *c) {
        const bool is[] = {dynamic_cast<UICompButton *>(c) != nullptr,   dynamic_cast<UICompSlider *>(c) != nullptr,
                           dynamic_cast<UICompEditbox *>(c) != nullptr,  dynamic_cast<UICompCheckbox *>(c) != nullptr,
                           dynamic_cast<UICompListbox *>(c) != nullptr,  dynamic_cast<UICompPath *>(c) != nullptr,
                           dynamic_cast<UICompEmitter *>(c) != nullptr,  dynamic_cast<UICompScriptable *>(c) != nullptr,
                           dynamic_cast<UICompTouchField *>(c) != nullptr, dynamic_cast<UICompTouchGrid *>(c) != nullptr,
                           dynamic_cast<UICompNinePatch *>(c) != nullptr, dynamic_cast<UICompTextbox *>(c) != nullptr,
                           dynamic_cast<UICompRectangle *>(c) != nullptr, dynamic_cast<UICompImage *>(c) != nullptr,
                           dynamic_cast<UICompMarker *>(c) != nullptr,   dynamic_cast<UICompRuler *>(c) != nullptr,
                           dynamic_cast<UICompAd *>(c) != nullptr,       dynamic_cast<UICompModel *>(c) != nullptr,
                           dynamic_cast<UICompAligner *>(c) != nullptr};
        std::vector<int> out;
        for (int i = 0; i < (int)(sizeof is / sizeof is[0]); i++)
            if (is[i])
                out.push_back(i + 1);
        return out;
    };
    for (int i = 0; i < (int)(sizeof words / sizeof words[0]); i++) {
        SCOPED_TRACE(words[i]);
        UIComp *comp = s->GetComp((std::string("c_") + words[i]).c_str());
        ASSERT_NE(comp, nullptr);
        EXPECT_EQ(comp->type, i + 1);
        EXPECT_EQ(kinds(comp), std::vector<int>{i + 1});
        UIComp *copy = comp->Clone("copy");
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(kinds(copy), std::vector<int>{i + 1});
        delete copy;
    }
}

TEST_F(Factory, UnknownWordsGivePlainComponentsAndOnlyOthersAreReported)
{
    StartUI();
    Screen *s = MakeScreen("Odd", "CreateComp ('Unknown', 'u')\n"
                                  "CreateComp ('Gizmo', 'g')\n"
                                  "CreateComp ('button', 'b')\n");
    EXPECT_FALSE(Logged("Unknown component type 'Unknown'"));
    EXPECT_TRUE(Logged("Unknown component type 'Gizmo' in ui/Odd.lua/g."));
    EXPECT_FALSE(Logged("Unknown component type 'button'"));
    for (const char *name : {"u", "g"}) {
        UIComp *comp = s->GetComp(name);
        ASSERT_NE(comp, nullptr);
        EXPECT_EQ(comp->type, 0);
        EXPECT_EQ(typeid(*comp), typeid(UIComp));
    }
    EXPECT_STREQ(s->GetComp("u")->template_comp->name, "DefaultUnknown");
    // A kind's word in lower case is still that kind, styled by its default template.
    UIComp *b = s->GetComp("b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->type, UICOMP_BUTTON);
    EXPECT_STREQ(b->template_comp->name, "DefaultButton");
}

TEST_F(Factory, InheritOverwritesEarlierPropertiesButNotTheAngle)
{
    StartUI("CreateComp ('Rectangle', 'Fancy')\nSetProperty ('alpha', 0.8)\nSetProperty ('rectangle.rect_width', 40)\n"
            "SetProperty ('OnClick', 'fancy.lua')\n");
    Screen *s = MakeScreen("Inherit", "CreateComp ('Rectangle', 'r')\n"
                                      "SetProperty ('alpha', 0.3)\nSetProperty ('angle', 0.2)\n"
                                      "SetProperty ('rectangle.rect_width', 5)\n"
                                      "SetProperty ('inherit', 'Fancy')\n");
    UICompRectangle *r = dynamic_cast<UICompRectangle *>(s->GetComp("r"));
    ASSERT_NE(r, nullptr);
    EXPECT_FLOAT_EQ(r->alpha, 0.8f);
    EXPECT_FLOAT_EQ(r->rect_width, 40.0f);
    EXPECT_FLOAT_EQ(r->angle, 0.2f);
    // The script name is the component's own copy.
    ASSERT_NE(r->OnClick, nullptr);
    EXPECT_STREQ(r->OnClick, "fancy.lua");
    EXPECT_NE(r->OnClick, sman.GetCompTemplate("Fancy")->OnClick);
    // Another type's template copies nothing.
    UIComp plain;
    EXPECT_FALSE(plain.InheritFrom(r));
    EXPECT_EQ(plain.template_comp, nullptr);
}

TEST_F(Factory, AScriptsOwnDefaultTemplateIsKeptAndMissingOnesAreMade)
{
    StartUI("CreateComp ('Rectangle', 'DefaultRectangle')\nSetProperty ('rectangle.rect_width', 50)\n");
    int rectangles = 0;
    for (int i = 0; i < sman.templates->GetNumberOfComps(); i++)
        if (nStringsMatchIncaseSensitive(sman.templates->GetCompByIndex(i)->name, "DefaultRectangle"))
            rectangles++;
    EXPECT_EQ(rectangles, 1);
    auto *t = dynamic_cast<UICompRectangle *>(sman.GetCompTemplate("DefaultRectangle"));
    ASSERT_NE(t, nullptr);
    EXPECT_FLOAT_EQ(t->rect_width, 50.0f);
    for (int type = 0; type < UICOMP_NUM_TYPES; type++) {
        SCOPED_TRACE(type);
        std::string name = std::string("Default") + UIComp::GetCompTypeString(type);
        EXPECT_EQ(sman.GetCompTemplate(name.c_str()) != nullptr, UICompFactory::KindExists(type));
    }
    Screen *s = MakeScreen("UsesDefault", "CreateComp ('Rectangle', 'r')\n");
    EXPECT_FLOAT_EQ(dynamic_cast<UICompRectangle *>(s->GetComp("r"))->rect_width, 50.0f);
}

TEST_F(Factory, CompEventWordsMatchWithoutCase)
{
    StartUI();
    Screen *s = MakeScreen("Events", "CreateComp ('Marker', 'm')\n"
                                     "UICompEvent ('onclick', 'ui/click.lua')\n"
                                     "UICompEvent ('ONLOAD', 'ui/load.lua')\n"
                                     "UICompEvent ('OnWhatever', 'ui/x.lua')\n");
    UIComp *m = s->GetComp("m");
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->OnClick, "ui/click.lua");
    EXPECT_STREQ(m->OnLoad, "ui/load.lua");
    EXPECT_EQ(m->OnEnter, nullptr);
}

TEST_F(Factory, ClonesCopyTheStyleAndOwnTheirStrings)
{
    StartUI();
    Screen *s = MakeScreen("Clones", "CreateComp ('Unknown', 'src')\nSetProperty ('tags', 't1')\n"
                                     "SetProperty ('OnDraw', 'draw.lua')\nSetProperty ('position', 0.3, 0.4)\n"
                                     "SetProperty ('angle', 1)\n"
                                     "CreateComp ('Rectangle', 'rect')\nSetProperty ('rectangle.rect_height', 12)\n");
    UIComp *src = s->GetComp("src");
    UIComp *clone = src->Clone("copy");
    EXPECT_STREQ(clone->name, "copy");
    EXPECT_STREQ(clone->tags, "t1");
    EXPECT_STREQ(clone->OnDraw, "draw.lua");
    EXPECT_NE(clone->OnDraw, src->OnDraw);
    EXPECT_FLOAT_EQ(clone->position_x, 0.3f);
    EXPECT_FLOAT_EQ(clone->angle, 0.0f);
    EXPECT_EQ(clone->template_comp, src->template_comp);
    delete clone;
    UIComp *rect_clone = s->GetComp("rect")->Clone(nullptr);
    EXPECT_STREQ(rect_clone->name, "");
    EXPECT_FLOAT_EQ(dynamic_cast<UICompRectangle *>(rect_clone)->rect_height, 12.0f);
    delete rect_clone;
}

}  // namespace
