// What every component kind shares, written once: the kind's type number and its
// default interactive flag, the clone (a new component of the same kind styled as the
// source), the property calls that try the base properties first, and the export that
// writes the base lines and then the kind's own lines against its template (or against
// a freshly made component of the kind when it has none of the same kind), and the
// inheritance that copies the base style, the kind's own, then updates the size.
//
// A kind derives from UICompKind<Kind, type> and writes only what differs:
//   int GetOwnProperty(const char *prop, lua_State *L);   // the count pushed, 0 unknown
//   int SetOwnProperty(const char *prop, lua_State *L);   // 0
//   void ExportOwn(FILE *f, const Kind &reference);       // lines that differ from it
//   void InheritOwn(const Kind &tmpl);                    // the kind's style copied
//                                                         // from a template of its kind
//   void CopyToClone(Kind *clone) const;                  // optional: what InheritFrom
//                                                         // does not copy, given first
// Unknown names are the kind's to report: the messages differ between kinds.
#ifndef APP_UI_WIDGETS_UI_COMP_KIND_H
#define APP_UI_WIDGETS_UI_COMP_KIND_H

#include "app/ui/ui-comps.h"

#include <stdio.h>

template <class Kind, int KindType, bool KindInteractive = true>
class UICompKind : public UIComp {
public:
    UICompKind()
    {
        type = KindType;
        interactive = KindInteractive;
    }

    // A new component of this kind with the given name (empty for null) that takes the
    // kind's own clone state, inherits from this one (so that the size it computes
    // there already counts that state), then takes the template and the parent.
    UIComp *Clone(const char *clone_name) override
    {
        Kind *c = new Kind();
        c->SetName(clone_name);
        c->type = type;
        Self().CopyToClone(c);
        c->InheritFrom(this);
        c->template_comp = template_comp;
        c->parent = parent;
        return c;
    }

    int GetProperty(const char *prop, lua_State *L) override
    {
        const int n = UIComp::GetProperty(prop, L);
        if (n > 0 || !prop)
            return n;
        return Self().GetOwnProperty(prop, L);
    }

    int SetProperty(const char *prop, lua_State *L) override
    {
        const int n = UIComp::SetProperty(prop, L);
        if (n >= 0 || !prop)
            return n;
        return Self().SetOwnProperty(prop, L);
    }

    void ExportLua(FILE *f) override
    {
        UIComp::ExportLua(f);
        Kind defaults;
        const Kind *t = dynamic_cast<const Kind *>(template_comp);
        Self().ExportOwn(f, t ? *t : defaults);
    }

    // The base style, then the kind's own from a template of the same kind, then the
    // size; false (nothing copied) for a template of another type.
    bool InheritFrom(UIComp *tmpl) override
    {
        if (!UIComp::InheritFrom(tmpl))
            return false;
        if (const Kind *t = dynamic_cast<const Kind *>(tmpl))
            Self().InheritOwn(*t);
        UpdateDimensions();
        return true;
    }

    // Nothing beyond what InheritFrom copies; a kind with more hides this.
    void CopyToClone(Kind *) const {}
    // No style of the kind's own; a kind with some hides this.
    void InheritOwn(const Kind &) {}

private:
    Kind &Self() { return static_cast<Kind &>(*this); }
    const Kind &Self() const { return static_cast<const Kind &>(*this); }
};

#endif
