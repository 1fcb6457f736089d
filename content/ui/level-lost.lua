UIEvents ("ui/level-lost-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.1);
SetProperty ("color.g", 0.05);
SetProperty ("color.b", 0.05);
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
SetProperty ("position", 0.5, 0.05);
SetProperty ("textbox.text", "Mission Failed");

CreateComp ("Textbox", "Subtitle");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.15);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "The line broke. Regroup and go again.");

CreateComp ("NinePatch", "trooper_0");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.028, 0.24);
SetProperty ("ninepatch.client_size", 140, 170);

CreateComp ("Image", "trooper_0_image");
SetProperty ("parent", "trooper_0");
SetProperty ("position", 0.06, 0.05);

CreateComp ("Image", "trooper_0_image_weapon");
SetProperty ("parent", "trooper_0");
SetProperty ("position", 0.53, 0.05);

CreateComp ("Textbox", "trooper_0_damage");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_0");
SetProperty ("position", 0.1, 0.52);

CreateComp ("Textbox", "trooper_0_kills");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_0");
SetProperty ("position", 0.1, 0.65);

CreateComp ("Textbox", "trooper_0_shots");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_0");
SetProperty ("position", 0.1, 0.78);

CreateComp ("NinePatch", "trooper_1");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.218, 0.24);
SetProperty ("ninepatch.client_size", 140, 170);

CreateComp ("Image", "trooper_1_image");
SetProperty ("parent", "trooper_1");
SetProperty ("position", 0.06, 0.05);

CreateComp ("Image", "trooper_1_image_weapon");
SetProperty ("parent", "trooper_1");
SetProperty ("position", 0.53, 0.05);

CreateComp ("Textbox", "trooper_1_damage");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_1");
SetProperty ("position", 0.1, 0.52);

CreateComp ("Textbox", "trooper_1_kills");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_1");
SetProperty ("position", 0.1, 0.65);

CreateComp ("Textbox", "trooper_1_shots");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_1");
SetProperty ("position", 0.1, 0.78);

CreateComp ("NinePatch", "trooper_2");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.408, 0.24);
SetProperty ("ninepatch.client_size", 140, 170);

CreateComp ("Image", "trooper_2_image");
SetProperty ("parent", "trooper_2");
SetProperty ("position", 0.06, 0.05);

CreateComp ("Image", "trooper_2_image_weapon");
SetProperty ("parent", "trooper_2");
SetProperty ("position", 0.53, 0.05);

CreateComp ("Textbox", "trooper_2_damage");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_2");
SetProperty ("position", 0.1, 0.52);

CreateComp ("Textbox", "trooper_2_kills");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_2");
SetProperty ("position", 0.1, 0.65);

CreateComp ("Textbox", "trooper_2_shots");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_2");
SetProperty ("position", 0.1, 0.78);

CreateComp ("NinePatch", "trooper_3");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.598, 0.24);
SetProperty ("ninepatch.client_size", 140, 170);

CreateComp ("Image", "trooper_3_image");
SetProperty ("parent", "trooper_3");
SetProperty ("position", 0.06, 0.05);

CreateComp ("Image", "trooper_3_image_weapon");
SetProperty ("parent", "trooper_3");
SetProperty ("position", 0.53, 0.05);

CreateComp ("Textbox", "trooper_3_damage");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_3");
SetProperty ("position", 0.1, 0.52);

CreateComp ("Textbox", "trooper_3_kills");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_3");
SetProperty ("position", 0.1, 0.65);

CreateComp ("Textbox", "trooper_3_shots");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_3");
SetProperty ("position", 0.1, 0.78);

CreateComp ("NinePatch", "trooper_4");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.788, 0.24);
SetProperty ("ninepatch.client_size", 140, 170);

CreateComp ("Image", "trooper_4_image");
SetProperty ("parent", "trooper_4");
SetProperty ("position", 0.06, 0.05);

CreateComp ("Image", "trooper_4_image_weapon");
SetProperty ("parent", "trooper_4");
SetProperty ("position", 0.53, 0.05);

CreateComp ("Textbox", "trooper_4_damage");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_4");
SetProperty ("position", 0.1, 0.52);

CreateComp ("Textbox", "trooper_4_kills");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_4");
SetProperty ("position", 0.1, 0.65);

CreateComp ("Textbox", "trooper_4_shots");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "trooper_4");
SetProperty ("position", 0.1, 0.78);

CreateComp ("Textbox", "timespent_value_label");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.25, 0.6);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Time in battle");

CreateComp ("Textbox", "timespent_value");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.25, 0.635);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);

CreateComp ("Textbox", "alienskilled_value_label");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.6);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Aliens killed");

CreateComp ("Textbox", "alienskilled_value");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.635);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);

CreateComp ("Textbox", "Wave_label");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.75, 0.6);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Wave");

CreateComp ("Textbox", "Wave");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.75, 0.635);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);

CreateComp ("Button", "Retry");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.36, 0.87);
SetProperty ("button.text", "Retry");

CreateComp ("Button", "Quit");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.64, 0.87);
SetProperty ("button.text", "Quit");
