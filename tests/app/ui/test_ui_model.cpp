// The model component: models shared by file name with one reference per component
// (inherited and cloned ones included), one release when the model changes, the size
// from the bounds, the property with its prefix rules, export against the template,
// and the mesh drawn at the component on the headless GLES renderer.
#include "app/services/dataman.h"
#include "app/ui/model.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-model.h"
#include "ovrecords.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

namespace {

using apptest::Logged;
using widgettest::Rgba;

// A square of 2 x half units in x and y (two triangles) at depth 0, or flat in y.
std::string SquareModel(float half, bool flat)
{
    const float y = flat ? 0.0f : half;
    char text[1400];
    snprintf(text, sizeof text,
             "<?xml version=\"1.0\"?>\n<root>\n <array id=\"SURFACES\">\n  <node id=\"0\" texture=\"gfx/white.png\" />\n"
             " </array>\n <array id=\"SURFACE_0_VERTICES\">\n"
             "  <node x=\"%g\" y=\"%g\" z=\"0\" u=\"0\" v=\"0\" />\n  <node x=\"%g\" y=\"%g\" z=\"0\" u=\"1\" v=\"0\" />\n"
             "  <node x=\"%g\" y=\"%g\" z=\"0\" u=\"1\" v=\"1\" />\n  <node x=\"%g\" y=\"%g\" z=\"0\" u=\"0\" v=\"1\" />\n"
             " </array>\n <array id=\"SURFACE_0_INDICES\">\n"
             "  <node i=\"0\" />\n  <node i=\"1\" />\n  <node i=\"2\" />\n"
             "  <node i=\"0\" />\n  <node i=\"2\" />\n  <node i=\"3\" />\n"
             "  <node i=\"0\" />\n  <node i=\"2\" />\n  <node i=\"1\" />\n"
             "  <node i=\"0\" />\n  <node i=\"3\" />\n  <node i=\"2\" />\n"
             " </array>\n</root>\n",
             -half, -y, half, -y, half, y, -half, y);
    return text;
}

class ModelComp : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        widgettest::WritePng("gfx/white.png", 4, 4, [](int, int) { return Rgba{255, 255, 255, 255}; });
        apptest::WriteFile("models/square.xml", SquareModel(20, false));
        apptest::WriteFile("models/big.xml", SquareModel(40, false));
        apptest::WriteFile("models/flat.xml", SquareModel(20, true));
    }
    void TearDown() override
    {
        CompTest::TearDown();
        dman().ReleaseAllDatabases();
    }
    Screen *s_ = nullptr;
};

