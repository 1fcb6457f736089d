// The texts the text-showing kinds share: SetText formats into a buffer of the kind's
// size and hands the result to the kind (UIFormattedText); the button and the checkbox
// also keep their label the same way, an owned copy, the text shown for it and its
// font, with the label's properties and export lines (UIOwnedLabel).
#ifndef APP_UI_WIDGETS_UI_WIDGET_TEXT_H
#define APP_UI_WIDGETS_UI_WIDGET_TEXT_H

#include "app/ui/widgets/ui-widget-frame.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// SetText for a kind: formats (Size - 1 characters at most, longer is cut) and calls
// the kind's ApplyFormattedText(const char *formatted); a null format does nothing.
template <class Kind, size_t Size>
class UIFormattedText {
public:
    void SetText(const char *format, ...)
    {
        if (!format)
            return;
        char formatted[Size];
        va_list args;
        va_start(args, format);
        vsnprintf(formatted, sizeof formatted, format, args);
        va_end(args);
        static_cast<Kind *>(this)->ApplyFormattedText(formatted);
    }
};

// An owned label: the stored text (freed with the component), the text shown for it
// and its font, with the label's properties "<kind>.font" and "<kind>.text" (the
// kind's `kLabelKind`). After each store the kind's LabelStored() runs (a kind that
// measures its label updates its size there).
template <class Kind>
class UIOwnedLabel {
public:
    ~UIOwnedLabel() { free(text); }

    char *text = nullptr;                 // owned
    const char *display_text = nullptr;   // the localised text or `text`
    ov_font_t *font = nullptr;

protected:
    // Stores a copy of the text as it is ("" for null) and finds the text shown for it.
    void StoreLabel(const char *stored)
    {
        char *copy = strdup(stored ? stored : "");
        free(text);
        text = copy;
        display_text = uiwidget::DisplayText(AsKind(), text);
        AsKind()->LabelStored();
    }
    void LabelStored() {}
    // The template's font and a copy of its text (when it has one).
    void InheritLabel(const UIOwnedLabel &t)
    {
        font = t.font;
        if (t.text && &t != this)
            StoreLabel(t.text);
    }
    // GetProperty: 1 with the value pushed for a label property, 0 for another name.
    int GetLabelProperty(const char *prop, lua_State *L) const
    {
        return uiwidget::PushLabelProperty(L, prop, Kind::kLabelKind, font, text) ? 1 : 0;
    }
    // SetProperty: the font through the kind's SetFont, a text (a string or a number)
    // through SetText; false for another name.
    bool SetLabelProperty(const char *prop, const char *value)
    {
        switch (uiwidget::LabelPropertyOf(prop, Kind::kLabelKind)) {
        case uiwidget::LABEL_FONT:
            AsKind()->SetFont(value ? ov->OV_GetFont(value) : nullptr);
            return true;
        case uiwidget::LABEL_TEXT:
            if (value)
                AsKind()->SetText("%s", value);
            return true;
        default:
            return false;
        }
    }
    // Export: the label's lines against the template's.
    void ExportLabel(FILE *f, const UIOwnedLabel &t, bool escape_pairs) const
    {
        uiwidget::ExportLabel(f, Kind::kLabelKind, font, t.font, text, t.text, escape_pairs);
    }

private:
    Kind *AsKind() { return static_cast<Kind *>(this); }
};

#endif
