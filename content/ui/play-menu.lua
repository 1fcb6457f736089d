UIEvents ("ui/play-menu-events.lua");

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
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.025);

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("parent", "layout");
SetProperty ("position", 0.05, 0.065);

CreateComp ("Textbox", "StarTotal");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.955, 0.045);
SetProperty ("textbox.font", "fonts/large.mft");

CreateComp ("Image", "StarTotalIcon");
SetProperty ("parent", "layout");
SetProperty ("position", 0.975, 0.065);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small.png");

CreateComp ("Button", "CHAPTER1");
SetProperty ("inherit", "ButtonTab");
SetProperty ("parent", "layout");
SetProperty ("position", 0.215, 0.15);
SetProperty ("button.text", "Chapter 1");

CreateComp ("Button", "CHAPTER2");
SetProperty ("inherit", "ButtonTab");
SetProperty ("parent", "layout");
SetProperty ("position", 0.405, 0.15);
SetProperty ("button.text", "Chapter 2");

CreateComp ("Button", "CHAPTER3");
SetProperty ("inherit", "ButtonTab");
SetProperty ("parent", "layout");
SetProperty ("position", 0.595, 0.15);
SetProperty ("button.text", "Chapter 3");

CreateComp ("Button", "EXTRAS");
SetProperty ("inherit", "ButtonTab");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.785, 0.15);
SetProperty ("button.text", "Extras");

CreateComp ("Rectangle", "TabMarker");
SetProperty ("parent", "layout");
SetProperty ("position", 0.215, 0.183);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);
SetProperty ("color.a", 1);
SetProperty ("align", "HCENTER");
SetProperty ("rectangle.rect_width", 150);
SetProperty ("rectangle.rect_height", 4);

CreateComp ("NinePatch", "MissionsPanel");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "layout");
SetProperty ("position", 0.2744, 0.5737);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 488, 524);

CreateComp ("Marker", "Missions");
SetProperty ("parent", "layout");
SetProperty ("position", 0.04, 0.23);
SetProperty ("marker.area_width", 480);
SetProperty ("marker.area_height", 528);

CreateComp ("Image", "RowSelector");
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0);
SetProperty ("image.bitmap", "ui/gfx/mission-selector.png");

CreateComp ("Button", "Row_0");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0);
SetProperty ("button.text", "Mission 1");

CreateComp ("Image", "Row_0_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_0");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_0_Star_1");
SetProperty ("parent", "Row_0");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_0_Star_2");
SetProperty ("parent", "Row_0");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_0_Star_3");
SetProperty ("parent", "Row_0");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_0_Star_4");
SetProperty ("parent", "Row_0");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_0_Star_5");
SetProperty ("parent", "Row_0");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_0_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_0");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_1");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.1);
SetProperty ("button.text", "Mission 2");

CreateComp ("Image", "Row_1_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_1");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_1_Star_1");
SetProperty ("parent", "Row_1");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_1_Star_2");
SetProperty ("parent", "Row_1");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_1_Star_3");
SetProperty ("parent", "Row_1");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_1_Star_4");
SetProperty ("parent", "Row_1");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_1_Star_5");
SetProperty ("parent", "Row_1");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_1_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_1");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_2");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.2);
SetProperty ("button.text", "Mission 3");

CreateComp ("Image", "Row_2_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_2");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_2_Star_1");
SetProperty ("parent", "Row_2");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_2_Star_2");
SetProperty ("parent", "Row_2");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_2_Star_3");
SetProperty ("parent", "Row_2");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_2_Star_4");
SetProperty ("parent", "Row_2");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_2_Star_5");
SetProperty ("parent", "Row_2");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_2_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_2");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_3");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.3);
SetProperty ("button.text", "Mission 4");

CreateComp ("Image", "Row_3_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_3");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_3_Star_1");
SetProperty ("parent", "Row_3");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_3_Star_2");
SetProperty ("parent", "Row_3");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_3_Star_3");
SetProperty ("parent", "Row_3");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_3_Star_4");
SetProperty ("parent", "Row_3");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_3_Star_5");
SetProperty ("parent", "Row_3");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_3_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_3");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_4");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.4);
SetProperty ("button.text", "Mission 5");

CreateComp ("Image", "Row_4_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_4");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_4_Star_1");
SetProperty ("parent", "Row_4");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_4_Star_2");
SetProperty ("parent", "Row_4");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_4_Star_3");
SetProperty ("parent", "Row_4");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_4_Star_4");
SetProperty ("parent", "Row_4");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_4_Star_5");
SetProperty ("parent", "Row_4");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_4_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_4");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_5");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.5);
SetProperty ("button.text", "Mission 6");

