UIEvents ("ui/level-restart-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.03);
SetProperty ("color.g", 0.04);
SetProperty ("color.b", 0.03);
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
SetProperty ("ninepatch.client_size", 520, 220);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.38);
SetProperty ("textbox.text", "Restart the mission?");

CreateComp ("Textbox", "Question");
SetProperty ("inherit", "TextBody");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.46);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 480);
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "The squad starts again from the first wave.");

CreateComp ("Button", "Restart");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.38, 0.6);
SetProperty ("button.text", "Restart");

CreateComp ("Button", "Cancel");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.62, 0.6);
SetProperty ("button.text", "Cancel");
