UIEvents ("ui/fw/leaderboards-events.lua");

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
SetProperty ("position", 0.5, 0.455);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 780, 590);

CreateComp ("Textbox", "CategoryTitle");
SetProperty ("inherit", "TextTitle");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.07);

CreateComp ("Button", "PrevCategory");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.15, 0.115);
SetProperty ("button.text", "<");

CreateComp ("Button", "NextCategory");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("parent", "layout");
SetProperty ("position", 0.85, 0.115);
SetProperty ("button.text", ">");

CreateComp ("NinePatch", "list");
SetProperty ("inherit", "PanelDark");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.49);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 660, 440);

CreateComp ("Marker", "Scissor");
SetProperty ("parent", "layout");
SetProperty ("position", 0.17, 0.2);
SetProperty ("marker.area_width", 676);
SetProperty ("marker.area_height", 450);

CreateComp ("TouchField", "TF");
SetProperty ("parent", "layout");
SetProperty ("position", 0.17, 0.2);
SetProperty ("touchfield.area_width", 676);
SetProperty ("touchfield.area_height", 450);

CreateComp ("Marker", "Scores");
SetProperty ("custom_draw", 1);
SetProperty ("parent", "TF");
SetProperty ("position", 0.03, 0.02);
SetProperty ("marker.area_width", 630);
SetProperty ("marker.area_height", 450);

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("parent", "layout");
SetProperty ("position", 0.05, 0.065);

CreateComp ("Button", "Download");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.92);
SetProperty ("button.text", "Refresh");

CreateComp ("Button", "GameCenter");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("required_features", "GAME_CENTER");
SetProperty ("parent", "layout");
SetProperty ("position", 0.75, 0.92);
SetProperty ("button.text", "Online");

CreateComp ("Button", "Submit50");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("required_features", "DEVELOPER_MODE");
SetProperty ("parent", "layout");
SetProperty ("position", 0.93, 0.92);
SetProperty ("button.text", "+50");