TEST_F(ModelComp, SharedRecordsAndOneReleaseOnChange)
{
    s_ = MakeScreen("Shared", "CreateComp ('Model', 'a')\nSetProperty ('model.model', 'models/square.xml')\n"
                              "CreateComp ('Model', 'b')\nSetProperty ('model.model', 'models/square.xml')\n");
    UICompModel *a = dynamic_cast<UICompModel *>(s_->GetComp("a"));
    UICompModel *b = dynamic_cast<UICompModel *>(s_->GetComp("b"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(a->model, nullptr);
    EXPECT_EQ(a->model, b->model);
    EXPECT_EQ(a->model->reference_count, 2);
    EXPECT_EQ(model_man.GetNumberOfModels(), 1);
    EXPECT_FALSE(a->interactive);
    EXPECT_FLOAT_EQ(a->width, 40.0f);
    EXPECT_FLOAT_EQ(a->height, 40.0f);
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('a:model.model')"), "models/square.xml");
    // Another file: the old model is released once, the new one shared from then on.
    Model *square = a->model;
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('a:model.model', 'models/big.xml')"));
    EXPECT_EQ(square->reference_count, 1);
    EXPECT_FLOAT_EQ(a->width, 80.0f);
    EXPECT_EQ(model_man.GetNumberOfModels(), 2);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('b:model.model', 'models/big.xml')"));
    EXPECT_EQ(model_man.GetNumberOfModels(), 1);   // square freed with its last reference
    EXPECT_EQ(a->model->reference_count, 2);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('b:model.model', nil)"));
    EXPECT_EQ(b->model, nullptr);
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('b:model.model')"), "");
    EXPECT_EQ(a->model->reference_count, 1);
}

TEST_F(ModelComp, FlatModelsAndThePrefixRules)
{
    s_ = MakeScreen("Flat", "CreateComp ('Model', 'm')\nSetProperty ('scale', 2)\n"
                            "SetProperty ('model.model', 'models/flat.xml')\n");
    UICompModel *m = dynamic_cast<UICompModel *>(s_->GetComp("m"));
    ASSERT_NE(m, nullptr);
    EXPECT_FLOAT_EQ(m->width, 80.0f);
    EXPECT_FLOAT_EQ(m->height, 32.0f);   // flat in y: 16 before scaling
    EXPECT_TRUE(m->IsInView());
    m->position_x = -5000;
    EXPECT_TRUE(m->IsInView());
    // A name without the prefix is reported and looked up from its seventh character.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('m:MODEL.model', 'models/square.xml')"));
    EXPECT_TRUE(Logged("UICompModel::GetProperty: Unknown Property 'MODEL.model'"));
    EXPECT_STREQ(m->model->name, "models/square.xml");
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('m:model.mesh', 1)\nSetProperty ('m:mod', 1)"));
    EXPECT_TRUE(Logged("UICompModel::SetProperty: Unknown Property 'mesh' for UIComp 'm'"));
    EXPECT_TRUE(Logged("UICompModel::SetProperty: Unknown Property 'mod' for UIComp 'm'"));
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('m:model.mesh')"), "nil");
    EXPECT_TRUE(Logged("UICompModel::GetProperty: Unknown Property 'mesh'"));
}

TEST_F(ModelComp, TemplatesAndClonesHoldReferencesAndExportNoModelLine)
{
    s_ = MakeScreen("Tmpl", "CreateComp ('Model', 'source')\nSetProperty ('model.model', 'models/square.xml')\n");
    UICompModel *source = dynamic_cast<UICompModel *>(s_->GetComp("source"));
    ASSERT_NE(source, nullptr);
    Model *square = source->model;
    ASSERT_NE(square, nullptr);
    EXPECT_NE(widgettest::Export(source).find("SetProperty (\"model.model\", \"models/square.xml\");\n"),
              std::string::npos);
    {
        UICompModel heir;
        EXPECT_TRUE(heir.InheritFrom(source));
        heir.template_comp = source;
        EXPECT_EQ(heir.model, square);
        EXPECT_EQ(square->reference_count, 2);
        EXPECT_EQ(widgettest::Export(&heir).find("model.model"), std::string::npos);
        UIComp *clone = heir.Clone("twin");
        EXPECT_EQ(square->reference_count, 3);
        EXPECT_EQ(clone->template_comp, source);
        EXPECT_EQ(widgettest::Export(clone).find("model.model"), std::string::npos);
        delete clone;
        EXPECT_EQ(square->reference_count, 2);
    }
    EXPECT_EQ(square->reference_count, 1);   // every holder gave its own back
    UICompModel bare;
    EXPECT_FLOAT_EQ((bare.UpdateDimensions(), bare.width), 16.0f);
    EXPECT_EQ(widgettest::Export(&bare).find("model.model"), std::string::npos);
}

TEST_F(ModelComp, DrawnCentredOnItsPosition)
{
    s_ = MakeScreen("Drawn", "CreateComp ('Model', 'm')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                             "SetProperty ('position', 300, 200)\nSetProperty ('model.model', 'models/square.xml')\n"
                             // At the renderer's screen plane (depth 0.5) the mesh is drawn 1:1.
                             "SetProperty ('position.z', 0.5 / 600)\n");
    UICompModel *m = dynamic_cast<UICompModel *>(s_->GetComp("m"));
    ASSERT_NE(m, nullptr);
    sman.PushScreen(s_, 0);   // entering takes the texture's reference
    ASSERT_NE(m->model->texture, nullptr);
    Screen *s = s_;
    apptest::draw = [s](float) {
        ov->OV_ClearScreen(0, 0, 0);
        s->DrawUI();
    };
    DrawFrame();
    EXPECT_EQ(m->align, UIALIGN_CENTER);
    const std::array<int, 4> box = widgettest::LitBox(widgettest::ReadFrame(), 0, 0, 799, 599,
                                                      [](const Rgba &p) { return p[0] > 200; });
    EXPECT_NEAR(box[0], 280, 1);
    EXPECT_NEAR(box[1], 180, 1);
    EXPECT_NEAR(box[2], 319, 1);
    EXPECT_NEAR(box[3], 219, 1);
    sman.PopScreen(s_, false);
}

}  // namespace
