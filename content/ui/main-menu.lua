UIEvents ("ui/main-menu-events.lua");

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

CreateComp ("Emitter", "Embers");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 1);
SetProperty ("emitter.fx", "fxs/menu-embers.lua");
SetProperty ("emitter.time_interval", 0.2);
SetProperty ("emitter.initial_simulation_time", 6);

CreateComp ("Marker", "Banner");
SetProperty ("custom_draw", 1);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.05);
SetProperty ("align", "HCENTER");

CreateComp ("Button", "Play");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.57);
SetProperty ("button.text", "Play");

CreateComp ("Button", "Continue");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.48);
SetProperty ("button.text", "Continue");

CreateComp ("Button", "Extras");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.66);
SetProperty ("button.text", "Extras");

CreateComp ("Button", "Instructions");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.75);
SetProperty ("button.text", "How to play");

CreateComp ("Button", "Quit");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.84);
SetProperty ("button.text", "Quit");
