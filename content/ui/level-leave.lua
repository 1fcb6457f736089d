UIEvents ("ui/level-leave-events.lua");

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
SetProperty ("ninepatch.client_size", 520, 240);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.37);
SetProperty ("textbox.text", "Leave the battle?");

CreateComp ("Textbox", "Question");
SetProperty ("inherit", "TextBody");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.45);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 480);
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "The fight so far is lost. A battle saved between waves waits under Continue.");

CreateComp ("Button", "Quit");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.38, 0.62);
SetProperty ("button.text", "Leave");

CreateComp ("Button", "No");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.62, 0.62);
SetProperty ("button.text", "Stay");
