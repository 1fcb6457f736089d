UIEvents ("ui/choose-upgrade-events.lua");

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

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 760, 600);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.12);
SetProperty ("textbox.text", "Choose a Weapon");

CreateComp ("Textbox", "Hint");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.18);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Locked weapons open up as you win missions.");

CreateComp ("Image", "Upgrade_0_selector");
SetProperty ("parent", "layout");
SetProperty ("position", 0.26, 0.33);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "Upgrade_1_selector");
SetProperty ("parent", "layout");
SetProperty ("position", 0.356, 0.33);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "Upgrade_2_selector");
SetProperty ("parent", "layout");
SetProperty ("position", 0.452, 0.33);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "Upgrade_3_selector");
SetProperty ("parent", "layout");
SetProperty ("position", 0.548, 0.33);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "Upgrade_4_selector");
SetProperty ("parent", "layout");
SetProperty ("position", 0.644, 0.33);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "Upgrade_5_selector");
SetProperty ("parent", "layout");
SetProperty ("position", 0.74, 0.33);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Button", "Upgrade_0");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.26, 0.33);

CreateComp ("Button", "Upgrade_1");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.356, 0.33);

CreateComp ("Button", "Upgrade_2");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.452, 0.33);

CreateComp ("Button", "Upgrade_3");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.548, 0.33);

CreateComp ("Button", "Upgrade_4");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.644, 0.33);

CreateComp ("Button", "Upgrade_5");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.74, 0.33);

CreateComp ("Image", "Lock_1");
SetProperty ("parent", "layout");
SetProperty ("position", 0.382, 0.365);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Lock_2");
SetProperty ("parent", "layout");
SetProperty ("position", 0.478, 0.365);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Lock_3");
SetProperty ("parent", "layout");
SetProperty ("position", 0.574, 0.365);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Lock_4");
SetProperty ("parent", "layout");
SetProperty ("position", 0.67, 0.365);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Lock_5");
SetProperty ("parent", "layout");
SetProperty ("position", 0.766, 0.365);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Textbox", "Name");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.46);

CreateComp ("Textbox", "Subtitle");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.52);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);
SetProperty ("textbox.font", "fonts/medium.mft");

CreateComp ("Textbox", "Desc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.57);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 620);
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Button", "Select");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.83);
SetProperty ("button.text", "Equip");
