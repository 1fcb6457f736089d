UIEvents ("ui/popup-ok-events.lua");

CreateComp ("Rectangle", "dim");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0);
SetProperty ("color.g", 0);
SetProperty ("color.b", 0);
SetProperty ("color.a", 0.6);
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

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 520, 180);

CreateComp ("Textbox", "Text");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.43);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 460);
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Button", "Ok");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.59);
SetProperty ("button.text", "OK");
