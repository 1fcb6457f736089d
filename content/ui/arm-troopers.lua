UIEvents ("ui/arm-troopers-events.lua");

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

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.08);
SetProperty ("textbox.text", "Arm Your Squad");

CreateComp ("Textbox", "Hint");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.19);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Tap a trooper or a weapon to change what that trooper carries.");

CreateComp ("Marker", "squad");
SetProperty ("parent", "layout");
SetProperty ("position", 0, 0.28);
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 330);

CreateComp ("NinePatch", "choices_0");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "squad");
SetProperty ("parent_anchor", "HCENTER");
SetProperty ("position", 0, 0);
SetProperty ("align", "HCENTER");
SetProperty ("ninepatch.client_size", 120, 260);

CreateComp ("Button", "Trooper_0");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_0");
SetProperty ("position", 0, 0.27);
SetProperty ("button.bm_icon", "shop/minigun.png");

CreateComp ("Button", "Upgrade_0");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_0");
SetProperty ("position", 0, 0.7);
SetProperty ("button.bm_icon", "shop/minigunstandard.png");

CreateComp ("NinePatch", "choices_1");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "squad");
SetProperty ("parent_anchor", "HCENTER");
SetProperty ("position", 0.182, 0);
SetProperty ("align", "HCENTER");
SetProperty ("ninepatch.client_size", 120, 260);

CreateComp ("Button", "Trooper_1");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_1");
SetProperty ("position", 0, 0.27);
SetProperty ("button.bm_icon", "shop/minigun.png");

CreateComp ("Button", "Upgrade_1");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_1");
SetProperty ("position", 0, 0.7);
SetProperty ("button.bm_icon", "shop/minigunstandard.png");

CreateComp ("NinePatch", "choices_2");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "squad");
SetProperty ("parent_anchor", "HCENTER");
SetProperty ("position", 0.364, 0);
SetProperty ("align", "HCENTER");
SetProperty ("ninepatch.client_size", 120, 260);

CreateComp ("Button", "Trooper_2");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_2");
SetProperty ("position", 0, 0.27);
SetProperty ("button.bm_icon", "shop/minigun.png");

CreateComp ("Button", "Upgrade_2");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_2");
SetProperty ("position", 0, 0.7);
SetProperty ("button.bm_icon", "shop/minigunstandard.png");

CreateComp ("NinePatch", "choices_3");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "squad");
SetProperty ("parent_anchor", "HCENTER");
SetProperty ("position", 0.546, 0);
SetProperty ("align", "HCENTER");
SetProperty ("ninepatch.client_size", 120, 260);

CreateComp ("Button", "Trooper_3");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_3");
SetProperty ("position", 0, 0.27);
SetProperty ("button.bm_icon", "shop/minigun.png");

CreateComp ("Button", "Upgrade_3");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_3");
SetProperty ("position", 0, 0.7);
SetProperty ("button.bm_icon", "shop/minigunstandard.png");

CreateComp ("NinePatch", "choices_4");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "squad");
SetProperty ("parent_anchor", "HCENTER");
SetProperty ("position", 0.728, 0);
SetProperty ("align", "HCENTER");
SetProperty ("ninepatch.client_size", 120, 260);

CreateComp ("Button", "Trooper_4");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_4");
SetProperty ("position", 0, 0.27);
SetProperty ("button.bm_icon", "shop/minigun.png");

CreateComp ("Button", "Upgrade_4");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "choices_4");
SetProperty ("position", 0, 0.7);
SetProperty ("button.bm_icon", "shop/minigunstandard.png");

CreateComp ("Button", "Select");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.86);
SetProperty ("button.text", "Ready");
