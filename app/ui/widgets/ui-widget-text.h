// The texts the text-showing kinds share: SetText formats into a buffer of the kind's
// size and hands the result to the kind (UIFormattedText); the button and the checkbox
// also keep their label the same way, an owned copy and the text shown for it
// (UIOwnedLabel).
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

// An owned label: the stored text (freed with the component) and the text shown for it.
template <class Kind>
class UIOwnedLabel {
public:
    ~UIOwnedLabel() { free(text); }

    char *text = nullptr;                 // owned
    const char *display_text = nullptr;   // the localised text or `text`

protected:
    // Stores a copy of the text as it is ("" for null) and finds the text shown for it.
    void StoreLabel(const char *stored)
    {
        char *copy = strdup(stored ? stored : "");
        free(text);
        text = copy;
        display_text = uiwidget::DisplayText(static_cast<Kind *>(this), text);
    }
};

#endif
