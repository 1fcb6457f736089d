UIEvents ("ui/shop-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.05);
SetProperty ("color.g", 0.06);
SetProperty ("color.b", 0.05);
SetProperty ("color.a", 0.85);
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
SetProperty ("ninepatch.client_size", 920, 680);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.055);
SetProperty ("textbox.text", "Supply Depot");

CreateComp ("Textbox", "TrooperCount");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.07, 0.085);

CreateComp ("Textbox", "Money");
SetProperty ("inherit", "TextValue");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.93, 0.075);
SetProperty ("textbox.font", "fonts/large.mft");

CreateComp ("NinePatch", "shelf");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.325);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 860, 160);

CreateComp ("TouchField", "TF");
SetProperty ("parent", "layout");
SetProperty ("position", 0.07, 0.19);
SetProperty ("touchfield.allow_dragging_only_inside_view_area", 1);
SetProperty ("touchfield.area_width", 880);
SetProperty ("touchfield.area_height", 190);
SetProperty ("touchfield.axis_x_enabled", 1);
SetProperty ("touchfield.axis_y_enabled", 0);
SetProperty ("touchfield.limit_type", "SPRING");

CreateComp ("Marker", "ItemsStart");
SetProperty ("custom_draw", 1);
SetProperty ("parent", "layout");
SetProperty ("position", 0.07, 0.225);

CreateComp ("Marker", "ClipUL");
SetProperty ("parent", "layout");
SetProperty ("position", 0.07, 0.19);

CreateComp ("Marker", "ClipBR");
SetProperty ("parent", "layout");
SetProperty ("position", 0.93, 0.46);

CreateComp ("Textbox", "Name");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);

CreateComp ("Textbox", "Desc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.57);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 700);
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Textbox", "Cost");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.665);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);
SetProperty ("textbox.font", "fonts/medium.mft");

CreateComp ("Button", "Buy");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.37, 0.77);
SetProperty ("button.text", "Buy");

CreateComp ("Button", "OK");
SetProperty ("inherit", "ButtonBig");
SetProperty ("parent", "layout");
SetProperty ("position", 0.63, 0.77);
SetProperty ("button.text", "Back to battle");

CreateComp ("Textbox", "BunkerLabel");
SetProperty ("inherit", "TextSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.27, 0.871);
SetProperty ("textbox.text", "Bunker");

CreateComp ("Marker", "Bunker");
SetProperty ("parent", "layout");
SetProperty ("position", 0.3, 0.885);

CreateComp ("Slider", "Health");
SetProperty ("interactive", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.353515625, 0.875);

CreateComp ("Marker", "BunkerHP");
SetProperty ("custom_draw", 1);
SetProperty ("parent", "layout");
SetProperty ("position", 0.359375, 0.8880208);

CreateComp ("Marker", "BunkerHPEnd");
SetProperty ("parent", "layout");
SetProperty ("position", 0.640625, 0.8984375);

CreateComp ("Marker", "BunkerRepair");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.835);

CreateComp ("Button", "Cheat");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("required_features", "DEVELOPER_MODE");
SetProperty ("parent", "layout");
SetProperty ("position", 0.9, 0.89);
SetProperty ("button.text", "$$$");
