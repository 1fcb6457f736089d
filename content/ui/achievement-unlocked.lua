UIEvents ("ui/achievement-unlocked-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.03);
SetProperty ("color.g", 0.04);
SetProperty ("color.b", 0.03);
SetProperty ("color.a", 0.7);
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
SetProperty ("ninepatch.client_size", 520, 300);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.3);
SetProperty ("textbox.text", "Medal won");

CreateComp ("Image", "Icon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.43);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "achievements/locked.png");

CreateComp ("Textbox", "Name");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("textbox.text", "");

CreateComp ("Textbox", "Desc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.57);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 480);
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "");

CreateComp ("Button", "Continue");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.68);
SetProperty ("button.text", "Continue");
