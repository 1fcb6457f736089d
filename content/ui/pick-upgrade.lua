UIEvents ("ui/pick-upgrade-events.lua");

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
SetProperty ("ninepatch.client_size", 700, 620);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.1);
SetProperty ("textbox.text", "Field Upgrade");

CreateComp ("Textbox", "Hint");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.16);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Supply sent one crate. Pick what is in it.");

CreateComp ("Image", "SelectorA");
SetProperty ("parent", "layout");
SetProperty ("position", 0.35, 0.29);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "SelectorB");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.29);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "SelectorC");
SetProperty ("parent", "layout");
SetProperty ("position", 0.65, 0.29);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Button", "A");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.35, 0.29);

CreateComp ("Button", "B");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.29);

CreateComp ("Button", "C");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.65, 0.29);

CreateComp ("Textbox", "Name");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.41);

CreateComp ("Textbox", "Subtitle");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.47);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);
SetProperty ("textbox.font", "fonts/medium.mft");

CreateComp ("Textbox", "Desc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.52);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 580);
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Textbox", "ClassesLabel");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.63);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Your trooper classes");

CreateComp ("Button", "Minigun_Upgrades");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.31, 0.73);
SetProperty ("scale", 0.8);
SetProperty ("button.bm_icon", "shop/minigun.png");

CreateComp ("Button", "Shotgun_Upgrades");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.405, 0.73);
SetProperty ("scale", 0.8);
SetProperty ("button.bm_icon", "shop/shotgun.png");

CreateComp ("Button", "Bazooka_Upgrades");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.73);
SetProperty ("scale", 0.8);
SetProperty ("button.bm_icon", "shop/bazooka.png");

CreateComp ("Button", "Pyro_Upgrades");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.595, 0.73);
SetProperty ("scale", 0.8);
SetProperty ("button.bm_icon", "shop/pyro.png");

CreateComp ("Button", "Sniper_Upgrades");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.69, 0.73);
SetProperty ("scale", 0.8);
SetProperty ("button.bm_icon", "shop/sniper.png");

CreateComp ("Button", "Select");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.87);
SetProperty ("button.text", "Take it");
