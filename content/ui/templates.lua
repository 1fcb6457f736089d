-- ui/templates.lua
--
-- Component templates. Every component created by a UI script starts as a copy of the
-- template "Default<Type>" of its kind; a layout picks one of the named styles below with
-- SetProperty ("inherit", "<style>"). Templates carry what the UI script writer does not
-- export (sizes, alpha, sounds, state scales and colours), so layouts stay writer-exact.
--
-- Conventions of the shared look:
--  * fonts: "fonts/medium.mft" by default and for small print (scaled to the device's
--    1024 x 600 it is as high as "fonts/small.mft" at its own size, the least a text may
--    be), "fonts/large.mft" on big buttons and headings, "fonts/title.mft" for screen titles;
--  * every button says "sfx/ui_over" on hover and "sfx/ui_click" on release (tabs "sfx/ui_tab",
--    back buttons "sfx/ui_back");
--  * widgets drawn from small shared bitmaps use cache mode PRELOAD, set before their bitmaps
--    so that the bitmaps stay resident for the whole run;
--  * the named button, slider, check box and edit box styles are positioned by their centre
--    (align CENTER); the defaults keep the top-left corner like every other component.

-- Defaults, one per kind ---------------------------------------------------------------

CreateComp ("Button", "DefaultButton");
SetProperty ("cache_mode", "PRELOAD");
SetProperty ("button.bm_idle", "ui/gfx/button-idle.png");
SetProperty ("button.bm_over", "ui/gfx/button-over.png");
SetProperty ("button.bm_pressed", "ui/gfx/button-pressed.png");
SetProperty ("button.bm_disabled", "ui/gfx/button-disabled.png");
SetProperty ("button.font", "fonts/medium.mft");
SetProperty ("button.text_color_idle", 1, 1, 1, 1);
SetProperty ("button.text_color_over", 1, 0.92, 0.7, 1);
SetProperty ("button.text_color_pressed", 1, 0.84, 0.45, 1);
SetProperty ("button.text_color_disabled", 0.86, 0.86, 0.82, 1);
SetProperty ("button.scale_idle", 1);
SetProperty ("button.scale_over", 1.03);
SetProperty ("button.scale_pressed", 0.97);
SetProperty ("button.scale_disabled", 1);
SetProperty ("snd_over", "sfx/ui_over");
SetProperty ("snd_release", "sfx/ui_click");

CreateComp ("Slider", "DefaultSlider");
SetProperty ("cache_mode", "PRELOAD");
SetProperty ("slider.bm_panel", "ui/gfx/slider-panel.png");
SetProperty ("slider.bm_full", "ui/gfx/slider-full.png");
SetProperty ("slider.bm_marker", "ui/gfx/slider-marker.png");
SetProperty ("slider.padding", 6, 6);
SetProperty ("snd_over", "sfx/ui_over");
SetProperty ("snd_release", "sfx/ui_click");

CreateComp ("Editbox", "DefaultEditbox");
SetProperty ("cache_mode", "PRELOAD");
SetProperty ("editbox.bm_panel", "ui/gfx/editbox.png");
SetProperty ("editbox.bm_cursor", "ui/gfx/editbox-cursor.png");
SetProperty ("editbox.font", "fonts/medium.mft");
SetProperty ("editbox.padding", 12);
SetProperty ("editbox.max_chars", 16);
SetProperty ("editbox.text_color", 1, 1, 1);
SetProperty ("editbox.text_scale", 1);
SetProperty ("snd_over", "sfx/ui_over");
SetProperty ("snd_release", "sfx/ui_click");

CreateComp ("Checkbox", "DefaultCheckbox");
SetProperty ("cache_mode", "PRELOAD");
SetProperty ("checkbox.bm_idle", "ui/gfx/checkbox.png");
SetProperty ("checkbox.bm_marker", "ui/gfx/checkbox-mark.png");
SetProperty ("checkbox.font", "fonts/medium.mft");
SetProperty ("snd_over", "sfx/ui_over");
SetProperty ("snd_release", "sfx/ui_click");

CreateComp ("Listbox", "DefaultListbox");
SetProperty ("cache_mode", "PRELOAD");
SetProperty ("listbox.bm_frame", "ui/gfx/listbox-frame.png");
SetProperty ("listbox.bm_selection", "ui/gfx/listbox-selection.png");
SetProperty ("listbox.font", "fonts/medium.mft");
SetProperty ("listbox.text_color", 1, 1, 1);
SetProperty ("listbox.padding_left", 10);
SetProperty ("listbox.padding_right", 10);
SetProperty ("listbox.padding_top", 8);
SetProperty ("listbox.padding_bottom", 8);

CreateComp ("Path", "DefaultPath");
SetProperty ("color", 1, 0.8, 0.25, 1);

