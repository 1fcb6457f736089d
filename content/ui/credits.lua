UIEvents ("ui/credits-events.lua");

CreateComp ("Image", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("position", 0, 0);
SetProperty ("image.bitmap", "ui/gfx/menu-bg.png");

CreateComp ("Rectangle", "shade");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0);
SetProperty ("color.g", 0);
SetProperty ("color.b", 0);
SetProperty ("color.a", 0.75);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

CreateComp ("Marker", "centre");
SetProperty ("inherit", "LayoutCentre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Marker", "layout");
SetProperty ("inherit", "LayoutFrame");
SetProperty ("parent", "centre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Textbox", "Lines");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 1.02);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.textbox_width", 800);
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Rectangle", "fader");
SetProperty ("interactive", true);
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.a", 0);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");
