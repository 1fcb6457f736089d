UIEvents ("ui/dev-menu-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.03);
SetProperty ("color.g", 0.04);
SetProperty ("color.b", 0.03);
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

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.04);
SetProperty ("textbox.text", "Developer");

CreateComp ("Button", "LevelEditor");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.27, 0.22);
SetProperty ("button.text", "Level editor");

CreateComp ("Button", "ObstacleEditor");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.27, 0.32);
SetProperty ("button.text", "Obstacle editor");

CreateComp ("Button", "Timeline");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.27, 0.42);
SetProperty ("button.text", "Timeline");

CreateComp ("Button", "ScreenBrowser");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.27, 0.52);
SetProperty ("button.text", "Screens");

CreateComp ("Button", "AnalyzeMission");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.27, 0.72);
SetProperty ("button.text", "Analyze level");

CreateComp ("Textbox", "ListTitle");
SetProperty ("inherit", "TextSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.52, 0.13);
SetProperty ("textbox.text", "Level file to analyze");

CreateComp ("NinePatch", "listframe");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.715, 0.496);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 400, 440);

CreateComp ("Listbox", "MissionList");
SetProperty ("inherit", "ListBoxDefault");
SetProperty ("parent", "layout");
SetProperty ("position", 0.52, 0.21);
SetProperty ("listbox.bm_frame", "!NONE");
SetProperty ("listbox.content_size", 400, 440);

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("parent", "layout");
SetProperty ("position", 0.05, 0.065);