CreateComp ("Emitter", "DefaultEmitter");
SetProperty ("interactive", false);

CreateComp ("Scriptable", "DefaultScriptable");

CreateComp ("TouchField", "DefaultTouchField");
SetProperty ("touchfield.axis_x_enabled", 0);
SetProperty ("touchfield.axis_y_enabled", 1);
SetProperty ("touchfield.limit_type", "SPRING");
SetProperty ("touchfield.allow_dragging_only_inside_view_area", 1);

CreateComp ("TouchGrid", "DefaultTouchGrid");
SetProperty ("touchgrid.axis_x_enabled", 1);
SetProperty ("touchgrid.axis_y_enabled", 0);

CreateComp ("NinePatch", "DefaultNinePatch");
SetProperty ("cache_mode", "PRELOAD");
SetProperty ("ninepatch.bitmap", "ui/gfx/panel.png");
SetProperty ("ninepatch.bitmap_client_rect", 24, 24, 72, 72);
SetProperty ("ninepatch.client_size", 48, 48);

CreateComp ("Textbox", "DefaultTextbox");
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("interactive", false);

CreateComp ("Rectangle", "DefaultRectangle");
SetProperty ("color", 0, 0, 0, 0.6);
SetProperty ("rectangle.rect_width", 64);
SetProperty ("rectangle.rect_height", 64);
SetProperty ("interactive", false);

CreateComp ("Image", "DefaultImage");
SetProperty ("interactive", false);
SetProperty ("image.anim_mode", "LOOP_FOREVER");

CreateComp ("Marker", "DefaultMarker");
SetProperty ("interactive", false);

CreateComp ("Ruler", "DefaultRuler");
SetProperty ("interactive", false);

CreateComp ("Ad", "DefaultAd");
SetProperty ("ad.rect_width", 320);
SetProperty ("ad.rect_height", 50);

CreateComp ("Model", "DefaultModel");
SetProperty ("interactive", false);

CreateComp ("Aligner", "DefaultAligner");
SetProperty ("interactive", false);

-- Buttons -----------------------------------------------------------------------------

-- Main menu and result screen actions: 240 x 56.
CreateComp ("Button", "ButtonBig");
SetProperty ("align", "CENTER");
SetProperty ("button.font", "fonts/large.mft");

-- Secondary actions: the big button at 80 %.
CreateComp ("Button", "ButtonMedium");
SetProperty ("align", "CENTER");
SetProperty ("scale", 0.8);
SetProperty ("button.font", "fonts/large.mft");

-- Square 64 x 64 buttons with a short label.
CreateComp ("Button", "ButtonSmall");
SetProperty ("align", "CENTER");
SetProperty ("button.bm_idle", "ui/gfx/button-small-idle.png");
SetProperty ("button.bm_over", "ui/gfx/button-small-over.png");
SetProperty ("button.bm_pressed", "ui/gfx/button-small-pressed.png");
SetProperty ("button.bm_disabled", "ui/gfx/button-small-disabled.png");
SetProperty ("button.font", "fonts/medium.mft");

-- The round back arrow; it grows under the cursor instead of cross-fading.
CreateComp ("Button", "ButtonBack");
SetProperty ("align", "CENTER");
SetProperty ("button.bm_idle", "ui/gfx/back.png");
SetProperty ("button.bm_over", "!NONE");
SetProperty ("button.bm_pressed", "!NONE");
SetProperty ("button.bm_disabled", "!NONE");
SetProperty ("button.scale_over", 1.1);
SetProperty ("button.scale_pressed", 0.92);
SetProperty ("snd_release", "sfx/ui_back");

-- Chapter and page tabs: 180 x 48.
CreateComp ("Button", "ButtonTab");
SetProperty ("align", "CENTER");
SetProperty ("button.bm_idle", "ui/gfx/button-tab-idle.png");
SetProperty ("button.bm_over", "ui/gfx/button-tab-over.png");
SetProperty ("button.bm_pressed", "ui/gfx/button-tab-pressed.png");
SetProperty ("button.bm_disabled", "ui/gfx/button-tab-disabled.png");
SetProperty ("snd_release", "sfx/ui_tab");

-- A square button that shows an icon (set by the layout) instead of a label.
CreateComp ("Button", "ButtonIcon");
SetProperty ("align", "CENTER");
SetProperty ("button.bm_idle", "ui/gfx/button-small-idle.png");
SetProperty ("button.bm_over", "ui/gfx/button-small-over.png");
SetProperty ("button.bm_pressed", "ui/gfx/button-small-pressed.png");
SetProperty ("button.bm_disabled", "ui/gfx/button-small-disabled.png");
SetProperty ("button.font", "fonts/medium.mft");
SetProperty ("button.text_offset", 0, 24);

