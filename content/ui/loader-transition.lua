UIEvents ("ui/loader-transition-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.07);
SetProperty ("color.g", 0.08);
SetProperty ("color.b", 0.06);
SetProperty ("color.a", 1);
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

CreateComp ("NinePatch", "panel");
SetProperty ("inherit", "Panel");
SetProperty ("interactive", true);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 800, 640);

CreateComp ("Textbox", "Chapter");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.1);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);
SetProperty ("textbox.font", "fonts/medium.mft");

CreateComp ("Textbox", "mission_number");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.145);
SetProperty ("textbox.font", "fonts/medium.mft");

CreateComp ("Textbox", "MissionName");
SetProperty ("inherit", "TextTitle");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.19);

CreateComp ("NinePatch", "MissionPicFrames");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.48);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 480, 270);

CreateComp ("Image", "MissionPic");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.48);
SetProperty ("align", "CENTER");

CreateComp ("Textbox", "MissionDesc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.71);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 640);
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Textbox", "text");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.86);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.86);
SetProperty ("color.b", 0.45);
SetProperty ("textbox.text", "Loading...");
