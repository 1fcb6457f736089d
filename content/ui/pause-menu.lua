UIEvents ("ui/pause-menu-events.lua");

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
SetProperty ("ninepatch.client_size", 360, 460);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.2);
SetProperty ("textbox.text", "Paused");

CreateComp ("Button", "Resume");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.34);
SetProperty ("button.text", "Resume");

CreateComp ("Button", "Restart");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.44);
SetProperty ("button.text", "Restart");

CreateComp ("Button", "MainMenu");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.54);
SetProperty ("button.text", "Leave battle");

CreateComp ("Button", "Options");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.64);
SetProperty ("button.text", "Options");

CreateComp ("Button", "Help");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.74);
SetProperty ("button.text", "How to play");
