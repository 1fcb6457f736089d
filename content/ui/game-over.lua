UIEvents ("ui/game-over-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.06);
SetProperty ("color.g", 0.07);
SetProperty ("color.b", 0.09);
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

CreateComp ("TouchGrid", "TF");
SetProperty ("scale_type", "RELATIVE_TO_SCREEN_WIDTH");
SetProperty ("position", 0, 0);
SetProperty ("touchgrid.axis_x_enabled", 1);
SetProperty ("touchgrid.axis_y_enabled", 0);
SetProperty ("touchgrid.num_steps_axis_x", 2);
SetProperty ("touchgrid.num_steps_axis_y", 1);
SetProperty ("touchgrid.step_size_axis_x", 1024);
SetProperty ("touchgrid.step_size_axis_y", 768);

CreateComp ("Marker", "page1_centre");
SetProperty ("parent", "TF");
SetProperty ("position", 0.5, 0);
SetProperty ("align", "HCENTER");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Marker", "page1");
SetProperty ("parent", "page1_centre");
SetProperty ("position", -0.5, 0);
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Marker", "page2_centre");
SetProperty ("parent", "TF");
SetProperty ("position", 1.5, 0);
SetProperty ("align", "HCENTER");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Marker", "page2");
SetProperty ("parent", "page2_centre");
SetProperty ("position", -0.5, 0);
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("NinePatch", "Page1");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "page1");
SetProperty ("position", 0.5, 0.44);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 760, 540);

CreateComp ("Textbox", "Title1");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "Page1");
SetProperty ("position", 0, -0.44);
SetProperty ("textbox.text", "Last Stand Over");

CreateComp ("NinePatch", "RankBox");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "page1");
SetProperty ("position", 0.5, 0.235);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 600, 40);

CreateComp ("Textbox", "Result");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "RankBox");
SetProperty ("position", 0, -0.22);
SetProperty ("textbox.font", "fonts/medium.mft");

CreateComp ("NinePatch", "ScoreBox");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "page1");
SetProperty ("position", 0.5, 0.4);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 600, 100);

CreateComp ("Textbox", "ScoreLabel");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "ScoreBox");
SetProperty ("position", 0, -0.4);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Score");

CreateComp ("Textbox", "Score");
SetProperty ("inherit", "TextTitle");
SetProperty ("localize", false);
SetProperty ("parent", "ScoreBox");
SetProperty ("position", 0, -0.2);

CreateComp ("Textbox", "HiScoreAward");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "ScoreBox");
SetProperty ("position", 0, 0.22);
SetProperty ("color.r", 0.35);
SetProperty ("color.g", 0.76);
SetProperty ("color.b", 0.35);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Best score on this field!");

CreateComp ("Button", "facebook");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("required_features", "FACEBOOK");
SetProperty ("parent", "ScoreBox");
SetProperty ("position", 0.4, 0);
SetProperty ("button.text", "Share");

CreateComp ("NinePatch", "InfoBox");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "page1");
SetProperty ("position", 0.5, 0.6);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 600, 90);

CreateComp ("Textbox", "timespent_value_label");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "InfoBox");
SetProperty ("position", -0.3, -0.3);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Time in battle");

CreateComp ("Textbox", "timespent_value");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "InfoBox");
SetProperty ("position", -0.3, 0);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);

CreateComp ("Textbox", "alienskilled_value_label");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "InfoBox");
SetProperty ("position", 0, -0.3);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Aliens killed");

CreateComp ("Textbox", "alienskilled_value");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "InfoBox");
SetProperty ("position", 0, 0);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);

CreateComp ("Textbox", "Wave_label");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "InfoBox");
SetProperty ("position", 0.3, -0.3);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Waves");

CreateComp ("Textbox", "Wave");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "InfoBox");
SetProperty ("position", 0.3, 0);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);

CreateComp ("NinePatch", "Page2");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "page2");
SetProperty ("position", 0.5, 0.44);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 920, 540);

CreateComp ("Textbox", "Title2");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "Page2");
SetProperty ("position", 0, -0.44);
SetProperty ("textbox.text", "Your Squad");

CreateComp ("Image", "custom_gfx_3");
SetProperty ("parent", "Page2");
SetProperty ("position", -0.25, -0.4);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "game-ui/star.png");

CreateComp ("Image", "custom_gfx_4");
SetProperty ("parent", "Page2");
SetProperty ("position", 0.25, -0.4);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "game-ui/star.png");

CreateComp ("Marker", "troopers");
SetProperty ("parent", "page2");
SetProperty ("position", 0, 0.32);
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 230);

CreateComp ("NinePatch", "trooper_0");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "troopers");
SetProperty ("position", 0.028, 0);
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
SetProperty ("parent", "troopers");
SetProperty ("position", 0.218, 0);
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
SetProperty ("parent", "troopers");
SetProperty ("position", 0.408, 0);
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
SetProperty ("parent", "troopers");
SetProperty ("position", 0.598, 0);
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
SetProperty ("parent", "troopers");
SetProperty ("position", 0.788, 0);
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

CreateComp ("Marker", "ButtonGroup");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.88);
SetProperty ("marker.area_width", 600);
SetProperty ("marker.area_height", 60);

CreateComp ("Button", "Retry");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "ButtonGroup");
SetProperty ("position", -0.4, 0);
SetProperty ("button.text", "Retry");

CreateComp ("Button", "Menu");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "ButtonGroup");
SetProperty ("position", 0, 0);
SetProperty ("button.text", "Menu");

CreateComp ("Marker", "ButtonGroup2");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.88);
SetProperty ("marker.area_width", 600);
SetProperty ("marker.area_height", 60);

CreateComp ("Button", "Leaderboards");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "ButtonGroup2");
SetProperty ("position", 0.4, 0);
SetProperty ("button.text", "Rankings");

CreateComp ("Button", "Left");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.045, 0.88);
SetProperty ("button.text", "<");

CreateComp ("Button", "Right");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.955, 0.88);
SetProperty ("button.text", ">");
