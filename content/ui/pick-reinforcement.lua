UIEvents ("ui/pick-reinforcement-events.lua");

CreateComp ("Rectangle", "veil");
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
SetProperty ("ninepatch.client_size", 700, 280);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.32);
SetProperty ("textbox.text", "Reinforcements");

CreateComp ("Textbox", "Level");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.39);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "For Level 1");

CreateComp ("Button", "Minigun");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.26, 0.54);
SetProperty ("button.bm_icon", "shop/minigun.png");
SetProperty ("button.text_offset", 0, 62);
SetProperty ("button.text", "Minigun");

CreateComp ("Button", "Shotgun");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.38, 0.54);
SetProperty ("button.bm_icon", "shop/shotgun.png");
SetProperty ("button.text_offset", 0, 62);
SetProperty ("button.text", "Shotgun");

CreateComp ("Button", "Bazooka");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.54);
SetProperty ("button.bm_icon", "shop/bazooka.png");
SetProperty ("button.text_offset", 0, 62);
SetProperty ("button.text", "Bazooka");

CreateComp ("Button", "Pyro");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.62, 0.54);
SetProperty ("button.bm_icon", "shop/pyro.png");
SetProperty ("button.text_offset", 0, 62);
SetProperty ("button.text", "Pyro");

CreateComp ("Button", "Sniper");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.74, 0.54);
SetProperty ("button.bm_icon", "shop/sniper.png");
SetProperty ("button.text_offset", 0, 62);
SetProperty ("button.text", "Sniper");