CreateComp ("Image", "Row_5_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_5");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_5_Star_1");
SetProperty ("parent", "Row_5");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_5_Star_2");
SetProperty ("parent", "Row_5");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_5_Star_3");
SetProperty ("parent", "Row_5");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_5_Star_4");
SetProperty ("parent", "Row_5");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_5_Star_5");
SetProperty ("parent", "Row_5");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_5_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_5");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_6");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.6);
SetProperty ("button.text", "Mission 7");

CreateComp ("Image", "Row_6_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_6");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_6_Star_1");
SetProperty ("parent", "Row_6");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_6_Star_2");
SetProperty ("parent", "Row_6");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_6_Star_3");
SetProperty ("parent", "Row_6");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_6_Star_4");
SetProperty ("parent", "Row_6");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_6_Star_5");
SetProperty ("parent", "Row_6");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_6_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_6");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_7");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.7);
SetProperty ("button.text", "Mission 8");

CreateComp ("Image", "Row_7_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_7");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_7_Star_1");
SetProperty ("parent", "Row_7");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_7_Star_2");
SetProperty ("parent", "Row_7");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_7_Star_3");
SetProperty ("parent", "Row_7");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_7_Star_4");
SetProperty ("parent", "Row_7");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_7_Star_5");
SetProperty ("parent", "Row_7");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_7_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_7");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_8");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.8);
SetProperty ("button.text", "Mission 9");

CreateComp ("Image", "Row_8_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_8");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_8_Star_1");
SetProperty ("parent", "Row_8");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_8_Star_2");
SetProperty ("parent", "Row_8");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_8_Star_3");
SetProperty ("parent", "Row_8");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_8_Star_4");
SetProperty ("parent", "Row_8");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_8_Star_5");
SetProperty ("parent", "Row_8");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_8_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_8");
SetProperty ("position", 0.97, 0.22);

CreateComp ("Button", "Row_9");
SetProperty ("inherit", "RowMission");
SetProperty ("localize", false);
SetProperty ("parent", "Missions");
SetProperty ("position", 0, 0.9);
SetProperty ("button.text", "Mission 10");

CreateComp ("Image", "Row_9_Lock");
SetProperty ("visible", false);
SetProperty ("parent", "Row_9");
SetProperty ("position", 0.0375, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/lock.png");

CreateComp ("Image", "Row_9_Star_1");
SetProperty ("parent", "Row_9");
SetProperty ("position", 0.68, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_9_Star_2");
SetProperty ("parent", "Row_9");
SetProperty ("position", 0.74, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_9_Star_3");
SetProperty ("parent", "Row_9");
SetProperty ("position", 0.8, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_9_Star_4");
SetProperty ("parent", "Row_9");
SetProperty ("position", 0.86, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Image", "Row_9_Star_5");
SetProperty ("parent", "Row_9");
SetProperty ("position", 0.92, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/star-small-empty.png");

CreateComp ("Textbox", "Row_9_Best");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("visible", false);
SetProperty ("parent", "Row_9");
SetProperty ("position", 0.97, 0.22);

CreateComp ("NinePatch", "InfoPanel");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.765, 0.39);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 400, 240);

CreateComp ("Textbox", "MissionName");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "InfoPanel");
SetProperty ("position", 0, -0.46);

CreateComp ("Textbox", "MissionDesc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "InfoPanel");
SetProperty ("position", -0.44, -0.26);
SetProperty ("textbox.textbox_width", 390);

CreateComp ("Textbox", "MissionStars");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "InfoPanel");
SetProperty ("position", -0.44, 0.16);
SetProperty ("textbox.textbox_width", 390);

CreateComp ("Textbox", "MissionBest");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "InfoPanel");
SetProperty ("position", -0.44, 0.37);
SetProperty ("textbox.textbox_width", 390);

CreateComp ("NinePatch", "ExtrasIntel");
SetProperty ("inherit", "PanelDark");
SetProperty ("visible", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.765, 0.66);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 400, 64);

CreateComp ("Textbox", "ExtrasIntelText");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "ExtrasIntel");
SetProperty ("position", -0.44, -0.36);
SetProperty ("textbox.textbox_width", 390);

CreateComp ("Button", "Achievements");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.665, 0.785);
SetProperty ("button.text", "Medals");

CreateComp ("Button", "Leaderboards");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("visible", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.865, 0.785);
SetProperty ("button.text", "Rankings");

CreateComp ("Button", "Play");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.765, 0.895);
SetProperty ("button.text", "Play");