-- A mission row of the play menu: a faint plate as big as the selector (480 x 44), the amber
-- selector under the cursor (the play menu also lays it on the chosen row), the label
-- left-aligned after the lock's place.
CreateComp ("Button", "RowMission");
SetProperty ("button.bm_idle", "ui/gfx/mission-row.png");
SetProperty ("button.bm_disabled", "ui/gfx/mission-row.png");
SetProperty ("button.bm_over", "ui/gfx/mission-selector.png");
SetProperty ("button.bm_pressed", "ui/gfx/mission-selector.png");
SetProperty ("button.text_align", "VCENTER");
SetProperty ("button.text_offset", -200, 0);
SetProperty ("button.text_color_over", 0.12, 0.1, 0.04, 1);
SetProperty ("button.text_color_pressed", 0.12, 0.1, 0.04, 1);
SetProperty ("button.scale_over", 1);
SetProperty ("button.scale_pressed", 1);

-- Texts -------------------------------------------------------------------------------

-- Screen titles and result headlines; the position names the top centre.
CreateComp ("Textbox", "TextTitle");
SetProperty ("align", "HCENTER");
SetProperty ("textbox.font", "fonts/title.mft");
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("color", 1, 0.86, 0.45, 1);

CreateComp ("Textbox", "TextHeading");
SetProperty ("align", "HCENTER");
SetProperty ("textbox.font", "fonts/large.mft");
SetProperty ("textbox.textbox_align", "HCENTER");

-- Running text, wrapped at 600 units.
CreateComp ("Textbox", "TextBody");
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.textbox_width", 600);
SetProperty ("color", 0.92, 0.92, 0.88, 1);

CreateComp ("Textbox", "TextSmall");
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("color", 0.8, 0.8, 0.75, 1);

-- Numbers (scores, money, times): amber, the position names the right edge.
CreateComp ("Textbox", "TextValue");
SetProperty ("align", "RIGHT");
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.textbox_align", "RIGHT");
SetProperty ("color", 1, 0.78, 0.25, 1);

-- The layout's frame ------------------------------------------------------------------

-- Every screen is laid out on the 1024 x 768 reference layout, scaled to fit the display
-- and centred on it: the marker "centre" (a LayoutCentre) stands at the display's centre
-- with the layout's size, and its child "layout" (a LayoutFrame) spans the layout from its
-- top-left corner. A screen's components are children of "layout" (or of panels inside
-- it), so their positions are fractions of the layout whatever the display's shape;
-- only backdrops that cover the whole display stay outside it. (A marker keeps its own
-- area: each layout gives both markers the layout's size, 1024 x 768.)
CreateComp ("Marker", "LayoutCentre");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");

CreateComp ("Marker", "LayoutFrame");
SetProperty ("position", -0.5, -0.5);

-- Panels and dividers -----------------------------------------------------------------

CreateComp ("NinePatch", "Panel");
SetProperty ("ninepatch.bitmap", "ui/gfx/panel.png");
SetProperty ("ninepatch.bitmap_client_rect", 24, 24, 72, 72);
SetProperty ("ninepatch.client_size", 400, 300);
SetProperty ("interactive", false);

CreateComp ("NinePatch", "PanelDark");
SetProperty ("ninepatch.bitmap", "ui/gfx/panel-dark.png");
SetProperty ("ninepatch.bitmap_client_rect", 24, 24, 72, 72);
SetProperty ("ninepatch.client_size", 400, 300);
SetProperty ("interactive", false);

CreateComp ("Rectangle", "Divider");
SetProperty ("color", 1, 0.78, 0.25, 0.5);
SetProperty ("rectangle.rect_width", 600);
SetProperty ("rectangle.rect_height", 2);

-- Other widgets -----------------------------------------------------------------------

CreateComp ("Listbox", "ListBoxDefault");
SetProperty ("listbox.font", "fonts/medium.mft");
SetProperty ("listbox.text_color", 0.92, 0.92, 0.88);

-- A long list on a panel of its own: no frame, so its size is the layout's content size.
CreateComp ("Listbox", "ListBoxPlain");
SetProperty ("listbox.bm_frame", "!NONE");
SetProperty ("listbox.font", "fonts/medium.mft");
SetProperty ("listbox.text_color", 0.92, 0.92, 0.88);

-- Volume sliders of the options screen: the position names the centre.
CreateComp ("Slider", "SliderVolume");
SetProperty ("align", "CENTER");
SetProperty ("slider.padding", 8, 8);
SetProperty ("snd_release", "sfx/ui_tab");

CreateComp ("Checkbox", "CheckboxDefault");
SetProperty ("align", "VCENTER");

-- The player name field: at most 12 characters.
CreateComp ("Editbox", "EditboxName");
SetProperty ("align", "CENTER");
SetProperty ("editbox.max_chars", 12);
SetProperty ("editbox.text_color", 1, 0.86, 0.45);
