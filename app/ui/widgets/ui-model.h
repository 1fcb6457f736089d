// The model component (type 18, "model." properties): a textured 3-D mesh shared by
// file name through the model manager, drawn at the component's position, depth,
// angle and scale, centred on its position. Not interactive by default. Every
// component that shows a model holds one reference of its own (also one that
// inherited or cloned it) and gives it back when it changes model or is destroyed.
#ifndef APP_UI_WIDGETS_UI_MODEL_H
#define APP_UI_WIDGETS_UI_MODEL_H

#include "app/ui/widgets/ui-comp-kind.h"

class Model;

class UICompModel : public UICompKind<UICompModel, UICOMP_MODEL, false> {
public:
    // Gives its model reference back.
    ~UICompModel() override;

    void Update(float dt) override;   // nothing
    // The mesh with depth test and write on; the align becomes CENTER.
    void Draw() override;
    // 2 takes a reference on the model's texture, 3 gives it back.
    void ApplyCacheMode(int mode) override;
    void EditUpdate(float dt) override;   // nothing
    void ExportOwn(FILE *f, const UICompModel &t);
    // A clone takes its own reference on the model.
    void CopyToClone(UICompModel *clone) const;
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    // Always: the screen never skips a model as out of view.
    bool IsInView() override;
    void InheritOwn(const UICompModel &t);
    // The model's x and y extents (16 for a flat side) times the dynamic scale.
    void UpdateDimensions() override;

    // Gives the current model back and takes the named one (shared by file name);
    // null or "" leaves none.
    void SetModel(const char *file);

    Model *model = nullptr;

private:
    // Holds `other` (one more reference) in place of the current model.
    void ShareModel(Model *other);
};

#endif
