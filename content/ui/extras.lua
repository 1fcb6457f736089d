UIEvents ("ui/extras-events.lua");

CreateComp ("Image", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("position", 0, 0);
SetProperty ("image.bitmap", "ui/gfx/menu-bg.png");

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
SetProperty ("textbox.text", "Extras");

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("parent", "layout");
SetProperty ("position", 0.05, 0.065);

CreateComp ("Button", "Options");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.3);
SetProperty ("button.text", "Options");

CreateComp ("Button", "Profiles");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.39);
SetProperty ("button.text", "Profiles");

CreateComp ("Button", "Leaderboards");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.48);
SetProperty ("button.text", "Rankings");

CreateComp ("Button", "Zedivevor");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.57);
SetProperty ("button.text", "Field Guide");

CreateComp ("Button", "Credits");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.66);
SetProperty ("button.text", "Credits");

CreateComp ("Button", "Developer");
SetProperty ("inherit", "ButtonBig");
SetProperty ("required_features", "DEVELOPER_MODE");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.78);
SetProperty ("button.text", "Developer");
